#include "ledgerset/setcheck.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestLedgerSet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dump();

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

    QTemporaryDir m_tmp;
};

void TestLedgerSet::initTestCase()
{
    QVERIFY(m_tmp.isValid());
}

void TestLedgerSet::dump()
{
    const QString dir = qEnvironmentVariable("DUMP_DIR");
    if (dir.isEmpty()) {
        QSKIP("DUMP_DIR not set");
    }
    const ledgerset::FolderReport report = check(dir);
    for (const ledgerset::SetReport& s : report.sets) {
        qInfo().noquote() << s.taxpayer << s.year << s.covers();
        for (const ledgerset::MonthRow& m : s.months) {
            QString line = m.period();
            for (const ledgerset::Cell& c : m.cells) {
                line += ' ' + ledgerset::markText(c.mark) + QString::number(c.parts);
            }
            qInfo().noquote() << line;
        }
        for (const ledgerset::Finding& f : s.findings) {
            qInfo().noquote() << ledgerset::codeKey(f.code) << f.period << f.file << f.place << f.message;
        }
    }
}

QTEST_GUILESS_MAIN(TestLedgerSet)
#include "tst_ledgerset.moc"
