#include "print/pdfassembly.h"
#include "print/pdfprinting.h"
#include "printtestsupport.h"
#include "viewertestsupport.h"

#include <QApplication>
#include <QPdfDocument>
#include <QPrinter>
#include <QTest>

using namespace render;
using namespace web;
using namespace print;
using namespace viewertest;
using namespace printtest;

// Cutting and joining the printed pieces' PDFs with qpdf, and what reaches a printer.
class TestPdfAssembly : public PrintTestBase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pageRange_givesExactlyThosePages_data();
    void pageRange_givesExactlyThosePages();
    void printer_getsPageImagesOfTheRangeAcrossPieces();
    void assembly_failure_namesFileAndCause_data();
    void assembly_failure_namesFileAndCause();
    void save_failure_leavesExistingFileAsItWas();
};

void TestPdfAssembly::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPdfAssembly::cleanup()
{
    m_scheme = nullptr;
    m_profile.reset();
    m_dir.reset();
}

void TestPdfAssembly::pageRange_givesExactlyThosePages_data()
{
    QTest::addColumn<int>("first"); // from 1, as the user gives them
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("pageRule"); // the document's own @page rule
    QTest::newRow("inside the first piece") << 1 << 2 << true;
    QTest::newRow("across one boundary") << 3 << 5 << true;
    QTest::newRow("across three pieces") << 2 << 8 << true;
    QTest::newRow("one whole middle piece") << 4 << 6 << true;
    QTest::newRow("the last page alone") << 12 << 12 << true;
    QTest::newRow("every page") << 1 << 12 << true;
    QTest::newRow("every page, no page rule") << 1 << 12 << false;
}

void TestPdfAssembly::pageRange_givesExactlyThosePages()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, pageRule);
    serve(4, false, pageRule);
    PieceBook book(m_profile.get(), *m_scheme, m_dir->path());
    QVERIFY(layOutAll(book));

    QList<int> pages;
    for (int page = first; page <= last; ++page) {
        pages.append(page - 1);
    }
    const QString target = m_dir->filePath(QStringLiteral("aralik.pdf"));
    const PdfOutcome outcome = savePdfPages(book.parts(), pages, target);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));

    QPdfDocument printed;
    QCOMPARE(printed.load(target), QPdfDocument::Error::None);
    QCOMPARE(printed.pageCount(), last - first + 1);
    for (int i = 0; i < printed.pageCount(); ++i) {
        QVERIFY(isA4(printed.pagePointSize(i)));
        QCOMPARE(rowsOn(printed, i), expectedRows(first - 1 + i));
        // Numbered in the whole document, whichever pages are printed.
        const QString text = printed.getAllText(i).text();
        QVERIFY2(text.contains(QStringLiteral("Sayfa %1 / 12").arg(first + i)), qPrintable(text));
    }
    QCOMPARE(leftovers(m_dir->path()), QStringList());
}

void TestPdfAssembly::printer_getsPageImagesOfTheRangeAcrossPieces()
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
        for (int y = 60; y < 120; ++y) {
            for (int x = 60; x < 400; ++x) {
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        QVERIFY2(dark > 0, qPrintable(QString::number(i)));
    }
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("yazdirilacak.pdf"))));
}

void TestPdfAssembly::assembly_failure_namesFileAndCause_data()
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

void TestPdfAssembly::assembly_failure_namesFileAndCause()
{
    QFETCH(QString, partName);
    QFETCH(QByteArray, partBytes);
    QFETCH(int, claimedPages);
    QFETCH(int, page);
    QFETCH(QString, expected);
    const QString part = m_dir->filePath(partName);
    if (!partBytes.isEmpty()) {
        writeFile(part, partBytes);
    }
    const QString target = m_dir->filePath(QStringLiteral("cikti.pdf"));
    const PdfOutcome outcome = savePdfPages({{part, claimedPages}}, {page}, target);
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.cancelled);
    QVERIFY2(outcome.error.contains(expected), qPrintable(outcome.error));
    QVERIFY(!QFile::exists(target));
    QCOMPARE(leftovers(m_dir->path()), QStringList());
}

void TestPdfAssembly::save_failure_leavesExistingFileAsItWas()
{
    const QString target = m_dir->filePath(QStringLiteral("eski.pdf"));
    writeFile(target, "önceki içerik");
    const PdfOutcome outcome = savePdfPages({{m_dir->filePath(QStringLiteral("yok.pdf")), 2}}, {0, 1}, target);
    QVERIFY(!outcome.ok);
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("önceki içerik"));
}

int main(int argc, char* argv[])
{
    prepareWebEngineWithoutViewer();
    QApplication application(argc, argv);
    TestPdfAssembly test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pdfassembly.moc"
