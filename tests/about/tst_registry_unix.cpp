#include "about/registry.h"

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
    void holdsOnlyTheDesktopToolPath_data();
    void holdsOnlyTheDesktopToolPath();
};

void TestRegistryUnix::holdsOnlyTheDesktopToolPath_data()
{
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<uint>("access");
    QTest::addColumn<long>("status");

    QTest::newRow("tool installed") << "hardinfo" << QByteArray(kSysInfoPathKey).toLower() << kKeyRead << kErrorSuccess;
    QTest::newRow("write rights refused")
        << "kinfocenter" << QByteArray(kSysInfoPathKey) << 0x2003Fu << kErrorAccessDenied;
    QTest::newRow("nothing installed") << "" << QByteArray(kSysInfoPathKey) << kKeyRead << kErrorFileNotFound;
    QTest::newRow("folder key not held") << "hardinfo" << QByteArray(kSysInfoFolderKey) << kKeyRead
                                         << kErrorFileNotFound;
}

void TestRegistryUnix::holdsOnlyTheDesktopToolPath()
{
    QFETCH(QString, installed);
    QFETCH(QByteArray, key);
    QFETCH(uint, access);
    QFETCH(long, status);

    QTemporaryDir bin;
    QFile tool(bin.filePath(installed.isEmpty() ? QStringLiteral("other") : installed));
    QVERIFY(tool.open(QIODevice::WriteOnly) && tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner));
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));

    SystemRegistry registry;
    const OpenedKey opened = registry.openKey(kHKeyLocalMachine, key, access);
    std::array<std::byte, 1024> buffer{};
    const QueriedValue read = registry.queryValue(opened.key, "path", buffer);
    registry.closeKey(opened.key);
    qputenv("PATH", savedPath);

    QCOMPARE(opened.status, status);
    if (status == kErrorSuccess) {
        QCOMPARE(read.type, kRegSz);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(buffer.data()), read.length),
                 QFile::encodeName(tool.fileName()) + '\0');
    }
}

QTEST_GUILESS_MAIN(TestRegistryUnix)
#include "tst_registry_unix.moc"
