// Prints a ledger the way the viewer does and says how long it took and how much memory the
// whole process tree (this program and the web engine's processes) held at its peak.
//   print_bench range LEDGER [PAGES]   opens LEDGER, waits until it is whole, then prints pages
//                                      1–PAGES (default 100) to a PDF file through the preview
//   print_bench preview LEDGER         opens LEDGER and previews it until every page is shown
// Environment: KEEP_PDF=where to keep the printed file; WHOLE=1 prints the ledger as one piece;
// VZ_PIECE as in piecelimits.h.
#include "piecelimits.h"
#include "print/piecebook.h"
#include "print/printpreview.h"
#include "treememory.h"
#include "viewer/webbrowser.h"
#include "web/ledgerscheme.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageRanges>
#include <QPdfDocument>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include <cstdio>

namespace {

bool open(viewer::WebBrowser& browser, const QString& ledger, TreeMemory& sampler)
{
    QElapsedTimer clock;
    clock.start();
    browser.Navigate2(QStringLiteral("file://") + QFileInfo(ledger).absoluteFilePath());
    if (!QTest::qWaitFor([&] { return !browser.Busy(); }, 30 * 60 * 1000))
        return false;
    const auto& pieces = browser.documents().current().pieces;
    std::printf("open: %.1f s, %lld pieces, peak tree RSS %lld MB\n", clock.elapsed() / 1000.0,
                pieces ? qint64(pieces->count()) : 1LL, sampler.takePeak() / (1024 * 1024));
    return true;
}

int printRange(viewer::WebBrowser& browser, int pages, TreeMemory& sampler)
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
                preview->book() ? preview->book()->piecesDone() : 1, sampler.takePeak() / (1024 * 1024));
    if (!problem.isEmpty())
        std::printf("error: %s\n", qPrintable(problem));
    if (qEnvironmentVariableIsSet("KEEP_PDF")) { // to look at what was printed; an older one goes
        QFile::remove(qEnvironmentVariable("KEEP_PDF"));
        QFile::copy(target, qEnvironmentVariable("KEEP_PDF"));
    }
    preview->close();
    return printed.pageCount() == pages ? 0 : 1;
}

int previewAll(viewer::WebBrowser& browser, TreeMemory& sampler)
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
                preview->document()->pageCount(), clock.elapsed() / 1000.0, sampler.takePeak() / (1024 * 1024));
    if (!problem.isEmpty())
        std::printf("error: %s\n", qPrintable(problem));
    preview->close();
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    viewer::prepareWebEngine();
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3 ||
        (arguments.at(1) != QLatin1String("range") && arguments.at(1) != QLatin1String("preview"))) {
        std::fprintf(stderr, "usage: print_bench range LEDGER [PAGES] | print_bench preview LEDGER\n");
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
    if (!open(browser, arguments.at(2), sampler))
        return 1;
    std::fflush(stdout);
    const int result = arguments.at(1) == QLatin1String("range")
                           ? printRange(browser, arguments.value(3, QStringLiteral("100")).toInt(), sampler)
                           : previewAll(browser, sampler);
    std::printf("peak tree RSS over the whole run: %lld MB\n", sampler.overallPeak() / (1024 * 1024));
    return result;
}
