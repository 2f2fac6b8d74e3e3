#include "previewtestsupport.h"
#include "print/ledgerpdf.h"
#include "print/pagestrip.h"
#include "print/parallelbook.h"
#include "print/piecebook.h"
#include "print/printpreview.h"
#include "viewer/frmxml.h"
#include "viewer/webbrowser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPageRanges>
#include <QPdfDocument>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QWebEnginePage>

#include <csignal>

using namespace render;
using namespace web;
using namespace print;
using namespace viewer;
using namespace viewertest;
using namespace printtest;

namespace {

// The web engine's page processes that are this test's: forked by its zygote, which it started.
int pageProcesses()
{
    const auto parentOf = [](const QString& pid) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly)) {
            return QString();
        }
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("PPid:")) {
                return QString::fromLatin1(line.mid(5).trimmed());
            }
        }
        return QString();
    };
    const auto isEngine = [](const QString& pid) {
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid));
        return command.open(QIODevice::ReadOnly) && command.readAll().contains("QtWebEngineProcess");
    };
    const QString self = QString::number(QCoreApplication::applicationPid());
    int count = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs)) {
        const QString parent = parentOf(pid);
        if (isEngine(pid) && isEngine(parent) && parentOf(parent) == self) {
            ++count;
        }
    }
    return count;
}

// Each page of `parts` laid end to end, as its file and its page there.
QList<std::pair<QString, int>> pagesOf(const QList<PdfPart>& parts)
{
    QList<std::pair<QString, int>> pages;
    for (const PdfPart& part : parts) {
        for (int i = 0; i < part.pageCount; ++i) {
            pages.append({part.path, part.firstPage + i});
        }
    }
    return pages;
}

// A browser page one of the preview's books lays pieces out in.
QWebEnginePage* bookPage(const PrintPreview& preview)
{
    return preview.book() ? preview.book()->findChild<QWebEnginePage*>() : nullptr;
}

} // namespace

// The print preview window: pages shown as they come, printing and saving ranges, cancelling, closing.
class TestPrintPreview : public PreviewTestBase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void preview_pagesAreTheHeadlessPrintersPages_data();
    void preview_pagesAreTheHeadlessPrintersPages();
    void preview_printsRangeAcrossPieces_data();
    void preview_printsRangeAcrossPieces();
    void preview_cancelWhileWaiting_leavesNoTarget_data();
    void preview_cancelWhileWaiting_leavesNoTarget();
    void preview_closedWhileLayingOut_leavesNoFilesNorProcesses();
    void preview_pieceFails_saysSoAndDoesNotHang();
    void preview_hidesViewerUntilClosed_forDocumentInPieces();
    void viewerClosedWhilePreviewPrepares_keepsProcessAlive();
};

void TestPrintPreview::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPrintPreview::cleanup()
{
    m_scheme = nullptr;
    m_profile.reset();
    m_dir.reset();
}

void TestPrintPreview::preview_pagesAreTheHeadlessPrintersPages_data()
{
    QTest::addColumn<bool>("inTables");
    QTest::addColumn<bool>("ruled");
    QTest::newRow("rows: the books' pages join") << false << false;
    // Only the first page shows the rule: no later book's page ever matches, the first lays out all.
    QTest::newRow("ruled rows: the books' pages never join") << true << true;
}

// Laid out by the same books as the headless printer, shown as they come and saved whole: the
// same pages, page for page.
void TestPrintPreview::preview_pagesAreTheHeadlessPrintersPages()
{
    QFETCH(bool, inTables);
    QFETCH(bool, ruled);
    WebBrowser browser(m_dir->path());
    QPointer<PrintPreview> preview = openPreview(browser, 240, inTables, ruled);
    QVERIFY(preview);
    QVERIFY(preview->bookCount() >= 2);
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    QSignalSpy shown(preview.data(), &PrintPreview::pagesShown);
    QSignalSpy ready(preview.data(), &PrintPreview::ready);
    QList<QList<std::pair<QString, int>>> seen; // the pages on screen, each time more came
    connect(preview.data(), &PrintPreview::pagesShown, this, [&] { seen.append(pagesOf(preview->parts())); });
    QVERIFY(ready.wait(120000));
    QCOMPARE(ready.first().first().toBool(), true);
    QCOMPARE(preview->state(), PrintPreview::State::Complete);
    // A page once shown stays: the books never replace it with another book's.
    const QList<std::pair<QString, int>> final = pagesOf(preview->parts());
    for (const auto& earlier : seen) {
        QCOMPARE(final.mid(0, earlier.size()), earlier);
    }
    QCOMPARE(preview->findChild<PageStrip*>()->total(), preview->pageCount()); // numbered on screen too
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    // The first pages are shown before the last piece is laid out.
    QVERIFY(shown.count() >= 2);
    QVERIFY(shown.first().first().toInt() < preview->pageCount());
    // The pages shown are where the document's parts put them, none lost or repeated.
    QList<int> rows;
    for (int page = 0; page < preview->pageCount(); ++page) {
        rows += rowsOnPart(preview->parts(), page);
    }
    QCOMPARE(rows.size(), 240);
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows.at(i), i + 1);
    }

    const QString saved = m_dir->filePath(QStringLiteral("tamami.pdf"));
    preview->setSaveTargetChooser([&] { return saved; });
    QSignalSpy written(preview.data(), &PrintPreview::jobFinished);
    preview->savePdf();
    QCOMPARE(preview->state(), PrintPreview::State::Printing);
    QVERIFY(written.wait(60000));
    QCOMPARE(written.first().first().toBool(), true);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QPdfDocument whole;
    QCOMPARE(whole.load(saved), QPdfDocument::Error::None);
    QCOMPARE(whole.pageCount(), preview->pageCount());

    LedgerPdf printer;
    QSignalSpy printed(&printer, &LedgerPdf::finished);
    const QString headless = m_dir->filePath(QStringLiteral("penceresiz.pdf"));
    render::RenderRequest request;
    request.ledgerPath = m_dir->filePath(QStringLiteral("parcali.xml"));
    request.fallbackFolder = m_dir->path();
    printer.print(request, headless);
    QVERIFY(printed.wait(120000));
    const auto outcome = printed.first().first().value<PdfOutcome>();
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QPdfDocument same;
    QCOMPARE(same.load(headless), QPdfDocument::Error::None);
    QCOMPARE(same.pageCount(), whole.pageCount());
    for (int i = 0; i < same.pageCount(); ++i) {
        QCOMPARE(same.getAllText(i).text(), whole.getAllText(i).text());
        QVERIFY(whole.getAllText(i).text().contains(QStringLiteral("Sayfa %1 / %2").arg(i + 1).arg(whole.pageCount())));
    }
    preview->close();
}

void TestPrintPreview::preview_printsRangeAcrossPieces_data()
{
    // Pages counted from the first piece's end, so that each range lies across a boundary.
    QTest::addColumn<int>("fromEnd"); // first page: the first piece's last page plus this
    QTest::addColumn<int>("length");
    QTest::newRow("last page of a piece and first of the next") << 0 << 2;
    QTest::newRow("the start of the second piece") << 1 << 3;
    QTest::newRow("from the first piece into the third") << -1 << 20;
}

void TestPrintPreview::preview_printsRangeAcrossPieces()
{
    QFETCH(int, fromEnd);
    QFETCH(int, length);
    WebBrowser browser(m_dir->path());
    QPointer<PrintPreview> preview = openPreview(browser, 240);
    QVERIFY(preview);
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    // Asked for at once: the print waits for the pages it needs.
    QTRY_VERIFY_WITH_TIMEOUT(preview->parts().size() >= 2, 30000);
    const int firstPieceEnd = preview->parts().constFirst().pageCount;
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
    QSignalSpy written(preview.data(), &PrintPreview::jobFinished);
    preview->printDocument();
    QVERIFY(written.wait(120000));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(written.first().first().toBool(), true);

    QPdfDocument result;
    QCOMPARE(result.load(printed), QPdfDocument::Error::None);
    QCOMPARE(result.pageCount(), length);
    for (int i = 0; i < length; ++i) {
        QVERIFY(isA4(result.pagePointSize(i)));
        const QList<int> rows = rowsOn(result, i);
        QVERIFY(!rows.isEmpty());
        QCOMPARE(rows, rowsOnPart(preview->parts(), first - 1 + i));
    }
    preview->close();
}

void TestPrintPreview::preview_cancelWhileWaiting_leavesNoTarget_data()
{
    QTest::addColumn<bool>("fileBefore");
    QTest::addColumn<bool>("saveWhole"); // "PDF olarak kaydet" instead of a print to a file
    QTest::newRow("print, new file") << false << false;
    QTest::newRow("print, file already there") << true << false;
    QTest::newRow("save, new file") << false << true;
}

void TestPrintPreview::preview_cancelWhileWaiting_leavesNoTarget()
{
    QFETCH(bool, fileBefore);
    QFETCH(bool, saveWhole);
    WebBrowser browser(m_dir->path());
    QPointer<PrintPreview> preview = openPreview(browser, 240);
    QVERIFY(preview);
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    const QString target = m_dir->filePath(QStringLiteral("iptal.pdf"));
    if (fileBefore) {
        writeFile(target, "önceki içerik");
    }
    preview->setPrinterChooser([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(target);
        return true; // every page: it waits for the last piece
    });
    preview->setSaveTargetChooser([&] { return target; });
    QSignalSpy written(preview.data(), &PrintPreview::jobFinished);
    saveWhole ? preview->savePdf() : preview->printDocument();
    QCOMPARE(preview->state(), PrintPreview::State::Printing);
    QTRY_VERIFY_WITH_TIMEOUT(preview->pageCount() > 0, 30000); // pages come while it waits
    QVERIFY(!preview->allPagesKnown());
    preview->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    QCOMPARE(written.count(), 1);
    QCOMPARE(written.first().first().toBool(), false);
    QCOMPARE(preview->state(), PrintPreview::State::LayingOut);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(QFile::exists(target), fileBefore);
    if (fileBefore) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("önceki içerik"));
    }
    QCOMPARE(leftovers(m_dir->path()), QStringList());
    // Laying out goes on: the preview still fills up after a cancelled print.
    QSignalSpy ready(preview.data(), &PrintPreview::ready);
    QVERIFY(ready.wait(120000));
    QCOMPARE(QFile::exists(target), fileBefore);
    const QString folder = preview->workFolder();
    preview->close();
    QTRY_VERIFY(preview.isNull());
    QVERIFY(!QFileInfo::exists(folder)); // its temporary files go with it
}

// Closed while its books lay pages out: within a second it is gone, and so are its files and
// its books' browser processes.
void TestPrintPreview::preview_closedWhileLayingOut_leavesNoFilesNorProcesses()
{
    WebBrowser browser(m_dir->path());
    QPointer<PrintPreview> preview = openPreview(browser, 240);
    QVERIFY(preview);
    QSignalSpy shown(preview.data(), &PrintPreview::pagesShown);
    QVERIFY(shown.wait(30000));
    QVERIFY(!preview->allPagesKnown());
    QTRY_VERIFY_WITH_TIMEOUT(pageProcesses() >= preview->bookCount() + 1, 10000);
    const QString folder = preview->workFolder();
    QVERIFY(QFileInfo::exists(folder));
    QElapsedTimer clock;
    clock.start();
    preview->close();
    QTRY_VERIFY_WITH_TIMEOUT(preview.isNull(), 1000);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!QFileInfo::exists(folder));
    // The viewer's own page keeps its process.
    QTRY_COMPARE_WITH_TIMEOUT(pageProcesses(), 1, 10000);
}

// A piece whose browser process dies: the preview says so and stops, a waiting save with it.
void TestPrintPreview::preview_pieceFails_saysSoAndDoesNotHang()
{
    WebBrowser browser(m_dir->path());
    QPointer<PrintPreview> preview = openPreview(browser, 240);
    QVERIFY(preview);
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    preview->setSaveTargetChooser([&] { return m_dir->filePath(QStringLiteral("kayit.pdf")); });
    QSignalSpy written(preview.data(), &PrintPreview::jobFinished);
    QSignalSpy ready(preview.data(), &PrintPreview::ready);
    preview->savePdf();
    QWebEnginePage* page = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((page = bookPage(*preview)) && page->renderProcessPid() > 0, 30000);
    QVERIFY(::kill(pid_t(page->renderProcessPid()), SIGKILL) == 0);
    QVERIFY(ready.wait(30000));
    QCOMPARE(ready.first().first().toBool(), false);
    QCOMPARE(preview->state(), PrintPreview::State::Failed);
    QCOMPARE(written.count(), 1);
    QCOMPARE(written.first().first().toBool(), false);
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().contains(QStringLiteral("beklenmedik biçimde kapandı")), qPrintable(problems.first()));
    const auto* status = preview->findChild<QLabel*>(QStringLiteral("lblStatus"));
    QVERIFY(status->text().contains(QStringLiteral("beklenmedik biçimde kapandı")));
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("kayit.pdf"))));
    preview->close();
    QTRY_VERIFY(preview.isNull());
}

void TestPrintPreview::preview_hidesViewerUntilClosed_forDocumentInPieces()
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
    QVERIFY(!preview->allPagesKnown());
    preview->close(); // while pieces are still being laid out
    QTRY_VERIFY(preview.isNull());
    QCOMPARE(visibility, (QStringList{"instantiated: hidden", "torn down: shown"}));
    delete window;
}

void TestPrintPreview::viewerClosedWhilePreviewPrepares_keepsProcessAlive()
{
    // A small ledger: the preview prints the shown page itself, which the viewer must outwait.
    writeFile(m_dir->filePath(QStringLiteral("kucuk.xslt")), stylesheet());
    writeFile(m_dir->filePath(QStringLiteral("kucuk.xml")), ledgerXml("kucuk.xslt", "<p>Kısa defter</p>"));
    for (int delay = 0; delay <= 160; delay += 40) {
        auto browser = std::make_unique<WebBrowser>(m_dir->path());
        browser->Navigate2(urlText(m_dir->path(), QStringLiteral("kucuk.xml")));
        QVERIFY(QTest::qWaitFor([&] { return !browser->Busy(); }, 30000));
        browser->ExecWB(WebBrowser::OLECMDID_PRINTPREVIEW, WebBrowser::OLECMDEXECOPT_PROMPTUSER);
        QTest::qWait(delay);
        browser.reset();
    }
}

int main(int argc, char* argv[])
{
    prepareWebEngine();
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true); // never the developer's own settings
    TestPrintPreview test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printpreview.moc"
