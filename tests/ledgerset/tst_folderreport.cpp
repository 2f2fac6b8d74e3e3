// Hand-made folder reports written as XML and rendered the way the viewer renders a ledger.
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

// The set's report written as the program writes it and rendered on a render thread, as the viewer does.
render::RenderResult rendered(const SetReport& set, bool programStylesheets, std::optional<render::PieceLimits> pieces)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("rapor.xml")));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reportXml(reportOf(set), QDateTime(QDate(2026, 12, 8), QTime(16, 41)))) < 0) {
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

    const render::RenderResult result = rendered(set, programStylesheets, std::nullopt);
    QVERIFY2(result.ok(), result.html.constData());
    QVERIFY(result.stylesheetPath.endsWith(QLatin1String("klasor-denetimi.xslt")));
    QCOMPARE(result.kind, common::DocumentKind::FolderReport);
    QCOMPARE(result.title, QStringLiteral("e-Defter Klasör Denetimi – /arşiv/Müşteri 1"));

    const QString html = QString::fromUtf8(result.html);
    qsizetype at = 0;
    for (const QString& text : inOrder) {
        const qsizetype found = html.indexOf(text, at);
        QVERIFY2(found >= 0, qPrintable(text));
        at = found + text.size();
    }
    QCOMPARE(count(html, QStringLiteral("<td class=\"isaret ok\">✔")), okCells);
    QCOMPARE(count(html, QStringLiteral("<td class=\"isaret bad\">✘")), badCells);
    QCOMPARE(count(html, QStringLiteral("<td class=\"ay\">")), 12);
}

// A report of many findings is cut by its rows as a ledger is, so that the viewer shows and prints it in pieces.
void TestFolderReport::longReport_isCutIntoPiecesByRows()
{
    SetReport set = cleanYear();
    for (int i = 1; i <= 200; ++i) {
        set.findings.append({FindingCode::EntryUnbalanced, Severity::Error, "2025-03", "1234567890-202503-Y-000000.xml",
                             QStringLiteral("madde %1").arg(i), QStringLiteral("Bulgu %1.").arg(i)});
    }
    const render::RenderResult result = rendered(set, false, render::PieceLimits{});
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
    QCOMPARE(pieceHolding(QStringLiteral("Bulgu 1.")), 0);
    QVERIFY(pieceHolding(QStringLiteral("Bulgu 200.")) > 1);
    // The findings' column headers open every piece they continue into.
    QVERIFY(QString::fromUtf8(pieces.fragments.at(1)).contains(QStringLiteral("<th>Açıklama</th>")));
}

QTEST_GUILESS_MAIN(TestFolderReport)
#include "tst_folderreport.moc"
