// Prints a ledger the way the viewer does and says how long it took and how much memory the
// whole process tree (this program and the web engine's processes) held at its peak.
//   print_bench range LEDGER [PAGES]   opens LEDGER, waits until it is whole, then prints pages
//                                      1–PAGES (default 100) to a PDF file through the preview
//   print_bench preview LEDGER         opens LEDGER and previews it until every page is shown
#include "viewer/ledgerscheme.h"
#include "viewer/piecebook.h"
#include "viewer/printpreview.h"
#include "viewer/webbrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageRanges>
#include <QPdfDocument>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <thread>
#include <unistd.h>

namespace {

// Resident memory of this process and all its descendants, in bytes.
qint64 treeRss()
{
    std::map<int, int> parents;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::map<int, qint64> rss;
    static const qint64 pageSize = sysconf(_SC_PAGESIZE);
    for (const QString& entry : entries) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
        if (!stat.open(QIODevice::ReadOnly) || !statm.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // pid (comm) state ppid …: the name may hold spaces and parentheses.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 2)
            continue;
        parents[pid] = fields.at(1).toInt();
        rss[pid] = statm.readAll().split(' ').value(1).toLongLong() * pageSize;
    }
    qint64 total = 0;
    const int self = int(getpid());
    for (const auto& [pid, bytes] : rss) {
        for (int at = pid; at > 1; at = parents.count(at) ? parents[at] : 0) {
            if (at == self) {
                total += bytes;
                break;
            }
        }
    }
    return total;
}

class PeakSampler
{
public:
    PeakSampler()
        : m_thread([this] {
              while (!m_stop) {
                  const qint64 now = treeRss();
                  m_peak = std::max(m_peak.load(), now);
                  m_overall = std::max(m_overall.load(), now);
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
          })
    {}
    ~PeakSampler()
    {
        m_stop = true;
        m_thread.join();
    }
    // The peak since the last reset, in MB.
    qint64 takePeakMb() { return m_peak.exchange(treeRss()) / (1024 * 1024); }
    [[nodiscard]] qint64 overallPeakMb() const { return m_overall / (1024 * 1024); }

private:
    std::atomic_bool m_stop = false;
    std::atomic<qint64> m_peak = 0;
    std::atomic<qint64> m_overall = 0;
    std::thread m_thread;
};

bool open(viewer::WebBrowser& browser, const QString& ledger, PeakSampler& sampler)
{
    QElapsedTimer clock;
    clock.start();
    browser.Navigate2(QStringLiteral("file://") + QFileInfo(ledger).absoluteFilePath());
    if (!QTest::qWaitFor([&] { return !browser.Busy(); }, 30 * 60 * 1000))
        return false;
    const auto& pieces = browser.documents().current().pieces;
    std::printf("open: %.1f s, %lld pieces, peak tree RSS %lld MB\n", clock.elapsed() / 1000.0,
                pieces ? qint64(pieces->count()) : 1LL, sampler.takePeakMb());
    return true;
}

int printRange(viewer::WebBrowser& browser, int pages, PeakSampler& sampler)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("sayfalar.pdf"));
    browser.ExecWB(viewer::WebBrowser::OLECMDID_PRINTPREVIEW, viewer::WebBrowser::OLECMDEXECOPT_PROMPTUSER);
    viewer::PrintPreview* preview = browser.printPreview();
    QString problem;
    preview->setReporter([&](const QString& message) { problem = message; });
    preview->setPrinterChooser([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(target);
        printer.setPageRanges(QPageRanges::fromString(QStringLiteral("1-%1").arg(pages)));
        return true;
    });
    // The live page of a one-piece document is laid out first; a document in pieces is not.
    if (!preview->book() && !QTest::qWaitFor([&] { return preview->allPagesKnown(); }, 10 * 60 * 1000))
        return 1;
    QElapsedTimer clock;
    clock.start();
    preview->printDocument();
    const double seconds = clock.elapsed() / 1000.0;
    QPdfDocument printed;
    printed.load(target);
    std::printf("print pages 1-%d to PDF: %.1f s, %d pages (%lld KB), %d pieces laid out, peak tree RSS %lld MB\n",
                pages, seconds, printed.pageCount(), QFileInfo(target).size() / 1024,
                preview->book() ? preview->book()->piecesDone() : 1, sampler.takePeakMb());
    if (!problem.isEmpty())
        std::printf("error: %s\n", qPrintable(problem));
    preview->close();
    return printed.pageCount() == pages ? 0 : 1;
}

int previewAll(viewer::WebBrowser& browser, PeakSampler& sampler)
{
    QElapsedTimer clock;
    clock.start();
    browser.ExecWB(viewer::WebBrowser::OLECMDID_PRINTPREVIEW, viewer::WebBrowser::OLECMDEXECOPT_PROMPTUSER);
    viewer::PrintPreview* preview = browser.printPreview();
    QString problem;
    preview->setReporter([&](const QString& message) { problem = message; });
    bool ok = false;
    double firstShown = -1;
    QObject::connect(preview, &viewer::PrintPreview::pagesShown, preview,
                     [&] { firstShown = firstShown < 0 ? clock.elapsed() / 1000.0 : firstShown; });
    bool done = false;
    QObject::connect(preview, &viewer::PrintPreview::ready, preview, [&](bool result) { ok = result, done = true; });
    if (!QTest::qWaitFor([&] { return done; }, 60 * 60 * 1000))
        std::printf("preview: not done after an hour\n");
    std::printf("preview: first pages shown %.1f s, all %d pages shown %.1f s, peak tree RSS %lld MB\n", firstShown,
                preview->document()->pageCount(), clock.elapsed() / 1000.0, sampler.takePeakMb());
    if (!problem.isEmpty())
        std::printf("error: %s\n", qPrintable(problem));
    preview->close();
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    viewer::registerLedgerScheme();
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3 ||
        (arguments.at(1) != QLatin1String("range") && arguments.at(1) != QLatin1String("preview"))) {
        std::fprintf(stderr, "usage: print_bench range LEDGER [PAGES] | print_bench preview LEDGER\n");
        return 2;
    }
    PeakSampler sampler;
    viewer::WebBrowser browser(QFileInfo(arguments.at(2)).absolutePath());
    browser.resize(1200, 900);
    browser.show();
    std::printf("ledger: %s (%.1f MB)\n", qPrintable(QFileInfo(arguments.at(2)).fileName()),
                QFileInfo(arguments.at(2)).size() / (1024.0 * 1024.0));
    if (!open(browser, arguments.at(2), sampler))
        return 1;
    std::fflush(stdout);
    const int result = arguments.at(1) == QLatin1String("range")
                           ? printRange(browser, arguments.value(3, QStringLiteral("100")).toInt(), sampler)
                           : previewAll(browser, sampler);
    std::printf("peak tree RSS over the whole run: %lld MB\n", sampler.overallPeakMb());
    return result;
}
