// Opens ledgers in the browser view as the viewer does and prints, for each: the time to the
// first content, to the whole document being reachable (its last piece shown), the longest the
// GUI thread was blocked, the peak memory of the whole process tree (web engine processes
// included), and xsltproc's time for the same transform, as a yardstick.
#include "app/paths.h"
#include "viewer/ledgerscheme.h"
#include "viewer/webbrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

// Resident memory of this process and all its descendants, in bytes.
qint64 treeRss()
{
    QHash<int, int> parentOf;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parentOf.insert(pid, fields.at(1).toInt());
    }
    QList<int> tree{int(getpid())};
    for (qsizetype i = 0; i < tree.size(); ++i) {
        for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
            if (it.value() == tree.at(i))
                tree.append(it.key());
        }
    }
    qint64 total = 0;
    for (int pid : tree) {
        QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
        if (statm.open(QIODevice::ReadOnly))
            total += statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
    }
    return total;
}

class MemoryWatch
{
public:
    MemoryWatch()
        : m_thread([this] {
              while (!m_stop) {
                  m_peak = std::max<qint64>(m_peak, treeRss());
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
          })
    {}
    ~MemoryWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    qint64 peak() const { return m_peak; }
    void reset() { m_peak = 0; }

private:
    std::atomic_bool m_stop = false;
    std::atomic<qint64> m_peak = 0;
    std::thread m_thread;
};

// The longest the event loop went without running a 5 ms timer.
class BlockWatch
{
public:
    BlockWatch()
    {
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            m_longest = std::max(m_longest, now - m_last - 5);
            if (qEnvironmentVariableIsSet("VZ_TRACE") && now - m_last - 5 > 50)
                qWarning("B gap %lld ms ending at %lld", now - m_last - 5, now);
            m_last = now;
        });
        m_timer.start(5);
    }
    void reset()
    {
        m_longest = 0;
        m_last = m_clock.elapsed();
    }
    qint64 longest() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QVariant evaluate(viewer::WebBrowser& browser, const QString& script)
{
    QVariant result;
    bool done = false;
    browser.runScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    waitFor([&] { return done; }, 30000);
    return result;
}

// xsltproc's wall time for the same ledger and the stylesheet its instruction names.
double xsltprocSeconds(const QString& ledger)
{
    QElapsedTimer clock;
    clock.start();
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("xsltproc"), {QStringLiteral("--maxdepth"), QStringLiteral("100000"), ledger});
    process.waitForFinished(-1);
    return clock.elapsed() / 1000.0;
}

void measure(const QString& ledger, bool whole, MemoryWatch& memory)
{
    const double xsltproc = xsltprocSeconds(ledger);
    viewer::WebBrowser browser(app::dataFolder());
    if (qEnvironmentVariableIsSet("VZ_PIECE")) {
        const QStringList limits = qEnvironmentVariable("VZ_PIECE").split(QLatin1Char(','));
        browser.setPieceLimits({limits.value(0).toInt(), limits.value(1).toInt()});
    }
    if (qEnvironmentVariableIsSet("VZ_QUICK")) // from which size (bytes) the beginning comes first
        browser.setQuickView(qEnvironmentVariable("VZ_QUICK").toLongLong(), 1500000);
    if (whole) {
        browser.setPieceLimits({1 << 30, 1 << 30});
        browser.setQuickView(std::numeric_limits<qint64>::max(), 0);
    }
    browser.resize(1280, 900);
    browser.show();
    waitFor([] { return false; }, 300); // the view's own start-up is not the ledger's
    BlockWatch blocks;
    memory.reset();
    blocks.reset();

    QElapsedTimer clock;
    clock.start();
    qint64 first = -1;
    QObject::connect(&browser, &viewer::WebBrowser::DownloadComplete, [&] {
        if (first < 0)
            first = clock.elapsed();
    });
    const QString url = QStringLiteral("file://") + QFileInfo(ledger).absoluteFilePath();
    browser.Navigate2(url);
    const bool idle = waitFor([&] { return !browser.Busy(); }, 600000);
    const qint64 notBusy = clock.elapsed();
    qint64 reachable = -1;
    if (idle) {
        const int pieces = evaluate(browser, QStringLiteral("__vz.status().count")).toInt();
        browser.goToPiece(pieces - 1);
        const QString loaded = QStringLiteral("__vz.status().loaded.includes(%1)").arg(pieces - 1);
        if (waitFor([&] { return evaluate(browser, loaded).toBool(); }, 60000))
            reachable = clock.elapsed();
    }
    std::printf("%-34s %7.1f MB  first %6.2f s  idle %6.2f s  last page %6.2f s  xsltproc %6.2f s  "
                "ratio %5.2f  GUI block %4lld ms  peak tree %6.0f MB%s\n",
                qPrintable(QFileInfo(ledger).fileName()), QFileInfo(ledger).size() / 1048576.0, first / 1000.0,
                notBusy / 1000.0, reachable / 1000.0, xsltproc, reachable > 0 ? reachable / 1000.0 / xsltproc : 0.0,
                blocks.longest(), memory.peak() / 1048576.0, idle ? "" : "  (did not finish)");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    viewer::registerLedgerScheme();
    QApplication application(argc, argv);
    QStringList files = application.arguments().mid(1);
    const bool whole = files.removeAll(QStringLiteral("--whole")) > 0;
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: verazidedaze-viewerbench [--whole] LEDGER.xml...\n"
                             "  --whole  hand the web view the whole page at once (no pieces, no beginning first)\n");
        return 64;
    }
    MemoryWatch memory;
    for (const QString& file : files)
        measure(file, whole, memory);
    return 0;
}
