// Prints a ledger the way the viewer does and says how long it took and how much memory the
// whole process tree (this program and the web engine's processes) held at its peak.
//   print_bench range LEDGER [PAGES]   opens LEDGER, waits until it is whole, then prints pages
//                                      1–PAGES (default 100) to a PDF file through the preview
//   print_bench preview LEDGER         opens LEDGER and previews it until every page is shown
//   print_bench whole LEDGER           opens LEDGER and, from the preview, prints every page to a
//                                      PDF file at once (Yazdır as soon as the preview opens)
// Environment: KEEP_PDF=where to keep the printed file; SHOTS=folder for screenshots of the
// preview (1 s, 5 s and complete); WHOLE=1 prints the ledger as one piece; VZ_PIECE as in
// piecelimits.h.
#include "piecelimits.h"
#include "print/pagestrip.h"
#include "print/printpreview.h"
#include "treememory.h"
#include "viewer/webbrowser.h"
#include "web/ledgerscheme.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QPageRanges>
#include <QPdfDocument>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include <limits>

#include <cstdio>
#include <ctime>
#include <utility>

namespace {

bool open(viewer::WebBrowser& browser, const QString& ledger, TreeMemory& sampler)
{
    QElapsedTimer clock;
    clock.start();
    browser.Navigate2(QStringLiteral("file://") + QFileInfo(ledger).absoluteFilePath());
    if (!QTest::qWaitFor([&] { return !browser.Busy(); }, 30 * 60 * 1000)) {
        return false;
    }
    const auto& pieces = browser.documents().current().pieces;
    std::printf("open: %.1f s, %lld pieces, peak tree RSS %lld MB\n", clock.elapsed() / 1000.0,
                pieces ? qint64(pieces->count()) : 1LL, sampler.takePeak() / (1024 * 1024));
    return true;
}

// The longest time the GUI thread went without answering a timer due every few milliseconds.
class GuiBlockWatch
{
public:
    GuiBlockWatch()
    {
        m_timer.setInterval(kTick);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 block = m_clock.restart() - kTick;
            const qint64 cpu = threadCpuMs();
            const qint64 busy = cpu - std::exchange(m_cpu, cpu);
            m_longest = qMax(m_longest, block);
            m_longestBusy = qMax(m_longestBusy, qMin(block, busy));
            if (block > 100) {
                m_long.append(QStringLiteral("%1 ms (%3 ms busy) at %2 s")
                                  .arg(block)
                                  .arg(m_since.elapsed() / 1000.0, 0, 'f', 1)
                                  .arg(busy));
            }
        });
        m_cpu = threadCpuMs();
        m_clock.start();
        m_since.start();
        m_timer.start();
    }
    [[nodiscard]] qint64 longest() const { return m_longest; }
    // The same, counting only the time the thread ran: on a loaded machine a thread may wait
    // for a core without working.
    [[nodiscard]] qint64 longestBusy() const { return m_longestBusy; }
    // Blocks longer than 100 ms, with when they ended.
    [[nodiscard]] QString longOnes() const { return m_long.isEmpty() ? QStringLiteral("none") : m_long.join(", "); }

private:
    static constexpr int kTick = 5;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
    qint64 m_longestBusy = 0;
    qint64 m_cpu = 0;
    QStringList m_long;

    static qint64 threadCpuMs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    }
};

// Runs the event loop until `done` says so: QTest::qWaitFor sleeps 10 ms between rounds of events,
// which slows every step the web engine takes through the GUI thread, as the program never is.
template <typename Signal>
bool waitFor(const typename QtPrivate::FunctionPointer<Signal>::Object* sender, Signal signal,
             const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done()) {
        loop.exec();
    }
    return done();
}

print::PrintPreview* openPreview(viewer::WebBrowser& browser, QString& problem)
{
    browser.ExecWB(viewer::WebBrowser::OLECMDID_PRINTPREVIEW, viewer::WebBrowser::OLECMDEXECOPT_PROMPTUSER);
    print::PrintPreview* preview = browser.printPreview();
    preview->setReporter([&](const QString& message) { problem = message; });
    return preview;
}

// Prints through the preview as the chooser says and waits for the file; false when it failed.
bool printToFile(print::PrintPreview& preview, const std::function<bool(QPrinter&)>& chooser)
{
    bool ok = false;
    bool done = false;
    QObject::connect(&preview, &print::PrintPreview::jobFinished, &preview,
                     [&](bool result) { ok = result, done = true; });
    preview.setPrinterChooser(chooser);
    preview.printDocument();
    return waitFor(
               &preview, &print::PrintPreview::jobFinished, [&] { return done; }, 60 * 60 * 1000) &&
           ok;
}

void keepPdf(const QString& target)
{
    if (qEnvironmentVariableIsSet("KEEP_PDF")) { // to look at what was printed; an older one goes
        QFile::remove(qEnvironmentVariable("KEEP_PDF"));
        QFile::copy(target, qEnvironmentVariable("KEEP_PDF"));
    }
}

int printRange(viewer::WebBrowser& browser, int pages, TreeMemory& sampler)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("sayfalar.pdf"));
    QString problem;
    print::PrintPreview* preview = openPreview(browser, problem);
    // The live page of a one-piece document is laid out first; a document in pieces is not.
    if (preview->bookCount() == 0 &&
        !waitFor(
            preview, &print::PrintPreview::ready, [&] { return preview->allPagesKnown(); }, 10 * 60 * 1000)) {
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    printToFile(*preview, [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(target);
        printer.setPageRanges(QPageRanges::fromString(QStringLiteral("1-%1").arg(pages)));
        return true;
    });
    const double seconds = clock.elapsed() / 1000.0;
    QPdfDocument printed;
    printed.load(target);
    std::printf("print pages 1-%d to PDF: %.1f s, %d pages (%lld KB), %d books, peak tree RSS %lld MB\n", pages,
                seconds, printed.pageCount(), QFileInfo(target).size() / 1024, preview->bookCount(),
                sampler.takePeak() / (1024 * 1024));
    if (!problem.isEmpty()) {
        std::printf("error: %s\n", qPrintable(problem));
    }
    keepPdf(target);
    preview->close();
    return printed.pageCount() == pages ? 0 : 1;
}

int previewAll(viewer::WebBrowser& browser, TreeMemory& sampler)
{
    QElapsedTimer clock;
    clock.start();
    GuiBlockWatch watch;
    QString problem;
    print::PrintPreview* preview = openPreview(browser, problem);
    bool ok = false;
    double firstShown = -1;
    QObject::connect(preview, &print::PrintPreview::pagesShown, preview,
                     [&] { firstShown = firstShown < 0 ? clock.elapsed() / 1000.0 : firstShown; });
    bool done = false;
    QObject::connect(preview, &print::PrintPreview::ready, preview, [&](bool result) { ok = result, done = true; });
    const QString shots = qEnvironmentVariable("SHOTS");
    for (const int second : {1, 5}) {
        if (!shots.isEmpty()) {
            QTimer::singleShot(second * 1000, preview, [&, second] {
                preview->grab().save(shots + QStringLiteral("/preview-%1s.png").arg(second));
            });
        }
    }
    if (!waitFor(
            preview, &print::PrintPreview::ready, [&] { return done; }, 60 * 60 * 1000)) {
        std::printf("preview: not done after an hour\n");
    }
    const double seconds = clock.elapsed() / 1000.0;
    if (!shots.isEmpty()) {
        QTest::qWait(500); // the pages on screen drawn
        preview->grab().save(shots + QStringLiteral("/preview-complete.png"));
        preview->findChild<print::PageStrip*>()->fitPage(); // a whole page, its number at the foot
        QTest::qWait(500);
        preview->grab().save(shots + QStringLiteral("/preview-complete-page.png"));
    }
    std::printf("preview: first page shown %.2f s, all %d pages shown %.1f s (%.1f pages/s), %d books, longest GUI "
                "block %lld ms (%lld ms busy), peak tree RSS %lld MB\n",
                firstShown, preview->pageCount(), seconds, preview->pageCount() / seconds, preview->bookCount(),
                watch.longest(), watch.longestBusy(), sampler.takePeak() / (1024 * 1024));
    std::printf("preview: GUI blocks over 100 ms: %s\n", qPrintable(watch.longOnes()));
    if (!problem.isEmpty()) {
        std::printf("error: %s\n", qPrintable(problem));
    }
    preview->close();
    return ok ? 0 : 1;
}

// Yazdır at once, every page to a PDF file: from the request to the written file.
int printWhole(viewer::WebBrowser& browser, TreeMemory& sampler)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("tamami.pdf"));
    QElapsedTimer clock;
    clock.start();
    GuiBlockWatch watch;
    QString problem;
    print::PrintPreview* preview = openPreview(browser, problem);
    const bool ok = printToFile(*preview, [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(target);
        return true;
    });
    const double seconds = clock.elapsed() / 1000.0;
    QPdfDocument printed;
    printed.load(target);
    std::printf("whole print to PDF from the preview: %.1f s, %d pages (%lld KB), %d books, longest GUI block %lld "
                "ms, peak tree RSS %lld MB\n",
                seconds, printed.pageCount(), QFileInfo(target).size() / 1024, preview->bookCount(), watch.longest(),
                sampler.takePeak() / (1024 * 1024));
    if (!problem.isEmpty()) {
        std::printf("error: %s\n", qPrintable(problem));
    }
    keepPdf(target);
    preview->close();
    return ok && printed.pageCount() > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    viewer::prepareWebEngine();
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3 || !QStringList{"range", "preview", "whole"}.contains(arguments.at(1))) {
        std::fprintf(stderr, "usage: print_bench range LEDGER [PAGES] | print_bench preview|whole LEDGER\n");
        return 2;
    }
    TreeMemory sampler;
    viewer::WebBrowser browser(QFileInfo(arguments.at(2)).absolutePath());
    pieceLimitsFromEnvironment(browser);
    if (qEnvironmentVariableIsSet("WHOLE")) { // one piece, as a small ledger prints: to compare pages
        browser.setPieceLimits({1 << 30, 1 << 30});
        browser.setQuickView(std::numeric_limits<qint64>::max(), 0);
    }
    browser.resize(1200, 900);
    browser.show();
    std::printf("ledger: %s (%.1f MB)\n", qPrintable(QFileInfo(arguments.at(2)).fileName()),
                QFileInfo(arguments.at(2)).size() / (1024.0 * 1024.0));
    if (!open(browser, arguments.at(2), sampler)) {
        return 1;
    }
    std::fflush(stdout);
    const int result = arguments.at(1) == QLatin1String("range")
                           ? printRange(browser, arguments.value(3, QStringLiteral("100")).toInt(), sampler)
                       : arguments.at(1) == QLatin1String("preview") ? previewAll(browser, sampler)
                                                                     : printWhole(browser, sampler);
    std::printf("peak tree RSS over the whole run: %lld MB\n", sampler.overallPeak() / (1024 * 1024));
    return result;
}
