#include "viewer/composerbridge.h"
#include "viewer/webbrowser.h"
#include "viewertestsupport.h"
#include "web/ledgerscheme.h"

#include <QApplication>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <limits>

using namespace render;
using namespace web;
using namespace print;
using namespace viewer;
using namespace viewertest;

namespace {

constexpr int kRecords = 1500;

QVariant evaluate(WebBrowser& browser, const QString& script)
{
    return scriptResult([&](const auto& done) { browser.runScript(script, done); });
}

QVariantMap status(WebBrowser& browser)
{
    return evaluate(browser, QStringLiteral("__vz.status()")).toMap();
}

bool pieceLoaded(WebBrowser& browser, int piece)
{
    return status(browser).value(QStringLiteral("loaded")).toList().contains(piece);
}

bool visible(WebBrowser& browser, int piece)
{
    return status(browser).value(QStringLiteral("visible")).toList().contains(piece);
}

int inPage(WebBrowser& browser, const QString& text)
{
    return evaluate(
               browser,
               QStringLiteral("document.body.innerText.split(%1).length - 1").arg(QStringLiteral("'%1'").arg(text)))
        .toInt();
}

} // namespace

class TestLargeLedger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void beginningFirst_thenTheWholeInPlace();
    void end_showsTheLastPieceWithItsTotals();
    void search_findsTextInALaterPiece();
    void goToPiece_bringsItIn();
    void pieceThatCannotLoad_saysSoInThePage();
    void goToDialog_namesTheScreensParts();
    void smallLedger_isShownWholeAtOnce();
    void wholeFirst_bringsItsLastPieceWithThePage();
    void firstPage_bringsTheLastPieceOnlyWhenWhole_data();
    void firstPage_bringsTheLastPieceOnlyWhenWhole();
    void composerThatNeverTakesTheWhole_isReported_andEndsTheWait();

private:
    void openWhole();

    QTemporaryDir m_dir;
    std::unique_ptr<WebBrowser> m_browser;
};

void TestLargeLedger::initTestCase()
{
    writeFile(m_dir.filePath(QStringLiteral("kayitlar.xslt")), recordsStylesheet());
    writeFile(m_dir.filePath(QStringLiteral("buyuk.xml")), recordsLedger(kRecords));
    writeFile(m_dir.filePath(QStringLiteral("kucuk.xml")), recordsLedger(20));
}

void TestLargeLedger::init()
{
    m_browser = std::make_unique<WebBrowser>(m_dir.path());
    m_browser->setPieceLimits({40, 400});
    m_browser->setQuickView(200 * 1024, 64 * 1024);
    m_browser->resize(900, 700);
    m_browser->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_browser.get()));
}

void TestLargeLedger::cleanup()
{
    m_browser.reset();
}

void TestLargeLedger::openWhole()
{
    m_browser->Navigate2(urlText(m_dir.path(), QStringLiteral("buyuk.xml")));
    QVERIFY(QTest::qWaitFor([this] { return !m_browser->Busy(); }, 60000));
}

void TestLargeLedger::beginningFirst_thenTheWholeInPlace()
{
    QSignalSpy complete(m_browser.get(), &WebBrowser::DownloadComplete);
    m_browser->Navigate2(urlText(m_dir.path(), QStringLiteral("buyuk.xml")));
    QVERIFY(complete.wait(30000));
    // The beginning is on screen while the whole is still being rendered.
    QVERIFY(m_browser->Busy());
    QTRY_VERIFY_WITH_TIMEOUT(status(*m_browser).value(QStringLiteral("partial")).toBool(), 5000);
    QVERIFY(inPage(*m_browser, QStringLiteral("yükleniyor")) > 0);
    QCOMPARE(inPage(*m_browser, QStringLiteral("Genel Toplam")), 0);
    QCOMPARE(evaluate(*m_browser, QStringLiteral("document.querySelector('td').textContent")).toString(),
             QStringLiteral("m1l1"));
    const int partialPieces = status(*m_browser).value(QStringLiteral("count")).toInt();
    // The beginning's last piece has no totals to show in advance.
    QVERIFY(partialPieces > 2);
    QVERIFY(!pieceLoaded(*m_browser, partialPieces - 1));

    QVERIFY(QTest::qWaitFor([this] { return !m_browser->Busy(); }, 60000));
    const QVariantMap whole = status(*m_browser);
    QCOMPARE(whole.value(QStringLiteral("partial")).toBool(), false);
    QVERIFY(whole.value(QStringLiteral("count")).toInt() > partialPieces);
    QCOMPARE(whole.value(QStringLiteral("count")).toInt(), int(m_browser->documents().current().pieces->count()));
    QCOMPARE(inPage(*m_browser, QStringLiteral("yükleniyor")), 0);
    // Still at the top: replaced in place, not reloaded elsewhere.
    QCOMPARE(evaluate(*m_browser, QStringLiteral("window.scrollY")).toInt(), 0);
    QCOMPARE(complete.count(), 2);
    QCOMPARE(m_browser->LocationName(), QStringLiteral("Kayıtlar"));
    QTRY_VERIFY_WITH_TIMEOUT(pieceLoaded(*m_browser, whole.value(QStringLiteral("count")).toInt() - 1), 10000);
}

void TestLargeLedger::end_showsTheLastPieceWithItsTotals()
{
    openWhole();
    const int last = int(m_browser->documents().current().pieces->count()) - 1;
    QVERIFY(last > 5);
    // Laid out in advance, while the reader is still at the top.
    QTRY_VERIFY_WITH_TIMEOUT(pieceLoaded(*m_browser, last), 10000);
    QCOMPARE(evaluate(*m_browser, QStringLiteral("window.scrollY")).toInt(), 0);
    QVERIFY(!visible(*m_browser, last));
    m_browser->view()->setFocus();
    QTest::keyClick(m_browser->view()->focusProxy(), Qt::Key_End);
    QTRY_VERIFY_WITH_TIMEOUT(visible(*m_browser, last), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(inPage(*m_browser, QStringLiteral("Genel Toplam 1500")), 1, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(*m_browser, QStringLiteral("window.scrollY + window.innerHeight >= "
                                                                 "document.documentElement.scrollHeight - 2"))
                                 .toBool(),
                             5000);
    // Only pieces near the viewport stay in the page, and the last one.
    QVERIFY(!pieceLoaded(*m_browser, 0));
    QTest::keyClick(m_browser->view()->focusProxy(), Qt::Key_Home);
    QTRY_VERIFY_WITH_TIMEOUT(pieceLoaded(*m_browser, 0), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(*m_browser, QStringLiteral("window.scrollY")).toInt(), 0, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!pieceLoaded(*m_browser, last - 1), 5000);
    QVERIFY(pieceLoaded(*m_browser, last));
    QCOMPARE(inPage(*m_browser, QStringLiteral("Genel Toplam 1500")), 1);
}

void TestLargeLedger::search_findsTextInALaterPiece()
{
    openWhole();
    const QString term = QStringLiteral("M1400L2");
    const auto& pieces = *m_browser->documents().current().pieces;
    int piece = -1;
    for (qsizetype i = 0; i < pieces.count() && piece < 0; ++i) {
        if (pieces.fragments.at(i).contains("m1400l2<")) {
            piece = int(i);
        }
    }
    QVERIFY(piece > 3);
    QVERIFY(!pieceLoaded(*m_browser, piece));

    QSignalSpy updated(m_browser.get(), &WebBrowser::searchUpdated);
    m_browser->find(term);
    QTRY_VERIFY_WITH_TIMEOUT(m_browser->currentMatch() >= 0, 10000);
    int total = 0;
    for (int count : m_browser->matchCounts()) {
        total += count;
    }
    QCOMPARE(total, 1);
    QCOMPARE(m_browser->matchCounts().at(piece), 1);
    QTRY_VERIFY_WITH_TIMEOUT(pieceLoaded(*m_browser, piece), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(*m_browser, QStringLiteral("window.getSelection().toString()")).toString(),
                              QStringLiteral("m1400l2"), 5000);
}

void TestLargeLedger::goToPiece_bringsItIn()
{
    openWhole();
    const int target = int(m_browser->documents().current().pieces->count()) / 2;
    m_browser->goToPiece(target);
    QTRY_VERIFY_WITH_TIMEOUT(pieceLoaded(*m_browser, target), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(status(*m_browser).value(QStringLiteral("current")).toInt(), target, 5000);
}

void TestLargeLedger::pieceThatCannotLoad_saysSoInThePage()
{
    openWhole();
    // The page is told of one piece more than the program serves: asking for it fails.
    QJsonObject manifest = QJsonDocument::fromJson(m_browser->documents().manifest()).object();
    QJsonArray weights = manifest.value(QStringLiteral("weights")).toArray();
    QJsonArray hashes = manifest.value(QStringLiteral("hashes")).toArray();
    const int missing = int(weights.size());
    weights.append(1);
    hashes.append(QStringLiteral("0"));
    manifest[QStringLiteral("weights")] = weights;
    manifest[QStringLiteral("hashes")] = hashes;
    manifest[QStringLiteral("version")] = manifest.value(QStringLiteral("version")).toInt() + 1;
    evaluate(*m_browser, QStringLiteral("__vz.complete(%1), 0")
                             .arg(QString::fromUtf8(QJsonDocument(manifest).toJson(QJsonDocument::Compact))));
    m_browser->goToPiece(missing);
    QTRY_VERIFY_WITH_TIMEOUT(!status(*m_browser).value(QStringLiteral("failure")).toString().isEmpty(), 10000);
    QVERIFY(inPage(*m_browser, QStringLiteral("parçası yüklenemedi")) > 0);
    QCOMPARE(inPage(*m_browser, QStringLiteral("yükleniyor")), 0);
}

void TestLargeLedger::goToDialog_namesTheScreensParts()
{
    openWhole();
    QString title;
    QString label;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            title = dialog->windowTitle();
            label = dialog->labelText();
            dialog->reject();
        }
    });
    poll.start(50);
    m_browser->showGoToDialog();
    QTRY_VERIFY_WITH_TIMEOUT(!label.isEmpty(), 10000);
    QCOMPARE(title, QStringLiteral("Bölüme git"));
    QVERIFY2(label.contains(QStringLiteral("bölüm")) && !label.startsWith(QStringLiteral("Sayfa")), qPrintable(label));
}

void TestLargeLedger::smallLedger_isShownWholeAtOnce()
{
    QSignalSpy complete(m_browser.get(), &WebBrowser::DownloadComplete);
    m_browser->Navigate2(urlText(m_dir.path(), QStringLiteral("kucuk.xml")));
    QVERIFY(QTest::qWaitFor([this] { return !m_browser->Busy(); }, 30000));
    QCOMPARE(complete.count(), 1);
    QCOMPARE(status(*m_browser).value(QStringLiteral("count")).toInt(), 1);
    QCOMPARE(inPage(*m_browser, QStringLiteral("Genel Toplam 20")), 1);
    // The composer took the manifest the page carried and left nothing of it in the page.
    QCOMPARE(status(*m_browser).value(QStringLiteral("version")).toInt(), m_browser->documents().version());
    QVERIFY(evaluate(*m_browser, QStringLiteral("document.getElementById('verazidedaze-manifest') === null")).toBool());
    QVERIFY(!evaluate(*m_browser, QStringLiteral("document.body.lastElementChild.tagName"))
                 .toString()
                 .contains(QStringLiteral("SCRIPT"), Qt::CaseInsensitive));
}

void TestLargeLedger::wholeFirst_bringsItsLastPieceWithThePage()
{
    m_browser->setQuickView(std::numeric_limits<qint64>::max(), 0);
    openWhole();
    QVERIFY(!status(*m_browser).value(QStringLiteral("partial")).toBool());
    const int last = int(m_browser->documents().current().pieces->count()) - 1;
    QVERIFY(last > 5);
    // In place as the page finished loading, without a request of its own; nothing of it left over.
    QVERIFY(pieceLoaded(*m_browser, last));
    QVERIFY(evaluate(*m_browser, QStringLiteral("document.getElementById('verazidedaze-last') === null")).toBool());
    QCOMPARE(inPage(*m_browser, QStringLiteral("Genel Toplam 1500")), 1);
    QCOMPARE(evaluate(*m_browser, QStringLiteral("window.scrollY")).toInt(), 0);
}

void TestLargeLedger::firstPage_bringsTheLastPieceOnlyWhenWhole_data()
{
    QTest::addColumn<int>("pieces");
    QTest::addColumn<bool>("partial");
    QTest::addColumn<QByteArray>("last");
    QTest::addColumn<bool>("brought");
    QTest::newRow("whole, in pieces") << 3 << false << QByteArray("<p>Genel Toplam</p>") << true;
    QTest::newRow("only the beginning: no totals yet") << 3 << true << QByteArray("<p>Son</p>") << false;
    QTest::newRow("one piece") << 1 << false << QByteArray("<p>Genel Toplam</p>") << false;
    QTest::newRow("a piece that would end the template") << 3 << false << QByteArray("<p>a</TEMPLATE>b</p>") << false;
}

// The page the view opens is the first piece and, for a whole document, its last one inert
// before the manifest, which stays the body's last element.
void TestLargeLedger::firstPage_bringsTheLastPieceOnlyWhenWhole()
{
    QFETCH(int, pieces);
    QFETCH(bool, partial);
    QFETCH(QByteArray, last);
    QFETCH(bool, brought);
    render::PiecedDocument cut;
    cut.head = "<html><head></head><body>";
    cut.tail = "</body></html>";
    for (int i = 0; i + 1 < pieces; ++i) {
        cut.fragments.append("<p>Parça " + QByteArray::number(i) + "</p>");
    }
    cut.fragments.append(last);
    RenderedDocument document;
    document.partial = partial;
    document.pieces = std::make_shared<const render::PiecedDocument>(cut);
    const QByteArray page = LedgerSchemeHandler::firstPage(document, "{}");
    const QByteArray manifest = "<script type=\"application/json\" id=\"verazidedaze-manifest\">{}</script>";
    QVERIFY(page.startsWith(cut.head + cut.fragments.first()));
    QVERIFY(page.endsWith(manifest + cut.tail));
    const QByteArray template_ = "<template id=\"verazidedaze-last\">" + last + "</template>";
    QCOMPARE(page.contains(template_), brought);
    if (!brought) {
        QCOMPARE(page.size(), (cut.head + cut.fragments.first() + manifest + cut.tail).size());
    }
}

void TestLargeLedger::composerThatNeverTakesTheWhole_isReported_andEndsTheWait()
{
    // The page's composer comes with a complete() that never takes anything.
    QWebEngineScript stuck;
    stuck.setSourceCode(QStringLiteral("Object.defineProperty(window, '__vz', {configurable: true, get() {}, "
                                       "set(v) { v.complete = () => null; "
                                       "Object.defineProperty(window, '__vz', {value: v, writable: true}); }});"));
    stuck.setInjectionPoint(QWebEngineScript::DocumentCreation);
    stuck.setWorldId(QWebEngineScript::ApplicationWorld);
    m_browser->view()->page()->scripts().insert(stuck);
    m_browser->composer().setPatience(5);
    QStringList reports;
    m_browser->setReporter([&reports](const QString& message) { reports.append(message); });

    m_browser->Navigate2(urlText(m_dir.path(), QStringLiteral("buyuk.xml")));
    QVERIFY(QTest::qWaitFor([this] { return !m_browser->Busy(); }, 60000));
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().contains(QStringLiteral("tamamı ekrana getirilemedi")), qPrintable(reports.first()));
    QVERIFY(status(*m_browser).value(QStringLiteral("partial")).toBool());
}

int main(int argc, char* argv[])
{
    prepareWebEngine();
    QApplication application(argc, argv);
    TestLargeLedger test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_largeledger.moc"
