#include "common/documentkind.h"
#include "selection/filepattern.h"
#include "selection/folderlisting.h"
#include "selection/foldermemory.h"
#include "selection/openwith.h"
#include "selection/showcommand.h"
#include "selection/volumes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace selection;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

class TestSelectionCore : public QObject
{
    Q_OBJECT

private slots:
    void ledgerPattern_data();
    void ledgerPattern();
    void wildcards_data();
    void wildcards();

    void driveText_roundTrips_data();
    void driveText_roundTrips();
    void volumeOf_picksInnermostAndOutermost();

    void listFolders_ancestorsThenVisibleChildrenSorted();
    void listFolders_missingFolder_reportsReason();
    void listFiles_onlyMatchingRegularVisibleFiles();

    void memory_saveRestoreRoundTrip_data();
    void memory_saveRestoreRoundTrip();
    void memory_savesOneLineWithCrLf_andIgnoresSecondLine();
    void memory_missingFile_givesProgramFolderPlace();
    void memory_malformedFile_countsAsAbsent_data();
    void memory_malformedFile_countsAsAbsent();
    void memory_rememberedFolderOrDriveGone_givesNothing_data();
    void memory_rememberedFolderOrDriveGone_givesNothing();
    void memory_unwritableLocation_reportsError();
    void memory_locate_data();
    void memory_locate();
    void memory_probeWritable_writesForRealAndLeavesNothing();

    void openWith_data();
    void openWith();

    void urlText_data();
    void urlText();
    void provisioning_copiesOnlyMissing_inOrder_neverReplaces();
    void provisioning_fromProgramFolder_copiesNothing();
    void provisioning_unwritableFolder_isNotAnError();
    void show_nothingSelected_copiesNothingAndOpensNoViewer();
    void show_reusesOpenViewer_andLeavesItWhereItLies();
    void show_missingProgramStylesheet_reportedOnce();

private:
    QTemporaryDir m_temp;
};

void TestSelectionCore::ledgerPattern_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");
    QTest::newRow("journal") << "1234567890-202501-Y-000001.xml" << true;
    QTest::newRow("journal berat") << "1234567890-202501-YB-000001.xml" << true;
    QTest::newRow("kebir") << "1234567890-202501-K-000000.xml" << true;
    QTest::newRow("report") << "1234567890-202501-DR-000001.xml" << true;
    QTest::newRow("approved kebir berat") << "GIB-1234567890-202501-KB-000000.xml" << true;
    QTest::newRow("identity number") << "12345678901-202501-Y-000002.xml" << true;
    QTest::newRow("lower case") << "1234567890-202501-y-000001.XML" << true;
    QTest::newRow("mixed case") << "gib-1234567890-202501-Kb-000000.Xml" << true;
    QTest::newRow("zip") << "1234567890-202501-Y-000001.zip" << false;
    QTest::newRow("plain name") << "yevmiye.xml" << false;
    QTest::newRow("stylesheet") << "yevmiye.xslt" << false;
    QTest::newRow("other type") << "1234567890-202501-X-000001.xml" << false;
    QTest::newRow("part not 00000") << "1234567890-202501-Y-100001.xml" << false;
    QTest::newRow("xml suffix only inside") << "1234567890-202501-Y-000001.xml.bak" << false;
}

void TestSelectionCore::ledgerPattern()
{
    QFETCH(QString, name);
    QFETCH(bool, listed);
    QCOMPARE(matchesPattern(name, QString::fromLatin1(kLedgerPattern)), listed);
}

void TestSelectionCore::wildcards_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("patterns");
    QTest::addColumn<bool>("matches");
    QTest::newRow("star matches nothing") << "ab"
                                          << "a*b" << true;
    QTest::newRow("question mark one char") << "acb"
                                            << "a?b" << true;
    QTest::newRow("question mark not zero") << "ab"
                                            << "a?b" << false;
    QTest::newRow("backtracking") << "aXbYb.xml"
                                  << "a*b.xml" << true;
    QTest::newRow("second pattern") << "x.txt"
                                    << "*.xml; *.TXT" << true;
    QTest::newRow("empty list") << "x.xml"
                                << "" << false;
    QTest::newRow("turkish letters") << "ŞUBE-Ğ.xml"
                                     << "şube-ğ.XML" << true;
}

void TestSelectionCore::wildcards()
{
    QFETCH(QString, name);
    QFETCH(QString, patterns);
    QFETCH(bool, matches);
    QCOMPARE(matchesPattern(name, patterns), matches);
}

void TestSelectionCore::driveText_roundTrips_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("label");
    QTest::newRow("root without label") << "/"
                                        << "";
    QTest::newRow("root with label") << "/"
                                     << "sistem";
    QTest::newRow("mounted stick") << "/media/ali/USB BELLEK"
                                   << "DEFTER [2025]";
}

void TestSelectionCore::driveText_roundTrips()
{
    QFETCH(QString, root);
    QFETCH(QString, label);
    const Volume volume{native(root), label};
    const QString text = driveText(volume);
    QCOMPARE(driveRootFromText(text), volume.root);
    const QList<Volume> volumes{Volume{native("/"), {}}, volume};
    QVERIFY(volumeForDriveText(volumes, text).has_value());
    QCOMPARE(volumeForDriveText(volumes, text)->root, volume.root);
}

void TestSelectionCore::volumeOf_picksInnermostAndOutermost()
{
    const QList<Volume> volumes{{native("/"), {}}, {native("/home"), {}}, {native("/home/ali/usb"), {}}};
    QCOMPARE(volumeOf(volumes, native("/home/ali/usb/2025"))->root, native("/home/ali/usb"));
    QCOMPARE(volumeOf(volumes, native("/home/ali"))->root, native("/home"));
    QCOMPARE(volumeOf(volumes, native("/homework"))->root, native("/"));
    QCOMPARE(outermostVolumeOf(volumes, native("/home/ali/usb/2025"))->root, native("/"));
}

void TestSelectionCore::listFolders_ancestorsThenVisibleChildrenSorted()
{
    QTemporaryDir dir;
    QDir base(dir.path());
    for (const char* name : {"Defter 2025/Şubat", "Defter 2025/ocak", "Defter 2025/.gizli", "Defter 2025/Aralık"}) {
        QVERIFY(base.mkpath(QString::fromUtf8(name)));
    }
    writeAll(base.filePath(QStringLiteral("Defter 2025/dosya.xml")), "x");
    const QString folder = native(base.filePath(QStringLiteral("Defter 2025")));

    const FolderListing listing = listFolders(folder, native(dir.path()));
    QVERIFY2(listing.ok(), qPrintable(listing.error));
    QCOMPARE(listing.rows.size(), 5);
    QCOMPARE(listing.rows.at(0).path, native(dir.path()));
    QVERIFY(listing.rows.at(0).open);
    QCOMPARE(listing.rows.at(1).path, folder);
    QCOMPARE(listing.currentRow, 1);
    QStringList children;
    for (qsizetype i = 2; i < listing.rows.size(); ++i) {
        QVERIFY(!listing.rows.at(i).open);
        QCOMPARE(listing.rows.at(i).depth, 2);
        children.append(listing.rows.at(i).name);
    }
    QCOMPARE(children, (QStringList{QStringLiteral("Aralık"), QStringLiteral("ocak"), QStringLiteral("Şubat")}));
    QCOMPARE(listing.rows.at(2).path, native(base.filePath(QStringLiteral("Defter 2025/Aralık"))));
}

void TestSelectionCore::listFolders_missingFolder_reportsReason()
{
    const QString missing = native(m_temp.filePath(QStringLiteral("yok")));
    const FolderListing listing = listFolders(missing, native("/"));
    QVERIFY(!listing.ok());
    QCOMPARE(listing.error, QStringLiteral("böyle bir dosya ya da klasör yok"));
    QVERIFY(listing.rows.isEmpty());
    QVERIFY(describeReadError(missing, listing.error).contains(missing));
}

void TestSelectionCore::listFiles_onlyMatchingRegularVisibleFiles()
{
    QTemporaryDir dir;
    QDir base(dir.path());
    for (const char* name : {"1234567890-202501-Y-000001.xml", "1234567890-202501-DR-000001.XML",
                             ".1234567890-202501-K-000001.xml", "yevmiye.xslt", "1234567890-202501-Y-000001.zip"}) {
        writeAll(base.filePath(QString::fromUtf8(name)), "x");
    }
    QVERIFY(base.mkdir(QStringLiteral("1234567890-202501-K-000001.xml")));

    const FileListing listing = listFiles(dir.path(), QString::fromLatin1(kLedgerPattern));
    QVERIFY(listing.ok());
    QCOMPARE(listing.names, (QStringList{QStringLiteral("1234567890-202501-DR-000001.XML"),
                                         QStringLiteral("1234567890-202501-Y-000001.xml")}));
}

void TestSelectionCore::memory_saveRestoreRoundTrip_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::newRow("plain") << "defter";
    QTest::newRow("spaces") << "Müşteri Defterleri 2025";
    QTest::newRow("turkish letters") << "İŞĞÜÇÖıışğüçö";
    QTest::newRow("hash and percent") << "a#b%20c";
}

void TestSelectionCore::memory_saveRestoreRoundTrip()
{
    QFETCH(QString, folderName);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(folderName));
    const QString folder = native(QDir(dir.path()).filePath(folderName));
    const QList<Volume> volumes{{native("/"), QStringLiteral("sistem")}};
    const FolderMemory memory(native(dir.filePath(QStringLiteral("dir.log"))));

    QVERIFY(memory.save(QStringLiteral("/ [sistem]"), folder).isEmpty());
    QCOMPARE(memory.restore(native(dir.path()), volumes), QStringLiteral("/ [sistem]\t") + folder);
}

void TestSelectionCore::memory_savesOneLineWithCrLf_andIgnoresSecondLine()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("dir.log"));
    const FolderMemory memory(file);
    writeAll(file, "/\t" + native(dir.path()).toUtf8() + "\r\n/\t/ikinci satır\r\n");
    QCOMPARE(memory.restore(QStringLiteral("/x"), {{native("/"), {}}}), QStringLiteral("/\t") + native(dir.path()));

    QVERIFY(memory.save(QStringLiteral("/"), QStringLiteral("/Şube klasörü")).isEmpty());
    QCOMPARE(readAll(file), QByteArray("/\t/\xC5\x9E"
                                       "ube klas\xC3\xB6r\xC3\xBC\r\n"));
}

void TestSelectionCore::memory_missingFile_givesProgramFolderPlace()
{
    QTemporaryDir dir;
    const QString program = native(dir.path());
    const FolderMemory memory(native(dir.filePath(QStringLiteral("dir.log"))));
    QCOMPARE(memory.restore(program, {{native("/"), QStringLiteral("kök")}}), QStringLiteral("/ [kök]\t") + program);
    QVERIFY(!QFile::exists(memory.filePath()));
}

void TestSelectionCore::memory_malformedFile_countsAsAbsent_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("no tab") << QByteArray("/home/ali\r\n") << false;
    QTest::newRow("tab only on second line") << QByteArray("\r\n/\t/\r\n") << false;
    QTest::newRow("unreadable: a folder named dir.log") << QByteArray() << true;
}

void TestSelectionCore::memory_malformedFile_countsAsAbsent()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, asFolder);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("dir.log"));
    if (asFolder) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dir.log")));
    } else {
        writeAll(file, content);
    }
    const QString program = native(dir.path());
    QCOMPARE(FolderMemory(file).restore(program, {{native("/"), {}}}), QStringLiteral("/\t") + program);
}

void TestSelectionCore::memory_rememberedFolderOrDriveGone_givesNothing_data()
{
    QTest::addColumn<QString>("drive");
    QTest::addColumn<bool>("folderExists");
    QTest::newRow("folder deleted") << "/" << false;
    QTest::newRow("drive unplugged") << "/media/usb [YEDEK]" << true;
}

void TestSelectionCore::memory_rememberedFolderOrDriveGone_givesNothing()
{
    QFETCH(QString, drive);
    QFETCH(bool, folderExists);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("dir.log"));
    const QString folder = folderExists ? native(dir.path()) : native(dir.filePath(QStringLiteral("silindi")));
    const QByteArray content = (drive + QLatin1Char('\t') + folder + QStringLiteral("\r\n")).toUtf8();
    writeAll(file, content);
    QCOMPARE(FolderMemory(file).restore(native(dir.path()), {{native("/"), {}}}), QString());
    QCOMPARE(readAll(file), content);
}

void TestSelectionCore::memory_unwritableLocation_reportsError()
{
    QTemporaryDir dir;
    writeAll(dir.filePath(QStringLiteral("dosya")), "x");
    // A regular file stands where the memory file's folder should be: no user can write there.
    const FolderMemory memory(dir.filePath(QStringLiteral("dosya/dir.log")));
    const QString error = memory.save(QStringLiteral("/"), QStringLiteral("/"));
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(QStringLiteral("dosya")), qPrintable(error));
}

void TestSelectionCore::memory_locate_data()
{
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<int>("dirLog"); // 0: none, 1: writable, 2: read-only
    QTest::addColumn<bool>("inConfig");
    QTest::newRow("writable folder, first run") << true << 0 << false;
    QTest::newRow("writable folder and dir.log") << true << 1 << false;
    QTest::newRow("read-only folder, first run") << false << 0 << true;
    // Saving writes a temporary file beside dir.log: a writable dir.log alone is not enough.
    QTest::newRow("read-only folder, writable dir.log") << false << 1 << true;
    QTest::newRow("writable folder, read-only dir.log") << true << 2 << true;
}

// The answers come from the probe handed in: the tests run as root, who may write anywhere.
void TestSelectionCore::memory_locate()
{
    QFETCH(bool, folderWritable);
    QFETCH(int, dirLog);
    QFETCH(bool, inConfig);
    QTemporaryDir dir;
    const QString program = native(dir.path());
    const QString beside = program + QDir::separator() + "dir.log";
    const QString config = native(dir.filePath(QStringLiteral("config")));
    if (dirLog != 0) {
        writeAll(beside, "/\t/\r\n");
    }
    const WritableProbe probe = [&](const QString& path) {
        return path == program ? folderWritable : dirLog == 1;
    };
    QCOMPARE(FolderMemory::locate(program, config, probe), inConfig ? config + QDir::separator() + "dir.log" : beside);
}

void TestSelectionCore::memory_probeWritable_writesForRealAndLeavesNothing()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("dir.log"));
    writeAll(file, "x");
    QVERIFY(probeWritable(native(dir.path())));
    QVERIFY(probeWritable(native(file)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"dir.log"});
    QCOMPARE(readAll(file), QByteArray("x"));
    QVERIFY(!probeWritable(native(dir.filePath(QStringLiteral("salt-okunur/program")))));
    // A regular file where a folder should be: nothing can be created under it.
    QVERIFY(!probeWritable(native(dir.filePath(QStringLiteral("dir.log/alt")))));
}

namespace {

class FakeViewer final : public LedgerViewer
{
public:
    bool open = false;
    QStringList calls;
    bool ensureOpen() override
    {
        calls << (open ? "ensureOpen(open)" : "ensureOpen(new)");
        return std::exchange(open, true);
    }
    void navigate(const QString& url) override { calls << "navigate " + url; }
};

void writeStylesheets(const QString& folder, const QByteArray& content)
{
    for (const QString& name : common::programStylesheets()) {
        writeAll(QDir(folder).filePath(name), content);
    }
}

} // namespace

void TestSelectionCore::openWith_data()
{
    QTest::addColumn<QString>("argument"); // "@" stands for the temporary folder; "-" for none
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("expected"); // for Show the bare name, else a part of the message
    const int nothing = int(OpenRequest::Action::Nothing);
    const int show = int(OpenRequest::Action::Show);
    const int refuse = int(OpenRequest::Action::Refuse);
    QTest::newRow("no argument") << "-" << nothing << "";
    QTest::newRow("ledger") << "@/Defter 2025/1234567890-202501-Y-000001.xml" << show
                            << "1234567890-202501-Y-000001.xml";
    QTest::newRow("relative, upper-case suffix, BOM") << "Defter 2025/yevmiye.XML" << show << "yevmiye.XML";
    QTest::newRow("file URL") << "file://@/Defter%202025/1234567890-202501-Y-000001.xml" << show
                              << "1234567890-202501-Y-000001.xml";
    QTest::newRow("missing") << "@/Defter 2025/silindi.xml" << refuse << "bulunamadı";
    QTest::newRow("not .xml") << "@/Defter 2025/notlar.txt" << refuse << "XML dosyası değil";
    QTest::newRow(".xml that is no XML") << "@/Defter 2025/bozuk.xml" << refuse << "XML dosyası değil";
    QTest::newRow("folder") << "@/Defter 2025" << refuse << "klasör";
    QTest::newRow("named pipe") << "@/Defter 2025/kanal.xml" << refuse << "FIFO";
}

void TestSelectionCore::openWith()
{
    QFETCH(QString, argument);
    QFETCH(int, action);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Defter 2025"));
    QVERIFY(QDir().mkpath(folder));
    writeAll(folder + "/1234567890-202501-Y-000001.xml", "<?xml version=\"1.0\"?><edefter:defter/>");
    writeAll(folder + "/yevmiye.XML", "\xEF\xBB\xBF\r\n  <defter/>");
    writeAll(folder + "/notlar.txt", "<defter/>");
    writeAll(folder + "/bozuk.xml", "%PDF-1.4\n<<>>");
    QCOMPARE(mkfifo(QFile::encodeName(folder + "/kanal.xml").constData(), 0600), 0);
    const QStringList arguments = argument == "-" ? QStringList() : QStringList{argument.replace('@', dir.path())};

    const OpenRequest request = decideOpen(arguments, dir.path());
    QCOMPARE(int(request.action), action);
    if (action == int(OpenRequest::Action::Show)) {
        QCOMPARE(request.folder, native(folder));
        QCOMPARE(request.fileName, expected);
    } else {
        QVERIFY2(request.message.contains(expected), qPrintable(request.message));
    }
    if (action == int(OpenRequest::Action::Refuse)) {
        QVERIFY2(request.message.contains(native(folder)), qPrintable(request.message));
    }
}

void TestSelectionCore::urlText_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("url");
    QTest::newRow("windows folder") << "C:\\Defter\\2025"
                                    << "1234567890-202501-Y-000001.xml"
                                    << "file://C:/Defter/2025/1234567890-202501-Y-000001.xml";
    QTest::newRow("windows root") << "C:\\"
                                  << "a.xml"
                                  << "file://C://a.xml";
    QTest::newRow("unix folder") << "/home/ali/Defter"
                                 << "a.xml"
                                 << "file:///home/ali/Defter/a.xml";
    QTest::newRow("unix root") << "/"
                               << "a.xml"
                               << "file:////a.xml";
    QTest::newRow("spaces and turkish letters") << "/home/ali/Müşteri Defterleri"
                                                << "Şubat 2025 #1 %20.xml"
                                                << "file:///home/ali/Müşteri Defterleri/Şubat 2025 #1 %20.xml";
}

void TestSelectionCore::urlText()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, url);
    QCOMPARE(ledgerUrlText(folder, name), url);
}

void TestSelectionCore::provisioning_copiesOnlyMissing_inOrder_neverReplaces()
{
    QTemporaryDir program;
    QTemporaryDir ledger;
    writeStylesheets(program.path(), "yeni");
    writeAll(ledger.filePath(QStringLiteral("yevmiye.xslt")), "eski");

    const Provisioning result = provisionStylesheets(native(ledger.path()), native(program.path()));
    QCOMPARE(result.copied, (QStringList{"berat.xslt", "kebir.xslt", "defterraporu.xslt"}));
    QVERIFY(result.missingFromProgram.isEmpty());
    QCOMPARE(readAll(ledger.filePath(QStringLiteral("yevmiye.xslt"))), QByteArray("eski"));
    QCOMPARE(readAll(ledger.filePath(QStringLiteral("kebir.xslt"))), QByteArray("yeni"));

    QVERIFY(provisionStylesheets(native(ledger.path()), native(program.path())).copied.isEmpty());
}

void TestSelectionCore::provisioning_fromProgramFolder_copiesNothing()
{
    QTemporaryDir program;
    writeStylesheets(program.path(), "x");
    const Provisioning result = provisionStylesheets(native(program.path()), native(program.path()));
    QVERIFY(result.copied.isEmpty());
    QVERIFY(result.notCopied.isEmpty());
}

void TestSelectionCore::provisioning_unwritableFolder_isNotAnError()
{
    QTemporaryDir program;
    QTemporaryDir base;
    writeStylesheets(program.path(), "x");
    // The ledger's folder vanished after it was listed: nothing can be copied there.
    const QString gone = native(base.filePath(QStringLiteral("çıkarılan disk")));
    const Provisioning result = provisionStylesheets(gone, native(program.path()));
    QCOMPARE(result.notCopied, (QStringList{"berat.xslt", "kebir.xslt", "yevmiye.xslt", "defterraporu.xslt"}));
    QVERIFY(result.copied.isEmpty());
}

void TestSelectionCore::show_nothingSelected_copiesNothingAndOpensNoViewer()
{
    QTemporaryDir program;
    QTemporaryDir ledger;
    writeStylesheets(program.path(), "x");
    FakeViewer viewer;
    ShowCommand show(native(program.path()), viewer);
    QVERIFY(show.run(native(ledger.path()), QString()).isEmpty());
    QVERIFY(viewer.calls.isEmpty());
    QVERIFY(QDir(ledger.path()).isEmpty());
}

void TestSelectionCore::show_reusesOpenViewer_andLeavesItWhereItLies()
{
    QTemporaryDir program;
    QTemporaryDir ledger;
    writeStylesheets(program.path(), "x");
    FakeViewer viewer;
    ShowCommand show(native(program.path()), viewer);
    const QString folder = native(ledger.path());
    QVERIFY(show.run(folder, QStringLiteral("a b.xml")).isEmpty());
    QVERIFY(show.run(folder, QStringLiteral("ç.xml")).isEmpty());
    const QString prefix = "navigate " + ledgerUrlText(folder, QString());
    QCOMPARE(viewer.calls, (QStringList{"ensureOpen(new)", prefix + "a b.xml", "ensureOpen(open)", prefix + "ç.xml"}));
    QCOMPARE(QDir(ledger.path()).entryList(QDir::Files, QDir::Name),
             (QStringList{"berat.xslt", "defterraporu.xslt", "kebir.xslt", "yevmiye.xslt"}));
}

void TestSelectionCore::show_missingProgramStylesheet_reportedOnce()
{
    QTemporaryDir program;
    QTemporaryDir ledger;
    writeStylesheets(program.path(), "x");
    QVERIFY(QFile::remove(program.filePath(QStringLiteral("kebir.xslt"))));
    FakeViewer viewer;
    ShowCommand show(native(program.path()), viewer);

    const QString message = show.run(native(ledger.path()), QStringLiteral("a.xml"));
    QVERIFY2(message.contains(native(program.filePath(QStringLiteral("kebir.xslt")))), qPrintable(message));
    QVERIFY(!message.contains(QStringLiteral("berat.xslt")));
    QVERIFY(show.run(native(ledger.path()), QStringLiteral("a.xml")).isEmpty());
    QCOMPARE(viewer.calls.filter(QStringLiteral("navigate")).size(), 2);
}

QTEST_GUILESS_MAIN(TestSelectionCore)
#include "tst_selectioncore.moc"
