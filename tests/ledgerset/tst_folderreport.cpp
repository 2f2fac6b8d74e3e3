// Hand-made folder reports, mizans and ekstres written as XML and rendered the way the viewer renders a ledger.
#include "common/documentkind.h"
#include "ledgerset/mizanxml.h"
#include "ledgerset/reportxml.h"
#include "render/ledgerrender.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace ledgerset;

Q_DECLARE_METATYPE(ledgerset::SetReport)

namespace {

// The first of texts that html does not hold after the ones before it; empty when all are there in order.
QString firstNotInOrder(const QString& html, const QStringList& texts)
{
    qsizetype at = 0;
    for (const QString& text : texts) {
        const qsizetype found = html.indexOf(text, at);
        if (found < 0) {
            return text;
        }
        at = found + text.size();
    }
    return {};
}

const QString kTaxpayer = QStringLiteral("1234567890");

SetReport cleanYear()
{
    SetReport set;
    set.taxpayer = kTaxpayer;
    set.year = 2025;
    for (int month = 1; month <= 12; ++month) {
        MonthRow row{2025, month, {}};
        for (Cell& cell : row.cells) {
            cell = {Mark::Ok, 1};
        }
        set.months.append(row);
    }
    return set;
}

// A warning before two errors: the report lists errors first whatever the order found.
SetReport yearWithThreeFindings()
{
    SetReport set = cleanYear();
    set.months[2].cells[int(Column::Journal)].parts = 2;
    set.months[5].cells[int(Column::GibJournalBerat)].mark = Mark::Open;
    set.months[6].cells[int(Column::Report)].mark = Mark::Bad;
    set.findings = {
        {FindingCode::MissingGibBerat, Severity::Warning, "2025-06", "", "", "GİB onayı bulunamadı"},
        {FindingCode::DrAmount, Severity::Error, "2025-07", "1234567890-202507-DR-000000.xml", "hesap 600 alacak",
         "Defter raporunda 1.000,00, yevmiyede 900,00"},
        {FindingCode::SerialGap, Severity::Error, "2025-09", "1234567890-202509-Y-000000.xml", "",
         "Sıra numarası YEV202509000010 bekleniyordu, YEV202509000012 var"},
    };
    return set;
}

FolderReport reportOf(const SetReport& set)
{
    FolderReport report;
    report.ok = true;
    report.root = QStringLiteral("/arşiv/Müşteri 1");
    verify::VerificationResult file;
    file.path = report.root + QStringLiteral("/1234567890-202501-Y-000000.xml");
    file.summary = QStringLiteral("✔ İmza geçerli");
    report.folders.append({report.root, {{file}, {}, {}, {}, verify::Status::Verified}});
    report.sets = {set};
    return report;
}

// The document rendered on a render thread, as the viewer does.
render::RenderResult rendered(const QByteArray& xml, bool programStylesheets, std::optional<render::PieceLimits> pieces)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("rapor.xml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) < 0) {
        return {};
    }
    file.close();
    render::RenderRequest request;
    request.ledgerPath = file.fileName();
    request.fallbackFolder = QStringLiteral(STYLESHEET_DIR);
    request.pieces = pieces;
    request.programStylesheets = programStylesheets;
    render::RenderResult result;
    QThread* thread = render::createRenderThread([&] { result = render::renderLedger(request); });
    thread->start();
    thread->wait();
    delete thread;
    return result;
}

// The set's report written as the program writes it.
QByteArray reportOfSet(const SetReport& set)
{
    return reportXml(reportOf(set), QDateTime(QDate(2026, 12, 8), QTime(16, 41)));
}

// The document as the program writes it, read back.
template <typename Write>
QByteArray written(Write write)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("belge.xml"));
    QFile file(path);
    if (!write(path).ok || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

const DocumentHeading kHeading{kTaxpayer, QDateTime(QDate(2026, 12, 8), QTime(19, 30))};

// 1 › 10 › 102 › 102.01 over 2025, its credit total `difference` kuruş short of its debit total.
QByteArray mizanXml(const QStringList& missing, qint64 difference)
{
    using ledger::Amount;
    Mizan mizan;
    mizan.from = QStringLiteral("2025-01");
    mizan.to = QStringLiteral("2025-12");
    mizan.periods = {QStringLiteral("2025-01")};
    mizan.missingPeriods = missing;
    const Amount sum = Amount::ofKurus(123456789);
    mizan.rows = {{MizanRow::Level::Class, "1", "DÖNEN VARLIKLAR", sum, {}},
                  {MizanRow::Level::Group, "10", "HAZIR DEĞERLER", sum, {}},
                  {MizanRow::Level::Account, "102", "BANKALAR", sum, {}},
                  {MizanRow::Level::Sub, "102.01", "Ziraat", Amount::ofKurus(-510), {}}};
    mizan.debit = sum;
    mizan.credit = sum - Amount::ofKurus(difference);
    return written([&](const QString& path) { return writeMizanXml(mizan, kHeading, path); });
}

// 102 BANKALAR from 2025-03, 10,00 carried: debits of 1.000,50, the second line a credit of 3.000,00.
QByteArray ekstreXml(int lines, const QStringList& missing, const QStringList& openingMissing)
{
    using ledger::Amount;
    Ekstre ekstre;
    ekstre.account = QStringLiteral("102");
    ekstre.accountName = QStringLiteral("BANKALAR");
    ekstre.from = QStringLiteral("2025-03");
    ekstre.to = QStringLiteral("2025-12");
    ekstre.periods = {QStringLiteral("2025-03")};
    ekstre.missingPeriods = missing;
    ekstre.openingDebit = Amount::ofKurus(1000);
    ekstre.openingPeriods = {QStringLiteral("2025-01")};
    ekstre.openingMissing = openingMissing;
    Amount balance = ekstre.opening();
    for (int i = 1; i <= lines; ++i) {
        EkstreLine line{
            "2025-03-31", QString::number(i), "F1", "E1", "2025-03-30", "102.01", QStringLiteral("Satır %1.").arg(i)};
        (i == 2 ? line.credit : line.debit) = Amount::ofKurus(i == 2 ? 300000 : 100050);
        balance = line.balance = balance + line.debit - line.credit;
        ekstre.debit += line.debit;
        ekstre.credit += line.credit;
        ekstre.lines.append(line);
    }
    return written([&](const QString& path) { return writeEkstreXml(ekstre, kHeading, path); });
}

int count(const QString& html, const QString& pattern)
{
    return int(html.count(QRegularExpression(pattern)));
}

} // namespace

class TestFolderReport : public QObject
{
    Q_OBJECT

private slots:
    void report_rendersGridAndFindings_errorsFirst_data();
    void report_rendersGridAndFindings_errorsFirst();
    void ownDocuments_showTheirRows_data();
    void ownDocuments_showTheirRows();
    void longReport_isCutIntoPiecesByRows_data();
    void longReport_isCutIntoPiecesByRows();
};

void TestFolderReport::report_rendersGridAndFindings_errorsFirst_data()
{
    QTest::addColumn<SetReport>("set");
    QTest::addColumn<bool>("programStylesheets");
    QTest::addColumn<QStringList>("inOrder"); // texts that must appear, in this order
    QTest::addColumn<int>("okCells");
    QTest::addColumn<int>("badCells");

    const QStringList clean{"e-Defter Klasör Denetimi",
                            "VKN/TCKN 1234567890 · 2025",
                            "2025-01 – 2025-12",
                            "Aralık",
                            "Bulgu yok.",
                            "1234567890-202501-Y-000000.xml",
                            "✔ İmza geçerli"};
    QTest::newRow("clean year") << cleanYear() << false << clean << 84 << 0;
    QTest::newRow("clean year, program view") << cleanYear() << true << clean << 84 << 0;
    QTest::newRow("three findings") << yearWithThreeFindings() << false
                                    << QStringList{"2 hata",
                                                   "1 uyarı",
                                                   "×2",
                                                   "Hata",
                                                   "hesap 600 alacak",
                                                   "Defter raporunda 1.000,00, yevmiyede 900,00",
                                                   "dr_amount",
                                                   "YEV202509000012",
                                                   "serial_gap",
                                                   "Uyarı",
                                                   "GİB onayı bulunamadı",
                                                   "missing_gib_berat"}
                                    << 82 << 1;
}

void TestFolderReport::report_rendersGridAndFindings_errorsFirst()
{
    QFETCH(SetReport, set);
    QFETCH(bool, programStylesheets);
    QFETCH(QStringList, inOrder);
    QFETCH(int, okCells);
    QFETCH(int, badCells);

    const render::RenderResult result = rendered(reportOfSet(set), programStylesheets, std::nullopt);
    QVERIFY2(result.ok(), result.html.constData());
    QVERIFY(result.stylesheetPath.endsWith(QLatin1String("klasor-denetimi.xslt")));
    QCOMPARE(result.kind, common::DocumentKind::FolderReport);
    QCOMPARE(result.title, QStringLiteral("e-Defter Klasör Denetimi – /arşiv/Müşteri 1"));

    const QString html = QString::fromUtf8(result.html);
    const QString notInOrder = firstNotInOrder(html, inOrder);
    QVERIFY2(notInOrder.isEmpty(), qPrintable(notInOrder));
    QCOMPARE(count(html, QStringLiteral("<td class=\"isaret ok\">✔")), okCells);
    QCOMPARE(count(html, QStringLiteral("<td class=\"isaret bad\">✘")), badCells);
    QCOMPARE(count(html, QStringLiteral("<td class=\"ay\">")), 12);
}

void TestFolderReport::ownDocuments_showTheirRows_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("inOrder"); // texts that must appear, in this order
    QTest::addColumn<QStringList>("absent");

    const QString difference = QStringLiteral("Borç ve alacak toplamları eşit değil");
    const QString missingMonths = QStringLiteral("Eksik aylar");
    QTest::newRow("mizan, unbalanced, months missing")
        << mizanXml({"2025-04", "2025-07"}, -123450) << int(common::DocumentKind::Mizan)
        << QStringList{"<title>Mizan – 1234567890 – 2025-01 – 2025-12</title>",
                       "VKN/TCKN:</th><td>1234567890",
                       "Dönem:</th><td>2025-01 – 2025-12",
                       "Eksik aylar: 2025-04, 2025-07 — bu ayların yevmiye defteri bulunamadı; mizan eksik olabilir.",
                       "Borç ve alacak toplamları eşit değil: fark 1.234,50 TL (alacak fazlası).",
                       "<tr data-duzey=\"class\"><td>1</td>",
                       "<tr data-duzey=\"group\"><td>10</td><td>HAZIR DEĞERLER</td><td>1.234.567,89</td><td></td>",
                       "<tr data-duzey=\"sub\"><td>102.01</td><td>Ziraat</td><td>-5,10</td><td></td><td></td><td>5,10",
                       "<tr class=\"toplam\"><td colspan=\"2\">Genel Toplam</td><td>1.234.567,89</td>"
                       "<td>1.235.802,39</td><td>1.234.567,89</td><td>0,00</td>"}
        << QStringList{};
    QTest::newRow("mizan, debit over credit")
        << mizanXml({}, 1) << int(common::DocumentKind::Mizan) << QStringList{"fark 0,01 TL (borç fazlası)."}
        << QStringList{missingMonths};
    QTest::newRow("mizan, balanced") << mizanXml({}, 0) << int(common::DocumentKind::Mizan)
                                     << QStringList{"Genel Toplam"} << QStringList{difference, missingMonths};
    QTest::newRow("another program's mizan")
        << mizanXml({}, -100).replace(common::kProgramNamespace, "urn:another-program")
        << int(common::DocumentKind::Unknown) << QStringList{} << QStringList{difference};
    QTest::newRow("ekstre")
        << ekstreXml(2, {"2025-06"}, {"2025-02"}) << int(common::DocumentKind::Ekstre)
        << QStringList{"<title>Hesap Ekstresi – 102 BANKALAR – 1234567890 – 2025-03 – 2025-12</title>",
                       "Hesap:</th><td>102 BANKALAR",
                       "Eksik aylar: 2025-06 — bu ayların yevmiye defteri bulunamadı; ekstre eksik olabilir.",
                       "Devir bakiyesi eksik olabilir: 2025-02 ayları bulunamadı.",
                       "<th>Açıklama</th>",
                       "<tr class=\"devir\"><td colspan=\"7\">Devir",
                       "<td>10,00</td><td>0,00</td><td>10,00</td><td>B</td>",
                       "<tr><td>31.03.2025</td><td>1</td><td>F1</td><td>E1</td><td>30.03.2025</td><td>102.01</td>"
                       "<td>Satır 1.</td><td>1.000,50</td><td></td><td>1.010,50</td><td>B</td></tr>",
                       "<td>Satır 2.</td><td></td><td>3.000,00</td><td>1.989,50</td><td>A</td>",
                       "Dönem toplamı</td><td>1.000,50</td><td>3.000,00</td>",
                       "Kapanış bakiyesi</td><td></td><td></td><td>1.989,50</td><td>A</td>"}
        << QStringList{"hareket yok"};
    QTest::newRow("ekstre without lines")
        << ekstreXml(0, {}, {}) << int(common::DocumentKind::Ekstre)
        << QStringList{"Devir", "Bu dönemde hesapta hareket yok.", "Dönem toplamı", "Kapanış bakiyesi"}
        << QStringList{missingMonths, "Devir bakiyesi eksik"};
}

void TestFolderReport::ownDocuments_showTheirRows()
{
    QFETCH(QByteArray, xml);
    QFETCH(int, kind);
    QFETCH(QStringList, inOrder);
    QFETCH(QStringList, absent);

    const render::RenderResult result = rendered(xml, false, std::nullopt);
    QCOMPARE(int(result.kind), kind);
    const QString html = QString::fromUtf8(result.html);
    const QString notInOrder = firstNotInOrder(html, inOrder);
    QVERIFY2(notInOrder.isEmpty(), qPrintable(notInOrder));
    for (const QString& text : absent) {
        QVERIFY2(!html.contains(text), qPrintable(text));
    }
}

void TestFolderReport::longReport_isCutIntoPiecesByRows_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("end"); // the totals, after the last row

    SetReport set = cleanYear();
    for (int i = 1; i <= 200; ++i) {
        set.findings.append({FindingCode::EntryUnbalanced, Severity::Error, "2025-03", "1234567890-202503-Y-000000.xml",
                             QStringLiteral("madde %1").arg(i), QStringLiteral("Bulgu %1.").arg(i)});
    }
    QTest::newRow("folder report") << reportOfSet(set) << "Bulgu 1."
                                   << "Bulgu 200."
                                   << "";
    QTest::newRow("ekstre") << ekstreXml(600, {}, {}) << "Devir"
                            << "Satır 600."
                            << "Kapanış bakiyesi";
}

// A long document is cut by its rows as a ledger is, so that the viewer shows and prints it in pieces.
void TestFolderReport::longReport_isCutIntoPiecesByRows()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, end);

    const render::RenderResult result = rendered(xml, false, render::PieceLimits{});
    QVERIFY(result.ok() && result.pieces);
    const render::PiecedDocument& pieces = *result.pieces;
    QVERIFY(pieces.count() > 2);
    const auto pieceHolding = [&](const QString& text) {
        for (qsizetype i = 0; i < pieces.count(); ++i) {
            if (QString::fromUtf8(pieces.fragments.at(i)).contains(text)) {
                return i;
            }
        }
        return qsizetype(-1);
    };
    QCOMPARE(pieceHolding(first), 0);
    QVERIFY(pieceHolding(last) > 1);
    QVERIFY(end.isEmpty() || pieceHolding(end) == pieces.count() - 1);
    // The column headers open every piece the table continues into.
    QVERIFY(QString::fromUtf8(pieces.fragments.at(1)).contains(QStringLiteral("<th>Açıklama</th>")));
}

QTEST_GUILESS_MAIN(TestFolderReport)
#include "tst_folderreport.moc"
