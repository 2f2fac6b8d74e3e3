#include "print/ledgerpdf.h"
#include "printtestsupport.h"

#include <QApplication>
#include <QDir>
#include <QPdfDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace render;
using namespace print;
using namespace printtest;

// A ledger printed to a PDF file without a window, as verazidedaze-render --pdf prints it.
class TestHeadlessPdf : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void headlessPdf_everyEntryEveryTime_data();
    void headlessPdf_everyEntryEveryTime();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestHeadlessPdf::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestHeadlessPdf::cleanup()
{
    m_dir.reset();
}

void TestHeadlessPdf::headlessPdf_everyEntryEveryTime_data()
{
    QTest::addColumn<int>("entries");
    QTest::newRow("one piece") << 20;
    QTest::newRow("pieces for several books") << 200;
}

// A generated journal with our stylesheet beside it, printed again and again by printers of its
// own, each printing it twice: first while its pages still start up (a single ledger), then as
// the next of a folder's ledgers. Every entry is in every file, once, in order.
void TestHeadlessPdf::headlessPdf_everyEntryEveryTime()
{
    QFETCH(int, entries);
    QProcess generator;
    generator.start(QStringLiteral(LEDGERGEN_PATH), {"--out", m_dir->path(), "--entries", QString::number(entries)});
    QVERIFY(generator.waitForFinished(60000) && generator.exitCode() == 0);
    QVERIFY(
        QFile::copy(QStringLiteral(TEST_PROGRAM_DIR "/yevmiye.xslt"), m_dir->filePath(QStringLiteral("yevmiye.xslt"))));
    render::RenderRequest request;
    request.ledgerPath = m_dir->filePath(QDir(m_dir->path()).entryList({QStringLiteral("*-Y-*.xml")}).value(0));
    QList<int> expected;
    for (int entry = 1; entry <= entries; ++entry) {
        expected.append(entry);
    }
    static const QRegularExpression entry(QStringLiteral("Fiş No: (\\d+)"));
    for (int printer = 0; printer < 2; ++printer) {
        LedgerPdf pdf;
        for (int run = 0; run < 2; ++run) {
            QSignalSpy finished(&pdf, &LedgerPdf::finished);
            QList<int> progress{0};
            connect(&pdf, &LedgerPdf::progressed, this, [&](int pages) { progress.append(pages); });
            const QString target = m_dir->filePath(QStringLiteral("yevmiye-%1-%2.pdf").arg(printer).arg(run));
            pdf.print(request, target);
            QVERIFY(finished.wait(120000));
            const auto outcome = finished.first().first().value<PdfOutcome>();
            QVERIFY2(outcome.ok, qPrintable(outcome.error));
            QPdfDocument document;
            QCOMPARE(document.load(target), QPdfDocument::Error::None);
            QCOMPARE(document.pageCount(), outcome.pages);
            QList<int> found;
            for (int page = 0; page < document.pageCount(); ++page) {
                for (const QRegularExpressionMatch& match : entry.globalMatch(document.getAllText(page).text())) {
                    found.append(match.captured(1).toInt());
                }
            }
            QCOMPARE(found, expected);
            QVERIFY2(std::is_sorted(progress.cbegin(), progress.cend()), qPrintable(QDebug::toString(progress)));
            pdf.disconnect(this);
        }
    }
}

int main(int argc, char* argv[])
{
    prepareWebEngineWithoutViewer();
    QApplication application(argc, argv);
    TestHeadlessPdf test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_headlesspdf.moc"
