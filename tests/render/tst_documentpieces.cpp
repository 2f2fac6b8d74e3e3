#include "render/documentpieces.h"
#include "render/documentsearch.h"
#include "render/ledgerprefix.h"
#include "render/ledgerrender.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>

using namespace render;

namespace {

// A page shaped as ledger pages are: a header, a layout table holding one table of repeated
// blocks (entries of different classes), and totals closing that table and the page.
QByteArray journalPage(int entries, int linesPerEntry = 3, const std::function<bool(int)>& isShort = {})
{
    QByteArray page = "<!DOCTYPE html><html><head><title>Defter</title><style>td{}</style></head><body>"
                      "<div class=\"ust\"><h1>YEVMİYE</h1></div><table class=\"duzen\"><tbody><tr><td>"
                      "<table class=\"sayfa\"><colgroup><col/></colgroup><thead><tr><th>Madde</th></tr></thead>";
    for (int e = 1; e <= entries; ++e) {
        const bool shortEntry = isShort ? isShort(e) : e % 3 == 0;
        page += "<tbody class=\"" + QByteArray(shortEntry ? "madde kisa" : "madde") + "\" data-e=\"" +
                QByteArray::number(e) + "\">";
        for (int l = 1; l <= linesPerEntry; ++l) {
            page += "<tr><td>m" + QByteArray::number(e) + "l" + QByteArray::number(l) + "</td><td>1,00</td></tr>";
        }
        page += "</tbody>";
    }
    page += "<tbody class=\"toplam\"><tr><td id=\"genel\">Genel Toplam</td></tr></tbody></table></td></tr></tbody>"
            "</table><p id=\"son\">son not</p></body></html>";
    return page;
}

// One account of many lines among small ones, with a block total closing it.
QByteArray ledgerPage(int bigLines)
{
    QByteArray page = "<html><head><title>Kebir</title></head><body><h1>KEBİR</h1>";
    auto account = [&](int id, int lines) {
        page += "<table class=\"hesap\" data-a=\"" + QByteArray::number(id) + "\"><thead><tr><th>Hesap " +
                QByteArray::number(id) + "</th></tr></thead><tbody>";
        for (int l = 1; l <= lines; ++l) {
            page += "<tr><td>a" + QByteArray::number(id) + "r" + QByteArray::number(l) + "</td><td>x</td></tr>";
        }
        page += "</tbody><tfoot><tr><td class=\"blok\">Toplam " + QByteArray::number(id) + "</td></tr></tfoot></table>";
    };
    account(1, 5);
    account(2, bigLines);
    account(3, 5);
    page += "<div id=\"genel\">Genel Toplam</div></body></html>";
    return page;
}

xmlDocPtr parseHtml(const QByteArray& html)
{
    return htmlReadMemory(html.constData(), int(html.size()), nullptr, "UTF-8",
                          HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
}

// Texts of the cells whose text starts with `prefix`, in document order, outside repeats.
QStringList cellTexts(const QByteArray& html, const QString& prefix)
{
    QStringList found;
    xmlDocPtr doc = parseHtml(html);
    xmlXPathContextPtr xpath = xmlXPathNewContext(doc);
    xmlXPathObjectPtr result =
        xmlXPathEvalExpression(BAD_CAST "//td[not(ancestor-or-self::*[@data-vz-repeat])]", xpath);
    for (int i = 0; result->nodesetval && i < result->nodesetval->nodeNr; ++i) {
        xmlChar* text = xmlNodeGetContent(result->nodesetval->nodeTab[i]);
        const QString cell = QString::fromUtf8(reinterpret_cast<const char*>(text));
        xmlFree(text);
        if (cell.startsWith(prefix)) {
            found << cell;
        }
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(xpath);
    xmlFreeDoc(doc);
    return found;
}

int count(const QByteArray& html, const QByteArray& what)
{
    return int(html.count(what));
}

PiecedDocument cut(const QByteArray& html, PieceLimits limits, Completeness completeness = Completeness::Whole)
{
    xmlDocPtr doc = parseHtml(html);
    PiecedDocument pieces = cutIntoPieces(doc, limits, completeness);
    xmlFreeDoc(doc);
    return pieces;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ledgerXml(int records, int detailsPerRecord, int bigRecordDetails = 0)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><?xml-stylesheet type=\"text/xsl\" href=\"d.xslt\"?>\n"
                     "<edefter:defter xmlns:edefter=\"http://www.edefter.gov.tr\"><x:xbrl xmlns:x=\"urn:x\" "
                     "xmlns:g=\"urn:g\"><g:accountingEntries><g:documentInfo>bilgi</g:documentInfo>";
    for (int r = 1; r <= records; ++r) {
        xml += "<g:entryHeader n=\"" + QByteArray::number(r) + "\">";
        const int details = r == 1 && bigRecordDetails > 0 ? bigRecordDetails : detailsPerRecord;
        for (int d = 1; d <= details; ++d) {
            xml += "<g:entryDetail>" + QByteArray(200, 'x') + "</g:entryDetail>";
        }
        xml += "</g:entryHeader>\n";
    }
    xml += "</g:accountingEntries></x:xbrl><imza>s</imza></edefter:defter>\n";
    return xml;
}

} // namespace

class TestDocumentPieces : public QObject
{
    Q_OBJECT

private slots:
    void journal_everyEntryOnceInOrder_totalsOnlyLast_data();
    void journal_everyEntryOnceInOrder_totalsOnlyLast();
    void everyPiece_isAWholePageWithHeadAndColumnHeaders();
    void bigBlock_rowsSplit_blockTotalOnceAfterItsLastRow();
    void closingBlocks_onlyOfClassesNewAtTheEnd_data();
    void closingBlocks_onlyOfClassesNewAtTheEnd();
    void partial_leavesTotalsOut();
    void notAPage_isOnePiece();
    void longText_shownUpToTheLimitWithANote_data();
    void longText_shownUpToTheLimitWithANote();

    void prefix_cutsAfterWholeRecords_intoAWellFormedDocument();
    void prefix_cutsInsideARecordTooLargeToTakeWhole();
    void prefix_nothingForSmallFilesOrDtds_data();
    void prefix_nothingForSmallFilesOrDtds();

    void search_countsAsThePageShowsText_data();
    void search_countsAsThePageShowsText();
};

void TestDocumentPieces::journal_everyEntryOnceInOrder_totalsOnlyLast_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("pieceWeight");
    // The last piece, with the totals, holds a quarter-piece of entries (an entry weighs 10).
    QTest::addColumn<int>("lastPieceEntries");
    QTest::newRow("one piece") << 20 << 100000 << 20;
    QTest::newRow("several pieces") << 300 << 400 << 10;
    QTest::newRow("one entry a piece") << 40 << 1 << 1;
    QTest::newRow("an entry heavier than a quarter-piece: alone") << 30 << 30 << 1;
}

void TestDocumentPieces::journal_everyEntryOnceInOrder_totalsOnlyLast()
{
    QFETCH(int, entries);
    QFETCH(int, pieceWeight);
    QFETCH(int, lastPieceEntries);
    const PiecedDocument pieces = cut(journalPage(entries), {50, pieceWeight});
    QVERIFY(pieces.count() >= 1);
    QCOMPARE(pieces.blocks.constLast(), lastPieceEntries);
    QCOMPARE(pieces.weights.size(), pieces.count());
    QStringList seen;
    for (qsizetype i = 0; i < pieces.count(); ++i) {
        const QByteArray page = pieces.page(i);
        seen << cellTexts(page, QStringLiteral("m"));
        QCOMPARE(pieces.blocks.value(i), count(pieces.fragments.at(i), "data-vz-u="));
        const bool last = i + 1 == pieces.count();
        QCOMPARE(count(page, "Genel Toplam"), last ? 1 : 0);
        QCOMPARE(count(page, "son not"), last ? 1 : 0);
    }
    QStringList expected;
    for (int e = 1; e <= entries; ++e) {
        for (int l = 1; l <= 3; ++l) {
            expected << QStringLiteral("m%1l%2").arg(e).arg(l);
        }
    }
    QCOMPARE(seen, expected);
    if (pieceWeight == 1) {
        QCOMPARE(pieces.count(), entries);
    }
}

void TestDocumentPieces::everyPiece_isAWholePageWithHeadAndColumnHeaders()
{
    const PiecedDocument pieces = cut(journalPage(150), {50, 300});
    QVERIFY(pieces.count() > 2);
    QCOMPARE(pieces.title, QStringLiteral("Defter"));
    for (qsizetype i = 0; i < pieces.count(); ++i) {
        const QByteArray page = pieces.page(i);
        QVERIFY(page.startsWith("<!DOCTYPE"));
        QCOMPARE(count(page, "<title>Defter</title>"), 1);
        QCOMPARE(count(page, "YEVMİYE"), 1);
        QCOMPARE(count(page, "<th>Madde</th>"), 1);
        QCOMPARE(count(page, "<col>"), 1);
        // Shown again after the first piece, and marked so a continuous view can hide it.
        QCOMPARE(count(page, "data-vz-repeat=\"top\""), i == 0 ? 0 : 1);
        QCOMPARE(count(page, "data-vz-repeat=\"inner\""), i == 0 ? 0 : 1);
        xmlDocPtr doc = parseHtml(page);
        QVERIFY(doc != nullptr);
        xmlFreeDoc(doc);
    }
}

void TestDocumentPieces::bigBlock_rowsSplit_blockTotalOnceAfterItsLastRow()
{
    const PiecedDocument pieces = cut(ledgerPage(400), {100, 300});
    QVERIFY(pieces.count() > 3);
    QStringList rows;
    QByteArray all;
    for (qsizetype i = 0; i < pieces.count(); ++i) {
        rows << cellTexts(pieces.page(i), QStringLiteral("a"));
        all += pieces.fragments.at(i);
    }
    QCOMPARE(rows.size(), 410);
    QCOMPARE(rows.first(), QStringLiteral("a1r1"));
    QCOMPARE(rows.at(5), QStringLiteral("a2r1"));
    QCOMPARE(rows.at(404), QStringLiteral("a2r400"));
    QCOMPARE(rows.last(), QStringLiteral("a3r5"));
    QCOMPARE(count(all, "Toplam 2<"), 1);
    QVERIFY(all.indexOf("Toplam 2<") > all.indexOf("a2r400<"));
    QVERIFY(all.indexOf("Toplam 2<") < all.indexOf("a3r1<"));
    // The account's heading comes again where its rows continue.
    QVERIFY(count(all, "<th>Hesap 2</th>") > 1);
    QCOMPARE(count(pieces.fragments.constLast(), "Genel Toplam"), 1);
}

void TestDocumentPieces::closingBlocks_onlyOfClassesNewAtTheEnd_data()
{
    QTest::addColumn<int>("firstLong"); // the long entries run from here to the end
    QTest::newRow("mostly short, long ones last") << 150;
    QTest::newRow("all of one class") << 1;
}

// Entries of a class met before, however many come last, are entries: they are cut into pieces
// like the rest, and the last piece stays light (it is laid out in advance); only the totals,
// of a class new at the end, close the document.
void TestDocumentPieces::closingBlocks_onlyOfClassesNewAtTheEnd()
{
    QFETCH(int, firstLong);
    const int entries = 200;
    const PieceLimits limits{50, 300};
    const PiecedDocument pieces = cut(journalPage(entries, 3, [&](int e) { return e < firstLong && e != 7; }), limits);
    QVERIFY(pieces.count() > 4);
    QStringList seen;
    for (qsizetype i = 0; i < pieces.count(); ++i) {
        seen << cellTexts(pieces.page(i), QStringLiteral("m"));
        QVERIFY2(pieces.weights.at(i) <= limits.pieceWeight, qPrintable(QString::number(i)));
        QCOMPARE(count(pieces.fragments.at(i), "Genel Toplam"), i + 1 == pieces.count() ? 1 : 0);
    }
    QCOMPARE(seen.size(), entries * 3);
    QCOMPARE(seen.constLast(), QStringLiteral("m200l3"));
    const QStringList last = cellTexts(pieces.page(pieces.count() - 1), QStringLiteral("m"));
    QVERIFY(!last.isEmpty());
    QVERIFY2(pieces.weights.constLast() <= limits.pieceWeight / 4,
             qPrintable(QString::number(pieces.weights.constLast())));
    QVERIFY(pieces.fragments.constLast().size() * 3 < pieces.fragments.at(1).size());
}

void TestDocumentPieces::partial_leavesTotalsOut()
{
    const PiecedDocument journal = cut(journalPage(100), {50, 300}, Completeness::Partial);
    const PiecedDocument ledger = cut(ledgerPage(400), {100, 600}, Completeness::Partial);
    for (const PiecedDocument* pieces : {&journal, &ledger}) {
        QByteArray all;
        for (const QByteArray& fragment : pieces->fragments) {
            all += fragment;
        }
        QCOMPARE(count(all, "Genel Toplam"), 0);
        QVERIFY(!all.isEmpty());
    }
    QCOMPARE(cellTexts(journal.page(0), QStringLiteral("m")).first(), QStringLiteral("m1l1"));
}

void TestDocumentPieces::notAPage_isOnePiece()
{
    static const char xml[] = "<kok><a>1</a><a>2</a></kok>";
    xmlDocPtr doc = xmlReadMemory(xml, int(sizeof xml - 1), nullptr, nullptr, 0);
    const PiecedDocument pieces = cutIntoPieces(doc, {1, 1});
    xmlFreeDoc(doc);
    QCOMPARE(pieces.count(), 1);
    QVERIFY(pieces.page(0).contains("<a>2</a>"));
}

void TestDocumentPieces::longText_shownUpToTheLimitWithANote_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown"); // before the note; the whole text when there is none
    QTest::addColumn<int>("left");      // characters left out; 0: no note
    QTest::newRow("at the limit") << "ABCDEFGHIJ"
                                  << "ABCDEFGHIJ" << 0;
    QTest::newRow("one byte over") << "ABCDEFGHIJK"
                                   << "ABCDEFGHIJ" << 1;
    QTest::newRow("the limit inside a character") << "ABCDEFGHIŞŞ"
                                                  << "ABCDEFGHI" << 2;
    QTest::newRow("megabytes without a break") << QString(1 << 20, u'A') << "AAAAAAAAAA" << (1 << 20) - 10;
}

void TestDocumentPieces::longText_shownUpToTheLimitWithANote()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(int, left);
    PieceLimits limits;
    limits.longestText = 10;
    const PiecedDocument pieces =
        cut("<html><head><title>T</title></head><body><p>" + text.toUtf8() + "</p><p>kısa</p></body></html>", limits);
    QCOMPARE(pieces.count(), 1);
    const QString body = QString::fromUtf8(pieces.fragments.constFirst());
    const QString note = QStringLiteral(" … [metnin kalan %1 karakteri").arg(QLocale(QLocale::Turkish).toString(left));
    QVERIFY2(body.contains(">" + shown + (left > 0 ? note : QStringLiteral("</p>"))), qPrintable(body.left(200)));
    QVERIFY(body.contains(QStringLiteral(">kısa</p>")));
}

void TestDocumentPieces::prefix_cutsAfterWholeRecords_intoAWellFormedDocument()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("y.xml"));
    writeFile(path, ledgerXml(400, 10));
    const std::optional<detail::LedgerPrefix> prefix = detail::findLedgerPrefix(path, 60000);
    QVERIFY(prefix.has_value());
    QVERIFY(!prefix->insideRecord);
    QCOMPARE(prefix->closing, QByteArray("</g:accountingEntries></x:xbrl></edefter:defter>"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray kept = file.read(prefix->bytes);
    QVERIFY2(kept.endsWith("</g:entryHeader>"), kept.right(40).constData());
    QVERIFY(prefix->bytes >= 60000 && prefix->bytes < 70000);
    const QByteArray closed = kept + prefix->closing;
    xmlDocPtr doc = xmlReadMemory(closed.constData(), int(closed.size()), nullptr, nullptr, XML_PARSE_NONET);
    QVERIFY(doc != nullptr);
    xmlFreeDoc(doc);
}

void TestDocumentPieces::prefix_cutsInsideARecordTooLargeToTakeWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.xml"));
    writeFile(path, ledgerXml(5, 10, 5000));
    const std::optional<detail::LedgerPrefix> prefix = detail::findLedgerPrefix(path, 100000);
    QVERIFY(prefix.has_value());
    QVERIFY(prefix->insideRecord);
    QCOMPARE(prefix->closing, QByteArray("</g:entryHeader></g:accountingEntries></x:xbrl></edefter:defter>"));
    QVERIFY(prefix->bytes >= 200000 && prefix->bytes < 210000);
}

void TestDocumentPieces::prefix_nothingForSmallFilesOrDtds_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::newRow("small") << ledgerXml(20, 2);
    QTest::newRow("no records") << QByteArray("<?xml version=\"1.0\"?><a>" + QByteArray(400000, 'x') + "</a>");
    QByteArray withDtd = ledgerXml(400, 10);
    withDtd.insert(withDtd.indexOf("<edefter:defter"), "<!DOCTYPE edefter:defter [<!ENTITY e \"x\">]>");
    QTest::newRow("dtd") << withDtd;
    // What the whole render refuses is not parsed for a first screen either.
    QByteArray deep = ledgerXml(400, 10);
    deep.insert(deep.indexOf('>', deep.indexOf("<edefter:defter")) + 1,
                QByteArray("<a>").repeated(300) + QByteArray("</a>").repeated(300));
    QTest::newRow("deep nesting") << deep;
    QTest::newRow("named pipe") << QByteArray("mkfifo");
}

void TestDocumentPieces::prefix_nothingForSmallFilesOrDtds()
{
    QFETCH(QByteArray, xml);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.xml"));
    if (xml == "mkfifo") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        writeFile(path, xml);
    }
    QVERIFY(!detail::findLedgerPrefix(path, 60000).has_value());
}

void TestDocumentPieces::search_countsAsThePageShowsText_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("term");
    QTest::addColumn<int>("matches");
    QTest::newRow("plain") << QByteArray("<p>kasa</p><td>Kasa kasa</td>") << "kasa" << 3;
    QTest::newRow("turkish dotted capital") << QByteArray("<td>İSTANBUL istanbul</td>") << "istanbul" << 2;
    QTest::newRow("dotless i alike") << QByteArray("<td>KIRTASİYE kırtasiye</td>") << "kirtasiye" << 2;
    QTest::newRow("entities decoded") << QByteArray("<td>A &amp; B</td><td>A&#38;B</td>") << "a & b" << 1;
    QTest::newRow("no match across nodes") << QByteArray("<td>ka</td><td>sa</td>") << "kasa" << 0;
    QTest::newRow("repeats left out") << QByteArray("<thead data-vz-repeat=\"inner\"><tr><th>Borç</th></tr></thead>"
                                                    "<td>Borç</td>")
                                      << "borç" << 1;
    QTest::newRow("scripts and styles left out")
        << QByteArray("<style>.kasa{}</style><script>kasa</script>kasa") << "kasa" << 1;
    QTest::newRow("no overlap") << QByteArray("<td>aaaa</td>") << "aa" << 2;
    QTest::newRow("empty term") << QByteArray("<td>x</td>") << "" << 0;
}

void TestDocumentPieces::search_countsAsThePageShowsText()
{
    QFETCH(QByteArray, html);
    QFETCH(QString, term);
    QFETCH(int, matches);
    QCOMPARE(countMatches(html, term), matches);
}

QTEST_GUILESS_MAIN(TestDocumentPieces)
#include "tst_documentpieces.moc"
