#include "print/pdfassembly.h"
#include "print/pdfprinting.h"
#include "print/piecebook.h"
#include "print/printpreview.h"
#include "viewer/frmxml.h"
#include "viewer/webbrowser.h"
#include "viewertestsupport.h"
#include "web/ledgerscheme.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QPageRanges>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPrinter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>

using namespace viewer;
using namespace viewertest;

namespace {

// Rows 60 mm tall on A4 with 15 mm margins: four to a page, so a piece of ten rows makes three
// pages (4, 4 and 2 rows) and every page's rows are known in advance.
constexpr int kRowsPerPiece = 10;
constexpr int kPagesPerPiece = 3;
constexpr auto kRowStyle = "@page { size: A4; margin: 15mm } div.r { height: 60mm; margin: 0; break-inside: avoid }";

PiecedDocument rowsInPieces(int pieces)
{
    PiecedDocument document;
    document.head = QByteArray("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Satırlar</title><style>") +
                    kRowStyle + "</style></head><body>";
    document.tail = "</body></html>";
    int row = 1;
    for (int piece = 0; piece < pieces; ++piece) {
        QByteArray fragment;
        for (int i = 0; i < kRowsPerPiece; ++i)
            fragment += "<div class=\"r\">Satır " + QByteArray::number(row++) + "</div>";
        document.fragments.append(fragment);
        document.weights.append(kRowsPerPiece);
    }
    return document;
}

// Rows in a table inside a layout table, as real stylesheets make them: the taxpayer's header and
// the column headers open every piece, marked as repeated openings.
PiecedDocument tableInPieces(int pieces)
{
    PiecedDocument document = rowsInPieces(pieces);
    for (qsizetype i = 0; i < document.fragments.size(); ++i) {
        const char* repeat = i == 0 ? "" : " data-vz-repeat=\"inner\"";
        QByteArray rows = document.fragments.at(i);
        rows.replace("<div class=\"r\">", "<tr><td><div class=\"r\">").replace("</div>", "</div></td></tr>");
        document.fragments[i] = QByteArray("<table class=\"duzen\"><tbody><tr><td><div class=\"mukellef\"") + repeat +
                                ">YEVMİYE DEFTERİ</div><table><thead" + repeat +
                                "><tr><th>Hesap Kodu</th></tr></thead><tbody>" + rows +
                                "</tbody></table></td></tr></tbody></table>";
    }
    return document;
}

// The rows a page of rowsInPieces() holds (page from 0).
QList<int> expectedRows(int page)
{
    const int piece = page / kPagesPerPiece;
    const int first = piece * kRowsPerPiece + (page % kPagesPerPiece) * 4 + 1;
    const int last = qMin(first + 3, (piece + 1) * kRowsPerPiece);
    QList<int> rows;
    for (int row = first; row <= last; ++row)
        rows.append(row);
    return rows;
}

QList<int> rowsOn(QPdfDocument& pdf, int page)
{
    static const QRegularExpression row(QStringLiteral("Satır (\\d+)"));
    QList<int> rows;
    for (const QRegularExpressionMatch& match : row.globalMatch(pdf.getAllText(page).text()))
        rows.append(match.captured(1).toInt());
    return rows;
}

// Lays every piece of `book` out; false when that did not finish within a minute.
bool layOutAll(PieceBook& book)
{
    QSignalSpy completed(&book, &PieceBook::completed);
    book.produce();
    return completed.wait(60000);
}

bool isA4(const QSizeF& points)
{
    return qAbs(points.width() - 595.3) < 2 && qAbs(points.height() - 841.9) < 2;
}

// A ledger the browser view cuts into several pieces: each row carries `filler` (empty) elements,
// at 200 enough that a piece holds only some fourteen rows. `inTables`: as real stylesheets lay rows out, in a
// table of column headers inside a layout table whose header repeats on every page; `ruled`: the
// layout table with a rule on top, which only its first page shows; `accounts`: in tables of that
// many rows, each with its heading and a total row after them, inside the layout table;
// `tallEvery`: every so many rows one 100 mm tall that may break across pages; `spacing`: a row
// after another 8 mm lower by this property (padding-top, margin-top).
QByteArray heavyRowsStylesheet(bool inTables = false, bool ruled = false, int accounts = 0, int filler = 200,
                               int tallEvery = 0, const QByteArray& spacing = {})
{
    const QByteArray table = "<table style=\"border-collapse:collapse\">";
    const QByteArray outer = ruled ? "<table style=\"border-collapse:collapse;border-top:6px solid #000\">" : table;
    QByteArray fill;
    for (int i = 0; i < filler; ++i)
        fill += "<i></i>";
    const QByteArray tall = tallEvery > 0 ? "<xsl:if test=\". mod " + QByteArray::number(tallEvery) +
                                                " = 0\"><xsl:attribute name=\"class\">r t</xsl:attribute></xsl:if>"
                                          : QByteArray();
    const QByteArray row = "<div class=\"r\">" + tall + "Satır <xsl:value-of select=\".\"/>" + fill + "</div>";
    const QByteArray per = QByteArray::number(accounts);
    const QByteArray accountRows =
        "<xsl:for-each select=\"//n[position() mod " + per + " = 1]\">" + table +
        "<thead><tr><th>Hesap <xsl:value-of select=\".\"/></th></tr></thead><tbody>"
        "<xsl:for-each select=\". | following-sibling::n[position() &lt; " +
        per + "]\"><tr><td>" + row +
        "</td></tr></xsl:for-each></tbody><tbody class=\"toplam\"><tr><td><div class=\"r\">Toplam "
        "<xsl:value-of select=\".\"/></div></td></tr></tbody></table></xsl:for-each>";
    const QByteArray body =
        accounts > 0 ? outer + "<thead><tr><td>Kebir</td></tr></thead><tbody><tr><td>" + accountRows +
                           "</td></tr></tbody></table>"
        : inTables ? outer + "<thead><tr><td>Yevmiye Defteri</td></tr></thead><tbody><tr><td>" + table +
                         "<thead><tr><th>Hesap</th></tr></thead><tbody><xsl:for-each select=\"//n\"><tr><td>" + row +
                         "</td></tr></xsl:for-each></tbody></table></td></tr></tbody></table>"
                   : "<xsl:for-each select=\"//n\">" + row + "</xsl:for-each>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n"
           "<xsl:output method=\"html\" encoding=\"UTF-8\"/>\n"
           "<xsl:template match=\"/\"><html><head><title>Parçalı</title><style>" +
           QByteArray(kRowStyle) + " div.r.t { height: 100mm; break-inside: auto }" +
           (spacing.isEmpty() ? QByteArray() : " div.r + div.r { " + spacing + ": 8mm }") + "</style></head><body>" +
           body + "</body></html></xsl:template>\n</xsl:stylesheet>\n";
}

QByteArray numbers(int count)
{
    QByteArray body;
    for (int i = 1; i <= count; ++i)
        body += "<n>" + QByteArray::number(i) + "</n>";
    return body;
}

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void book_laysOutOnlyThePiecesAskedFor();
    void book_documentReplaced_failsNamingWhy();
    void book_deletedWhileLayingOut_keepsProcessAlive();
    void pageLayout_takesTheDocumentsMargins_data();
    void pageLayout_takesTheDocumentsMargins();
    void piecePages_printWithTheDocumentsMarginsOnly();
    void piecePages_showTaxpayerHeaderOnce_andColumnHeadersOnEvery();
    void pageRange_givesExactlyThosePages_data();
    void pageRange_givesExactlyThosePages();
    void printer_getsPageImagesOfTheRangeAcrossPieces();
    void assembly_failure_namesFileAndCause_data();
    void assembly_failure_namesFileAndCause();
    void save_failure_leavesExistingFileAsItWas();

    void preview_showsPiecesAsTheyCome_andWholeSaveEqualsShownPages();
    void preview_pagesAsTheWholeWould_data();
    void preview_pagesAsTheWholeWould();
    void preview_printsRangeAcrossPieces_data();
    void preview_printsRangeAcrossPieces();
    void preview_cancelWhileWaiting_leavesNoTarget_data();
    void preview_cancelWhileWaiting_leavesNoTarget();
    void preview_hidesViewerUntilClosed_forDocumentInPieces();
    void viewerClosedWhilePreviewPrepares_keepsProcessAlive();

private:
    // A profile whose scheme serves a document of `pieces` pieces (rowsInPieces()).
    void serve(int pieces, bool inTables = false);
    // A browser view holding the heavy-rows ledger, whole; its preview laying pieces out.
    PrintPreview* openPreview(WebBrowser& browser, int rows, bool inTables = false, bool ruled = false,
                              int accounts = 0, int filler = 200, int tallEvery = 0, const QByteArray& spacing = {});
    // The rows on each page of the preview's document, saved whole.
    QList<QList<int>> savedRows(PrintPreview& preview);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWebEngineProfile> m_profile;
    LedgerSchemeHandler* m_scheme = nullptr;
};

void TestPrinting::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPrinting::cleanup()
{
    m_scheme = nullptr;
    m_profile.reset();
    m_dir.reset();
}

void TestPrinting::serve(int pieces, bool inTables)
{
    m_profile = std::make_unique<QWebEngineProfile>();
    m_scheme = new LedgerSchemeHandler(m_profile.get());
    m_profile->installUrlSchemeHandler(kLedgerScheme, m_scheme);
    RenderedDocument document;
    document.pieces = std::make_shared<const PiecedDocument>(inTables ? tableInPieces(pieces) : rowsInPieces(pieces));
    (void)m_scheme->publish(m_dir->path(), QStringLiteral("satirlar.xml"), std::move(document));
}

void TestPrinting::book_laysOutOnlyThePiecesAskedFor()
{
    serve(5);
    PieceBook book(m_profile.get(), *m_scheme, m_dir->path());
    QSignalSpy progressed(&book, &PieceBook::progressed);
    QSignalSpy completed(&book, &PieceBook::completed);
    book.produce(4); // the second piece brings the fourth page
    QTRY_COMPARE_WITH_TIMEOUT(book.piecesDone(), 2, 30000);
    QTest::qWait(500);
    QCOMPARE(book.piecesDone(), 2);
    QCOMPARE(book.pageCount(), 2 * kPagesPerPiece);
    QCOMPARE(completed.count(), 0);

    book.produce();
    QVERIFY(completed.wait(30000));
    QCOMPARE(progressed.count(), 5);
    QCOMPARE(book.pageCount(), 5 * kPagesPerPiece);
    QVERIFY(!book.hasFailed());
    for (const PdfPart& part : book.parts())
        QCOMPARE(part.pageCount, kPagesPerPiece);
}

void TestPrinting::book_deletedWhileLayingOut_keepsProcessAlive()
{
    // The viewer closed at any moment of laying out, a piece's PDF being written included: the
    // web engine would abort the process if its page went while printing.
    for (int delay = 0; delay <= 240; delay += 20) {
        serve(4);
        auto book = std::make_unique<PieceBook>(m_profile.get(), *m_scheme, m_dir->path());
        book->produce();
        QTest::qWait(delay);
        book.reset();
        m_scheme = nullptr;
        m_profile.reset();
    }
}

void TestPrinting::pageLayout_takesTheDocumentsMargins_data()
{
    QTest::addColumn<QStringList>("css");       // margin-top, -right, -bottom, -left as the page's rule gives them
    QTest::addColumn<QMarginsF>("millimetres"); // left, top, right, bottom
    QTest::newRow("no rule") << QStringList() << QMarginsF(12, 12, 12, 12);
    QTest::newRow("zero") << QStringList{"0px", "0px", "0px", "0px"} << QMarginsF(0, 0, 0, 0);
    QTest::newRow("bare zero") << QStringList{"0", "0", "0", "0"} << QMarginsF(0, 0, 0, 0);
    QTest::newRow("units") << QStringList{"1cm", "0.5in", "36pt", "96px"} << QMarginsF(25.4, 10, 12.7, 12.7);
    QTest::newRow("only some sides") << QStringList{"20mm", "", "", ""} << QMarginsF(12, 20, 12, 12);
    QTest::newRow("relative or unknown") << QStringList{"auto", "10%", "2em", "12"} << QMarginsF(12, 12, 12, 12);
    QTest::newRow("absurd") << QStringList{"500mm", "-5mm", "5mm", "5mm"} << QMarginsF(5, 12, 12, 5);
}

void TestPrinting::pageLayout_takesTheDocumentsMargins()
{
    QFETCH(QStringList, css);
    QFETCH(QMarginsF, millimetres);
    const QPageLayout layout = printPageLayout(css);
    QCOMPARE(layout.pageSize().id(), QPageSize::A4);
    QCOMPARE(layout.units(), QPageLayout::Millimeter);
    const QMarginsF margins = layout.margins();
    QVERIFY2(qAbs(margins.left() - millimetres.left()) < 0.01 && qAbs(margins.top() - millimetres.top()) < 0.01 &&
                 qAbs(margins.right() - millimetres.right()) < 0.01 &&
                 qAbs(margins.bottom() - millimetres.bottom()) < 0.01,
             qPrintable(QStringLiteral("%1 %2 %3 %4")
                            .arg(margins.left())
                            .arg(margins.top())
                            .arg(margins.right())
                            .arg(margins.bottom())));
}

void TestPrinting::piecePages_printWithTheDocumentsMarginsOnly()
{
    // The rows' stylesheet asks for 15 mm: the first row's text starts there (plus the body's 8 px
    // and the glyphs' own spacing, about 3 mm), not at 12 mm and not at 15 + 12 mm.
    serve(1);
    PieceBook book(m_profile.get(), *m_scheme, m_dir->path());
    QVERIFY(layOutAll(book));
    QPdfDocument pdf;
    QCOMPARE(pdf.load(book.parts().constFirst().path), QPdfDocument::Error::None);
    const QImage image = pdf.render(0, QSize(840, 1188)); // 4 px/mm, transparent where nothing is drawn
    const auto inked = [](QRgb pixel) {
        return qAlpha(pixel) > 128 && qGray(pixel) < 128;
    };
    int top = -1;
    int left = -1;
    for (int y = 0; y < image.height() && top < 0; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (inked(image.pixel(x, y))) {
                top = y;
                break;
            }
    for (int x = 0; x < image.width() && left < 0; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (inked(image.pixel(x, y))) {
                left = x;
                break;
            }
    QVERIFY2(top >= 64 && top < 84, qPrintable(QString::number(top)));
    QVERIFY2(left >= 64 && left < 76, qPrintable(QString::number(left)));
}

void TestPrinting::book_documentReplaced_failsNamingWhy()
{
    serve(3);
    PieceBook book(m_profile.get(), *m_scheme, m_dir->path());
    QSignalSpy failed(&book, &PieceBook::failed);
    book.produce(1);
    QTRY_COMPARE_WITH_TIMEOUT(book.piecesDone(), 1, 30000);
    RenderedDocument other;
    other.pieces = std::make_shared<const PiecedDocument>(rowsInPieces(3));
    (void)m_scheme->publish(m_dir->path(), QStringLiteral("baska.xml"), std::move(other));
    book.produce();
    QVERIFY(failed.count() == 1 || failed.wait(10000));
    QVERIFY2(failed.first().first().toString().contains(QStringLiteral("belge değişti")),
             qPrintable(failed.first().first().toString()));
    QCOMPARE(book.piecesDone(), 1);
}

void TestPrinting::piecePages_showTaxpayerHeaderOnce_andColumnHeadersOnEvery()
{
    serve(3, true);
    PieceBook book(m_profile.get(), *m_scheme, m_dir->path());
    QVERIFY(layOutAll(book));
    const QString whole = m_dir->filePath(QStringLiteral("tamami.pdf"));
    QVERIFY(savePdfPages(book.parts(), allPages(book.parts()), whole).ok);
    QPdfDocument printed;
    QCOMPARE(printed.load(whole), QPdfDocument::Error::None);
    QVERIFY(printed.pageCount() >= 3);
    QCOMPARE(rowsOn(printed, 0).value(0), 1);
    for (int page = 0; page < printed.pageCount(); ++page) {
        const QString text = printed.getAllText(page).text();
        QCOMPARE(text.contains(QStringLiteral("YEVMİYE DEFTERİ")), page == 0);
        QVERIFY2(text.contains(QStringLiteral("Hesap Kodu")), qPrintable(QString::number(page)));
    }
}

void TestPrinting::pageRange_givesExactlyThosePages_data()
{
    QTest::addColumn<int>("first"); // from 1, as the user gives them
    QTest::addColumn<int>("last");
    QTest::newRow("inside the first piece") << 1 << 2;
    QTest::newRow("across one boundary") << 3 << 5;
    QTest::newRow("across three pieces") << 2 << 8;
    QTest::newRow("one whole middle piece") << 4 << 6;
    QTest::newRow("the last page alone") << 12 << 12;
    QTest::newRow("every page") << 1 << 12;
}

void TestPrinting::pageRange_givesExactlyThosePages()
{
    QFETCH(int, first);
    QFETCH(int, last);
    serve(4);
    PieceBook book(m_profile.get(), *m_scheme, m_dir->path());
    QVERIFY(layOutAll(book));

    QList<int> pages;
    for (int page = first; page <= last; ++page)
        pages.append(page - 1);
    const QString target = m_dir->filePath(QStringLiteral("aralik.pdf"));
    const PdfOutcome outcome = savePdfPages(book.parts(), pages, target);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));

    QPdfDocument printed;
    QCOMPARE(printed.load(target), QPdfDocument::Error::None);
    QCOMPARE(printed.pageCount(), last - first + 1);
    for (int i = 0; i < printed.pageCount(); ++i) {
        QVERIFY(isA4(printed.pagePointSize(i)));
        QCOMPARE(rowsOn(printed, i), expectedRows(first - 1 + i));
    }
    QCOMPARE(leftovers(m_dir->path()), QStringList());
}

void TestPrinting::printer_getsPageImagesOfTheRangeAcrossPieces()
{
    serve(3);
    PieceBook book(m_profile.get(), *m_scheme, m_dir->path());
    QVERIFY(layOutAll(book));
    // A PDF file stands in for the printer: what reaches it is what a printer would get.
    const QString target = m_dir->filePath(QStringLiteral("yazici.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(target);
    QList<std::pair<int, int>> progress;
    const PrintOutcome outcome =
        printPartsAsImages(book.parts(), {2, 3, 4}, m_dir->path(), printer, [&](int done, int total) {
            progress.append({done, total});
            return true;
        });
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.pagesPrinted, 3);
    QVERIFY(progress.contains(std::pair{2, 3}));
    QPdfDocument printed;
    QCOMPARE(printed.load(target), QPdfDocument::Error::None);
    QCOMPARE(printed.pageCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(isA4(printed.pagePointSize(i)));
        QVERIFY(printed.getAllText(i).text().trimmed().isEmpty()); // drawn, not text
        // Something is drawn where the page's first row lies, below the top margin (4 px/mm).
        const QImage image = printed.render(i, QSize(840, 1188));
        int dark = 0;
        for (int y = 60; y < 120; ++y)
            for (int x = 60; x < 400; ++x)
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        QVERIFY2(dark > 0, qPrintable(QString::number(i)));
    }
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("yazdirilacak.pdf"))));
}

void TestPrinting::assembly_failure_namesFileAndCause_data()
{
    QTest::addColumn<QString>("partName"); // the part's file, in the test folder
    QTest::addColumn<QByteArray>("partBytes");
    QTest::addColumn<int>("claimedPages");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing part") << "yok.pdf" << QByteArray() << 1 << 0 << "yok.pdf";
    QTest::newRow("not a PDF") << "bozuk.pdf" << QByteArray("merhaba") << 1 << 0 << "bozuk.pdf";
    QTest::newRow("page past the end") << "yok.pdf" << QByteArray() << 3 << 3 << "4. sayfa yok";
}

void TestPrinting::assembly_failure_namesFileAndCause()
{
    QFETCH(QString, partName);
    QFETCH(QByteArray, partBytes);
    QFETCH(int, claimedPages);
    QFETCH(int, page);
    QFETCH(QString, expected);
    const QString part = m_dir->filePath(partName);
    if (!partBytes.isEmpty())
        writeFile(part, partBytes);
    const QString target = m_dir->filePath(QStringLiteral("cikti.pdf"));
    const PdfOutcome outcome = savePdfPages({{part, claimedPages}}, {page}, target);
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.cancelled);
    QVERIFY2(outcome.error.contains(expected), qPrintable(outcome.error));
    QVERIFY(!QFile::exists(target));
    QCOMPARE(leftovers(m_dir->path()), QStringList());
}

void TestPrinting::save_failure_leavesExistingFileAsItWas()
{
    const QString target = m_dir->filePath(QStringLiteral("eski.pdf"));
    writeFile(target, "önceki içerik");
    const PdfOutcome outcome = savePdfPages({{m_dir->filePath(QStringLiteral("yok.pdf")), 2}}, {0, 1}, target);
    QVERIFY(!outcome.ok);
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("önceki içerik"));
}

PrintPreview* TestPrinting::openPreview(WebBrowser& browser, int rows, bool inTables, bool ruled, int accounts,
                                        int filler, int tallEvery, const QByteArray& spacing)
{
    writeFile(m_dir->filePath(QStringLiteral("parcali.xslt")),
              heavyRowsStylesheet(inTables, ruled, accounts, filler, tallEvery, spacing));
    writeFile(m_dir->filePath(QStringLiteral("parcali.xml")), ledger("parcali.xslt", numbers(rows)));
    if (!browser.parentWidget()) {
        browser.resize(800, 600);
        browser.show();
    }
    browser.Navigate2(urlText(m_dir->path(), QStringLiteral("parcali.xml")));
    if (!QTest::qWaitFor([&] { return !browser.Busy(); }, 60000))
        return nullptr;
    const auto& pieces = browser.documents().current().pieces;
    if (!pieces || (pieces->count() < 3 && browser.pieceLimits().pieceWeight < (1 << 30)))
        return nullptr; // the test needs a document in several pieces
    browser.ExecWB(WebBrowser::OLECMDID_PRINTPREVIEW, WebBrowser::OLECMDEXECOPT_PROMPTUSER);
    return browser.printPreview();
}

void TestPrinting::preview_showsPiecesAsTheyCome_andWholeSaveEqualsShownPages()
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
    preview->close();
}

QList<QList<int>> TestPrinting::savedRows(PrintPreview& preview)
{
    QSignalSpy ready(&preview, &PrintPreview::ready);
    if (!preview.allPagesKnown() && !ready.wait(120000))
        return {};
    const QString saved = m_dir->filePath(QStringLiteral("sayfalar-%1.pdf").arg(QDateTime::currentMSecsSinceEpoch()));
    preview.setSaveTargetChooser([&] { return saved; });
    preview.savePdf();
    QPdfDocument pdf;
    if (pdf.load(saved) != QPdfDocument::Error::None)
        return {};
    QList<QList<int>> pages;
    for (int page = 0; page < pdf.pageCount(); ++page)
        pages.append(rowsOn(pdf, page));
    return pages;
}

void TestPrinting::preview_pagesAsTheWholeWould_data()
{
    QTest::addColumn<bool>("inTables");
    QTest::addColumn<bool>("ruled");
    QTest::addColumn<int>("accounts");    // rows per account; 0: no accounts
    QTest::addColumn<int>("filler");      // elements per row
    QTest::addColumn<int>("pieceWeight"); // 0: as the program cuts
    QTest::addColumn<int>("printWeight"); // 0: as the program prints
    QTest::addColumn<int>("tallEvery");
    QTest::addColumn<QByteArray>("spacing");
    QTest::newRow("rows") << false << false << 0 << 200 << 0 << 0 << 0 << QByteArray();
    QTest::newRow("rows in tables") << true << false << 0 << 200 << 0 << 0 << 0 << QByteArray();
    QTest::newRow("rows in accounts, pieces end inside and between them")
        << true << false << 7 << 200 << 0 << 0 << 0 << QByteArray();
    QTest::newRow("rows in accounts, each piece printed alone")
        << true << false << 7 << 200 << 1500 << 1500 << 0 << QByteArray();
    // Light accounts stay whole blocks; a piece's last page may begin inside one.
    QTest::newRow("short accounts across pages, pieces end between them")
        << true << false << 5 << 40 << 700 << 700 << 0 << QByteArray();
    QTest::newRow("accounts of four, a piece's last page begins with a total")
        << true << false << 4 << 200 << 0 << 0 << 0 << QByteArray();
    // A page that begins with the rest of a row cannot be carried: the piece is printed with the
    // next, to end elsewhere.
    QTest::newRow("tall rows broken across pages") << false << false << 0 << 200 << 1500 << 1500 << 5 << QByteArray();
    // A page's first row is spaced from the row before, on the previous page; a margin, unlike
    // padding, is not kept at the top of a page.
    QTest::newRow("rows padded after the row before")
        << false << false << 0 << 200 << 1500 << 1500 << 0 << QByteArray("padding-top");
    QTest::newRow("rows spaced by a margin after the row before")
        << false << false << 0 << 200 << 1500 << 1500 << 0 << QByteArray("margin-top");
    QTest::newRow("ruled: pieces keep their part-empty last pages")
        << true << true << 0 << 200 << 0 << 0 << 0 << QByteArray();
}

// Printed in pieces, a ledger is paged exactly as printed whole: no page left part empty where
// one piece ends and the next begins. Where a piece's first page cannot look like a later page
// of the whole, its pieces keep their last pages, and still no row is lost or repeated.
void TestPrinting::preview_pagesAsTheWholeWould()
{
    QFETCH(bool, inTables);
    QFETCH(bool, ruled);
    QFETCH(int, accounts);
    QFETCH(int, filler);
    QFETCH(int, pieceWeight);
    QFETCH(int, printWeight);
    QFETCH(int, tallEvery);
    QFETCH(QByteArray, spacing);
    WebBrowser whole(m_dir->path());
    whole.setPieceLimits({1 << 30, 1 << 30});
    QPointer<PrintPreview> onePiece = openPreview(whole, 90, inTables, ruled, accounts, filler, tallEvery, spacing);
    QVERIFY(onePiece);
    QVERIFY(!onePiece->book());
    const QList<QList<int>> expected = savedRows(*onePiece);
    onePiece->close();
    QVERIFY(expected.size() > 20);

    WebBrowser browser(m_dir->path());
    if (pieceWeight > 0)
        browser.setPieceLimits({PieceLimits().unitWeight, pieceWeight, printWeight});
    QPointer<PrintPreview> preview = openPreview(browser, 90, inTables, ruled, accounts, filler, tallEvery, spacing);
    QVERIFY(preview);
    QVERIFY(preview->book());
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    const QList<QList<int>> pages = savedRows(*preview);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QVERIFY(preview->book()->pieceCount() > 4);
    if (!ruled)
        QCOMPARE(pages, expected);
    else
        QVERIFY(pages.size() > expected.size());
    QList<int> rows;
    for (const QList<int>& page : pages)
        rows += page;
    QCOMPARE(rows.size(), 90);
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows.at(i), i + 1);
    preview->close();
}

void TestPrinting::preview_printsRangeAcrossPieces_data()
{
    // Pages counted from the first piece's end, so that each range lies across a boundary.
    QTest::addColumn<int>("fromEnd"); // first page: the first piece's last page plus this
    QTest::addColumn<int>("length");
    QTest::newRow("last page of a piece and first of the next") << 0 << 2;
    QTest::newRow("the start of the second piece") << 1 << 3;
    QTest::newRow("from the first piece into the third") << -1 << 20;
}

void TestPrinting::preview_printsRangeAcrossPieces()
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

void TestPrinting::preview_cancelWhileWaiting_leavesNoTarget_data()
{
    QTest::addColumn<bool>("fileBefore");
    QTest::addColumn<bool>("saveWhole"); // "PDF olarak kaydet" instead of a print to a file
    QTest::newRow("print, new file") << false << false;
    QTest::newRow("print, file already there") << true << false;
    QTest::newRow("save, new file") << false << true;
}

void TestPrinting::preview_cancelWhileWaiting_leavesNoTarget()
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

void TestPrinting::preview_hidesViewerUntilClosed_forDocumentInPieces()
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

int main(int argc, char* argv[])
{
    prepareWebEngine();
    QApplication application(argc, argv);
    TestPrinting test;
    return QTest::qExec(&test, argc, argv);
}

void TestPrinting::viewerClosedWhilePreviewPrepares_keepsProcessAlive()
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

#include "tst_printing.moc"
