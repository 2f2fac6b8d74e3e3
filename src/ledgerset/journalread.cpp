#include "ledgerset/journalread.h"

#include "common/documentkind.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace ledgerset {

namespace {

// Bytes read over all the files, told from several threads one call at a time.
class SharedProgress
{
public:
    SharedProgress(const QStringList& files, const ledger::Progress& progress) : m_progress(progress)
    {
        for (const QString& file : files) {
            m_total += QFileInfo(file).size();
        }
    }

    // The progress callback of one file's reader.
    ledger::Progress forFile()
    {
        if (!m_progress) {
            return {};
        }
        auto last = std::make_shared<qint64>(0);
        return [this, last](qint64 done, qint64) {
            const std::lock_guard<std::mutex> hold(m_lock);
            m_done += done - *last;
            *last = done;
            m_progress(m_done, m_total);
        };
    }

private:
    const ledger::Progress& m_progress;
    std::mutex m_lock;
    qint64 m_total = 0;
    qint64 m_done = 0;
};

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

common::Outcome readOne(const QString& path, int worker, int file, const LineSink& sink, const std::atomic_bool* cancel,
                        const ledger::Progress& progress)
{
    ledger::LedgerReader reader(path, progress, cancel);
    for (;;) {
        switch (reader.next()) {
        case ledger::ReadEvent::Kind:
            if (reader.kind() != common::DocumentKind::Journal) {
                return common::Outcome::failure(QStringLiteral("%1 bir yevmiye defteri değil.").arg(fileName(path)));
            }
            break;
        case ledger::ReadEvent::Line: {
            ledger::Amount amount;
            ledger::Side side = ledger::Side::Debit;
            if (const std::optional<ledger::LineFault> fault =
                    ledger::readLine(reader.header(), reader.line(), amount, side)) {
                return common::Outcome::failure(QStringLiteral("%1, satır %2: %3 okunamadı (\"%4\").")
                                                    .arg(fileName(path))
                                                    .arg(reader.sourceLine())
                                                    .arg(fault->what, QString::fromStdString(fault->value)));
            }
            sink(worker, file, JournalLine{reader.header(), reader.line(), amount, side});
            break;
        }
        case ledger::ReadEvent::HeaderStart:
        case ledger::ReadEvent::HeaderEnd:
            break;
        case ledger::ReadEvent::End:
            return common::Outcome::done();
        case ledger::ReadEvent::Cancelled:
            return common::Outcome::stopped();
        case ledger::ReadEvent::Failed:
            return common::Outcome::failure(reader.error());
        }
    }
}

} // namespace

int readingWorkers(const QStringList& journals)
{
    return std::max(1, std::min(QThread::idealThreadCount(), int(journals.size())));
}

common::Outcome readJournals(const QStringList& journals, const LineSink& sink, const std::atomic_bool* cancel,
                             const ledger::Progress& progress)
{
    const int workers = readingWorkers(journals);
    SharedProgress shared(journals, progress);
    std::atomic_int next = 0;
    std::atomic_bool stop = false;
    common::Outcome first = common::Outcome::done();
    int firstFile = int(journals.size());
    std::mutex lock;
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            for (int i = next++; i < journals.size() && !stop; i = next++) {
                common::Outcome read = readOne(journals[i], w, i, sink, cancel, shared.forFile());
                if (!read.ok) {
                    const std::lock_guard<std::mutex> hold(lock);
                    // The earliest file's failure is the one named, whichever thread met its own first.
                    if (i < firstFile) {
                        first = std::move(read);
                        firstFile = i;
                    }
                    stop = true;
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    if (cancel && cancel->load()) {
        return common::Outcome::stopped();
    }
    return first;
}

QString periodOf(const common::DocumentName& name)
{
    return name.period.left(4) + QLatin1Char('-') + name.period.mid(4, 2);
}

QString periodOfFile(const QString& path)
{
    const std::optional<common::DocumentName> name = common::DocumentName::parse(fileName(path));
    return name ? periodOf(*name) : QString();
}

QString nextMonth(const QString& period)
{
    const int year = period.left(4).toInt();
    const int month = period.mid(5, 2).toInt();
    return month == 12 ? QStringLiteral("%1-01").arg(year + 1)
                       : QStringLiteral("%1-%2").arg(year).arg(month + 1, 2, 10, QLatin1Char('0'));
}

QStringList monthsOf(const QStringList& files)
{
    std::set<QString> months;
    for (const QString& file : files) {
        months.insert(periodOfFile(file));
    }
    months.erase(QString());
    return {months.begin(), months.end()};
}

QStringList missingMonths(const QString& first, const QString& last, const QStringList& present)
{
    QStringList missing;
    for (QString p = first; p <= last && missing.size() < 1200; p = nextMonth(p)) {
        if (!present.contains(p)) {
            missing.append(p);
        }
    }
    return missing;
}

QStringList taxpayersOf(const QStringList& files)
{
    std::set<QString> found;
    for (const QString& file : files) {
        if (const auto name = common::DocumentName::parse(fileName(file))) {
            found.insert(name->taxpayer);
        }
    }
    return {found.begin(), found.end()};
}

} // namespace ledgerset
