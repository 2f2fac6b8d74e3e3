#include "render/pageprotocol.h"
#include "web/ledgerpage.h"
#include "web/pagescripts.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace render;
using namespace web;

namespace {

QString scriptFile(const QString& name)
{
    QFile file(QStringLiteral(TEST_SOURCE_DIR "/src/web/js/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class PageScriptsTest : public QObject
{
    Q_OBJECT

private slots:
    void builtIn_noneMissing()
    {
        QCOMPARE(missingPageScripts(), QStringList());
        QVERIFY(pageScript(PageScript::Composer).contains(QLatin1String("__vz")));
    }

    void folderWithoutScripts_namesEachMissing()
    {
        QTemporaryDir folder;
        QFile composer(folder.filePath(QStringLiteral("composer.js")));
        QVERIFY(composer.open(QIODevice::WriteOnly));
        composer.write("(() => {})();\n");
        composer.close();
        QFile empty(folder.filePath(QStringLiteral("printcarry.js")));
        QVERIFY(empty.open(QIODevice::WriteOnly)); // empty counts as missing
        empty.close();
        QCOMPARE(missingPageScripts(folder.path()),
                 QStringList({QStringLiteral("pagemargins.js"), QStringLiteral("printprepare.js"),
                              QStringLiteral("printcarry.js")}));
    }

    void call_passesLiteralsAndNull()
    {
        const QString call = pageScriptCall(PageScript::PrintCarry, {QStringLiteral("a\"b"), QVariant(), 3});
        QVERIFY(call.startsWith(QLatin1Char('(')) && call.contains(QLatin1String("(function (first)")));
        QVERIFY(call.endsWith(QLatin1String(")(\"a\\\"b\",null,3)")));
    }

    // The scripts spell the protocol's names themselves: every mark they use must be one the
    // program writes, and every name the program writes for them must be spelled there.
    void scripts_useTheProtocolsMarks()
    {
        const QSet<QString> marks = {QLatin1String(protocol::kUnit),   QLatin1String(protocol::kFrame),
                                     QLatin1String(protocol::kRepeat), QLatin1String(protocol::kOwn),
                                     QLatin1String(protocol::kBefore), QLatin1String(protocol::kGap)};
        QSet<QString> used;
        static const QRegularExpression mark(QStringLiteral("data-vz-[a-z]+"));
        for (const QString& name : QDir(QStringLiteral(TEST_SOURCE_DIR "/src/web/js")).entryList({"*.js"})) {
            for (const QRegularExpressionMatch& match : mark.globalMatch(scriptFile(name))) {
                used.insert(match.captured());
            }
        }
        QCOMPARE(used, marks);
    }

    void ledgerPage_goesOnlyWhereTheProgramSendsIt_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("mainFrame");
        QTest::addColumn<bool>("allowed");
        const QUrl other(QStringLiteral("http://127.0.0.1:8080/x"));
        const QUrl here(QStringLiteral("ledger://d3/a.xml"));
        QTest::newRow("the program's load") << other << int(QWebEnginePage::NavigationTypeTyped) << true << true;
        QTest::newRow("reload") << here << int(QWebEnginePage::NavigationTypeReload) << true << true;
        QTest::newRow("back to an earlier ledger") << QUrl(QStringLiteral("ledger://d2/a.xml"))
                                                   << int(QWebEnginePage::NavigationTypeBackForward) << true << false;
        QTest::newRow("link elsewhere") << other << int(QWebEnginePage::NavigationTypeLinkClicked) << true << false;
        QTest::newRow("link to another ledger address")
            << QUrl(QStringLiteral("ledger://d3/b.xml")) << int(QWebEnginePage::NavigationTypeLinkClicked) << true
            << false;
        QTest::newRow("link within the page") << QUrl(QStringLiteral("ledger://d3/a.xml#hesap"))
                                              << int(QWebEnginePage::NavigationTypeLinkClicked) << true << true;
        QTest::newRow("refresh or script") << other << int(QWebEnginePage::NavigationTypeRedirect) << true << false;
        QTest::newRow("other") << other << int(QWebEnginePage::NavigationTypeOther) << true << false;
        QTest::newRow("form") << other << int(QWebEnginePage::NavigationTypeFormSubmitted) << true << false;
        QTest::newRow("frame of the ledger folder")
            << QUrl(QStringLiteral("ledger://d3/ek.html")) << int(QWebEnginePage::NavigationTypeOther) << false << true;
        QTest::newRow("frame elsewhere") << other << int(QWebEnginePage::NavigationTypeOther) << false << false;
    }

    void ledgerPage_goesOnlyWhereTheProgramSendsIt()
    {
        QFETCH(QUrl, url);
        QFETCH(int, type);
        QFETCH(bool, mainFrame);
        QFETCH(bool, allowed);
        QCOMPARE(mayNavigate(QUrl(QStringLiteral("ledger://d3/a.xml")), url, QWebEnginePage::NavigationType(type),
                             mainFrame),
                 allowed);
    }

    void scripts_spellTheProtocolsNames_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("text");
        const QString composer = QStringLiteral("composer.js");
        QTest::newRow("manifest element") << composer << QStringLiteral("'%1'").arg(protocol::kManifestElement);
        QTest::newRow("last piece element") << composer << QStringLiteral("'%1'").arg(protocol::kLastPieceElement);
        QTest::newRow("piece path") << composer << QStringLiteral("'/%1'").arg(protocol::kPiecePath);
        QTest::newRow("piece content") << composer << QStringLiteral("'%1'").arg(protocol::kPieceContent);
        QTest::newRow("version") << composer << QStringLiteral(".%1").arg(protocol::kManifestVersion);
        QTest::newRow("partial") << composer << QStringLiteral(".%1").arg(protocol::kManifestPartial);
        QTest::newRow("weights") << composer << QStringLiteral(".%1").arg(protocol::kManifestWeights);
        QTest::newRow("hashes") << composer << QStringLiteral(".%1").arg(protocol::kManifestHashes);
        QTest::newRow("inner repeat") << QStringLiteral("printcarry.js")
                                      << QStringLiteral("'%1', '%2'").arg(protocol::kRepeat, protocol::kRepeatInner);
    }

    void scripts_spellTheProtocolsNames()
    {
        QFETCH(QString, script);
        QFETCH(QString, text);
        QVERIFY2(scriptFile(script).contains(text), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(PageScriptsTest)
#include "tst_web.moc"
