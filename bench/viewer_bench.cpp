// Opens ledgers in the browser view as the viewer does and prints, for each: the time to the
// first content, to the whole document being reachable (its last piece shown), the longest the
// GUI thread was blocked, the peak memory of the whole process tree (web engine processes
// included), and xsltproc's time for the same transform, as a yardstick.
#include "common/paths.h"
#include "guiwatch.h"
#include "piecelimits.h"
#include "treememory.h"
#include "viewer/verificationrunner.h"
#include "viewer/webbrowser.h"
#include "web/ledgerscheme.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <atomic>
#include <cstdio>

namespace {

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

struct Figures
{
    qint64 first = -1;       // ms to the first content
    qint64 notBusy = -1;     // ms to the view no longer busy
    qint64 reachable = -1;   // ms to the last piece shown after a jump to it
    qint64 block = 0;        // longest GUI block, ms
    qint64 peak = 0;         // peak memory of the process tree, bytes
    qint64 verified = -1;    // VZ_VERIFY: ms the signature check took once the ledger was shown
    qint64 verifyBlock = -1; // and the longest GUI block meanwhile
};

// The viewer's check of the shown ledger's signature: on its worker, with the view still up.
void verifyShown(const QString& ledger, Figures& figures)
{
    viewer::VerificationRunner verifier;
    bool done = false;
    QObject::connect(&verifier, &viewer::VerificationRunner::verified, [&] { done = true; });
    BlockWatch blocks(5);
    blocks.reset();
    QElapsedTimer clock;
    clock.start();
    verifier.start(QFileInfo(ledger).absoluteFilePath());
    if (waitFor([&] { return done; }, 600000)) {
        figures.verified = clock.elapsed();
    }
    figures.verifyBlock = blocks.longest();
}

Figures showOnce(const QString& ledger, bool whole, TreeMemory& memory)
{
    Figures figures;
    viewer::WebBrowser browser(common::dataFolder());
    pieceLimitsFromEnvironment(browser);
    if (qEnvironmentVariableIsSet("VZ_QUICK")) { // from which size (bytes) the beginning comes first, its size
        const QStringList quick = qEnvironmentVariable("VZ_QUICK").split(QLatin1Char(','));
        browser.setQuickView(quick.value(0).toLongLong(), quick.value(1, QStringLiteral("1500000")).toLongLong());
    }
    if (whole) {
        browser.setPieceLimits({1 << 30, 1 << 30});
        browser.setQuickView(std::numeric_limits<qint64>::max(), 0);
    }
    browser.resize(1280, 900);
    browser.show();
    waitFor([] { return false; }, 300); // the view's own start-up is not the ledger's
    BlockWatch blocks(5);
    memory.reset();
    blocks.reset();

    QElapsedTimer clock;
    clock.start();
    const qint64 startedAt = QDateTime::currentMSecsSinceEpoch();
    QObject::connect(&browser, &viewer::WebBrowser::DownloadComplete, [&] {
        if (figures.first < 0) {
            figures.first = clock.elapsed();
        }
    });
    const QString url = QStringLiteral("file://") + QFileInfo(ledger).absoluteFilePath();
    browser.Navigate2(url);
    const bool idle = waitFor([&] { return !browser.Busy(); }, 600000);
    figures.notBusy = clock.elapsed();
    if (idle) {
        const auto& pieces = browser.documents().current().pieces;
        const int last = pieces ? int(pieces->count()) - 1 : 0;
        browser.goToPiece(last);
        // The frame that first shows the last piece (not merely laid out: the view keeps it
        // ready in advance), timed in the page: asking from here would wait behind the pieces
        // the view lays out next, around it.
        browser.runScript(QStringLiteral("(function check() {"
                                         "  if (__vz.status().visible.includes(%1)) window.__vzShownAt = Date.now();"
                                         "  else requestAnimationFrame(check);"
                                         "})()")
                              .arg(last),
                          nullptr);
        QVariant shownAt;
        if (waitFor(
                [&] {
                    shownAt = evaluate(browser, QStringLiteral("window.__vzShownAt || 0"));
                    return shownAt.toLongLong() > 0;
                },
                60000)) {
            figures.reachable = shownAt.toLongLong() - startedAt;
        }
    }
    figures.block = blocks.longest();
    if (idle && qEnvironmentVariableIsSet("VZ_VERIFY")) {
        verifyShown(ledger, figures);
    }
    figures.peak = memory.peak();
    return figures;
}

// Best of `runs` for the times (the machine is shared: the best run is the least disturbed),
// worst for the GUI block and memory. xsltproc runs as often, between the viewer's runs.
void measure(const QString& ledger, bool whole, int runs, TreeMemory& memory)
{
    double xsltproc = 0;
    Figures best;
    qint64 worstBlock = 0;
    qint64 worstPeak = 0;
    for (int run = 0; run < runs; ++run) {
        const double seconds = xsltprocSeconds(ledger);
        xsltproc = run == 0 ? seconds : std::min(xsltproc, seconds);
        const Figures figures = showOnce(ledger, whole, memory);
        const auto better = [](qint64 a, qint64 b) {
            return b < 0 || (a >= 0 && a < b) ? a : b;
        };
        best.first = better(figures.first, best.first);
        best.notBusy = better(figures.notBusy, best.notBusy);
        best.reachable = better(figures.reachable, best.reachable);
        worstBlock = std::max(worstBlock, figures.block);
        worstPeak = std::max(worstPeak, figures.peak);
        best.verified = better(figures.verified, best.verified);
        best.verifyBlock = std::max(best.verifyBlock, figures.verifyBlock);
    }
    std::printf("%-34s %7.1f MB  first %6.2f s  idle %6.2f s  last page %6.2f s  xsltproc %6.2f s  "
                "ratio %5.2f  GUI block %4lld ms  peak tree %6.0f MB%s\n",
                qPrintable(QFileInfo(ledger).fileName()), QFileInfo(ledger).size() / 1048576.0, best.first / 1000.0,
                best.notBusy / 1000.0, best.reachable / 1000.0, xsltproc,
                best.reachable > 0 ? best.reachable / 1000.0 / xsltproc : 0.0, worstBlock, worstPeak / 1048576.0,
                best.reachable > 0 ? "" : "  (did not finish)");
    if (best.verifyBlock >= 0) {
        std::printf("%-34s            verified in %6.2f s  GUI block while verifying %4lld ms\n", "",
                    best.verified / 1000.0, best.verifyBlock);
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    viewer::prepareWebEngine();
    QApplication application(argc, argv);
    QStringList files = application.arguments().mid(1);
    const bool whole = files.removeAll(QStringLiteral("--whole")) > 0;
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: verazidedaze-viewerbench [--whole] LEDGER.xml...\n"
                             "  --whole  hand the web view the whole page at once (no pieces, no beginning first)\n"
                             "environment: REPEAT=runs per ledger (default 3; best times, worst block and memory)\n"
                             "             VZ_VERIFY=1 also checks each shown ledger's signature as the viewer does\n");
        return 64;
    }
    const int runs = qEnvironmentVariableIsSet("REPEAT") ? qMax(1, qEnvironmentVariableIntValue("REPEAT")) : 3;
    TreeMemory memory;
    for (const QString& file : files) {
        measure(file, whole, runs, memory);
    }
    return 0;
}
