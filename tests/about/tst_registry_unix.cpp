#include "about/registry.h"
#include "about/sysinfolauncher.h"
#include "fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace about;

class TestRegistryUnix : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void holdsOnlyTheToolPath_data();
    void holdsOnlyTheToolPath();
    void launcher_startsTheDesktopTool();

private:
    // Puts an executable of that name on a search path of its own; the full path.
    QString install(const QString& name);

    QTemporaryDir m_bin;
    QByteArray m_savedPath;
};

void TestRegistryUnix::init()
{
    m_savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_bin.path()));
}

void TestRegistryUnix::cleanup()
{
    qputenv("PATH", m_savedPath);
    for (const QString& name : QDir(m_bin.path()).entryList(QDir::Files))
        QFile::remove(m_bin.filePath(name));
}

QString TestRegistryUnix::install(const QString& name)
{
    QFile file(m_bin.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n") <= 0 ||
        !file.setPermissions(file.permissions() | QFileDevice::ExeOwner))
        return {};
    return file.fileName();
}

void TestRegistryUnix::holdsOnlyTheToolPath_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<uint>("access");
    QTest::addColumn<long>("status");
    QTest::addColumn<QString>("value");

    QTest::newRow("kinfocenter") << QStringList{"kinfocenter"} << QByteArray(kSysInfoPathKey) << kKeyRead
                                 << kErrorSuccess << "kinfocenter";
    QTest::newRow("kinfocenter before hardinfo")
        << QStringList{"hardinfo", "kinfocenter"} << QByteArray(kSysInfoPathKey) << kKeyRead << kErrorSuccess
        << "kinfocenter";
    QTest::newRow("names in any case") << QStringList{"hardinfo"} << QByteArray(kSysInfoPathKey).toLower() << kKeyRead
                                       << kErrorSuccess << "hardinfo";
    QTest::newRow("write rights refused")
        << QStringList{"hardinfo2"} << QByteArray(kSysInfoPathKey) << 0x2003Fu << kErrorAccessDenied << "";
    QTest::newRow("nothing installed") << QStringList() << QByteArray(kSysInfoPathKey) << kKeyRead << kErrorFileNotFound
                                       << "";
    QTest::newRow("folder key not held") << QStringList{"hardinfo"} << QByteArray(kSysInfoFolderKey) << kKeyRead
                                         << kErrorFileNotFound << "";
}

void TestRegistryUnix::holdsOnlyTheToolPath()
{
    QFETCH(QStringList, installed);
    QFETCH(QByteArray, key);
    QFETCH(uint, access);
    QFETCH(long, status);
    QFETCH(QString, value);
    for (const QString& name : installed)
        QVERIFY(!install(name).isEmpty());

    SystemRegistry registry;
    const OpenedKey opened = registry.openKey(kHKeyLocalMachine, key, access);
    QCOMPARE(opened.status, status);
    if (status != kErrorSuccess)
        return;
    std::array<std::byte, 1024> buffer{};
    QCOMPARE(registry.queryValue(opened.key, "MSINFO", buffer).status, kErrorFileNotFound);
    const QueriedValue read = registry.queryValue(opened.key, "path", buffer);
    registry.closeKey(opened.key);
    QCOMPARE(read.status, kErrorSuccess);
    QCOMPARE(read.type, kRegSz);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(buffer.data()), read.length),
             QFile::encodeName(m_bin.filePath(value)) + '\0');
}

void TestRegistryUnix::launcher_startsTheDesktopTool()
{
    const QString tool = install(QStringLiteral("hardinfo"));
    SystemRegistry registry;
    FakeStarter starter;
    QStringList messages;
    SysInfoLauncher launcher(registry, starter, [&](const QString& message) { messages.append(message); });

    launcher.StartSysInfo();
    QCOMPARE(starter.started, QStringList(tool));
    QVERIFY(messages.isEmpty());

    QVERIFY(QFile::remove(tool));
    launcher.StartSysInfo();
    QCOMPARE(messages, QStringList(QString::fromLatin1(kSysInfoUnavailable)));
}

QTEST_GUILESS_MAIN(TestRegistryUnix)
#include "tst_registry_unix.moc"
