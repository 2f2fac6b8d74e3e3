#include "common/documentkind.h"
#include "ledgerset/mizanxml.h"
#include "ledgerset/reportxml.h"
#include "print/printpreview.h"
#include "selection/viewerhost.h"
#include "viewer/documentrunner.h"
#include "viewer/exportrunner.h"
#include "viewer/frmxml.h"
#include "viewer/ledgertotals.h"
#include "viewer/rangedialog.h"
#include "viewer/verificationdetails.h"
#include "viewer/verificationrunner.h"
#include "viewer/viewerlayout.h"
#include "viewer/webbrowser.h"
#include "viewertestsupport.h"
#include "web/ledgerscheme.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageRanges>
#include <QPdfDocument>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

using namespace render;
using namespace web;
using namespace print;
using namespace viewer;
using namespace viewertest;

namespace {

QByteArray manyRows(int rows)
{
    QByteArray body;
    for (int i = 1; i <= rows; ++i) {
        body += "<n>Satır " + QByteArray::number(i) + "</n>";
    }
    return body;
}

} // namespace

class TestViewerWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void layout_data();
    void layout();

    void design_namesTextsAndFont();
    void caption_saysWaitWhileBusy_thenTitle();
    void minimizing_returnsToMaximized();
    void print_hidesViewer_untilPreviewCloses();
    void host_reusesViewer_andMakesItAgainAfterClose();
    void preview_savesVectorPdf_andPrintsChosenPages();
    void export_writesTheLedgersLines_data();
    void export_writesTheLedgersLines();
    void verification_showsItsLineForTheLedgerOnScreen_data();
    void verification_showsItsLineForTheLedgerOnScreen();
    void verification_ofAnEarlierLedger_neverShowsUnderTheNext();
    void programView_showsOurStylesheetAndBack();
    void programDocument_isShown_notVerified_data();
    void programDocument_isShown_notVerified();
    void totalsDialog_offersMonthShown_andASelectedCode_data();
    void totalsDialog_offersMonthShown_andASelectedCode();
    void ekstre_ofTheSelectedCode_opensInAWindowOfItsOwn();

private:
    QString ledgerUrl(const QString& name) const { return urlText(m_dir->path(), name); }
    // A signed month from the generator in the test folder; the journal's name.
    QString signedJournal();
    frmXML* viewerFor(QWidget& owner);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestViewerWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    writeFile(m_dir->filePath(QStringLiteral("sayfa.xslt")), stylesheet());
    writeFile(m_dir->filePath(QStringLiteral("yavas.xslt")), slowStylesheet());
    writeFile(m_dir->filePath(QStringLiteral("satirlar.xslt")), rowsStylesheet());
    writeFile(m_dir->filePath(QStringLiteral("a.xml")),
              ledgerXml("sayfa.xslt", "<p>x</p>").replace("<defter>", "<defter title=\"Yevmiye Defteri\">"));
    writeFile(m_dir->filePath(QStringLiteral("yavas.xml")), ledgerXml("yavas.xslt", slowBody(4000)));
    writeFile(m_dir->filePath(QStringLiteral("sayfalar.xml")), ledgerXml("satirlar.xslt", manyRows(120)));
}

void TestViewerWindow::layout_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<int>("browserWidth");
    QTest::addColumn<int>("browserHeight");
    QTest::addColumn<int>("buttonLeft");
    // Width: (w·15 − 100) / 15; height: (h·15 − 795 − 100) / 15; button: (w·15 − 1395) / 2 / 15.
    QTest::newRow("full hd") << QSize(1920, 1017) << 1913 << 957 << 914;
    QTest::newRow("design size") << QSize(436, 342) << 429 << 282 << 172;
    QTest::newRow("narrower than the button") << QSize(80, 200) << 73 << 140 << -7;
    QTest::newRow("smaller than the bar") << QSize(5, 40) << 0 << 0 << -44;
    QTest::newRow("empty") << QSize(0, 0) << 0 << 0 << -47;
}

void TestViewerWindow::layout()
{
    QFETCH(QSize, client);
    QFETCH(int, browserWidth);
    QFETCH(int, browserHeight);
    QFETCH(int, buttonLeft);
    const ViewerLayout layout = computeViewerLayout(client.width(), client.height());
    QCOMPARE(layout.browserWidth, browserWidth);
    QCOMPARE(layout.browserHeight, browserHeight);
    QCOMPARE(layout.buttonLeft, buttonLeft);
}

void TestViewerWindow::design_namesTextsAndFont()
{
    QWidget owner;
    auto* window = new frmXML(m_dir->path(), &owner);
    window->Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* print = window->findChild<QPushButton*>(QStringLiteral("cmdYazdir"));
    QCOMPARE(print->text(), QStringLiteral("&Yazdır"));
    QCOMPARE(print->font().pointSizeF(), 13.5);
    QVERIFY(print->font().bold());
    QCOMPARE(print->parentWidget()->objectName(), QStringLiteral("picAddress"));
    QCOMPARE(print->parentWidget()->height(), 53);
    QCOMPARE(print->parentWidget()->width(), window->width());
    QCOMPARE(window->browser()->objectName(), QStringLiteral("brwWebBrowser"));
    QCOMPARE(window->browser()->pos(), QPoint(4, 60));
    QCOMPARE(window->focusWidget() == nullptr || window->browser()->isAncestorOf(window->focusWidget()), true);
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    QVERIFY(window->windowTitle().isEmpty());
    // Owned by a window that is never shown: on Windows that keeps it off the taskbar.
    QVERIFY(window->windowHandle()->transientParent() != nullptr);
    delete window;
}

void TestViewerWindow::caption_saysWaitWhileBusy_thenTitle()
{
    QWidget owner;
    auto* window = new frmXML(m_dir->path(), &owner);
    window->Form_Load();
    QStringList captions;
    connect(window, &QWidget::windowTitleChanged, this, [&](const QString& title) {
        if (captions.isEmpty() || captions.constLast() != title) {
            captions << title;
        }
    });
    window->browser()->Navigate2(ledgerUrl(QStringLiteral("yavas.xml")));
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString::fromUtf8(frmXML::kBusyCaption), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("yavaş"), 30000);

    window->browser()->Navigate2(ledgerUrl(QStringLiteral("a.xml")));
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Yevmiye Defteri"), 30000);
    QCOMPARE(captions.first(), QString::fromUtf8(frmXML::kBusyCaption));
    QCOMPARE(captions.filter(QStringLiteral("yavaş")).size(), 1);
    delete window;
}

void TestViewerWindow::minimizing_returnsToMaximized()
{
    QWidget owner;
    auto* window = new frmXML(m_dir->path(), &owner);
    window->Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(window->windowState() == Qt::WindowMaximized);
    window->setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(window->windowState() == Qt::WindowMaximized);
    delete window;
}

void TestViewerWindow::print_hidesViewer_untilPreviewCloses()
{
    QWidget owner;
    auto* window = new frmXML(m_dir->path(), &owner);
    window->Form_Load();
    window->browser()->Navigate2(ledgerUrl(QStringLiteral("a.xml")));
    QTRY_VERIFY_WITH_TIMEOUT(!window->browser()->Busy(), 30000);
    QStringList visibility;
    connect(window->browser(), &WebBrowser::PrintTemplateInstantiation, this,
            [&] { visibility << (window->isVisible() ? "instantiated: shown" : "instantiated: hidden"); });
    connect(window->browser(), &WebBrowser::PrintTemplateTeardown, this,
            [&] { visibility << (window->isVisible() ? "torn down: shown" : "torn down: hidden"); });

    window->findChild<QPushButton*>(QStringLiteral("cmdYazdir"))->click();
    QCOMPARE(visibility, QStringList{"instantiated: hidden"});
    QPointer<PrintPreview> preview = window->browser()->printPreview();
    QVERIFY(preview);
    QSignalSpy ready(preview.data(), &PrintPreview::ready);
    QVERIFY(ready.wait(30000));
    QCOMPARE(ready.first().first().toBool(), true);
    QVERIFY(!window->isVisible());
    preview->close();
    QTRY_VERIFY(preview.isNull());
    QCOMPARE(visibility, (QStringList{"instantiated: hidden", "torn down: shown"}));
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    QCOMPARE(window->windowTitle(), QStringLiteral("Yevmiye Defteri"));
    delete window;
}

void TestViewerWindow::host_reusesViewer_andMakesItAgainAfterClose()
{
    selection::ViewerWindowHost host(m_dir->path());
    QVERIFY(!host.ensureOpen());
    QPointer<frmXML> first = host.window();
    QVERIFY(first && first->isVisible());
    QVERIFY(host.ensureOpen());
    QCOMPARE(host.window(), first.data());

    first->close();
    QTRY_VERIFY(first.isNull());
    QVERIFY(!host.ensureOpen());
    QVERIFY(host.window() != nullptr);
}

void TestViewerWindow::preview_savesVectorPdf_andPrintsChosenPages()
{
    WebBrowser browser(m_dir->path());
    browser.resize(800, 600);
    browser.show();
    browser.Navigate2(ledgerUrl(QStringLiteral("sayfalar.xml")));
    QTRY_VERIFY_WITH_TIMEOUT(!browser.Busy(), 30000);
    QVERIFY(browser.ExecWB(WebBrowser::OLECMDID_PRINTPREVIEW, WebBrowser::OLECMDEXECOPT_PROMPTUSER));
    QPointer<PrintPreview> preview = browser.printPreview();
    QSignalSpy ready(preview.data(), &PrintPreview::ready);
    QVERIFY(ready.wait(30000));
    const int pages = preview->pageCount();
    QVERIFY2(pages >= 4, qPrintable(QString::number(pages)));
    QStringList problems;
    preview->setReporter([&](const QString& message) { problems << message; });
    QSignalSpy written(preview.data(), &PrintPreview::jobFinished);

    const QString saved = m_dir->filePath(QStringLiteral("kayit.pdf"));
    preview->setSaveTargetChooser([&] { return saved; });
    preview->savePdf();
    QVERIFY(written.wait(30000));
    QPdfDocument copy;
    QCOMPARE(copy.load(saved), QPdfDocument::Error::None);
    QCOMPARE(copy.pageCount(), pages);
    QVERIFY(copy.getAllText(pages - 1).text().contains(QStringLiteral("Sayfa %1 / %1").arg(pages)));

    const QString printed = m_dir->filePath(QStringLiteral("sayfa-2-3.pdf"));
    preview->setPrinterChooser([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        QPageRanges ranges;
        ranges.addRange(2, 3);
        printer.setPageRanges(ranges);
        return true;
    });
    preview->printDocument();
    QVERIFY(written.wait(30000));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QPdfDocument result;
    QCOMPARE(result.load(printed), QPdfDocument::Error::None);
    QCOMPARE(result.pageCount(), 2);
    const QSizeF a4(595, 842);
    QVERIFY(qAbs(result.pagePointSize(0).width() - a4.width()) < 2);
    QVERIFY(qAbs(result.pagePointSize(0).height() - a4.height()) < 2);
    preview->close();
}

void TestViewerWindow::export_writesTheLedgersLines_data()
{
    QTest::addColumn<QString>("ledger");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("totals"); // Mizan and Hesap ekstresi offered
    QTest::newRow("journal to XLSX") << "4840012345-202403-Y-000000.xml"
                                     << "yevmiye.xlsx" << true << true;
    QTest::newRow("kebir to CSV") << "4840012345-202403-K-000000.xml"
                                  << "kebir.csv" << true << true;
    QTest::newRow("berat: nothing to export") << "4840012345-202403-YB-000000.xml"
                                              << "berat.xlsx" << false << false;
    QTest::newRow("defter raporu to XLSX") << "4840012345-202403-DR-000000.xml"
                                           << "rapor.xlsx" << true << true;
}

void TestViewerWindow::export_writesTheLedgersLines()
{
    QFETCH(QString, ledger);
    QFETCH(QString, target);
    QFETCH(bool, written);
    QFETCH(bool, totals);
    QVERIFY(QFile::copy(QStringLiteral(TEST_SOURCE_DIR "/tests/data/ledgers/") + ledger, m_dir->filePath(ledger)));
    QWidget owner;
    auto* window = new frmXML(QStringLiteral(TEST_SOURCE_DIR "/data"), &owner);
    window->Form_Load();
    auto* command = window->findChild<QPushButton*>(QStringLiteral("cmdAktar"));
    QVERIFY(!command->isEnabled()); // nothing shown yet
    window->browser()->Navigate2(ledgerUrl(ledger));
    QTRY_VERIFY_WITH_TIMEOUT(command->isEnabled(), 30000);
    QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("cmdMizan"))->isEnabled(), totals);
    QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("cmdEkstre"))->isEnabled(), totals);

    const QString path = m_dir->filePath(target);
    QString suggested;
    QString message;
    window->exporter()->setTargetChooser([&](const QString& offered) {
        suggested = offered;
        return path;
    });
    window->exporter()->setReporter([&](const QString& text) { message = text; });
    QSignalSpy finished(window->exporter(), &ExportRunner::finished);
    command->click();
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.at(0).at(0).toBool(), written);
    QCOMPARE(QFileInfo(suggested).fileName(), QFileInfo(ledger).completeBaseName() + ".xlsx");
    QCOMPARE(QFileInfo::exists(path), written);
    QVERIFY2(message.contains(written ? QStringLiteral("satır aktarıldı") : QStringLiteral("berat")),
             qPrintable(message));
    QVERIFY(command->isEnabled());
    delete window;
}

QString TestViewerWindow::signedJournal()
{
    QProcess generator;
    generator.start(QStringLiteral(LEDGERGEN_PATH),
                    {"--out", m_dir->path(), "--entries", "30", "--seed", "3", "--month", "2024-03"});
    if (!generator.waitForFinished(60000) || generator.exitCode() != 0) {
        return {};
    }
    return QDir(m_dir->path()).entryList({"*-Y-*.xml"}).value(0);
}

frmXML* TestViewerWindow::viewerFor(QWidget& owner)
{
    auto* window = new frmXML(QStringLiteral(TEST_SOURCE_DIR "/data"), &owner);
    verify::VerifyOptions options;
    options.rootsFolder = m_dir->filePath(QStringLiteral("kokler")); // none: the chain goes unchecked
    window->verifier()->setOptions(options);
    window->Form_Load();
    return window;
}

void TestViewerWindow::verification_showsItsLineForTheLedgerOnScreen_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("colour");
    QTest::newRow("signed journal") << ""
                                    << "✔ İmza geçerli · Beratıyla eşleşiyor · GİB onaylı"
                                    << "#1b6e20";
    QTest::newRow("an amount changed") << "amount"
                                       << "✘ Defter imzalandıktan sonra değiştirilmiş"
                                       << "#b3261e";
    QTest::newRow("a draft") << "draft"
                             << "○ İmzasız dosya (taslak)"
                             << "#555555";
    // Nothing proven either way: grey like a draft, not red.
    QTest::newRow("an algorithm we cannot check")
        << "algorithm"
        << "○ Bu imza algoritması denetlenemiyor: http://www.w3.org/2007/05/xmldsig-more#sha256-rsa-MGF1"
        << "#555555";
}

void TestViewerWindow::verification_showsItsLineForTheLedgerOnScreen()
{
    QFETCH(QString, change);
    QFETCH(QString, line);
    QFETCH(QString, colour);
    QString name = signedJournal();
    QVERIFY(!name.isEmpty());
    if (change == QLatin1String("algorithm")) {
        QFile file(m_dir->filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll().replace("http://www.w3.org/2001/04/xmldsig-more#rsa-sha256",
                                                        "http://www.w3.org/2007/05/xmldsig-more#sha256-rsa-MGF1");
        file.close();
        writeFile(m_dir->filePath(name), bytes);
    } else if (change == QLatin1String("amount")) {
        QFile file(m_dir->filePath(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype at = bytes.indexOf('>', bytes.indexOf("<gl-cor:amount")) + 1;
        bytes[at] = bytes.at(at) == '9' ? '8' : char(bytes.at(at) + 1);
        file.seek(0);
        file.write(bytes);
    } else if (change == QLatin1String("draft")) {
        QFile file(m_dir->filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        const qsizetype from = bytes.indexOf("<ds:Signature");
        const QByteArray end = "</ds:Signature>";
        bytes.remove(from, bytes.indexOf(end, from) + end.size() - from);
        name = QStringLiteral("taslak.xml");
        writeFile(m_dir->filePath(name), bytes);
    }
    QWidget owner;
    frmXML* window = viewerFor(owner);
    auto* status = window->findChild<QPushButton*>(QStringLiteral("cmdImza"));
    window->browser()->Navigate2(ledgerUrl(name));
    QTRY_COMPARE_WITH_TIMEOUT(window->verificationLine(), line, 60000);
    QVERIFY(status->isVisible());
    QVERIFY2(status->styleSheet().contains(colour), qPrintable(status->styleSheet()));

    status->click();
    auto* details = window->findChild<VerificationDetails*>();
    QVERIFY(details);
    QVERIFY(!details->findChild<QPlainTextEdit*>(QStringLiteral("txtAyrinti"))->toPlainText().isEmpty());
    delete window;
}

void TestViewerWindow::verification_ofAnEarlierLedger_neverShowsUnderTheNext()
{
    const QString journal = signedJournal();
    QVERIFY(!journal.isEmpty());
    QWidget owner;
    frmXML* window = viewerFor(owner);
    QSignalSpy results(window->verifier(), &VerificationRunner::verified);
    window->browser()->Navigate2(ledgerUrl(journal));
    QTRY_COMPARE_WITH_TIMEOUT(window->verificationLine(), QStringLiteral("İmza denetleniyor…"), 30000);
    window->browser()->Navigate2(ledgerUrl(QStringLiteral("a.xml")));
    // Not a ledger at all: it says so.
    QTRY_VERIFY_WITH_TIMEOUT(window->verificationLine().startsWith(QStringLiteral("⚠")), 30000);
    const QString line = window->verificationLine();
    QTest::qWait(1500); // room for the journal's check to end, which must not show
    QCOMPARE(window->verificationLine(), line);
    for (const QList<QVariant>& result : std::as_const(results)) {
        QVERIFY(result.at(0).value<verify::VerificationResult>().path.endsWith(QLatin1String("a.xml")));
    }
    delete window;
}

// The stylesheet beside the ledger is shown until the user asks for the program's own, in place.
void TestViewerWindow::programView_showsOurStylesheetAndBack()
{
    const QString name = signedJournal();
    QVERIFY(!name.isEmpty());
    writeFile(m_dir->filePath(QStringLiteral("yevmiye.xslt")),
              QByteArray(stylesheet()).replace("<xsl:value-of select=\"/defter/@title\"/>", "Yanındaki"));
    QWidget owner;
    frmXML* window = viewerFor(owner);
    auto* program = window->findChild<QPushButton*>(QStringLiteral("chkProgram"));
    QVERIFY(!program->isChecked());
    window->browser()->Navigate2(ledgerUrl(name));
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Yanındaki"), 30000);
    program->click();
    QTRY_VERIFY_WITH_TIMEOUT(window->windowTitle().startsWith(QStringLiteral("Yevmiye Defteri")), 30000);
    program->click();
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Yanındaki"), 30000);
    delete window;
}

void TestViewerWindow::programDocument_isShown_notVerified_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("exported");

    ledgerset::FolderReport report;
    report.ok = true;
    report.root = QStringLiteral("/arşiv");
    // The folder report has no lines to export; a mizan has its rows.
    QTest::newRow("folder report") << ledgerset::reportXml(report, QDateTime::currentDateTime())
                                   << "e-Defter Klasör Denetimi" << false;
    ledgerset::Mizan mizan;
    mizan.from = mizan.to = QStringLiteral("2025-01");
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mizan.xml"));
    QFile written(path);
    QVERIFY(ledgerset::writeMizanXml(mizan, {QStringLiteral("1234567890"), QDateTime::currentDateTime()}, path).ok &&
            written.open(QIODevice::ReadOnly));
    QTest::newRow("mizan") << written.readAll() << "Mizan" << true;
}

// The program's own documents have no signature to check.
void TestViewerWindow::programDocument_isShown_notVerified()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, title);
    QFETCH(bool, exported);
    writeFile(m_dir->filePath(QStringLiteral("rapor.xml")), xml);
    QWidget owner;
    frmXML* window = viewerFor(owner);
    window->browser()->Navigate2(ledgerUrl(QStringLiteral("rapor.xml")));
    QTRY_VERIFY_WITH_TIMEOUT(window->windowTitle().startsWith(title), 30000);
    QVERIFY(!window->verifier()->isRunning());
    QVERIFY(window->verificationLine().isEmpty());
    QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("cmdAktar"))->isEnabled(), exported);
    QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("cmdMizan"))->isEnabled());
    if (exported) { // offered in Documents, not in the cache folder the document lives in
        QString suggested;
        window->exporter()->setTargetChooser([&](const QString& offered) {
            suggested = offered;
            return m_dir->filePath(QStringLiteral("mizan.xlsx"));
        });
        window->exporter()->setReporter([](const QString&) {});
        QSignalSpy finished(window->exporter(), &ExportRunner::finished);
        window->findChild<QPushButton*>(QStringLiteral("cmdAktar"))->click();
        QVERIFY(finished.wait(30000) && finished.at(0).at(0).toBool());
        QCOMPARE(QFileInfo(suggested).absolutePath(),
                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    }
    delete window;
}

void TestViewerWindow::totalsDialog_offersMonthShown_andASelectedCode_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("account"); // empty: Hesapla waits for one
    const int ekstre = int(TotalsKind::Ekstre);
    QTest::newRow("main account") << ekstre << "102"
                                  << "102";
    QTest::newRow("sub-account, spaces trimmed") << ekstre << " 102.01.001\n"
                                                 << "102.01.001";
    QTest::newRow("prefix") << ekstre << "10"
                            << "10";
    QTest::newRow("amount") << ekstre << "1.234,56"
                            << "";
    QTest::newRow("amount as written") << ekstre << "1234.56"
                                       << "";
    QTest::newRow("date") << ekstre << "31.03.2024"
                          << "";
    QTest::newRow("year") << ekstre << "2024"
                          << "";
    QTest::newRow("name") << ekstre << "KASA"
                          << "";
    QTest::newRow("mizan asks no account") << int(TotalsKind::Mizan) << "102"
                                           << "";
}

// The month shown is offered, even with no journal of it beside the kebir; a code only when it is one.
void TestViewerWindow::totalsDialog_offersMonthShown_andASelectedCode()
{
    QFETCH(int, kind);
    QFETCH(QString, selected);
    QFETCH(QString, account);
    for (const char* name : {"4840012345-202402-Y-000000.xml", "4840012345-202403-K-000000.xml",
                             "4840012345-202404-Y-000001.xml", "1111111111-202401-Y-000000.xml"}) {
        writeFile(m_dir->filePath(QString::fromLatin1(name)), QByteArray());
    }
    const std::optional<TotalsRequest> request =
        requestForDocument(TotalsKind(kind), m_dir->filePath("4840012345-202403-K-000000.xml"), selected);
    QVERIFY(request);
    QCOMPARE(request->journals.size(), 2);
    QCOMPARE(request->months, (QStringList{"2024-02", "2024-03", "2024-04"}));
    RangeDialog dialog(*request);
    QCOMPARE(dialog.findChild<QComboBox*>("cboBaslangic")->currentText(), QStringLiteral("2024-03"));
    QCOMPARE(dialog.findChild<QComboBox*>("cboBitis")->currentText(), QStringLiteral("2024-03"));
    QCOMPARE(dialog.range().account, account);
    QCOMPARE(dialog.findChild<QPushButton*>("cmdHesapla")->isEnabled(),
             kind == int(TotalsKind::Mizan) || !account.isEmpty());
    QCOMPARE(dialog.findChild<QLineEdit*>("txtHesap")->isVisibleTo(&dialog), kind == int(TotalsKind::Ekstre));
}

// A double-click on a code selects it; the ledger stays in its window, the ekstre gets one of its own.
void TestViewerWindow::ekstre_ofTheSelectedCode_opensInAWindowOfItsOwn()
{
    const QString journal = QStringLiteral("4840012345-202403-Y-000000.xml");
    QVERIFY(QFile::copy(QStringLiteral(TEST_SOURCE_DIR "/tests/data/ledgers/") + journal, m_dir->filePath(journal)));
    selection::ViewerWindowHost host(QStringLiteral(TEST_SOURCE_DIR "/data"));
    host.ensureOpen();
    frmXML* window = host.window();
    window->browser()->Navigate2(ledgerUrl(journal));
    auto* command = window->findChild<QPushButton*>(QStringLiteral("cmdEkstre"));
    QTRY_VERIFY_WITH_TIMEOUT(command->isEnabled(), 30000);
    window->browser()->runScript(QStringLiteral("window.find('102')"));
    QTRY_COMPARE(window->browser()->view()->page()->selectedText(), QStringLiteral("102"));

    QString offered;
    window->totals().setAsk([&](const TotalsRequest& request, QWidget*) {
        offered = request.defaults.account;
        return std::optional(request.defaults);
    });
    command->click();
    QVERIFY(!command->isEnabled()); // one at a time: the progress dialog leaves the bar usable
    QTRY_COMPARE_WITH_TIMEOUT(window->parentWidget()->findChildren<frmXML*>().size(), 2, 30000);
    QCOMPARE(offered, QStringLiteral("102"));
    QCOMPARE(window->browser()->documentPath(), m_dir->filePath(journal));
    frmXML* aside = window->parentWidget()->findChildren<frmXML*>().constLast();
    QTRY_VERIFY_WITH_TIMEOUT(!aside->browser()->documentPath().isEmpty(), 30000);
    QVERIFY2(QFileInfo(aside->browser()->documentPath()).fileName().startsWith("ekstre-4840012345-102-"),
             qPrintable(aside->browser()->documentPath()));
    QVERIFY(command->isEnabled());
}

int main(int argc, char* argv[])
{
    prepareWebEngine();
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true); // never the developer's own settings
    TestViewerWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_viewerwindow.moc"
