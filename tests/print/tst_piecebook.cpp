#include "previewtestsupport.h"
#include "print/blockcount.h"
#include "print/carrydecision.h"
#include "print/ledgerpdf.h"
#include "print/parallelbook.h"
#include "print/piecebook.h"
#include "web/printingpage.h"

#include <QApplication>
#include <QDir>
#include <QPdfDocument>
#include <QSignalSpy>
#include <QTest>

using namespace render;
using namespace web;
using namespace print;
using namespace viewer;
using namespace viewertest;
using namespace printtest;

// Laying a document in pieces out on printed pages, and carrying a piece's last page into the next.
class TestPieceBook : public PreviewTestBase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void carriedBlocks_firstOnTheLastPage_data();
    void carriedBlocks_firstOnTheLastPage();
    void matchingPage_laidOutAlike_data();
    void matchingPage_laidOutAlike();
    void blockCount_missesWhatNeverReachedThePages_data();
    void blockCount_missesWhatNeverReachedThePages();
    void book_laysOutOnlyThePiecesAskedFor();
    void book_documentReplaced_failsNamingWhy();
    void book_deletedWhileLayingOut_keepsProcessAlive();
    void book_droppedWhilePrinting_othersGoOn();
    void pageLayout_takesTheDocumentsMargins_data();
    void pageLayout_takesTheDocumentsMargins();
    void piecePages_printWithTheDocumentsMarginsOnly();
    void piecePages_showTaxpayerHeaderOnce_andColumnHeadersOnEvery();
    void preview_pagesAsTheWholeWould_data();
    void preview_pagesAsTheWholeWould();
};

void TestPieceBook::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPieceBook::cleanup()
{
    m_scheme = nullptr;
    m_profile.reset();
    m_dir.reset();
}

void TestPieceBook::carriedBlocks_firstOnTheLastPage_data()
{
    // Blocks in order, each with its page (-1: no destination in the PDF) and its height there
    // (points from an A4 page's bottom); the first block of a page begins near 800.
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QList<double>>("heights");
    QTest::addColumn<int>("lastPage");
    QTest::addColumn<QList<double>>("carriedFrom");
    QTest::addColumn<int>("first"); // -1: nothing carried
    const QStringList six{"a", "b", "c", "d", "e", "f"};
    QTest::newRow("last page begins with a block at the top")
        << six << QList<int>{0, 0, 1, 1, 2, 2} << QList<double>{800, 500, 800, 500, 800, 500} << 2 << QList<double>{}
        << 4;
    QTest::newRow("higher than every other page's first block")
        << six << QList<int>{0, 0, 1, 1, 2, 2} << QList<double>{600, 400, 700, 500, 800, 500} << 2 << QList<double>{}
        << 4;
    QTest::newRow("a pixel lower than elsewhere: a table's first row")
        << six << QList<int>{0, 0, 1, 1, 2, 2} << QList<double>{800, 500, 800, 500, 799.4, 500} << 2 << QList<double>{}
        << 4;
    QTest::newRow("lower: the rest of an earlier block comes first")
        << six << QList<int>{0, 0, 1, 1, 2, 2} << QList<double>{800, 500, 800, 500, 600, 300} << 2 << QList<double>{}
        << -1;
    QTest::newRow("lower, where another page's first block begins")
        << six << QList<int>{0, 0, 1, 1, 2, 2} << QList<double>{800, 500, 600, 300, 600, 300} << 2 << QList<double>{}
        << 4;
    QTest::newRow("lower, where a page carried before began")
        << six << QList<int>{0, 0, 1, 1, 2, 2} << QList<double>{800, 500, 800, 500, 600, 300} << 2
        << QList<double>{700, 600.5} << 4;
    QTest::newRow("no block begins on the last page")
        << six << QList<int>{0, 0, 0, 1, 1, 1} << QList<double>{800, 500, 200, 800, 500, 200} << 2 << QList<double>{}
        << -1;
    QTest::newRow("a block without a place before the first is passed over")
        << six << QList<int>{0, -1, 1, 1, 2, 2} << QList<double>{800, 0, 800, 500, 800, 500} << 2 << QList<double>{}
        << 4;
    QTest::newRow("a block without a place after the first")
        << six << QList<int>{0, 0, 1, 1, 2, -1} << QList<double>{800, 500, 800, 500, 800, 0} << 2 << QList<double>{}
        << -1;
    QTest::newRow("a block without a usable name after the first")
        << QStringList{"a", "b", "c", "d", "e", ""} << QList<int>{0, 0, 1, 1, 2, 2}
        << QList<double>{800, 500, 800, 500, 800, 500} << 2 << QList<double>{} << -1;
    QTest::newRow("no blocks") << QStringList{} << QList<int>{} << QList<double>{} << 2 << QList<double>{} << -1;
    QTest::newRow("a single page") << QStringList{"a", "b"} << QList<int>{0, 0} << QList<double>{800, 500} << 0
                                   << QList<double>{} << -1;
}

void TestPieceBook::carriedBlocks_firstOnTheLastPage()
{
    QFETCH(QStringList, ids);
    QFETCH(QList<int>, pages);
    QFETCH(QList<double>, heights);
    QFETCH(int, lastPage);
    QFETCH(QList<double>, carriedFrom);
    QFETCH(int, first);
    QHash<QString, PdfAnchor> anchors;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (pages.at(i) >= 0) {
            anchors.insert(ids.at(i), {pages.at(i), heights.at(i)});
        }
    }
    const std::optional<qsizetype> carried = firstCarriedBlock(ids, anchors, lastPage, carriedFrom);
    QCOMPARE(carried ? int(*carried) : -1, first);
}

void TestPieceBook::matchingPage_laidOutAlike_data()
{
    // Two layouts as "block:page@height" lists; the pages that match, or -1s.
    QTest::addColumn<QString>("earlier");
    QTest::addColumn<QString>("later");
    QTest::addColumn<int>("earlierPage");
    QTest::addColumn<int>("laterPage");
    QTest::newRow("begun one page apart, alike from the start") << "a:0@800 b:0@500 c:1@800 d:1@500"
                                                                << "c:0@800 d:0@500" << 1 << 0;
    QTest::newRow("breaking elsewhere at first, alike from the later's second page")
        << "a:0@800 b:0@400 c:1@800 d:1@500 e:1@200 f:2@800 g:2@400"
        << "b:0@800 c:0@400 d:1@800 e:1@500 f:2@800 g:2@400" << 2 << 2;
    QTest::newRow("a point lower in one: the same") << "c:0@800 d:0@500"
                                                    << "c:0@799.4 d:0@500.5" << 0 << 0;
    QTest::newRow("two points lower in one") << "c:0@800 d:0@500"
                                             << "c:0@800 d:0@498" << -1 << -1;
    QTest::newRow("one more block on the earlier's page") << "c:0@800 d:0@500 e:0@200"
                                                          << "c:0@800 d:0@500 e:1@800" << -1 << -1;
    QTest::newRow("nothing in common") << "a:0@800"
                                       << "b:0@800" << -1 << -1;
}

void TestPieceBook::matchingPage_laidOutAlike()
{
    QFETCH(QString, earlier);
    QFETCH(QString, later);
    QFETCH(int, earlierPage);
    QFETCH(int, laterPage);
    const auto anchors = [](const QString& text) {
        QHash<QString, PdfAnchor> result;
        static const QRegularExpression block(QStringLiteral("(\\w+):(\\d+)@([\\d.]+)"));
        for (auto it = block.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            result.insert(match.captured(1), {match.captured(2).toInt(), match.captured(3).toDouble()});
        }
        return result;
    };
    const std::optional<PageMatch> match = matchingPage(anchors(earlier), anchors(later));
    QCOMPARE(match ? match->earlierPage : -1, earlierPage);
    QCOMPARE(match ? match->laterPage : -1, laterPage);
}

void TestPieceBook::blockCount_missesWhatNeverReachedThePages_data()
{
    // Each piece's blocks as cut and as laid out ("piece=name,name;…", an empty name for a block
    // without one), and the parts as "first+count|name:page …" (pages of the part's file).
    QTest::addColumn<QList<int>>("given");
    QTest::addColumn<QString>("laidOut");
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<int>("missing");
    QTest::addColumn<int>("firstPiece");
    QTest::newRow("every block on a page")
        << QList<int>{2, 1} << "0=a,b;1=c" << QStringList{"0+2|a:0 b:1", "0+1|c:0"} << 0 << -1;
    QTest::newRow("carried: on the next part's page")
        << QList<int>{2, 1} << "0=a,b;1=c" << QStringList{"0+1|a:0 b:1", "0+1|b:0 c:0"} << 0 << -1;
    QTest::newRow("only on a page left out")
        << QList<int>{2, 1} << "0=a,b;1=c" << QStringList{"0+1|a:0 b:1", "0+1|c:0"} << 1 << 0;
    QTest::newRow("a piece laid out short")
        << QList<int>{2, 3} << "0=a,b;1=c" << QStringList{"0+2|a:0 b:1 c:1"} << 2 << 1;
    QTest::newRow("a piece never laid out") << QList<int>{2, 3} << "0=a,b" << QStringList{"0+2|a:0 b:1"} << 3 << 1;
    QTest::newRow("no place in the PDF") << QList<int>{1} << "0=a" << QStringList{"0+1|"} << 1 << 0;
    QTest::newRow("without names: counted, not looked for") << QList<int>{2} << "0=," << QStringList{"0+1|"} << 0 << -1;
}

void TestPieceBook::blockCount_missesWhatNeverReachedThePages()
{
    QFETCH(QList<int>, given);
    QFETCH(QString, laidOut);
    QFETCH(QStringList, parts);
    QFETCH(int, missing);
    QFETCH(int, firstPiece);
    QHash<int, QStringList> names;
    for (const QString& piece : laidOut.split(u';')) {
        names.insert(piece.section(u'=', 0, 0).toInt(), piece.section(u'=', 1).split(u','));
    }
    QList<PdfPart> files;
    QList<QHash<QString, PdfAnchor>> anchors;
    for (const QString& part : parts) {
        const QString pages = part.section(u'|', 0, 0);
        files.append({QString(), pages.section(u'+', 1).toInt(), pages.section(u'+', 0, 0).toInt()});
        anchors.append(QHash<QString, PdfAnchor>());
        for (const QString& anchor : part.section(u'|', 1).split(u' ', Qt::SkipEmptyParts)) {
            anchors.last().insert(anchor.section(u':', 0, 0), {anchor.section(u':', 1).toInt(), 0});
        }
    }
    const BlockCount count = countBlocks(given, names, files, anchors);
    QCOMPARE(count.missing, missing);
    QCOMPARE(count.firstPiece, firstPiece);
    QCOMPARE(missingBlocksMessage(count).isEmpty(), missing == 0);
}

void TestPieceBook::book_laysOutOnlyThePiecesAskedFor()
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
    for (const PdfPart& part : book.parts()) {
        QCOMPARE(part.pageCount, kPagesPerPiece);
    }
}

void TestPieceBook::book_documentReplaced_failsNamingWhy()
{
    serve(3);
    PieceBook book(m_profile.get(), *m_scheme, m_dir->path());
    QSignalSpy failed(&book, &PieceBook::failed);
    book.produce(1);
    QTRY_COMPARE_WITH_TIMEOUT(book.piecesDone(), 1, 30000);
    RenderedDocument other;
    other.pieces = std::make_shared<const render::PiecedDocument>(rowsInPieces(3));
    (void)m_scheme->publish(m_dir->path(), QStringLiteral("baska.xml"), std::move(other));
    book.produce();
    QVERIFY(failed.count() == 1 || failed.wait(10000));
    QVERIFY2(failed.first().first().toString().contains(QStringLiteral("belge değişti")),
             qPrintable(failed.first().first().toString()));
    QCOMPARE(book.piecesDone(), 1);
}

void TestPieceBook::book_deletedWhileLayingOut_keepsProcessAlive()
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

void TestPieceBook::book_droppedWhilePrinting_othersGoOn()
{
    // As a book of several is dropped when another has laid its last piece out, its own page
    // still printing: the others must not be held up while that print finishes.
    serve(6);
    QObject owner;
    QDir(m_dir->path()).mkpath(QStringLiteral("1"));
    QDir(m_dir->path()).mkpath(QStringLiteral("2"));
    QPointer<PieceBook> dropped =
        new PieceBook(m_profile.get(), *m_scheme, m_dir->filePath(QStringLiteral("1")), &owner);
    auto* other = new PieceBook(m_profile.get(), *m_scheme, m_dir->filePath(QStringLiteral("2")), &owner);
    QPointer<PrintingPage> page = dropped->findChild<PrintingPage*>();
    QVERIFY(page);
    bool wasPrinting = false;
    // Dropped from the web engine's own signals, as the books are.
    const auto drop = [&] {
        if (dropped && page && page->isPrinting()) {
            wasPrinting = true;
            dropped->deleteLater();
        }
    };
    connect(other, &PieceBook::progressed, &owner, drop);
    connect(other->findChild<PrintingPage*>(), &QWebEnginePage::loadingChanged, &owner, drop);
    QSignalSpy completed(other, &PieceBook::completed);
    dropped->produce();
    other->produce();
    QVERIFY(completed.wait(30000));
    if (!wasPrinting) {
        QSKIP("The page was never caught printing.");
    }
    QTRY_VERIFY_WITH_TIMEOUT(!page, 10000); // gone once its print was written
}

void TestPieceBook::pageLayout_takesTheDocumentsMargins_data()
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

void TestPieceBook::pageLayout_takesTheDocumentsMargins()
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

void TestPieceBook::piecePages_printWithTheDocumentsMarginsOnly()
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
    for (int y = 0; y < image.height() && top < 0; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (inked(image.pixel(x, y))) {
                top = y;
                break;
            }
        }
    }
    for (int x = 0; x < image.width() && left < 0; ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (inked(image.pixel(x, y))) {
                left = x;
                break;
            }
        }
    }
    QVERIFY2(top >= 64 && top < 84, qPrintable(QString::number(top)));
    QVERIFY2(left >= 64 && left < 76, qPrintable(QString::number(left)));
}

void TestPieceBook::piecePages_showTaxpayerHeaderOnce_andColumnHeadersOnEvery()
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

void TestPieceBook::preview_pagesAsTheWholeWould_data()
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
void TestPieceBook::preview_pagesAsTheWholeWould()
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
    QCOMPARE(onePiece->bookCount(), 0);
    const QList<QList<int>> expected = savedRows(*onePiece);
    onePiece->close();
    QVERIFY(expected.size() > 20);

    WebBrowser browser(m_dir->path());
    if (pieceWeight > 0) {
        browser.setPieceLimits({render::PieceLimits().unitWeight, pieceWeight, printWeight});
    }
    QPointer<PrintPreview> preview = openPreview(browser, 90, inTables, ruled, accounts, filler, tallEvery, spacing);
    QVERIFY(preview);
    QVERIFY(preview->bookCount() > 0);
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    const QList<QList<int>> pages = savedRows(*preview);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QVERIFY(preview->parts().size() > 4);
    if (!ruled) {
        QCOMPARE(pages, expected);
    } else {
        QVERIFY(pages.size() > expected.size());
    }
    QList<int> rows;
    for (const QList<int>& page : pages) {
        rows += page;
    }
    QCOMPARE(rows.size(), 90);
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows.at(i), i + 1);
    }
    preview->close();

    // Laid out by three books at once, as the headless printer does: the same pages.
    QTemporaryDir folder;
    ParallelBook books(browser.shownPage().profile(), browser.documents(), folder.path(), 3);
    QVERIFY(books.bookCount() >= 2);
    QSignalSpy completed(&books, &ParallelBook::completed);
    books.produce();
    QVERIFY(completed.wait(120000));
    const QString saved = folder.filePath(QStringLiteral("kitaplar.pdf"));
    QVERIFY(writePdfPages(books.parts(), allPages(books.parts()), saved, PageNumbers::None).ok);
    QPdfDocument together;
    QCOMPARE(together.load(saved), QPdfDocument::Error::None);
    QList<QList<int>> parallel;
    for (int page = 0; page < together.pageCount(); ++page) {
        parallel.append(rowsOn(together, page));
    }
    QCOMPARE(parallel, pages);
}

int main(int argc, char* argv[])
{
    prepareWebEngine();
    QApplication application(argc, argv);
    TestPieceBook test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_piecebook.moc"
