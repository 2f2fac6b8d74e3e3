#include "previewtestsupport.h"
#include "print/ledgerpdf.h"
#include "print/piecebook.h"
#include "print/printpreview.h"
#include "viewer/frmxml.h"
#include "viewer/webbrowser.h"

#include <QApplication>
#include <QPageRanges>
#include <QPdfDocument>
#include <QPointer>
#include <QPrinter>
#include <QSignalSpy>
#include <QTest>

using namespace viewer;
using namespace viewertest;
using namespace printtest;

// The print preview window: pages shown as they come, printing and saving ranges, cancelling, closing.
class TestPrintPreview : public PreviewTestBase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void preview_showsPiecesAsTheyCome_andWholeSaveEqualsShownPages();
    void preview_printsRangeAcrossPieces_data();
    void preview_printsRangeAcrossPieces();
    void preview_cancelWhileWaiting_leavesNoTarget_data();
    void preview_cancelWhileWaiting_leavesNoTarget();
    void preview_hidesViewerUntilClosed_forDocumentInPieces();
    void viewerClosedWhilePreviewPrepares_keepsProcessAlive();
};

void TestPrintPreview::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPrintPreview::cleanup()
{
    m_scheme = nullptr;
    m_profile.reset();
    m_dir.reset();
}

void TestPrintPreview::preview_showsPiecesAsTheyCome_andWholeSaveEqualsShownPages()
{
    WebBrowser browser(m_dir->path());
    QPointer<PrintPreview> preview = openPreview(browser, 240);
    QVERIFY(preview);
    QVERIFY(preview->book());
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    QSignalSpy shown(preview.data(), &PrintPreview::pagesShown);
    QSignalSpy ready(preview.data(), &PrintPreview::ready);
    QVERIFY(ready.wait(120000));
    QCOMPARE(ready.first().first().toBool(), true);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    // The first pages are shown before the last piece is laid out.
    QVERIFY(shown.count() >= 2);
    QVERIFY(shown.first().first().toInt() < preview->pageCount());
    QCOMPARE(preview->document()->pageCount(), preview->pageCount());

    const QString saved = m_dir->filePath(QStringLiteral("tamami.pdf"));
    preview->setSaveTargetChooser([&] { return saved; });
    preview->savePdf();
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QPdfDocument whole;
    QCOMPARE(whole.load(saved), QPdfDocument::Error::None);
    QCOMPARE(whole.pageCount(), preview->pageCount());
    // Every piece's pages, in order: the rows run 1…240 with none lost or repeated.
    QList<int> rows;
    int page = 0;
    for (const PdfPart& part : preview->book()->parts()) {
        QPdfDocument piece;
        QCOMPARE(piece.load(part.path), QPdfDocument::Error::None);
        QVERIFY(piece.pageCount() - part.pageCount <= 1); // a last page carried into the next piece
        for (int i = 0; i < part.pageCount; ++i, ++page) {
            QCOMPARE(rowsOn(whole, page), rowsOn(piece, i));
            rows += rowsOn(whole, page);
        }
    }
    QCOMPARE(rows.size(), 240);
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows.at(i), i + 1);
    for (int i = 0; i < whole.pageCount(); ++i) // numbered across the pieces' joins
        QVERIFY(whole.getAllText(i).text().contains(QStringLiteral("Sayfa %1 / %2").arg(i + 1).arg(whole.pageCount())));

    // Printed without a window, as the render tool prints: the same pages.
    LedgerPdf printer;
    QSignalSpy printed(&printer, &LedgerPdf::finished);
    const QString headless = m_dir->filePath(QStringLiteral("penceresiz.pdf"));
    RenderRequest request;
    request.ledgerPath = m_dir->filePath(QStringLiteral("parcali.xml"));
    request.fallbackFolder = m_dir->path();
    printer.print(request, headless);
    QVERIFY(printed.wait(120000));
    const auto outcome = printed.first().first().value<PdfOutcome>();
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.pages, preview->pageCount());
    QPdfDocument same;
    QCOMPARE(same.load(headless), QPdfDocument::Error::None);
    QCOMPARE(same.pageCount(), whole.pageCount());
    for (int i = 0; i < same.pageCount(); ++i)
        QCOMPARE(same.getAllText(i).text(), whole.getAllText(i).text());
    preview->close();
}

void TestPrintPreview::preview_printsRangeAcrossPieces_data()
{
    // Pages counted from the first piece's end, so that each range lies across a boundary.
    QTest::addColumn<int>("fromEnd"); // first page: the first piece's last page plus this
    QTest::addColumn<int>("length");
    QTest::newRow("last page of a piece and first of the next") << 0 << 2;
    QTest::newRow("the start of the second piece") << 1 << 3;
    QTest::newRow("from the first piece into the third") << -1 << 20;
}

void TestPrintPreview::preview_printsRangeAcrossPieces()
{
    QFETCH(int, fromEnd);
    QFETCH(int, length);
    WebBrowser browser(m_dir->path());
    QPointer<PrintPreview> preview = openPreview(browser, 240);
    QVERIFY(preview);
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    // Asked for at once: the print waits for the pages it needs.
    QTRY_VERIFY_WITH_TIMEOUT(preview->book()->piecesDone() >= 1, 30000);
    const int firstPieceEnd = preview->book()->parts().constFirst().pageCount;
    const int first = firstPieceEnd + fromEnd;
    const int last = first + length - 1;
    const QString printed = m_dir->filePath(QStringLiteral("aralik.pdf"));
    preview->setPrinterChooser([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        QPageRanges ranges;
        ranges.addRange(first, last);
        printer.setPageRanges(ranges);
        return true;
    });
    preview->printDocument();
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));

    QTRY_VERIFY_WITH_TIMEOUT(preview->document()->pageCount() >= last, 120000);
    QPdfDocument result;
    QCOMPARE(result.load(printed), QPdfDocument::Error::None);
    QCOMPARE(result.pageCount(), length);
    QPdfDocument& whole = *preview->document();
    for (int i = 0; i < length; ++i) {
        QVERIFY(isA4(result.pagePointSize(i)));
        const QList<int> rows = rowsOn(result, i);
        QVERIFY(!rows.isEmpty());
        QCOMPARE(rows, rowsOn(whole, first - 1 + i));
    }
    preview->close();
}

void TestPrintPreview::preview_cancelWhileWaiting_leavesNoTarget_data()
{
    QTest::addColumn<bool>("fileBefore");
    QTest::addColumn<bool>("saveWhole"); // "PDF olarak kaydet" instead of a print to a file
    QTest::newRow("print, new file") << false << false;
    QTest::newRow("print, file already there") << true << false;
    QTest::newRow("save, new file") << false << true;
}

void TestPrintPreview::preview_cancelWhileWaiting_leavesNoTarget()
{
    QFETCH(bool, fileBefore);
    QFETCH(bool, saveWhole);
    WebBrowser browser(m_dir->path());
    QPointer<PrintPreview> preview = openPreview(browser, 240);
    QVERIFY(preview);
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    const QString target = m_dir->filePath(QStringLiteral("iptal.pdf"));
    if (fileBefore)
        writeFile(target, "önceki içerik");
    preview->setPrinterChooser([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(target);
        return true; // every page: it waits for the last piece
    });
    preview->setSaveTargetChooser([&] { return target; });
    int asked = 0;
    preview->setCancelWhen([&] { return ++asked >= 2; });
    saveWhole ? preview->savePdf() : preview->printDocument();
    QVERIFY(asked >= 2);
    QVERIFY(!preview->book()->isComplete());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(QFile::exists(target), fileBefore);
    if (fileBefore) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("önceki içerik"));
    }
    QCOMPARE(leftovers(m_dir->path()), QStringList());
    // Laying out goes on: the preview still fills up after a cancelled print.
    QTRY_VERIFY_WITH_TIMEOUT(preview->book()->isComplete() && preview->document()->pageCount() == preview->pageCount(),
                             120000);
    const QString folder = QFileInfo(preview->pdfPath()).absolutePath();
    preview->close();
    QTRY_VERIFY(preview.isNull());
    QVERIFY(!QFileInfo::exists(folder)); // its temporary files go with it
}

void TestPrintPreview::preview_hidesViewerUntilClosed_forDocumentInPieces()
{
    QWidget owner;
    auto* window = new frmXML(m_dir->path(), &owner);
    window->Form_Load();
    QStringList visibility;
    connect(window->browser(), &WebBrowser::PrintTemplateInstantiation, this,
            [&] { visibility << (window->isVisible() ? "instantiated: shown" : "instantiated: hidden"); });
    connect(window->browser(), &WebBrowser::PrintTemplateTeardown, this,
            [&] { visibility << (window->isVisible() ? "torn down: shown" : "torn down: hidden"); });
    QPointer<PrintPreview> preview = openPreview(*window->browser(), 240);
    QVERIFY(preview);
    QCOMPARE(visibility, QStringList{"instantiated: hidden"});
    QSignalSpy shown(preview.data(), &PrintPreview::pagesShown);
    QVERIFY(shown.wait(30000));
    QVERIFY(!window->isVisible());
    QVERIFY(!preview->book()->isComplete());
    preview->close(); // while pieces are still being laid out
    QTRY_VERIFY(preview.isNull());
    QCOMPARE(visibility, (QStringList{"instantiated: hidden", "torn down: shown"}));
    delete window;
}

void TestPrintPreview::viewerClosedWhilePreviewPrepares_keepsProcessAlive()
{
    // A small ledger: the preview prints the shown page itself, which the viewer must outwait.
    writeFile(m_dir->filePath(QStringLiteral("kucuk.xslt")), stylesheet());
    writeFile(m_dir->filePath(QStringLiteral("kucuk.xml")), ledger("kucuk.xslt", "<p>Kısa defter</p>"));
    for (int delay = 0; delay <= 160; delay += 40) {
        auto browser = std::make_unique<WebBrowser>(m_dir->path());
        browser->Navigate2(urlText(m_dir->path(), QStringLiteral("kucuk.xml")));
        QVERIFY(QTest::qWaitFor([&] { return !browser->Busy(); }, 30000));
        browser->ExecWB(WebBrowser::OLECMDID_PRINTPREVIEW, WebBrowser::OLECMDEXECOPT_PROMPTUSER);
        QTest::qWait(delay);
        browser.reset();
    }
}

int main(int argc, char* argv[])
{
    prepareWebEngine();
    QApplication application(argc, argv);
    TestPrintPreview test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printpreview.moc"
