// The selection window's Mizan over a folder, as the command runs it (the journals of the folder
// and its subfolders, the whole year of the latest month): the reading's time, then (a) the time
// from the job returning to the viewer's first screen (page loaded and a frame painted) and
// (b) the longest the GUI thread was blocked from the command to that screen.
// Bars: (a) at most 1 s, (b) at most 100 ms.
#include "common/paths.h"
#include "guiwatch.h"
#include "selection/showcommand.h"
#include "selection/viewerhost.h"
#include "viewer/documentrunner.h"
#include "viewer/frmxml.h"
#include "viewer/ledgertotals.h"
#include "viewer/webbrowser.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cstdio>

namespace {

constexpr int kTick = 10;

struct Figures
{
    qint64 reading = -1; // ms from the command to the job returning
    qint64 shown = -1;   // (a) ms from the job returning to the first frame painted
    qint64 block = 0;    // (b) longest GUI block, ms
};

// The first frame painted after the load: two animation frames, the second comes once the first is on screen.
qint64 paintedAt(viewer::WebBrowser& browser)
{
    browser.runScript(QStringLiteral("requestAnimationFrame(() => requestAnimationFrame(() => "
                                     "window.__vzPaintedAt = Date.now()))"));
    qint64 at = 0;
    waitFor(
        [&] {
            browser.runScript(QStringLiteral("window.__vzPaintedAt || 0"),
                              [&](const QVariant& value) { at = value.toLongLong(); });
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            return at > 0;
        },
        30000);
    return at;
}

Figures runOnce(selection::ViewerWindowHost& host, const QString& folder, const QString& documents)
{
    Figures figures;
    std::atomic<qint64> jobEnd{0};
    bool loaded = false;
    viewer::DocumentRunner runner([&](const QString& path) {
        selection::showDocument(host, path);
        QObject::connect(
            host.window()->browser(), &viewer::WebBrowser::DownloadComplete, host.window(), [&] { loaded = true; },
            Qt::SingleShotConnection);
    });
    BlockWatch blocks(kTick);
    const qint64 commandAt = QDateTime::currentMSecsSinceEpoch();
    const viewer::TotalsRequest request = viewer::requestForFolder(viewer::TotalsKind::Mizan, folder);
    viewer::DocumentRunner::Task task = viewer::totalsTask(request.kind, request.journals, request.defaults, documents);
    task.job = [job = task.job, &jobEnd](const std::atomic_bool* cancel, const viewer::DocumentRunner::Progress& p) {
        viewer::MadeDocument made = job(cancel, p);
        jobEnd = QDateTime::currentMSecsSinceEpoch();
        return made;
    };
    runner.start(task, nullptr);
    if (!waitFor([&] { return loaded; }, 3600 * 1000)) {
        return figures;
    }
    const qint64 painted = paintedAt(*host.window()->browser());
    figures.block = blocks.longest();
    figures.reading = jobEnd - commandAt;
    figures.shown = painted > 0 ? painted - jobEnd : -1;
    return figures;
}

} // namespace

int main(int argc, char* argv[])
{
    viewer::prepareWebEngine();
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: verazidedaze-totalsbench FOLDER [RUNS]\n"
                             "  RUNS (default 2): the first opens the viewer window, the others reuse it\n");
        return 64;
    }
    const int runs = std::max(1, arguments.value(1, QStringLiteral("2")).toInt());
    // As the program does half a second after its window shows; COLD=1 leaves the engine unstarted, so
    // that the first run pays its start.
    if (!qEnvironmentVariableIsSet("COLD")) {
        viewer::warmWebEngine(0);
        QElapsedTimer idle;
        idle.start();
        while (idle.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
    }
    QTemporaryDir documents;
    selection::ViewerWindowHost host(common::dataFolder());
    std::printf("%-6s %12s %24s %22s\n", "run", "reading ms", "(a) job end→screen ms", "(b) longest block ms");
    for (int run = 1; run <= runs; ++run) {
        const Figures figures = runOnce(host, arguments.first(), documents.path());
        std::printf("%-6d %12lld %24lld %22lld   %s\n", run, figures.reading, figures.shown, figures.block,
                    figures.shown >= 0 && figures.shown <= 1000 && figures.block <= 100 ? "bars met" : "BARS MISSED");
        std::fflush(stdout);
    }
    return 0;
}
