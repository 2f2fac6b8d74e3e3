#include "export/ledgerexport.h"
#include "ledger/values.h"
#include "ledgerset/ekstre.h"
#include "ledgerset/mizan.h"
#include "ledgerset/mizanxml.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <csignal>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

using namespace ledgerexport;

namespace {

const QString kFixtures = QStringLiteral(TEST_SOURCE_DIR "/tests/data/ledgers/");
const QString kJournal = kFixtures + QStringLiteral("4840012345-202403-Y-000000.xml");
const QString kPersonJournal = kFixtures + QStringLiteral("12345678901-202403-Y-000002.xml");
const QString kLedger = kFixtures + QStringLiteral("4840012345-202403-K-000000.xml");
const QString kReport = kFixtures + QStringLiteral("4840012345-202403-DR-000000.xml");
const QString kBerat = kFixtures + QStringLiteral("4840012345-202403-YB-000000.xml");
const QString kGibBerat = kFixtures + QStringLiteral("GIB-4840012345-202403-KB-000000.xml");

// The ledger read a second, independent way: the whole document and XPath.
class Ledger
{
public:
    explicit Ledger(const QString& path)
    {
        m_doc = xmlReadFile(QFile::encodeName(path).constData(), nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
        m_ctx = xmlXPathNewContext(m_doc);
        xmlXPathRegisterNs(m_ctx, BAD_CAST "c", BAD_CAST "http://www.xbrl.org/int/gl/cor/2006-10-25");
        xmlXPathRegisterNs(m_ctx, BAD_CAST "b", BAD_CAST "http://www.xbrl.org/int/gl/bus/2006-10-25");
    }
    ~Ledger()
    {
        xmlXPathFreeContext(m_ctx);
        xmlFreeDoc(m_doc);
    }
    QString text(const QString& expr) const
    {
        xmlXPathObjectPtr o = xmlXPathEvalExpression(BAD_CAST("string(" + expr + ")").toUtf8().constData(), m_ctx);
        const QString s = o ? QString::fromUtf8(reinterpret_cast<const char*>(o->stringval)).trimmed() : QString();
        xmlXPathFreeObject(o);
        return s;
    }
    double number(const QString& expr) const
    {
        xmlXPathObjectPtr o = xmlXPathEvalExpression(BAD_CAST expr.toUtf8().constData(), m_ctx);
        const double d = o ? xmlXPathCastToNumber(o) : qQNaN();
        xmlXPathFreeObject(o);
        return d;
    }
    qint64 cents(const QString& expr) const { return qRound64(number(expr) * 100); }

private:
    xmlDocPtr m_doc = nullptr;
    xmlXPathContextPtr m_ctx = nullptr;
};

const QString kDebitLines = QStringLiteral("//c:entryDetail[c:debitCreditCode='D' or c:debitCreditCode='debit']");
const QString kCreditLines = QStringLiteral("//c:entryDetail[c:debitCreditCode='C' or c:debitCreditCode='credit']");

struct Cell
{
    QString value;
    QString formula;
    QString type;
    QString style; // the cell format's index (XLSX)
};
using Grid = std::map<int, std::map<int, Cell>>; // row, column (both from 0)

QByteArray unzipped(const QString& zip, const QString& member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, member});
    unzip.waitForFinished(60000);
    return unzip.readAllStandardOutput();
}

// Sheet name to its cells, in workbook order.
QList<std::pair<QString, Grid>> readXlsx(const QString& path)
{
    QList<std::pair<QString, Grid>> sheets;
    QXmlStreamReader book(unzipped(path, QStringLiteral("xl/workbook.xml")));
    while (!book.atEnd()) {
        if (book.readNext() == QXmlStreamReader::StartElement && book.name() == QLatin1String("sheet")) {
            sheets.append({book.attributes().value(QLatin1String("name")).toString(), Grid()});
        }
    }
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        QXmlStreamReader xml(unzipped(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1)));
        Cell* cell = nullptr;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement()) {
                continue;
            }
            if (xml.name() == QLatin1String("c")) {
                const QString ref = xml.attributes().value(QLatin1String("r")).toString();
                int col = 0, k = 0;
                for (; k < ref.size() && ref[k].isLetter(); ++k) {
                    col = col * 26 + (ref[k].unicode() - 'A' + 1);
                }
                cell = &sheets[i].second[ref.mid(k).toInt() - 1][col - 1];
                cell->type = xml.attributes().value(QLatin1String("t")).toString();
                cell->style = xml.attributes().value(QLatin1String("s")).toString();
            } else if (cell && (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("t"))) {
                cell->value = xml.readElementText();
            } else if (cell && xml.name() == QLatin1String("f")) {
                cell->formula = xml.readElementText();
            }
        }
    }
    return sheets;
}

// RFC 4180 with semicolons; fails the test on a bare line feed or a missing byte-order mark.
Grid readCsv(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        return {};
    }
    const QString text = QString::fromUtf8(bytes.mid(3));
    Grid grid;
    int row = 0, col = 0;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += c, ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u';') {
            grid[row][col++].value = field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            grid[row++][col].value = field;
            field.clear();
            col = 0;
            ++i;
        } else if (c == u'\n') {
            return {};
        } else {
            field += c;
        }
    }
    return grid;
}

// Spreadsheet cell as a ledger would write it: amounts to kuruş, date serials to ISO dates.
qint64 cellCents(const Cell& cell, bool csv)
{
    QString v = cell.value;
    if (csv) {
        v.replace(u',', u'.');
    }
    return v.isEmpty() ? 0 : qRound64(v.toDouble() * 100);
}

QString cellDate(const Cell& cell, bool csv)
{
    if (csv) {
        return QDate::fromString(cell.value, QStringLiteral("dd.MM.yyyy")).toString(Qt::ISODate);
    }
    return QDate(1899, 12, 30).addDays(cell.value.toLongLong()).toString(Qt::ISODate);
}

QString ledgergen(const QString& folder, const QStringList& extra)
{
    QProcess p;
    p.start(QStringLiteral(LEDGERGEN_PATH),
            QStringList{QStringLiteral("--out"), folder, QStringLiteral("--seed"), QStringLiteral("5")} + extra);
    p.waitForFinished(60000);
    return QDir(folder).entryList({QStringLiteral("*-Y-*.xml")}).value(0);
}

// A copy of a ledger with one text replaced (the first occurrence).
QString edited(const QString& source, const QString& folder, const QByteArray& from, const QByteArray& to)
{
    QFile in(source);
    in.open(QIODevice::ReadOnly);
    QByteArray bytes = in.readAll();
    const qsizetype at = bytes.indexOf(from);
    if (at < 0) {
        return {};
    }
    bytes.replace(at, from.size(), to);
    const QString path = folder + u'/' + QFileInfo(source).fileName();
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    return path;
}

// Data rows of the main table: everything below the header, down to the totals row.
QList<std::map<int, Cell>> dataRows(const QList<std::pair<QString, Grid>>& sheets, const QString& table)
{
    QList<std::map<int, Cell>> rows;
    for (const auto& [name, grid] : sheets) {
        if (name != table && !name.startsWith(table + QStringLiteral(" ("))) {
            continue;
        }
        for (const auto& [r, cells] : grid) {
            const QString first = cells.count(0) ? cells.at(0).value : QString();
            if (r > 0 && first != QLatin1String("TOPLAM") && first != QLatin1String("GENEL TOPLAM")) {
                rows.append(cells);
            }
        }
    }
    return rows;
}

QString columnText(const std::map<int, Cell>& row, int col)
{
    return row.count(col) ? row.at(col).value : QString();
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void linesAndSums_matchLedger_data();
    void linesAndSums_matchLedger();
    void chosenRows_matchLedgerFieldByField_data();
    void chosenRows_matchLedgerFieldByField();
    void editedLedger_showsInExport_data();
    void editedLedger_showsInExport();
    void smallRowLimit_continuesOnNextSheet();
    void badInput_failsAndLeavesNoFile_data();
    void badInput_failsAndLeavesNoFile();
    void cancel_leavesNoFile();
    void amount_isExactOrNamesItsFault_data();
    void amount_isExactOrNamesItsFault();
    void impossibleDate_isToldFromOddShapes_data();
    void impossibleDate_isToldFromOddShapes();
    void exportsOnTwoThreads_matchOneAtATime();
    void mizanAndEkstre_fixedColumnsFromTheDocument_data();
    void mizanAndEkstre_fixedColumnsFromTheDocument();

private:
    // A table's ledger column: empty for the generated journal, "K" for its kebir, else a path.
    QString generatedOr(const QString& ledger) const
    {
        return ledger.isEmpty() ? m_genJournal : ledger == QLatin1String("K") ? m_genLedger : ledger;
    }

    QTemporaryDir m_generated;
    QString m_genJournal;
    QString m_genLedger;
};

void TestExport::initTestCase()
{
    QVERIFY(m_generated.isValid());
    const QString y = ledgergen(m_generated.path(), {QStringLiteral("--entries"), QStringLiteral("40")});
    QVERIFY(!y.isEmpty());
    m_genJournal = m_generated.filePath(y);
    m_genLedger = m_generated.filePath(QString(y).replace(QStringLiteral("-Y-"), QStringLiteral("-K-")));
    QVERIFY(QFile::exists(m_genLedger));
}

void TestExport::linesAndSums_matchLedger_data()
{
    QTest::addColumn<QString>("ledger");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("debitColumn");
    for (const bool csv : {false, true}) {
        const char* f = csv ? "csv" : "xlsx";
        QTest::addRow("journal %s", f) << kJournal << csv << "Yevmiye" << 11;
        QTest::addRow("person's journal part %s", f) << kPersonJournal << csv << "Yevmiye" << 11;
        QTest::addRow("generated journal %s", f) << QString() << csv << "Yevmiye" << 11;
        QTest::addRow("kebir %s", f) << kLedger << csv << "Kebir" << 8;
        QTest::addRow("generated kebir %s", f) << QStringLiteral("K") << csv << "Kebir" << 8;
        QTest::addRow("ledger report %s", f) << kReport << csv << "Defter Raporu" << 3;
    }
}

void TestExport::linesAndSums_matchLedger()
{
    QFETCH(QString, ledger);
    QFETCH(bool, csv);
    QFETCH(QString, table);
    QFETCH(int, debitColumn);
    ledger = generatedOr(ledger);
    QTemporaryDir dir;
    const QString out = dir.filePath(csv ? QStringLiteral("out.csv") : QStringLiteral("out.xlsx"));
    qint64 lastDone = -1, lastTotal = 0;
    const ExportResult r = exportLedger(ledger, out, csv ? Format::Csv : Format::Xlsx,
                                        [&](qint64 done, qint64 total) { lastDone = done, lastTotal = total; });
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(lastDone, QFileInfo(ledger).size());
    QCOMPARE(lastTotal, lastDone);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(out).fileName()});

    const Ledger xml(ledger);
    const bool report = table == QLatin1String("Defter Raporu");
    const int lines = int(xml.number(QStringLiteral("count(//c:entryDetail)")));
    QCOMPARE(r.lines, lines);
    const qint64 debit = xml.cents(QStringLiteral("sum(%1/c:amount)").arg(kDebitLines));
    const qint64 credit = xml.cents(QStringLiteral("sum(%1/c:amount)").arg(kCreditLines));

    QList<std::map<int, Cell>> rows;
    if (csv) {
        const Grid grid = readCsv(out);
        QVERIFY(!grid.empty());
        for (const auto& [row, cells] : grid) {
            if (row > 0) {
                rows.append(cells);
            }
        }
    } else {
        const auto sheets = readXlsx(out);
        rows = dataRows(sheets, table);
        // The totals row sums the data rows by formula, and carries the value for viewers that do not recalculate.
        const Grid& grid = sheets.value(0).second;
        const std::map<int, Cell>& totals = grid.rbegin()->second;
        QCOMPARE(columnText(totals, 0), QStringLiteral("TOPLAM"));
        const QString letter = QChar(u'A' + debitColumn);
        QCOMPARE(totals.at(debitColumn).formula,
                 QStringLiteral("SUM(%1%2:%1%3)").arg(letter).arg(2).arg(rows.size() + 1));
        QCOMPARE(cellCents(totals.at(debitColumn), false), debit);
        const QByteArray sheet = unzipped(out, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.contains("ySplit=\"1\""));
        QVERIFY(sheet.contains(QStringLiteral("<autoFilter ref=\"A1:").toUtf8()));
        const QByteArray styles = unzipped(out, QStringLiteral("xl/styles.xml"));
        QVERIFY(styles.contains("formatCode=\"#,##0.00\""));
        QVERIFY(report || styles.contains("formatCode=\"dd.mm.yyyy\""));
    }
    QCOMPARE(rows.size(), report ? int(xml.number(QStringLiteral("count(%1)").arg(kDebitLines))) : lines);
    qint64 sumDebit = 0, sumCredit = 0;
    for (const auto& row : rows) {
        sumDebit += cellCents(row.count(debitColumn) ? row.at(debitColumn) : Cell(), csv);
        const int creditColumn = debitColumn + (report ? 2 : 1);
        sumCredit += cellCents(row.count(creditColumn) ? row.at(creditColumn) : Cell(), csv);
    }
    QCOMPARE(sumDebit, debit);
    QCOMPARE(sumCredit, credit);
}

void TestExport::chosenRows_matchLedgerFieldByField_data()
{
    QTest::addColumn<QString>("ledger");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<int>("line"); // 1-based, in document order
    for (const bool csv : {false, true}) {
        const char* f = csv ? "csv" : "xlsx";
        QTest::addRow("journal first line %s", f) << kJournal << csv << 1;
        QTest::addRow("journal credit line %s", f) << kJournal << csv << 3;
        QTest::addRow("journal last line %s", f) << kJournal << csv << 8;
        QTest::addRow("generated journal line 57 %s", f) << QString() << csv << 57;
        QTest::addRow("kebir line 5 %s", f) << kLedger << csv << 5;
        QTest::addRow("generated kebir line 88 %s", f) << QStringLiteral("K") << csv << 88;
    }
}

void TestExport::chosenRows_matchLedgerFieldByField()
{
    QFETCH(QString, ledger);
    QFETCH(bool, csv);
    QFETCH(int, line);
    ledger = generatedOr(ledger);
    QTemporaryDir dir;
    const QString out = dir.filePath(csv ? QStringLiteral("out.csv") : QStringLiteral("out.xlsx"));
    const ExportResult r = exportLedger(ledger, out, csv ? Format::Csv : Format::Xlsx);
    QVERIFY2(r.ok, qPrintable(r.error));
    const bool journal = r.kind == LedgerKind::Journal;
    QList<std::map<int, Cell>> rows;
    if (csv) {
        for (const auto& [n, cells] : readCsv(out)) {
            if (n > 0) {
                rows.append(cells);
            }
        }
    } else {
        rows = dataRows(readXlsx(out), journal ? QStringLiteral("Yevmiye") : QStringLiteral("Kebir"));
    }
    QVERIFY(line <= rows.size());
    const std::map<int, Cell>& row = rows[line - 1];
    const Ledger xml(ledger);
    const QString d = QStringLiteral("(//c:entryDetail)[%1]/").arg(line);
    const bool isDebit = xml.text(d + QStringLiteral("c:debitCreditCode")).startsWith(u'D', Qt::CaseInsensitive);
    const qint64 amount = xml.cents(d + QStringLiteral("c:amount"));
    const auto date = [&](int col) {
        return row.count(col) ? cellDate(row.at(col), csv) : QString();
    };
    const auto money = [&](int col) {
        return row.count(col) ? cellCents(row.at(col), csv) : 0;
    };
    // Entry numbers, dates and amounts are numbers to the spreadsheet, not texts.
    const QList<int> numeric = journal ? QList<int>{0, 1, isDebit ? 11 : 12} : QList<int>{4, 5, 10};
    for (const int col : numeric) {
        QVERIFY(csv || (row.count(col) && row.at(col).type.isEmpty()));
    }
    if (journal) {
        QCOMPARE(columnText(row, 0), xml.text(d + QStringLiteral("../c:entryNumberCounter")));
        QCOMPARE(date(1), xml.text(d + QStringLiteral("../c:enteredDate")));
        QCOMPARE(columnText(row, 2), xml.text(d + QStringLiteral("../c:entryNumber")));
        QCOMPARE(columnText(row, 3), xml.text(d + QStringLiteral("c:account/c:accountMainID")));
        QCOMPARE(columnText(row, 4), xml.text(d + QStringLiteral("c:account/c:accountMainDescription")));
        QCOMPARE(columnText(row, 5), xml.text(d + QStringLiteral("c:account/c:accountSub/c:accountSubID")));
        QCOMPARE(columnText(row, 6), xml.text(d + QStringLiteral("c:account/c:accountSub/c:accountSubDescription")));
        QCOMPARE(columnText(row, 7), xml.text(d + QStringLiteral("c:detailComment")));
        QCOMPARE(columnText(row, 9), xml.text(d + QStringLiteral("c:documentNumber")));
        QCOMPARE(date(10), xml.text(d + QStringLiteral("c:documentDate")));
        QCOMPARE(money(11), isDebit ? amount : 0);
        QCOMPARE(money(12), isDebit ? 0 : amount);
    } else {
        QCOMPARE(columnText(row, 0), xml.text(d + QStringLiteral("c:account/c:accountMainID")));
        QCOMPARE(columnText(row, 1), xml.text(d + QStringLiteral("c:account/c:accountMainDescription")));
        QCOMPARE(columnText(row, 2), xml.text(d + QStringLiteral("c:account/c:accountSub/c:accountSubID")));
        QCOMPARE(date(4), xml.text(d + QStringLiteral("c:postingDate")));
        QCOMPARE(columnText(row, 5), xml.text(d + QStringLiteral("c:lineNumberCounter")));
        QCOMPARE(columnText(row, 6), xml.text(d + QStringLiteral("c:documentReference")));
        QCOMPARE(columnText(row, 7), xml.text(d + QStringLiteral("c:detailComment")));
        QCOMPARE(money(8), isDebit ? amount : 0);
        QCOMPARE(money(9), isDebit ? 0 : amount);
        // The running balance: this block's lines so far, debit minus credit.
        const QString before = d + QStringLiteral("preceding-sibling::c:entryDetail");
        const qint64 balance =
            xml.cents(QStringLiteral("sum(%1[c:debitCreditCode='D' or c:debitCreditCode='debit']/c:amount) - "
                                     "sum(%1[c:debitCreditCode='C' or c:debitCreditCode='credit']/c:amount)")
                          .arg(before)) +
            (isDebit ? amount : -amount);
        QCOMPARE(money(10), qAbs(balance));
        QCOMPARE(columnText(row, 11), balance > 0   ? QStringLiteral("B")
                                      : balance < 0 ? QStringLiteral("A")
                                                    : QString());
    }
}

void TestExport::editedLedger_showsInExport_data()
{
    QTest::addColumn<QString>("ledger");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("row"); // in the sheet, header = 0
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("expected");
    const QByteArray comment = "Kağıt alışı";
    const QByteArray letters = "ğüşıöçĞÜŞİÖÇ; \"tırnak\"\nikinci satır";
    const QString lettersText = QString::fromUtf8(letters);
    QTest::newRow("turkish letters xlsx")
        << kJournal << comment << letters << false << "Yevmiye" << 1 << 7 << lettersText;
    QTest::newRow("turkish letters csv") << kJournal << comment << letters << true << "" << 1 << 7 << lettersText;
    QTest::newRow("formula-like text stays text csv")
        << kJournal << comment << QByteArray("=1+2") << true << "" << 1 << 7 << "'=1+2";
    QTest::newRow("formula-like text stays text xlsx")
        << kJournal << comment << QByteArray("=1+2") << false << "Yevmiye" << 1 << 7 << "=1+2";
    // Zeros after the second decimal are exact, and a lone decimal is tenths.
    QTest::newRow("third decimal zero") << kJournal << QByteArray(">10000.00<") << QByteArray(">10000.000<") << true
                                        << "" << 1 << 11 << "10000,00";
    QTest::newRow("one decimal") << kJournal << QByteArray(">10000.00<") << QByteArray(">0.5<") << true << "" << 1 << 11
                                 << "0,50";
    QTest::newRow("all balanced") << kJournal << QByteArray() << QByteArray() << false << "Dengesiz Maddeler" << 1 << 0
                                  << "Borç ve alacak toplamları farklı olan madde yok.";
    // The first line of an entry raised by one kuruş.
    const QByteArray journalAmount = ">10000.00</gl-cor:amount>";
    const QByteArray ledgerAmount = ">1234567.89</gl-cor:amount>";
    QTest::newRow("unbalanced journal entry number")
        << kJournal << journalAmount << QByteArray(">10000.01</gl-cor:amount>") << false << "Dengesiz Maddeler" << 1
        << 0 << "347";
    QTest::newRow("unbalanced journal entry difference")
        << kJournal << journalAmount << QByteArray(">10000.01</gl-cor:amount>") << false << "Dengesiz Maddeler" << 1
        << 5 << "0.01";
    // Generated kebir: its first line's amount grows by 10,000.00; "first" is that line's entry number.
    const QByteArray opening = "<gl-cor:amount contextRef=\"ledger_context\" unitRef=\"try\" decimals=\"INF\">";
    QTest::newRow("unbalanced kebir entry")
        << "K" << opening << opening + '1' << false << "Dengesiz Maddeler" << 1 << 0 << "first";
    QTest::newRow("kebir all balanced") << "K" << QByteArray() << QByteArray() << false << "Dengesiz Maddeler" << 1 << 0
                                        << "Borç ve alacak toplamları farklı olan madde yok.";
}

void TestExport::editedLedger_showsInExport()
{
    QFETCH(QString, ledger);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(bool, csv);
    QFETCH(QString, sheet);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, expected);
    if (ledger == QLatin1String("K")) {
        ledger = m_genLedger;
    }
    if (expected == QLatin1String("first")) {
        expected = Ledger(ledger).text(QStringLiteral("(//c:entryDetail)[1]/c:lineNumberCounter"));
    }
    QTemporaryDir dir;
    if (!from.isEmpty()) {
        ledger = edited(ledger, dir.path(), from, to);
        QVERIFY(!ledger.isEmpty());
    }
    const QString out = dir.filePath(csv ? QStringLiteral("out.csv") : QStringLiteral("out.xlsx"));
    const ExportResult r = exportLedger(ledger, out, csv ? Format::Csv : Format::Xlsx);
    QVERIFY2(r.ok, qPrintable(r.error));
    Grid grid;
    if (csv) {
        grid = readCsv(out);
    } else {
        for (const auto& [name, cells] : readXlsx(out)) {
            if (name == sheet) {
                grid = cells;
            }
        }
    }
    QVERIFY(grid.count(row) && grid.at(row).count(column));
    QCOMPARE(grid.at(row).at(column).value, expected);
    if (!csv && column == 7) {
        QCOMPARE(grid.at(row).at(column).type, QStringLiteral("inlineStr"));
    }
}

void TestExport::smallRowLimit_continuesOnNextSheet()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.xlsx"));
    ExportOptions options;
    options.sheetRowLimit = 40; // 37 data rows per sheet
    const ExportResult r = exportLedger(m_genJournal, out, Format::Xlsx, {}, nullptr, options);
    QVERIFY2(r.ok, qPrintable(r.error));
    const auto sheets = readXlsx(out);
    const int expectedSheets = int((r.lines + 36) / 37);
    QVERIFY(expectedSheets >= 3);
    QCOMPARE(r.sheets, expectedSheets);
    QCOMPARE(sheets[1].first, QStringLiteral("Yevmiye (2)"));
    QCOMPARE(sheets[expectedSheets].first, QStringLiteral("Dengesiz Maddeler"));
    QCOMPARE(dataRows(sheets, QStringLiteral("Yevmiye")).size(), r.lines);
    for (int i = 0; i < expectedSheets; ++i) {
        QVERIFY(qint64(sheets[i].second.size()) <= options.sheetRowLimit);
    }
    const Ledger xml(m_genJournal);
    const std::map<int, Cell>& grand = sheets[expectedSheets - 1].second.rbegin()->second;
    QCOMPARE(columnText(grand, 0), QStringLiteral("GENEL TOPLAM"));
    QCOMPARE(cellCents(grand.at(11), false), xml.cents(QStringLiteral("sum(%1/c:amount)").arg(kDebitLines)));
    QVERIFY(grand.at(11).formula.startsWith(QStringLiteral("'Yevmiye'!L")));
}

void TestExport::badInput_failsAndLeavesNoFile_data()
{
    QTest::addColumn<QString>("ledger"); // "-" marks a case built in the test
    QTest::addColumn<QString>("target"); // relative to a fresh folder
    QTest::addColumn<bool>("csv");
    QTest::addColumn<qint64>("fileSizeLimit"); // simulates a full disk
    QTest::addColumn<QString>("message");
    QTest::newRow("not a ledger") << "html"
                                  << "out.xlsx" << false << qint64(0) << "e-Defter dosyası değil";
    QTest::newRow("truncated") << "truncated"
                               << "out.xlsx" << false << qint64(0) << "bozuk ya da yarım";
    QTest::newRow("truncated csv") << "truncated"
                                   << "out.csv" << true << qint64(0) << "bozuk ya da yarım";
    QTest::newRow("empty") << "empty"
                           << "out.xlsx" << false << qint64(0) << "dosya boş";
    QTest::newRow("missing") << "missing"
                             << "out.xlsx" << false << qint64(0) << "açılamadı";
    QTest::newRow("berat") << kBerat << "out.xlsx" << false << qint64(0) << "berat";
    QTest::newRow("approved kebir berat") << kGibBerat << "out.csv" << true << qint64(0) << "berat";
    // "edit|from|to": the fixture journal with its first `from` replaced; each names the place and the reason.
    QTest::newRow("bad amount") << "edit|>10000.00</gl-cor:amount>|>10.000,00</gl-cor:amount>"
                                << "out.xlsx" << false << qint64(0) << "1. satırda tutar geçersiz: \"10.000,00\"";
    QTest::newRow("third decimal, never rounded")
        << "edit|>10000.00</gl-cor:amount>|>65671.865</gl-cor:amount>"
        << "out.csv" << true << qint64(0) << "tutar geçersiz (ikiden çok ondalık basamak): \"65671.865\"";
    QTest::newRow("amount of 400 digits") << "edit|>10000.00<|>1" + QString(400, u'0') + "<"
                                          << "out.xlsx" << false << qint64(0) << "tutar geçersiz (çok büyük)";
    QTest::newRow("unknown debit/credit code")
        << "edit|>D</gl-cor:debitCreditCode>|>X</gl-cor:debitCreditCode>"
        << "out.xlsx" << false << qint64(0)
        << "1. satırda borç/alacak kodu geçersiz (D ya da C olmalı): \"X\" (dosyada 83. satır).";
    QTest::newRow("date 9999-99-99") << "edit|>2024-03-05</gl-cor:postingDate>|>9999-99-99</gl-cor:postingDate>"
                                     << "out.xlsx" << false << qint64(0) << "kayıt tarihi geçersiz";
    QTest::newRow("30 February") << "edit|>2024-03-05</gl-cor:enteredDate>|>2024-02-30</gl-cor:enteredDate>"
                                 << "out.csv" << true << qint64(0) << "madde tarihi geçersiz";
    QTest::newRow("29 February of a common year")
        << "edit|>2024-03-05</gl-cor:documentDate>|>2023-02-29</gl-cor:documentDate>"
        << "out.xlsx" << false << qint64(0) << "belge tarihi geçersiz";
    QTest::newRow("report amount with a third decimal") << "report|>1235068.14<|>1235068.145<"
                                                        << "out.xlsx" << false << qint64(0) << "3. satırda tutar";
    QTest::newRow("folder missing") << kJournal << "yok/out.xlsx" << false << qint64(0) << "klasör yok";
    QTest::newRow("folder not writable") << kJournal << "/proc/out.xlsx" << false << qint64(0) << "yazılamıyor";
    QTest::newRow("target is a folder") << kJournal << "sub" << false << qint64(0) << "yerine konamadı";
    QTest::newRow("disk full xlsx") << "K"
                                    << "out.xlsx" << false << qint64(16384) << "yazılamadı";
    QTest::newRow("disk full csv") << "K"
                                   << "out.csv" << true << qint64(4096) << "yazılamadı";
    // Shapes that kept libxml2's stream reader busy for minutes, refused before it reads them.
    QTest::newRow("doctype") << "hostile doctype"
                             << "out.csv" << true << qint64(0) << "DOCTYPE";
    QTest::newRow("deep nesting") << "hostile deep"
                                  << "out.csv" << true << qint64(0) << "256 düzey";
    QTest::newRow("many attributes") << "hostile attributes"
                                     << "out.csv" << true << qint64(0) << "256 nitelik";
    QTest::newRow("long attribute value") << "hostile value"
                                          << "out.csv" << true << qint64(0) << "nitelik değeri";
    QTest::newRow("long CDATA section") << "hostile cdata"
                                        << "out.csv" << true << qint64(0) << "CDATA";
    QTest::newRow("named pipe") << "fifo"
                                << "out.csv" << true << qint64(0) << "FIFO";
}

void TestExport::badInput_failsAndLeavesNoFile()
{
    QFETCH(QString, ledger);
    QFETCH(QString, target);
    QFETCH(bool, csv);
    QFETCH(qint64, fileSizeLimit);
    QFETCH(QString, message);
    QTemporaryDir source;
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const auto write = [&](const QByteArray& bytes) {
        QFile f(source.filePath(QStringLiteral("in.xml")));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    if (ledger == QLatin1String("html")) {
        ledger = write("<?xml version=\"1.0\"?><html><body>defter</body></html>");
    } else if (ledger == QLatin1String("truncated")) {
        QFile f(kJournal);
        f.open(QIODevice::ReadOnly);
        ledger = write(f.readAll().left(f.size() * 2 / 3));
    } else if (ledger == QLatin1String("empty")) {
        ledger = write({});
    } else if (ledger == QLatin1String("missing")) {
        ledger = source.filePath(QStringLiteral("yok.xml"));
    } else if (const QStringList edit = ledger.split(u'|'); edit.size() == 3) {
        ledger = edited(edit[0] == QLatin1String("report") ? kReport : kJournal, source.path(), edit[1].toUtf8(),
                        edit[2].toUtf8());
        QVERIFY(!ledger.isEmpty());
    } else if (ledger == QLatin1String("K")) {
        ledger = m_genLedger;
    } else if (ledger.startsWith(QLatin1String("hostile "))) {
        const QByteArray entries = "<gl-cor:accountingEntries>";
        const std::map<QString, QByteArray> before = {
            {"doctype", "<!DOCTYPE d [<!ENTITY a \"b\">]>"},
            {"deep", QByteArray("<a>").repeated(300) + QByteArray("</a>").repeated(300)},
            {"attributes", "<a" + QByteArray(" b=\"\"").repeated(300) + "/>"},
            {"value", "<a b=\"" + QByteArray(2 << 20, 'v') + "\"/>"},
            {"cdata", "<a><![CDATA[" + QByteArray(9 << 20, 'c') + "]]></a>"},
        };
        const QString shape = ledger.mid(8);
        ledger = shape == u"doctype"
                     ? edited(kJournal, source.path(), "<edefter:defter ", before.at(shape) + "<edefter:defter ")
                     : edited(kJournal, source.path(), entries, before.at(shape) + entries);
    } else if (ledger == QLatin1String("fifo")) {
        ledger = source.filePath(QStringLiteral("in.xml"));
        QCOMPARE(mkfifo(QFile::encodeName(ledger).constData(), 0600), 0);
    }
    const QString out = QDir(dir.path()).absoluteFilePath(target);

    rlimit saved{};
    if (fileSizeLimit > 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = rlim_t(fileSizeLimit);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    QElapsedTimer timer;
    timer.start();
    const ExportResult r = exportLedger(ledger, out, csv ? Format::Csv : Format::Xlsx);
    if (fileSizeLimit > 0) {
        setrlimit(RLIMIT_FSIZE, &saved);
    }
    QVERIFY2(timer.elapsed() < 20000, "a guard against hangs, not a speed test");

    QVERIFY(!r.ok);
    QVERIFY(!r.cancelled);
    QVERIFY2(r.error.contains(message), qPrintable(r.error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("sub")});
    QVERIFY(QDir(dir.filePath(QStringLiteral("sub"))).isEmpty());
}

void TestExport::amount_isExactOrNamesItsFault_data()
{
    using Fault = ledger::Amount::Fault;
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("kurus");
    QTest::addColumn<int>("fault");
    const auto row = [](const char* name, const QString& text, qint64 kurus, Fault fault) {
        QTest::newRow(name) << text << kurus << int(fault);
    };
    row("two decimals", "1200.00", 120000, Fault::None);
    row("one decimal", "200.0", 20000, Fault::None);
    row("whole", "5", 500, Fault::None);
    row("no whole part", ".5", 50, Fault::None);
    row("point at the end", "5.", 500, Fault::None);
    row("negative", "-3.10", -310, Fault::None);
    row("zeros after the second decimal", "1.250", 125, Fault::None);
    row("not exact as a double", "0.29", 29, Fault::None);
    row("largest", "89999999999999.99", 8'999'999'999'999'999, Fault::None);
    row("third decimal", "65671.865", 0, Fault::TooPrecise);
    row("a tenth of a kuruş", "0.001", 0, Fault::TooPrecise);
    row("turkish form", "10.000,00", 0, Fault::NotANumber);
    row("exponent", "1e5", 0, Fault::NotANumber);
    row("plus sign", "+5", 0, Fault::NotANumber);
    row("empty", "", 0, Fault::NotANumber);
    row("sign alone", "-", 0, Fault::NotANumber);
    row("point alone", ".", 0, Fault::NotANumber);
    row("space inside", "1 000", 0, Fault::NotANumber);
    row("90 trillion", "90000000000000", 0, Fault::OutOfRange);
    row("400 digits", "1" + QString(400, u'0'), 0, Fault::OutOfRange);
}

void TestExport::amount_isExactOrNamesItsFault()
{
    QFETCH(QString, text);
    QFETCH(qint64, kurus);
    QFETCH(int, fault);
    ledger::Amount::Fault found = ledger::Amount::Fault::None;
    const auto amount = ledger::Amount::parse(text.toStdString(), &found);
    QCOMPARE(int(found), fault);
    QCOMPARE(amount.has_value(), fault == int(ledger::Amount::Fault::None));
    if (amount) {
        QCOMPARE(amount->kurus(), kurus);
        QCOMPARE(ledger::Amount::parse(amount->toString())->kurus(), kurus);
    }
}

void TestExport::impossibleDate_isToldFromOddShapes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("impossible");
    QTest::newRow("leap day") << "2024-02-29" << false;
    QTest::newRow("leap day of 2000") << "2000-02-29" << false;
    QTest::newRow("leap day of a common year") << "2023-02-29" << true;
    QTest::newRow("leap day of 1900") << "1900-02-29" << true;
    QTest::newRow("30 February") << "2024-02-30" << true;
    QTest::newRow("31 April") << "2024-04-31" << true;
    QTest::newRow("30 April") << "2024-04-30" << false;
    QTest::newRow("all nines") << "9999-99-99" << true;
    QTest::newRow("month 13") << "2024-13-01" << true;
    QTest::newRow("month 0") << "2024-00-10" << true;
    QTest::newRow("day 0") << "2024-03-00" << true;
    QTest::newRow("year 0") << "0000-01-01" << true;
    QTest::newRow("with a time") << "2024-03-05T10:00:00" << false;
    QTest::newRow("impossible with a zone") << "2024-02-30+03:00" << true;
    QTest::newRow("another shape is not judged") << "05.03.2024" << false;
    QTest::newRow("empty") << "" << false;
}

void TestExport::impossibleDate_isToldFromOddShapes()
{
    QFETCH(QString, text);
    QFETCH(bool, impossible);
    QCOMPARE(ledger::isImpossibleDate(text.toStdString()), impossible);
}

void TestExport::cancel_leavesNoFile()
{
    for (const Format format : {Format::Xlsx, Format::Csv}) {
        QTemporaryDir dir;
        std::atomic_bool cancel = false;
        int calls = 0;
        const ExportResult r = exportLedger(
            m_genLedger, dir.filePath(QStringLiteral("out")), format,
            [&](qint64 done, qint64 total) {
                if (++calls == 1 && done < total) {
                    cancel = true;
                }
            },
            &cancel);
        QVERIFY(r.cancelled);
        QVERIFY(!r.ok);
        QVERIFY(r.error.isEmpty());
        QVERIFY(QDir(dir.path()).isEmpty());
    }
}

// The viewer exports on a worker thread; two at once must not disturb each other.
void TestExport::exportsOnTwoThreads_matchOneAtATime()
{
    QTemporaryDir dir;
    const QStringList ledgers{m_genJournal, m_genLedger, m_genJournal, m_genLedger};
    const auto sheet = [&](const QString& name) {
        return unzipped(dir.filePath(name), QStringLiteral("xl/worksheets/sheet1.xml"));
    };
    QVERIFY(exportLedger(m_genJournal, dir.filePath(QStringLiteral("Y.xlsx")), Format::Xlsx).ok);
    QVERIFY(exportLedger(m_genLedger, dir.filePath(QStringLiteral("K.xlsx")), Format::Xlsx).ok);
    QList<ExportResult> results(ledgers.size());
    const auto run = [&](int first) {
        for (int i = first; i < ledgers.size(); i += 2) {
            results[i] = exportLedger(ledgers[i], dir.filePath(QStringLiteral("%1.xlsx").arg(i)), Format::Xlsx);
        }
    };
    std::thread other(run, 1);
    run(0);
    other.join();
    for (int i = 0; i < ledgers.size(); ++i) {
        QVERIFY2(results[i].ok, qPrintable(results[i].error));
        QCOMPARE(sheet(QStringLiteral("%1.xlsx").arg(i)),
                 sheet(i % 2 ? QStringLiteral("K.xlsx") : QStringLiteral("Y.xlsx")));
    }
}

void TestExport::mizanAndEkstre_fixedColumnsFromTheDocument_data()
{
    QTest::addColumn<bool>("ekstre");
    QTest::addColumn<bool>("csv");
    for (const bool csv : {false, true}) {
        QTest::addRow("mizan %s", csv ? "csv" : "xlsx") << false << csv;
        QTest::addRow("ekstre %s", csv ? "csv" : "xlsx") << true << csv;
    }
}

// The program's mizan and ekstre documents go through the ledger's writers: fixed columns, numbers as
// numbers, group rows and the Devir and closing rows bold, the figures as computed.
void TestExport::mizanAndEkstre_fixedColumnsFromTheDocument()
{
    QFETCH(bool, ekstre);
    QFETCH(bool, csv);
    QTemporaryDir dir;
    ledgergen(dir.filePath(QStringLiteral("set")), {QStringLiteral("--months"), QStringLiteral("2025-01..2025-02"),
                                                    QStringLiteral("--entries"), QStringLiteral("30")});
    const QStringList journals = ledgerset::journalsIn({dir.filePath(QStringLiteral("set"))});
    QCOMPARE(journals.size(), 2);
    const QString document = dir.filePath(QStringLiteral("doc.xml"));
    const ledgerset::DocumentHeading heading{QStringLiteral("1234567890"), QDateTime::currentDateTime()};
    const ledgerset::Mizan m = ledgerset::mizan(journals);
    const ledgerset::Ekstre e = ledgerset::ekstre(journals, QStringLiteral("102"), QStringLiteral("2025-02"));
    QVERIFY(m.ok && e.ok && !e.lines.isEmpty());
    QVERIFY(ekstre ? ledgerset::writeEkstreXml(e, heading, document).ok
                   : ledgerset::writeMizanXml(m, heading, document).ok);
    const QString out = dir.filePath(csv ? QStringLiteral("out.csv") : QStringLiteral("out.xlsx"));
    const ExportResult r = exportLedger(document, out, csv ? Format::Csv : Format::Xlsx);
    QVERIFY2(r.ok, qPrintable(r.error));
    const Grid grid = csv ? readCsv(out) : readXlsx(out).value(0).second;
    QStringList header;
    for (const auto& [c, cell] : grid.at(0)) {
        header << cell.value;
    }
    QCOMPARE(header.join(';'), ekstre
                                   ? QStringLiteral("Tarih;Madde No;Fiş No;Evrak No;Evrak Tarihi;Hesap Kodu;"
                                                    "Açıklama;Borç;Alacak;Bakiye;B/A")
                                   : QStringLiteral("Hesap Kodu;Hesap Adı;Borç;Alacak;Borç Bakiyesi;Alacak Bakiyesi"));
    QCOMPARE(qsizetype(grid.size()), ekstre ? e.lines.size() + 3 : m.rows.size() + 2); // header, Devir, closing
    const std::map<int, Cell>& first = grid.at(1);
    const std::map<int, Cell>& last = grid.rbegin()->second;
    if (ekstre) {
        QCOMPARE(columnText(first, 6), QStringLiteral("Devir"));
        QCOMPARE(cellCents(first.at(9), csv), std::abs(e.opening().kurus()));
        QCOMPARE(columnText(last, 6), QStringLiteral("Kapanış"));
        QCOMPARE(cellCents(last.at(9), csv), std::abs(e.closing().kurus()));
        QCOMPARE(columnText(last, 10), e.closing().kurus() < 0 ? QStringLiteral("A") : QStringLiteral("B"));
        qint64 debit = 0;
        for (int row = 2; row < int(grid.size()) - 1; ++row) {
            debit += grid.at(row).count(7) ? cellCents(grid.at(row).at(7), csv) : 0;
        }
        QCOMPARE(debit, e.debit.kurus());
    } else {
        QCOMPARE(columnText(first, 0), QStringLiteral("1"));
        QCOMPARE(columnText(last, 1), QStringLiteral("Genel Toplam"));
        QCOMPARE(cellCents(last.at(2), csv), m.debit.kurus());
        QCOMPARE(cellCents(last.at(3), csv), m.credit.kurus());
    }
    if (!csv) {
        // Bold rows have a format of their own: the first and the last, not an ordinary line.
        const int amount = ekstre ? 9 : 2;
        int plain = 2; // the ekstre's first line, the mizan's first main account
        while (!ekstre && columnText(grid.at(plain), 0).size() != 3) {
            ++plain;
        }
        QVERIFY(first.at(amount).type.isEmpty()); // a number, not text
        QVERIFY(first.at(amount).style != grid.at(plain).at(amount).style);
        QCOMPARE(first.at(amount).style, last.at(amount).style);
        const QByteArray sheet = unzipped(out, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.contains("ySplit=\"1\"") && sheet.contains("<autoFilter ref=\"A1:"));
    }
}

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
