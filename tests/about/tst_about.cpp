#include "about/support.h"
#include "about/sysinfolauncher.h"
#include "fakes.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace about;

namespace {

constexpr char kKey[] = "SOFTWARE\\Test";

QByteArray bytes(std::initializer_list<unsigned char> values)
{
    QByteArray result;
    for (const unsigned char value : values) {
        result.append(char(value));
    }
    return result;
}

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n") > 0 &&
           file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void getKeyValue_data();
    void getKeyValue();
    void startSysInfo_data();
    void startSysInfo();
    void detachedStarter_data();
    void detachedStarter();
    void support_data();
    void support();
};

void TestAbout::getKeyValue_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("keyVal");

    const QByteArray full(1023, 'a');
    QTest::newRow("string with terminator")
        << QByteArray(kKey) << kRegSz << QByteArray("C:\\x\0", 5) << true << "C:\\x";
    QTest::newRow("string without terminator") << QByteArray(kKey) << kRegSz << QByteArray("C:\\x") << true << "C:\\x";
    QTest::newRow("1024 bytes with terminator") << QByteArray(kKey) << kRegSz << full + '\0' << true << QString(full);
    QTest::newRow("1025 bytes count as missing")
        << QByteArray(kKey) << kRegSz << full + QByteArray("b\0", 2) << false << "";
    QTest::newRow("empty value is empty text") << QByteArray(kKey) << kRegSz << QByteArray("") << true << "";
    QTest::newRow("dword 261") << QByteArray(kKey) << kRegDword << bytes({0x05, 0x01, 0x00, 0x00}) << true << "261";
    QTest::newRow("dword 305419896") << QByteArray(kKey) << kRegDword << bytes({0x78, 0x56, 0x34, 0x12}) << true
                                     << "305419896";
    QTest::newRow("dword high bit") << QByteArray(kKey) << kRegDword << bytes({0xff, 0xff, 0xff, 0xff}) << true
                                    << "4294967295";
    QTest::newRow("expandable string left alone")
        << QByteArray(kKey) << kRegExpandSz << QByteArray("%x%\0", 4) << true << "before";
    QTest::newRow("missing value") << QByteArray(kKey) << 0u << QByteArray() << false << "";
    QTest::newRow("missing key") << QByteArray("SOFTWARE\\Other") << 0u << QByteArray() << false << "";
}

// The fake refuses write rights, as Windows does to a standard user: every read here also proves
// the key is opened for reading only.
void TestAbout::getKeyValue()
{
    QFETCH(QByteArray, key);
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(bool, result);
    QFETCH(QString, keyVal);

    FakeRegistry registry;
    registry.addKey(kKey);
    if (type != 0) {
        registry.setValue(kKey, "Value", {type, data});
    }
    FakeStarter starter;
    SysInfoLauncher launcher(registry, starter, [](const QString&) {});

    QString value = QStringLiteral("before");
    QCOMPARE(launcher.GetKeyValue(kHKeyLocalMachine, QString(key), QStringLiteral("value"), value), result);
    QCOMPARE(value, keyVal);
    QCOMPARE(registry.openCount, 0);
}

void TestAbout::startSysInfo_data()
{
    QTest::addColumn<bool>("pathKey");
    QTest::addColumn<uint>("pathType"); // 0: no PATH value
    QTest::addColumn<QByteArray>("pathData");
    QTest::addColumn<QByteArray>("folderData"); // empty: no folder key
    QTest::addColumn<QString>("started");       // empty: nothing starts and the message shows
    QTest::addColumn<bool>("folderRead");

    // "@" stands for the temporary folder.
    QTest::newRow("path names the tool") << true << kRegSz << QByteArray("@/tool/sys info\0", 16)
                                         << QByteArray("@/with") << "@/tool/sys info" << false;
    QTest::newRow("no path key, folder holds the tool")
        << false << 0u << QByteArray() << QByteArray("@/with\0", 7) << "@/with/MSINFO32.EXE" << true;
    QTest::newRow("no path value, folder holds the tool")
        << true << 0u << QByteArray() << QByteArray("@/with") << "@/with/MSINFO32.EXE" << true;
    QTest::newRow("path too long, folder holds the tool")
        << true << kRegSz << QByteArray(1025, 'a') << QByteArray("@/with") << "@/with/MSINFO32.EXE" << true;
    QTest::newRow("folder lacks the tool") << false << 0u << QByteArray() << QByteArray("@/without") << "" << true;
    QTest::newRow("neither key") << false << 0u << QByteArray() << QByteArray() << "" << true;
    QTest::newRow("path names a missing file")
        << true << kRegSz << QByteArray("@/gone.exe") << QByteArray("@/with") << "" << false;
    QTest::newRow("path of another type")
        << true << kRegExpandSz << QByteArray("@/tool/sys info") << QByteArray("@/with") << "" << false;
    QTest::newRow("empty path") << true << kRegSz << QByteArray("") << QByteArray("@/with") << "" << false;
}

// Every press acts anew: the tool starts, or the message shows, each time.
void TestAbout::startSysInfo()
{
    QFETCH(bool, pathKey);
    QFETCH(uint, pathType);
    QFETCH(QByteArray, pathData);
    QFETCH(QByteArray, folderData);
    QFETCH(QString, started);
    QFETCH(bool, folderRead);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray root = QDir::toNativeSeparators(dir.path()).toLocal8Bit();
    const auto place = [&](QByteArray text) {
        return text.replace('@', root).replace('/', QDir::separator().toLatin1());
    };
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("tool")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("with")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("without")));
    QVERIFY(touch(dir.filePath(QStringLiteral("tool/sys info"))));
    QVERIFY(touch(dir.filePath(QStringLiteral("with/MSINFO32.EXE"))));

    FakeRegistry registry;
    if (pathKey) {
        registry.addKey(kSysInfoPathKey);
    }
    if (pathType != 0) {
        registry.setValue(kSysInfoPathKey, kSysInfoPathValue, {pathType, place(pathData)});
    }
    if (!folderData.isEmpty()) {
        registry.setValue(kSysInfoFolderKey, kSysInfoFolderValue, {kRegSz, place(folderData)});
    }
    FakeStarter starter;
    QStringList messages;
    SysInfoLauncher launcher(registry, starter, [&](const QString& message) { messages.append(message); });

    launcher.StartSysInfo();
    launcher.StartSysInfo();

    const QString expected = QString::fromLocal8Bit(place(started.toLocal8Bit()));
    QCOMPARE(starter.started, started.isEmpty() ? QStringList() : QStringList({expected, expected}));
    QCOMPARE(messages, started.isEmpty() ? QStringList(2, QString::fromLatin1(kSysInfoUnavailable)) : QStringList());
    QCOMPARE(registry.openedKeys.contains(kSysInfoFolderKey), folderRead);
    QCOMPARE(registry.openedKeys.first(), QByteArray(kSysInfoPathKey));
    QCOMPARE(registry.openCount, 0);
}

void TestAbout::detachedStarter_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("started");
    QTest::newRow("path with spaces is one program") << "a folder/sys info" << true;
    QTest::newRow("missing file") << "a folder/gone" << false;
    QTest::newRow("empty path") << "" << false;
}

void TestAbout::detachedStarter()
{
    QFETCH(QString, relative);
    QFETCH(bool, started);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("a folder")));
    // A real program that ends at once; a script would outlive its temporary folder.
    QVERIFY(QFile::copy(QStandardPaths::findExecutable(QStringLiteral("true")),
                        dir.filePath(QStringLiteral("a folder/sys info"))));
    const QString path = relative.isEmpty() ? QString() : QDir::toNativeSeparators(dir.filePath(relative));
    QCOMPARE(DetachedStarter().start(path), started);
}

void TestAbout::support_data()
{
    QTest::addColumn<bool>("browserStarts");
    QTest::newRow("browser starts") << true;
    QTest::newRow("no browser") << false;
}

// The notice comes first; without a browser the user still learns where the page is.
void TestAbout::support()
{
    QFETCH(bool, browserStarts);
    QStringList events;
    const SupportCommand command([&](const QString& message) { events << "notice " + message; },
                                 [&](const QUrl& url) {
                                     events << "open " + url.toString();
                                     return browserStarts;
                                 });
    command.run();
    const QString page = supportPageUrl().toString();
    QStringList expected{"notice " + supportNotice(), "open " + page};
    if (!browserStarts) {
        expected << "notice " + browserUnavailableNotice();
    }
    QCOMPARE(events, expected);
    QVERIFY(browserUnavailableNotice().endsWith(page));
}

QTEST_GUILESS_MAIN(TestAbout)
#include "tst_about.moc"
