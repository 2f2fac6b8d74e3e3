#include "common/appinfo.h"
#include "common/backgroundtask.h"
#include "common/documentkind.h"
#include "common/paths.h"
#include "common/translations.h"
#include "common/ui.h"
#include "common/xmlpreflight.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestApp : public QObject
{
    Q_OBJECT

private slots:
    void versionTexts_data();
    void versionTexts();
    void programTitle_isTheApplicationTitle();
    void pathJoin_neverChecksForTrailingSeparator();
    void existenceTests_data();
    void existenceTests();
    void dataFolder_prefersStylesheetsBesideTheProgram();
    void twips_makeLogicalPixels();
    void fileErrors_turkishWhereKnown_data();
    void fileErrors_turkishWhereKnown();
    void qtTranslations_turkishDialogTexts();
    void xmlPreflight_refusesHostileShapes_data();
    void xmlPreflight_refusesHostileShapes();
    void xmlPreflight_refusesWhatIsNoRegularFile_data();
    void xmlPreflight_refusesWhatIsNoRegularFile();
    void documentKind_fromRootAndEntriesType_data();
    void documentKind_fromRootAndEntriesType();
    void documentName_strictPattern_data();
    void documentName_strictPattern();
    void backgroundTask_deliversOnlyWhatIsStillWanted_data();
    void backgroundTask_deliversOnlyWhatIsStillWanted();
};

void TestApp::versionTexts_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("shortText");
    QTest::addColumn<QString>("longText");
    QTest::newRow("program") << 0 << 0 << 25 << "v0.0.25"
                             << "Version 0.0.25";
    QTest::newRow("no leading zeros") << 1 << 2 << 3 << "v1.2.3"
                                      << "Version 1.2.3";
    QTest::newRow("large") << 10 << 0 << 100 << "v10.0.100"
                           << "Version 10.0.100";
}

void TestApp::versionTexts()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    const common::Version version{major, minor, revision};
    QFETCH(QString, shortText);
    QFETCH(QString, longText);
    QCOMPARE(common::shortVersionText(version), shortText);
    QCOMPARE(common::longVersionText(version), longText);
}

void TestApp::programTitle_isTheApplicationTitle()
{
    QCOMPARE(common::programTitle(), QStringLiteral("PELVORA.VERAZIDEDAZE"));
    QCOMPARE(common::shortVersionText(), QStringLiteral("v0.0.25"));
    QCOMPARE(common::longVersionText(), QStringLiteral("Version 0.0.25"));
}

void TestApp::pathJoin_neverChecksForTrailingSeparator()
{
    const QString sep = QDir::separator();
    QCOMPARE(common::pathJoin(QStringLiteral("/x/y"), QStringLiteral("dir.log")), "/x/y" + sep + "dir.log");
    QCOMPARE(common::pathJoin(sep, QStringLiteral("a b.xml")), sep + sep + "a b.xml");
}

void TestApp::existenceTests_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("isFile");
    QTest::addColumn<bool>("isFolder");
    QTest::newRow("regular file") << "yevmiye.xslt" << true << false;
    QTest::newRow("hidden file") << ".gizli.xslt" << false << false;
    QTest::newRow("folder") << "klasör" << false << true;
    QTest::newRow("missing") << "yok.xml" << false << false;
    QTest::newRow("empty path") << "" << false << false;
}

void TestApp::existenceTests()
{
    QFETCH(QString, relative);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"yevmiye.xslt", ".gizli.xslt"}) {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("klasör")));
    const QString path = relative.isEmpty() ? QString() : dir.filePath(relative);
    QFETCH(bool, isFile);
    QFETCH(bool, isFolder);
    QCOMPARE(common::fileExists(path), isFile);
    QCOMPARE(common::folderExists(path), isFolder);
}

void TestApp::dataFolder_prefersStylesheetsBesideTheProgram()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("share/verazidedaze")));
    const QString bin = QDir::toNativeSeparators(root.filePath(QStringLiteral("bin")));
    QCOMPARE(QDir::fromNativeSeparators(common::dataFolderFor(bin)),
             root.filePath(QStringLiteral("share/verazidedaze")));

    QFile beside(root.filePath(QStringLiteral("bin/yevmiye.xslt")));
    QVERIFY(beside.open(QIODevice::WriteOnly));
    beside.close();
    QCOMPARE(common::dataFolderFor(bin), bin);
}

void TestApp::twips_makeLogicalPixels()
{
    static_assert(common::twips(6735) == 449);
    static_assert(common::twips(7755) == 517);
    QCOMPARE(common::twips(15), 1);
}

void TestApp::fileErrors_turkishWhereKnown_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason"); // empty: the system's own message
    QTest::newRow("missing") << int(std::errc::no_such_file_or_directory) << "böyle bir dosya ya da klasör yok";
    QTest::newRow("no permission") << int(std::errc::permission_denied) << "bu işlem için izniniz yok";
    QTest::newRow("read-only disk") << int(std::errc::read_only_file_system) << "disk yalnızca okunabilir";
    QTest::newRow("disk full") << int(std::errc::no_space_on_device) << "diskte yer kalmadı";
    QTest::newRow("symlink loop") << int(std::errc::too_many_symbolic_link_levels)
                                  << "sembolik bağlantılar bir döngü oluşturuyor ya da çok iç içe";
    QTest::newRow("rare") << int(std::errc::protocol_error) << "";
}

void TestApp::fileErrors_turkishWhereKnown()
{
    QFETCH(int, code);
    QFETCH(QString, reason);
    const std::error_code error(code, std::generic_category());
    QCOMPARE(common::describeFileError(error), reason.isEmpty() ? QString::fromLocal8Bit(error.message()) : reason);
    // The system's codes map the same way (Win32 codes on Windows, errno elsewhere).
    if (!reason.isEmpty()) {
        QCOMPARE(common::describeFileError(std::error_code(code, std::system_category())), reason);
    }
}

void TestApp::qtTranslations_turkishDialogTexts()
{
    QTemporaryDir empty;
    QCOMPARE(common::installTurkishQtTranslations(*QCoreApplication::instance(), empty.path()), common::kQtCatalogs);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));

    // Debian 12 has no Turkish catalog for the web engine; the base one is what the dialogs use.
    const QStringList missing = common::installTurkishQtTranslations(*QCoreApplication::instance());
    QVERIFY2(!missing.contains(QStringLiteral("qtbase")), "qtbase_tr.qm missing: install qt6-translations-l10n");
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("İptal"));
    QCOMPARE(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Yazdır"));
}

namespace {

QByteArray repeated(const QByteArray& piece, int times)
{
    return piece.repeated(times);
}

QByteArray attributes(const char* prefix, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        out += ' ' + QByteArray(prefix) + QByteArray::number(i) + "=\"v\"";
    }
    return out;
}

} // namespace

void TestApp::xmlPreflight_refusesHostileShapes_data()
{
    using V = common::XmlPreflight::Verdict;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("stylesheet"); // a DOCTYPE is allowed
    QTest::addColumn<int>("verdict");
    QTest::addColumn<int>("line"); // where the refusal names it; 0: not checked

    const QByteArray head = "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"y.xslt\"?>\n";
    QTest::newRow("ledger-like") << head + "<defter xmlns=\"e\" a='>'><!-- <x><y> --><![CDATA[<z>]]>"
                                           "<b c=\"<d>\">t</b><e/></defter>"
                                 << false << int(V::Fine) << 0;
    QTest::newRow("no markup where the parser stops")
        << "garbage <!ENTITY a \"b\">" + repeated("<a>", 300) << false << int(V::Fine) << 0;
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF\n" + repeated("<a>", 257) << false << int(V::TooDeep) << 2;
    QTest::newRow("depth at the limit") << repeated("<a>", 256) + repeated("</a>", 256) << false << int(V::Fine) << 0;
    QTest::newRow("depth over the limit")
        << head + repeated("<a>\n", 257) + repeated("</a>", 257) << false << int(V::TooDeep) << 259;
    QTest::newRow("empty elements do not nest")
        << "<r>" + repeated("<a/>", 5000) + "</r>" << false << int(V::Fine) << 0;
    QTest::newRow("markup inside comments, PIs, CDATA and values is no element")
        << "<r><!--" + repeated("<a>", 300) + "--><?p " + repeated("<a>", 300) + "?><![CDATA[" + repeated("<a>", 300) +
               "]]><v w=\"" + repeated("<a>", 300) + "\"/></r>"
        << false << int(V::Fine) << 0;
    QTest::newRow("attributes at the limit") << "<r" + attributes("a", 256) + "/>" << false << int(V::Fine) << 0;
    QTest::newRow("attributes over the limit")
        << "<r\n" + attributes("a", 257) + "/>" << false << int(V::TooManyAttributes) << 2;
    QTest::newRow("namespaces over the limit on one element count as attributes")
        << "<r" + attributes("xmlns:n", 257) + "/>" << false << int(V::TooManyAttributes) << 1;
    QTest::newRow("namespaces over the limit in scope")
        << "<r" + attributes("xmlns:n", 200) + "><s" + attributes("xmlns:m", 57) + "/></r>" << false
        << int(V::TooManyNamespaces) << 1;
    QTest::newRow("namespaces of closed siblings leave scope")
        << "<r" + attributes("xmlns:n", 200) + ">" + repeated("<s" + attributes("xmlns:m", 56) + "/>", 3) + "</r>"
        << false << int(V::Fine) << 0;
    QTest::newRow("long element name") << "<" + QByteArray(1001, 'a') + "/>" << false << int(V::NameTooLong) << 1;
    QTest::newRow("long attribute name") << "<r " + QByteArray(1001, 'a') + "=\"\"/>" << false << int(V::NameTooLong)
                                         << 1;
    QTest::newRow("long end-tag name") << "<r></" + QByteArray(1001, 'a') + ">" << false << int(V::NameTooLong) << 1;
    QTest::newRow("long attribute value")
        << "<r a=\"" + QByteArray((1 << 20) + 1, 'x') + "\"/>" << false << int(V::ValueTooLong) << 1;
    QTest::newRow("long comment") << "<r>\n<!--" + QByteArray((1 << 20) + 1, 'x') + "--></r>" << false
                                  << int(V::MarkupTooLong) << 2;
    QTest::newRow("long processing instruction")
        << "<r><?p " + QByteArray(1 << 20, 'x') + "?></r>" << false << int(V::MarkupTooLong) << 1;
    QTest::newRow("CDATA of attachment size is allowed")
        << "<r><![CDATA[" + QByteArray(7 << 20, 'x') + "]]></r>" << false << int(V::Fine) << 0;
    QTest::newRow("long CDATA") << "<r><![CDATA[" + QByteArray((8 << 20) + 1, 'x') + "]]></r>" << false
                                << int(V::MarkupTooLong) << 1;
    QTest::newRow("long text is allowed") << "<r>" + QByteArray(3 << 20, 'x') + "</r>" << false << int(V::Fine) << 0;
    QTest::newRow("doctype") << head + "<!DOCTYPE r [<!ENTITY a \"b\">]><r/>" << false << int(V::Doctype) << 3;
    QTest::newRow("declaration outside a doctype")
        << QByteArray("<!ENTITY a \"b\"><r/>") << false << int(V::Doctype) << 1;
    QTest::newRow("stylesheet doctype with '>' and ']' in literals and comments")
        << "<!DOCTYPE x [<!ENTITY nbsp \"&#160;>]\"><!-- ]> don't --><!ENTITY q '\"'>]>" + repeated("<a>", 256) +
               repeated("</a>", 256)
        << true << int(V::Fine) << 0;
    QTest::newRow("stylesheet still nests within the limit")
        << "<!DOCTYPE x [<!ENTITY nbsp \"&#160;\">]>" + repeated("<a>", 257) << true << int(V::TooDeep) << 1;
    QTest::newRow("UTF-16 is scanned as what it says")
        << ("\xFF\xFE" +
            QByteArray(reinterpret_cast<const char*>(QString::fromLatin1(repeated("<a>", 257)).utf16()), 257 * 3 * 2))
        << false << int(V::TooDeep) << 1;
    // The file is read in chunks of 1 MiB: a comment's end split across two of them.
    QTest::newRow("terminator across a read boundary")
        << "<r><!--" + QByteArray((1 << 20) - 8, 'x') + "-->" + repeated("<a>", 257) << false << int(V::TooDeep) << 1;
}

void TestApp::xmlPreflight_refusesHostileShapes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, stylesheet);
    QFETCH(int, verdict);
    QFETCH(int, line);
    common::XmlShapeLimits limits;
    limits.allowDoctype = stylesheet;
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("d.xml")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    for (const common::XmlPreflight& result :
         {common::preflightXml(bytes, limits), common::preflightXmlFile(file.fileName(), limits)}) {
        QCOMPARE(int(result.verdict), verdict);
        QCOMPARE(result.problem.isEmpty(), result.ok());
        if (line > 0) {
            QCOMPARE(result.line, line);
            QVERIFY2(result.problem.startsWith(QStringLiteral("%1. satırda").arg(line)), qPrintable(result.problem));
        }
    }
}

void TestApp::xmlPreflight_refusesWhatIsNoRegularFile_data()
{
    using V = common::XmlPreflight::Verdict;
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("words");
    QTest::newRow("named pipe") << "fifo" << int(V::NotRegularFile) << "adlandırılmış kanal";
    QTest::newRow("device") << "/dev/urandom" << int(V::NotRegularFile) << "aygıt";
    QTest::newRow("folder") << "folder" << int(V::NotRegularFile) << "klasör";
    QTest::newRow("symlink loop") << "loop" << int(V::Unreadable) << "döngü";
    QTest::newRow("missing") << "missing" << int(V::Unreadable) << "böyle bir dosya";
    QTest::newRow("symlink to a regular file") << "link" << int(V::Fine) << "";
}

void TestApp::xmlPreflight_refusesWhatIsNoRegularFile()
{
    QFETCH(QString, kind);
    QFETCH(int, verdict);
    QFETCH(QString, words);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("d.xml"));
    if (kind == u"fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == u"folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == u"loop") {
        QVERIFY(QFile::link(path, path));
    } else if (kind == u"link") {
        QVERIFY(QFile(dir.filePath(QStringLiteral("t"))).open(QIODevice::WriteOnly) &&
                QFile::link(dir.filePath(QStringLiteral("t")), path));
    } else if (kind.startsWith(u'/')) {
        path = kind;
    }
    const common::XmlPreflight result = common::preflightXmlFile(path);
    QCOMPARE(int(result.verdict), verdict);
    QVERIFY2(result.problem.contains(words), qPrintable(result.problem));
}

void TestApp::documentKind_fromRootAndEntriesType_data()
{
    using K = common::DocumentKind;
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("entriesType");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("stylesheet");
    QTest::addColumn<QString>("key");
    QTest::newRow("journal") << "defter"
                             << "journal" << int(K::Journal) << "yevmiye.xslt"
                             << "journal";
    QTest::newRow("kebir") << "defter"
                           << "ledger" << int(K::Ledger) << "kebir.xslt"
                           << "ledger";
    // A defter that names no kind we know is neither, whatever its file is called.
    QTest::newRow("defter of no known kind") << "defter"
                                             << "trialbalance" << int(K::Unknown) << ""
                                             << "unknown";
    QTest::newRow("defter without entriesType") << "defter"
                                                << "" << int(K::Unknown) << ""
                                                << "unknown";
    QTest::newRow("kebir berat") << "berat"
                                 << "ledger" << int(K::LedgerBerat) << "berat.xslt"
                                 << "ledger-berat";
    QTest::newRow("journal berat") << "berat"
                                   << "journal" << int(K::JournalBerat) << "berat.xslt"
                                   << "journal-berat";
    QTest::newRow("report") << "defterraporu"
                            << "trialbalance" << int(K::Report) << "defterraporu.xslt"
                            << "report";
    QTest::newRow("the program's folder report") << "folder-report"
                                                 << "" << int(K::FolderReport) << "klasor-denetimi.xslt"
                                                 << "folder-report";
    QTest::newRow("the program's mizan") << "mizan"
                                         << "" << int(K::Mizan) << "mizan.xslt"
                                         << "mizan";
    QTest::newRow("the program's ekstre") << "hesap-ekstresi"
                                          << "" << int(K::Ekstre) << "hesap-ekstresi.xslt"
                                          << "ekstre";
    QTest::newRow("other root") << "html"
                                << "journal" << int(K::Unknown) << ""
                                << "unknown";
    QTest::newRow("root names are exact") << "Defter"
                                          << "journal" << int(K::Unknown) << ""
                                          << "unknown";
}

void TestApp::documentKind_fromRootAndEntriesType()
{
    QFETCH(QString, root);
    QFETCH(QString, entriesType);
    QFETCH(int, kind);
    QFETCH(QString, stylesheet);
    QFETCH(QString, key);
    const common::DocumentKind found = common::documentKind(root, entriesType);
    QCOMPARE(int(found), kind);
    QCOMPARE(common::stylesheetFor(found), stylesheet);
    QCOMPARE(common::kindKey(found), key);
    // The program's documents' stylesheets are shown from the program folder only, never copied beside ledgers.
    QCOMPARE(common::programStylesheets().contains(stylesheet),
             !stylesheet.isEmpty() && !common::isProgramDocument(found));
    // Only ours in the program's namespace: another program's root of that name is unknown, an e-Defter root stays.
    QCOMPARE(common::documentKind(QString::fromLatin1(common::kProgramNamespace), root, entriesType), found);
    QCOMPARE(common::documentKind(u"urn:another-program", root, entriesType),
             common::isProgramDocument(found) ? common::DocumentKind::Unknown : found);
}

void TestApp::documentName_strictPattern_data()
{
    using K = common::DocumentKind;
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("gib");
    QTest::addColumn<QString>("taxpayer");
    QTest::addColumn<QString>("period");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("part");
    QTest::newRow("journal") << "1234567890-202401-Y-000000.xml" << true << false << "1234567890"
                             << "202401" << int(K::Journal) << "000000";
    QTest::newRow("TCKN, kebir part") << "12345678901-202412-K-000002.xml" << true << false << "12345678901"
                                      << "202412" << int(K::Ledger) << "000002";
    QTest::newRow("GİB's berat") << "GIB-1234567890-202403-KB-000001.xml" << true << true << "1234567890"
                                 << "202403" << int(K::LedgerBerat) << "000001";
    QTest::newRow("upper-case extension") << "1234567890-202402-YB-000000.XML" << true << false << "1234567890"
                                          << "202402" << int(K::JournalBerat) << "000000";
    QTest::newRow("report") << "1234567890-201901-DR-000000.xml" << true << false << "1234567890"
                            << "201901" << int(K::Report) << "000000";
    QTest::newRow("month 13") << "1234567890-202413-Y-000000.xml" << false << false << ""
                              << "" << 0 << "";
    QTest::newRow("month 00") << "1234567890-202400-Y-000000.xml" << false << false << ""
                              << "" << 0 << "";
    QTest::newRow("GIB- before a ledger") << "GIB-1234567890-202401-Y-000000.xml" << false << false << ""
                                          << "" << 0 << "";
    QTest::newRow("nine-digit taxpayer") << "123456789-202401-Y-000000.xml" << false << false << ""
                                         << "" << 0 << "";
    QTest::newRow("five-digit part") << "1234567890-202401-Y-00000.xml" << false << false << ""
                                     << "" << 0 << "";
    QTest::newRow("unknown type") << "1234567890-202401-E-000000.xml" << false << false << ""
                                  << "" << 0 << "";
    QTest::newRow("zip") << "1234567890-202401-Y-000000.zip" << false << false << ""
                         << "" << 0 << "";
}

void TestApp::documentName_strictPattern()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QFETCH(bool, gib);
    QFETCH(QString, taxpayer);
    QFETCH(QString, period);
    QFETCH(int, kind);
    QFETCH(QString, part);
    const std::optional<common::DocumentName> parsed = common::DocumentName::parse(name);
    QCOMPARE(parsed.has_value(), valid);
    if (!valid) {
        return;
    }
    QCOMPARE(parsed->gib, gib);
    QCOMPARE(parsed->taxpayer, taxpayer);
    QCOMPARE(parsed->period, period);
    QCOMPARE(int(parsed->kind), kind);
    QCOMPARE(parsed->part, part);
    QCOMPARE(parsed->fileName().toLower(), name.toLower());
    // A ledger and its berats name each other both ways.
    if (common::isBerat(parsed->kind)) {
        QVERIFY(common::isLedger(parsed->ledger().kind));
        QCOMPARE(parsed->ledger().berat(gib).fileName(), parsed->fileName());
    } else if (common::isLedger(parsed->kind)) {
        QVERIFY(common::isBerat(parsed->berat(true).kind));
        QCOMPARE(parsed->berat(true).ledger().fileName(), parsed->fileName());
    }
}

void TestApp::backgroundTask_deliversOnlyWhatIsStillWanted_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("ownThread");
    QTest::addColumn<QList<int>>("delivered");
    QTest::addColumn<bool>("firstSawStop");
    for (const bool ownThread : {false, true}) {
        const char* on = ownThread ? "thread" : "pool";
        QTest::addRow("%s: delivered", on) << "run" << ownThread << QList<int>{1} << false;
        QTest::addRow("%s: receiver gone", on) << "receiverGone" << ownThread << QList<int>{} << false;
        QTest::addRow("%s: superseded", on) << "renew" << ownThread << QList<int>{2} << true;
        QTest::addRow("%s: cancelled", on) << "cancel" << ownThread << QList<int>{} << true;
        QTest::addRow("%s: stopped, still says so", on) << "stop" << ownThread << QList<int>{1} << true;
        QTest::addRow("%s: shutdown waits", on) << "shutdown" << ownThread << QList<int>{} << true;
    }
}

void TestApp::backgroundTask_deliversOnlyWhatIsStillWanted()
{
    QFETCH(QString, scenario);
    QFETCH(bool, ownThread);
    QFETCH(QList<int>, delivered);
    QFETCH(bool, firstSawStop);
    std::atomic_bool gate = false;
    std::atomic_bool firstStop = false;
    std::atomic_int finished = 0;
    QList<int> got;
    auto receiver = std::make_unique<QObject>();
    common::BackgroundTask::ThreadMaker maker;
    if (ownThread) {
        maker = [](std::function<void()> work) {
            return QThread::create(std::move(work));
        };
    }
    auto task = std::make_unique<common::BackgroundTask>(receiver.get(), maker);
    const auto work = [&](int value) {
        return [&, value](const common::BackgroundTask::Context& context) {
            while (!gate.load()) {
                QThread::msleep(1);
            }
            QThread::msleep(50);
            if (value == 1) {
                firstStop = context.stopRequested();
            }
            context.post([&got, value] { got.append(value); });
            ++finished;
        };
    };
    task->start(work(1));
    if (scenario == u"receiverGone") {
        receiver.reset();
    } else if (scenario == u"renew") {
        task->start(work(2));
    } else if (scenario == u"cancel") {
        task->cancel();
    } else if (scenario == u"stop") {
        task->stop();
    }
    gate = true;
    if (scenario == u"shutdown") {
        task.reset();
        QCOMPARE(finished.load(), 1);
    } else {
        task->wait();
    }
    QCoreApplication::sendPostedEvents();
    QCOMPARE(got, delivered);
    QCOMPARE(firstStop.load(), firstSawStop);
}

QTEST_GUILESS_MAIN(TestApp)
#include "tst_common.moc"
