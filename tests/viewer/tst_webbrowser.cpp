#include "viewer/findbar.h"
#include "viewer/webbrowser.h"
#include "viewertestsupport.h"
#include "web/ledgerscheme.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace render;
using namespace web;
using namespace print;
using namespace viewer;
using namespace viewertest;

namespace {

QVariant evaluate(WebBrowser& browser, const QString& script)
{
    return scriptResult([&](const auto& done) { browser.runScript(script, done); });
}

bool waitIdle(WebBrowser& browser)
{
    return QTest::qWaitFor([&] { return !browser.Busy(); }, 30000);
}

} // namespace

class TestWebBrowser : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void navigate_firesEventsInOrder_andEndsIdle();
    void locationName_isTitle_orPathWithoutTitle();
    void urlText_withSpacesHashPercentAndTurkishLetters_opensTheFile();
    void secondNavigate_supersedesSlowFirst();
    void relativeResources_servedFromLedgerFolderOnly();
    void network_isNeverReached();
    void failure_showsReadablePage();
    void page_cannotLeaveTheLedger();
    void longWork_saysSo_andStops();
    void contextMenu_offersOnlyWhatHelps();
    void findBarKeys_searchOnceInTheirDirection_data();
    void findBarKeys_searchOnceInTheirDirection();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_program;
    QString folder() const { return QDir::toNativeSeparators(m_dir->path()); }
};

void TestWebBrowser::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_program = std::make_unique<QTemporaryDir>();
    writeFile(m_dir->filePath(QStringLiteral("sayfa.xslt")), stylesheet());
}

void TestWebBrowser::navigate_firesEventsInOrder_andEndsIdle()
{
    writeFile(m_dir->filePath(QStringLiteral("a.xml")), ledgerXml("sayfa.xslt", "<p>Merhaba</p>"));
    WebBrowser browser(m_program->path());
    QStringList events;
    connect(&browser, &WebBrowser::BeforeNavigate2, this,
            [&](const QString& url) { events << "BeforeNavigate2 " + url + (browser.Busy() ? " busy" : " idle"); });
    connect(&browser, &WebBrowser::DownloadComplete, this,
            [&] { events << QStringLiteral("DownloadComplete") + (browser.Busy() ? " busy" : " idle"); });

    const QString url = urlText(folder(), QStringLiteral("a.xml"));
    browser.Navigate2(url);
    QVERIFY(browser.Busy());
    QVERIFY(waitIdle(browser));
    QCOMPARE(events, (QStringList{"BeforeNavigate2 " + url + " busy", "DownloadComplete idle"}));
    QCOMPARE(evaluate(browser, QStringLiteral("document.getElementById('text').textContent")).toString(),
             QStringLiteral("Merhaba"));
}

void TestWebBrowser::locationName_isTitle_orPathWithoutTitle()
{
    writeFile(m_dir->filePath(QStringLiteral("baslikli.xml")),
              ledgerXml("sayfa.xslt", "<p>x</p>").replace("<defter>", "<defter title=\"Yevmiye Defteri - Ocak\">"));
    writeFile(m_dir->filePath(QStringLiteral("basliksiz.xml")), ledgerXml("sayfa.xslt", "<p>x</p>"));
    WebBrowser browser(m_program->path());
    browser.Navigate2(urlText(folder(), QStringLiteral("baslikli.xml")));
    QVERIFY(waitIdle(browser));
    QCOMPARE(browser.LocationName(), QStringLiteral("Yevmiye Defteri - Ocak"));

    browser.Navigate2(urlText(folder(), QStringLiteral("basliksiz.xml")));
    QVERIFY(waitIdle(browser));
    QCOMPARE(browser.LocationName(), QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("basliksiz.xml"))));
}

void TestWebBrowser::urlText_withSpacesHashPercentAndTurkishLetters_opensTheFile()
{
    const QString subfolder = QStringLiteral("Müşteri #2 %20 Defterleri");
    QVERIFY(QDir(m_dir->path()).mkpath(subfolder));
    const QString ledgerFolder = m_dir->filePath(subfolder);
    writeFile(ledgerFolder + "/sayfa.xslt", stylesheet());
    const QString name = QStringLiteral("Şubat #1 %41.xml");
    writeFile(ledgerFolder + '/' + name, ledgerXml("sayfa.xslt", "<p>Şubat</p>"));

    WebBrowser browser(m_program->path());
    browser.Navigate2(urlText(ledgerFolder, name));
    QVERIFY(waitIdle(browser));
    QCOMPARE(evaluate(browser, QStringLiteral("document.getElementById('text').textContent")).toString(),
             QStringLiteral("Şubat"));
}

void TestWebBrowser::secondNavigate_supersedesSlowFirst()
{
    writeFile(m_dir->filePath(QStringLiteral("yavas.xslt")), slowStylesheet());
    writeFile(m_dir->filePath(QStringLiteral("yavas.xml")), ledgerXml("yavas.xslt", slowBody(6000)));
    writeFile(m_dir->filePath(QStringLiteral("hizli.xml")), ledgerXml("sayfa.xslt", "<p>hızlı</p>"));
    WebBrowser browser(m_program->path());
    QStringList loaded;
    connect(browser.view()->page(), &QWebEnginePage::loadFinished, this,
            [&] { loaded << browser.view()->page()->url().toString(); });
    QSignalSpy complete(&browser, &WebBrowser::DownloadComplete);

    browser.Navigate2(urlText(folder(), QStringLiteral("yavas.xml")));
    QTest::qWait(50);
    browser.Navigate2(urlText(folder(), QStringLiteral("hizli.xml")));
    QVERIFY(waitIdle(browser));
    QTest::qWait(300); // room for a stale result to arrive, which it must not
    QCOMPARE(complete.count(), 1);
    QVERIFY(!browser.Busy());
    QCOMPARE(evaluate(browser, QStringLiteral("document.getElementById('text').textContent")).toString(),
             QStringLiteral("hızlı"));
    for (const QString& url : loaded) {
        QVERIFY2(!url.contains(QStringLiteral("yavas")), qPrintable(url));
    }
}

void TestWebBrowser::relativeResources_servedFromLedgerFolderOnly()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("defter")));
    const QString ledgerFolder = m_dir->filePath(QStringLiteral("defter"));
    writeFile(ledgerFolder + "/stil.css", "#text { color: rgb(1, 2, 3); }");
    writeFile(m_dir->filePath(QStringLiteral("gizli.css")), "#text { font-size: 77px; }");
    writeFile(ledgerFolder + "/sayfa.xslt",
              stylesheet(R"(<link rel="stylesheet" href="stil.css"/><link rel="stylesheet" href="../gizli.css"/>)"
                         R"(<link rel="stylesheet" href="%2E%2E/gizli.css"/>)"));
    writeFile(ledgerFolder + "/a.xml", ledgerXml("sayfa.xslt", "<p>x</p>"));

    WebBrowser browser(m_program->path());
    browser.Navigate2(urlText(ledgerFolder, QStringLiteral("a.xml")));
    QVERIFY(waitIdle(browser));
    const QString style = QStringLiteral("getComputedStyle(document.getElementById('text'))");
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(browser, style + ".color").toString(), QStringLiteral("rgb(1, 2, 3)"), 5000);
    QVERIFY(evaluate(browser, style + ".fontSize").toString() != QStringLiteral("77px"));
}

void TestWebBrowser::network_isNeverReached()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray address = "http://127.0.0.1:" + QByteArray::number(server.serverPort());
    writeFile(m_dir->filePath(QStringLiteral("ag.xslt")),
              stylesheet("<link rel=\"stylesheet\" href=\"" + address + "/a.css\"/>",
                         "<img src=\"" + address + "/b.png\"/><iframe src=\"" + address + "/c\"></iframe>"));
    writeFile(m_dir->filePath(QStringLiteral("a.xml")), ledgerXml("ag.xslt", "<p>x</p>"));

    WebBrowser browser(m_program->path());
    browser.Navigate2(urlText(folder(), QStringLiteral("a.xml")));
    QVERIFY(waitIdle(browser));
    QVERIFY(!server.waitForNewConnection(1000));
}

void TestWebBrowser::failure_showsReadablePage()
{
    writeFile(m_dir->filePath(QStringLiteral("bozuk.xml")), "<?xml version=\"1.0\"?><defter><p>x</defter>");
    WebBrowser browser(m_program->path());
    browser.Navigate2(urlText(folder(), QStringLiteral("bozuk.xml")));
    QVERIFY(waitIdle(browser));
    const QString text = evaluate(browser, QStringLiteral("document.body.innerText")).toString();
    QVERIFY2(text.contains(QStringLiteral("bozuk.xml")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("satır")), qPrintable(text));
}

// Nothing in the page (its script, a refresh, a link, the history) takes the view elsewhere or
// gives it another caption; nothing reaches the address either.
void TestWebBrowser::page_cannotLeaveTheLedger()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QByteArray address = "http://127.0.0.1:" + QByteArray::number(server.serverPort());
    writeFile(m_dir->filePath(QStringLiteral("kacak.xslt")),
              stylesheet("<meta http-equiv=\"refresh\" content=\"0;url=" + address + "/yenile\"/>",
                         "<a id=\"git\" href=\"" + address +
                             "/bag\">git</a><script>document.title = 'Başka'; "
                             "location.href = '" +
                             address + "/betik';</script>"));
    writeFile(m_dir->filePath(QStringLiteral("a.xml")),
              ledgerXml("kacak.xslt", "<p>x</p>").replace("<defter>", "<defter title=\"Yevmiye\">"));
    writeFile(m_dir->filePath(QStringLiteral("b.xml")), ledgerXml("sayfa.xslt", "<p>ikinci</p>"));
    WebBrowser browser(m_program->path());
    browser.Navigate2(urlText(folder(), QStringLiteral("a.xml")));
    QVERIFY(waitIdle(browser));
    evaluate(browser, QStringLiteral("document.getElementById('git').click(), 0"));
    QVERIFY(!server.waitForNewConnection(1500));
    QCOMPARE(browser.view()->page()->url().scheme(), QString::fromLatin1(kLedgerScheme));
    QCOMPARE(browser.LocationName(), QStringLiteral("Yevmiye"));
    QCOMPARE(evaluate(browser, QStringLiteral("document.title")).toString(),
             QStringLiteral("Yevmiye")); // no script ran

    const QUrl first = browser.view()->page()->url();
    browser.Navigate2(urlText(folder(), QStringLiteral("b.xml")));
    QVERIFY(waitIdle(browser));
    const QUrl second = browser.view()->page()->url();
    QVERIFY(second != first);
    browser.view()->page()->triggerAction(QWebEnginePage::Back);
    QTest::qWait(500);
    QCOMPARE(browser.view()->page()->url(), second);
    QCOMPARE(evaluate(browser, QStringLiteral("document.getElementById('text').textContent")).toString(),
             QStringLiteral("ikinci"));
}

void TestWebBrowser::longWork_saysSo_andStops()
{
    writeFile(m_dir->filePath(QStringLiteral("yavas.xslt")), slowStylesheet());
    writeFile(m_dir->filePath(QStringLiteral("yavas.xml")), ledgerXml("yavas.xslt", slowBody(40000)));
    WebBrowser browser(m_program->path());
    browser.setWorkNoticeAfter(300);
    browser.show();
    auto* notice = browser.findChild<QWidget*>(QStringLiteral("WorkNotice"));
    browser.Navigate2(urlText(folder(), QStringLiteral("yavas.xml")));
    QVERIFY(!notice->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(notice->isVisible(), 5000);
    notice->findChild<QPushButton*>(QStringLiteral("cmdDurdur"))->click();
    QVERIFY(QTest::qWaitFor([&] { return !browser.Busy(); }, 10000));
    QVERIFY(!notice->isVisible());
    const QString text = evaluate(browser, QStringLiteral("document.body.innerText")).toString();
    QVERIFY2(text.contains(QStringLiteral("iptal")), qPrintable(text));
}

void TestWebBrowser::contextMenu_offersOnlyWhatHelps()
{
    WebBrowser browser(m_program->path());
    std::unique_ptr<QMenu> menu(browser.createContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text();
        }
    }
    QCOMPARE(texts, (QStringList{"Kopyala", "Tümünü seç", "Bul…", "Yazdır…"}));
}

void TestWebBrowser::findBarKeys_searchOnceInTheirDirection_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("backwards");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false;
    QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << true;
    QTest::newRow("F3") << int(Qt::Key_F3) << int(Qt::NoModifier) << false;
    QTest::newRow("Shift+F3") << int(Qt::Key_F3) << int(Qt::ShiftModifier) << true;
}

void TestWebBrowser::findBarKeys_searchOnceInTheirDirection()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, backwards);
    FindBar bar;
    bar.open();
    auto* term = bar.findChild<QLineEdit*>(QStringLiteral("txtFind"));
    QTest::keyClicks(term, QStringLiteral("Kasa"));
    QSignalSpy searches(&bar, &FindBar::search);
    QTest::keyClick(term, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(searches.count(), 1);
    QCOMPARE(searches.at(0).at(0).toString(), QStringLiteral("Kasa"));
    QCOMPARE(searches.at(0).at(1).toBool(), backwards);
}

int main(int argc, char* argv[])
{
    prepareWebEngine();
    QApplication application(argc, argv);
    TestWebBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_webbrowser.moc"
