#include "ledger/ledgerreader.h"
#include "ledger/tally.h"
#include "ledgerset/ekstre.h"
#include "ledgerset/mizan.h"
#include "ledgerset/mizanxml.h"
#include "ledgerset/setcheck.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

class TestLedgerSet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanSet_noFinding_data();
    void cleanSet_noFinding();
    void plantedFault_caught_data();
    void plantedFault_caught();
    void filesMissing_named_data();
    void filesMissing_named();
    void companyDetails_warned();
    void taxpayersAndYears_apart();
    void cancelled();
    void mizan_handMadeLedger();
    void mizan_matchesReportsAndMonths();
    void ekstre_runningBalanceAndCarry();

private:
    // Runs ledgergen into dir with the test roots; its standard output.
    QString generate(const QString& dir, const QStringList& args)
    {
        QProcess p;
        p.start(LEDGERGEN_PATH, QStringList{"--out", dir, "--roots", m_tmp.filePath("roots")} + args);
        if (!p.waitForFinished(300000) || p.exitCode() != 0) {
            qWarning().noquote() << p.readAllStandardError();
            return QString();
        }
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    ledgerset::FolderReport check(const QString& dir)
    {
        ledgerset::CheckOptions options;
        options.verify.rootsFolder = m_tmp.filePath("roots");
        return ledgerset::checkFolder(dir, options);
    }

    // Every finding in one line each, for a failure message.
    static QString listed(const ledgerset::FolderReport& report)
    {
        QStringList lines;
        for (const ledgerset::SetReport& s : report.sets) {
            for (const ledgerset::Finding& f : s.findings) {
                lines << QStringLiteral("%1 %2 %3 [%4] %5")
                             .arg(ledgerset::codeKey(f.code), f.period, f.file, f.place, f.message);
            }
        }
        return lines.join('\n');
    }

    QTemporaryDir m_tmp;
    int m_sets = 0;
};

void TestLedgerSet::initTestCase()
{
    QVERIFY(m_tmp.isValid());
}

void TestLedgerSet::cleanSet_noFinding_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("months");
    QTest::newRow("a year") << QStringList{"--months", "2025-01..2025-12", "--entries", "40"} << 12;
    QTest::newRow("months split into parts")
        << QStringList{"--months", "2024-12..2025-02", "--entries", "40", "--part-size", "0.1"} << 2;
    QTest::newRow("a month in one file") << QStringList{"--month", "2025-05", "--entries", "80"} << 1;
}

void TestLedgerSet::cleanSet_noFinding()
{
    QFETCH(QStringList, args);
    QFETCH(int, months);
    const QString dir = m_tmp.filePath(QStringLiteral("clean%1").arg(++m_sets));
    QVERIFY(!generate(dir, args).isNull());
    const ledgerset::FolderReport report = check(dir);
    QVERIFY(report.ok);
    QCOMPARE(report.sets.last().months.size(), months);
    QVERIFY2(report.errors() + report.warnings() == 0, qPrintable(listed(report)));
    for (const ledgerset::MonthRow& row : report.sets.last().months) {
        for (const ledgerset::Cell& cell : row.cells) {
            QCOMPARE(cell.mark, ledgerset::Mark::Ok);
        }
    }
}

// Each fault ledgergen plants is found with its own code, in the file it names.
void TestLedgerSet::plantedFault_caught_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("extra");
    const QStringList parts{"--entries", "40", "--part-size", "0.1"};
    QTest::newRow("missing part") << "missing-part"
                                  << "part_gap" << parts;
    QTest::newRow("missing berat") << "missing-berat"
                                   << "missing_file" << QStringList();
    QTest::newRow("DR amount") << "dr-amount"
                               << "dr_amount" << QStringList();
    QTest::newRow("DR count") << "dr-count"
                              << "dr_count" << QStringList();
    QTest::newRow("berat entry count") << "berat-entry-count"
                                       << "berat_entry_count" << QStringList();
    QTest::newRow("berat size") << "berat-size"
                                << "berat_size" << QStringList();
    QTest::newRow("tax line") << "tax-line"
                              << "berat_tax_lines" << QStringList();
    QTest::newRow("unbalanced entry") << "unbalanced-entry"
                                      << "entry_unbalanced" << QStringList();
    QTest::newRow("entry dated outside") << "entry-date"
                                         << "entry_date" << QStringList();
    QTest::newRow("serial gap") << "serial-gap"
                                << "serial_gap" << QStringList();
    QTest::newRow("entry number overlap") << "number-overlap"
                                          << "number_overlap" << QStringList();
    QTest::newRow("kebir line missing") << "kebir-line-missing"
                                        << "kebir_journal_mismatch" << QStringList();
}

void TestLedgerSet::plantedFault_caught()
{
    QFETCH(QString, fault);
    QFETCH(QString, code);
    QFETCH(QStringList, extra);
    const QString dir = m_tmp.filePath(fault);
    const QString planted =
        generate(dir, QStringList{"--months", "2025-01..2025-02", "--entries", "30", "--fault", fault} + extra);
    QVERIFY(!planted.isNull());
    // ledgergen lists the files it wrote, then a line per fault: "Hata eklendi: NAME · FILE · PLACE".
    const QString line = planted.mid(planted.indexOf("Hata eklendi: "));
    const QString file = line.section(QStringLiteral(" · "), 1, 1);
    QVERIFY2(file.endsWith(".xml"), qPrintable(planted));
    const ledgerset::FolderReport report = check(dir);
    QCOMPARE(report.sets.size(), 1);
    bool found = false; // in the file ledgergen names; a GİB copy planted alike may be named too
    for (const ledgerset::Finding& f : report.sets.first().findings) {
        if (ledgerset::codeKey(f.code) == code) {
            found = found || f.file == file;
            QCOMPARE(f.period, QStringLiteral("2025-02"));
            QVERIFY2(!f.message.isEmpty() &&
                         (!f.place.isEmpty() || code == "missing_file" || code.startsWith("berat_")),
                     qPrintable(f.message));
            QCOMPARE(f.severity, ledgerset::Severity::Error);
        }
    }
    QVERIFY2(found, qPrintable(planted + listed(report)));
    const ledgerset::MonthRow& february = report.sets.first().months.at(1);
    QVERIFY(std::any_of(february.cells.begin(), february.cells.end(),
                        [](const ledgerset::Cell& c) { return c.mark == ledgerset::Mark::Bad; }));
}

// Files taken away after writing: what is missing is named, with the month and the file's name.
void TestLedgerSet::filesMissing_named_data()
{
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("period");
    QTest::newRow("a month between two") << "*-202502-*"
                                         << "missing_file"
                                         << ""
                                         << "2025-02";
    QTest::newRow("a berat without its ledger") << "*-202501-Y-000000.xml"
                                                << "missing_file"
                                                << "-202501-Y-000000.xml"
                                                << "2025-01";
    QTest::newRow("GİB's berat not there yet") << "GIB-*-202503-KB-*"
                                               << "missing_gib_berat"
                                               << "-202503-KB-000000.xml"
                                               << "2025-03";
    QTest::newRow("defter raporu") << "*-202503-DR-*"
                                   << "missing_file"
                                   << "-202503-DR-000000.xml"
                                   << "2025-03";
}

void TestLedgerSet::filesMissing_named()
{
    QFETCH(QString, removed);
    QFETCH(QString, code);
    QFETCH(QString, file);
    QFETCH(QString, period);
    const QString dir = m_tmp.filePath(QStringLiteral("missing%1").arg(++m_sets));
    QVERIFY(!generate(dir, {"--months", "2025-01..2025-03", "--entries", "30"}).isNull());
    for (const QString& name : QDir(dir).entryList({removed}, QDir::Files)) {
        QVERIFY(QFile::remove(dir + '/' + name));
    }
    const ledgerset::FolderReport report = check(dir);
    QCOMPARE(report.sets.first().covers(), QStringLiteral("2025-01 – 2025-03"));
    const QList<ledgerset::Finding>& findings = report.sets.first().findings;
    const bool named = std::any_of(findings.begin(), findings.end(), [&](const ledgerset::Finding& f) {
        return ledgerset::codeKey(f.code) == code && f.period == period && (file.isEmpty() || f.file.endsWith(file));
    });
    QVERIFY2(named, qPrintable(listed(report)));
    QCOMPARE(report.errors() == 0, code == "missing_gib_berat");
}

// A berat that gives another phone than its ledger: a warning naming the detail, not an error of the set.
void TestLedgerSet::companyDetails_warned()
{
    const QString dir = m_tmp.filePath("company");
    QVERIFY(!generate(dir, {"--month", "2025-01", "--entries", "20"}).isNull());
    const QString berat = QDir(dir).entryList({"[0-9]*-YB-*.xml"}).value(0);
    QFile file(dir + '/' + berat);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray xml = file.readAll();
    const qsizetype at = xml.indexOf("<gl-bus:phoneNumber ");
    QVERIFY(at > 0);
    xml.insert(xml.indexOf('>', at) + 1, "9");
    file.seek(0);
    file.write(xml);
    file.close();
    const ledgerset::FolderReport report = check(dir);
    const QList<ledgerset::Finding>& findings = report.sets.first().findings;
    QVERIFY2(std::any_of(findings.begin(), findings.end(),
                         [&](const ledgerset::Finding& f) {
                             return f.code == ledgerset::FindingCode::CompanyDetails && f.file == berat &&
                                    f.place == "Telefon" && f.severity == ledgerset::Severity::Warning;
                         }),
             qPrintable(listed(report)));
}

// Two taxpayers and two years in one tree: a report each, in order.
void TestLedgerSet::taxpayersAndYears_apart()
{
    const QString dir = m_tmp.filePath("mixed");
    QVERIFY(!generate(dir + "/2024", {"--month", "2024-12", "--entries", "20"}).isNull());
    QVERIFY(!generate(dir + "/2025/ocak", {"--month", "2025-01", "--entries", "20"}).isNull());
    QVERIFY(!generate(dir + "/kisi", {"--month", "2025-01", "--entries", "20", "--taxpayer", "person"}).isNull());
    const ledgerset::FolderReport report = check(dir);
    QCOMPARE(report.folders.size(), 3);
    QCOMPARE(report.sets.size(), 3);
    QCOMPARE(report.sets[0].year, 2024);
    QCOMPARE(report.sets[1].year, 2025);
    QCOMPARE(report.sets[0].taxpayer, report.sets[1].taxpayer);
    QCOMPARE(report.sets[2].taxpayer.size(), 11);
    QVERIFY2(report.errors() == 0, qPrintable(listed(report)));
}

void TestLedgerSet::cancelled()
{
    const QString dir = m_tmp.filePath("cancel");
    QVERIFY(!generate(dir, {"--month", "2025-01", "--entries", "20"}).isNull());
    std::atomic_bool cancel = false;
    ledgerset::CheckOptions options;
    options.progress = [&](qint64, qint64) {
        cancel = true;
    };
    const ledgerset::FolderReport report = ledgerset::checkFolder(dir, options, &cancel);
    QVERIFY(report.cancelled);
    QVERIFY(report.sets.isEmpty());
}

namespace {

// A journal with just what the reader takes: entries of (account, sub-account, amount, side) lines.
// dates: each entry's date, when given.
QByteArray journalXml(const QList<QList<std::tuple<QString, QString, QString, QString>>>& entries,
                      const QStringList& dates = {})
{
    QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<edefter:defter xmlns:edefter="http://www.edefter.gov.tr" xmlns:xbrli="http://www.xbrl.org/2003/instance"
 xmlns:gl-cor="http://www.xbrl.org/int/gl/cor/2006-10-25" xmlns:gl-bus="http://www.xbrl.org/int/gl/bus/2006-10-25">
<xbrli:xbrl><gl-cor:accountingEntries><gl-cor:documentInfo><gl-cor:entriesType>journal</gl-cor:entriesType>
</gl-cor:documentInfo>)";
    int number = 0;
    for (const auto& lines : entries) {
        xml += "<gl-cor:entryHeader><gl-cor:entryNumberCounter>" + QByteArray::number(++number) +
               "</gl-cor:entryNumberCounter>";
        if (number <= dates.size()) {
            xml += "<gl-cor:enteredDate>" + dates[number - 1].toUtf8() + "</gl-cor:enteredDate>";
        }
        for (const auto& [main, sub, amount, side] : lines) {
            xml += "<gl-cor:entryDetail><gl-cor:account><gl-cor:accountMainID>" + main.toUtf8() +
                   "</gl-cor:accountMainID><gl-cor:accountMainDescription>H" + main.toUtf8() +
                   "</gl-cor:accountMainDescription>";
            if (!sub.isEmpty()) {
                xml += "<gl-cor:accountSub><gl-cor:accountSubID>" + sub.toUtf8() +
                       "</gl-cor:accountSubID></gl-cor:accountSub>";
            }
            xml += "</gl-cor:account><gl-cor:amount>" + amount.toUtf8() + "</gl-cor:amount><gl-cor:debitCreditCode>" +
                   side.toUtf8() + "</gl-cor:debitCreditCode></gl-cor:entryDetail>";
        }
        xml += "</gl-cor:entryHeader>";
    }
    return xml + "</gl-cor:accountingEntries></xbrli:xbrl></edefter:defter>";
}

QString rowText(const ledgerset::MizanRow& r)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(r.code, QString::fromStdString(r.debit.toString()), QString::fromStdString(r.credit.toString()),
             QString::fromStdString(r.debitBalance().toString()), QString::fromStdString(r.creditBalance().toString()));
}

} // namespace

// Three entries worked out by hand: groups at one and two digits, sub-accounts, both balances.
void TestLedgerSet::mizan_handMadeLedger()
{
    const QString path = m_tmp.filePath("1234567890-202501-Y-000000.xml");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(journalXml({{{"100", "100.01", "1000.00", "D"}, {"600", "", "1000", "C"}},
                           {{"153", "", "400.00", "D"}, {"100", "100.01", "400.00", "C"}},
                           {{"102", "", "250.50", "D"}, {"100", "100.02", "250.5", "C"}}}));
    file.close();
    const ledgerset::Mizan m = ledgerset::mizan({path});
    QVERIFY2(m.ok, qPrintable(m.error));
    QStringList rows;
    for (const ledgerset::MizanRow& r : m.rows) {
        rows << rowText(r);
    }
    QCOMPARE(
        rows,
        (QStringList{"1 1650.50 650.50 1000.00 0.00", "10 1250.50 650.50 600.00 0.00", "100 1000.00 650.50 349.50 0.00",
                     "100.01 1000.00 400.00 600.00 0.00", "100.02 0.00 250.50 0.00 250.50",
                     "102 250.50 0.00 250.50 0.00", "15 400.00 0.00 400.00 0.00", "153 400.00 0.00 400.00 0.00",
                     "6 0.00 1000.00 0.00 1000.00", "60 0.00 1000.00 0.00 1000.00", "600 0.00 1000.00 0.00 1000.00"}));
    QCOMPARE(m.rows.first().name, QStringLiteral("DÖNEN VARLIKLAR"));
    QCOMPARE(m.rows.at(2).name, QStringLiteral("H100"));
    QCOMPARE(m.debit, m.credit);
    QCOMPARE(m.periods, QStringList{"2025-01"});

    // A month with an entry that does not balance: the document names the difference.
    const QString february = m_tmp.filePath("1234567890-202502-Y-000000.xml");
    QFile unbalanced(february);
    QVERIFY(unbalanced.open(QIODevice::WriteOnly));
    unbalanced.write(journalXml({{{"153", "", "10.00", "D"}}}));
    unbalanced.close();
    const ledgerset::Mizan both = ledgerset::mizan({path, february});
    QCOMPARE(both.debit - both.credit, ledger::Amount::ofKurus(1000));
    const QString document = m_tmp.filePath("mizan.xml");
    QVERIFY(ledgerset::writeMizanXml(both, {"1234567890", QDateTime::currentDateTime()}, document).ok);
    QFile written(document);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains(R"(<total debit="1660.50" credit="1650.50" debit-balance="1010.00" )"
                                       R"(credit-balance="1000.00" difference="10.00"/>)"));
}

// Lines in date order within a month, the balance running on from the months before the range,
// and the months it could not be carried from named.
void TestLedgerSet::ekstre_runningBalanceAndCarry()
{
    const QString dir = m_tmp.filePath("ekstre");
    QVERIFY(QDir().mkpath(dir));
    const auto write = [&dir](const QString& month, const QByteArray& xml) {
        QFile file(dir + "/1234567890-" + month + "-Y-000000.xml");
        return file.open(QIODevice::WriteOnly) && file.write(xml) == xml.size();
    };
    QVERIFY(write("202501",
                  journalXml({{{"100", "100.01", "1000.00", "D"}, {"600", "", "1000.00", "C"}}}, {"2025-01-10"})));
    QVERIFY(write("202502", journalXml({{{"100", "100.01", "300.00", "C"}, {"153", "", "300.00", "D"}},
                                        {{"100", "100.02", "50.00", "D"}, {"600", "", "50.00", "C"}}},
                                       {"2025-02-20", "2025-02-05"})));
    QVERIFY(
        write("202503", journalXml({{{"100", "100.01", "200.00", "C"}, {"102", "", "200.00", "D"}}}, {"2025-03-01"})));
    const auto lines = [](const ledgerset::Ekstre& e) {
        QStringList out;
        for (const ledgerset::EkstreLine& l : e.lines) {
            out << QStringLiteral("%1 %2 %3 %4 %5")
                       .arg(l.date, l.account, QString::fromStdString((l.debit - l.credit).toString()),
                            QString::fromStdString(l.balance.toString()), l.entry);
        }
        return out;
    };
    const ledgerset::Ekstre e = ledgerset::ekstre(ledgerset::journalsIn({dir}), "100", "2025-02", "2025-03");
    QVERIFY2(e.ok, qPrintable(e.error));
    QCOMPARE(e.opening(), ledger::Amount::ofKurus(100000));
    QCOMPARE(e.openingPeriods, QStringList{"2025-01"});
    QVERIFY(e.openingMissing.isEmpty());
    QCOMPARE(lines(e), (QStringList{"2025-02-05 100.02 50.00 1050.00 2", "2025-02-20 100.01 -300.00 750.00 1",
                                    "2025-03-01 100.01 -200.00 550.00 1"}));
    QCOMPARE(e.closing(), ledger::Amount::ofKurus(55000));
    QCOMPARE(e.accountName, QStringLiteral("H100"));

    QStringList withoutJanuary = ledgerset::journalsIn({dir});
    withoutJanuary.removeFirst();
    const ledgerset::Ekstre sub = ledgerset::ekstre(withoutJanuary, "100.01", "2025-03", "2025-04");
    QCOMPARE(sub.opening(), ledger::Amount::ofKurus(-30000));
    QCOMPARE(sub.openingMissing, QStringList{"2025-01"});
    QCOMPARE(sub.missingPeriods, QStringList{"2025-04"});
    QCOMPARE(lines(sub), QStringList{"2025-03-01 100.01 -200.00 -500.00 1"});
    const std::atomic_bool stop = true;
    QVERIFY(ledgerset::ekstre(withoutJanuary, "100", {}, {}, &stop).cancelled);
}

// A month's mizan states its defter raporu's amounts; a range's is the sum of its months'; a month
// missing from the range is named; a cancelled one says so.
void TestLedgerSet::mizan_matchesReportsAndMonths()
{
    const QString dir = m_tmp.filePath("mizan");
    QVERIFY(!generate(dir, {"--months", "2025-01..2025-03", "--entries", "60", "--part-size", "0.2"}).isNull());
    std::map<QString, std::pair<ledger::Amount, ledger::Amount>> summed;
    for (const QString& month : {"2025-01", "2025-02", "2025-03"}) {
        const ledgerset::Mizan m = ledgerset::mizan(ledgerset::journalsIn({dir}, month, month));
        QVERIFY2(m.ok && m.missingPeriods.isEmpty(), qPrintable(m.error));
        const QString report = QDir(dir).entryList({"*-" + QString(month).remove('-') + "-DR-*"}).value(0);
        ledger::LedgerReader reader(dir + '/' + report, {}, nullptr);
        ledger::Tally tally;
        QCOMPARE(tally.readAll(reader), ledger::ReadEvent::End);
        int accounts = 0;
        for (const ledgerset::MizanRow& r : m.rows) {
            if (r.level == ledgerset::MizanRow::Level::Account) {
                ++accounts;
                const ledger::AccountSums& stated = tally.accounts.at(r.code.toStdString());
                QCOMPARE(r.debit, stated.debit.amount);
                QCOMPARE(r.credit, stated.credit.amount);
                summed[r.code].first += r.debit;
                summed[r.code].second += r.credit;
            }
        }
        QCOMPARE(size_t(accounts), tally.accounts.size());
    }
    const ledgerset::Mizan year = ledgerset::mizan(ledgerset::journalsIn({dir}));
    QCOMPARE(year.periods.size(), 3);
    for (const ledgerset::MizanRow& r : year.rows) {
        if (r.level == ledgerset::MizanRow::Level::Account) {
            QCOMPARE(r.debit, summed[r.code].first);
            QCOMPARE(r.credit, summed[r.code].second);
        }
    }
    QCOMPARE(year.debit, year.credit);
    QStringList withoutFebruary = ledgerset::journalsIn({dir});
    withoutFebruary.removeIf([](const QString& p) { return p.contains("-202502-"); });
    QCOMPARE(ledgerset::mizan(withoutFebruary, "2025-01", "2025-04").missingPeriods,
             (QStringList{"2025-02", "2025-04"}));
    const std::atomic_bool stop = true;
    QVERIFY(ledgerset::mizan(withoutFebruary, {}, {}, &stop).cancelled);
}

QTEST_GUILESS_MAIN(TestLedgerSet)
#include "tst_ledgerset.moc"
