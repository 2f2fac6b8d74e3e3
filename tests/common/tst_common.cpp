#include "common/appinfo.h"
#include "common/paths.h"
#include "common/translations.h"
#include "common/ui.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
    const app::Version version{major, minor, revision};
    QFETCH(QString, shortText);
    QFETCH(QString, longText);
    QCOMPARE(app::shortVersionText(version), shortText);
    QCOMPARE(app::longVersionText(version), longText);
}

void TestApp::programTitle_isTheApplicationTitle()
{
    QCOMPARE(app::programTitle(), QStringLiteral("PELVORA.VERAZIDEDAZE"));
    QCOMPARE(app::shortVersionText(), QStringLiteral("v0.0.25"));
    QCOMPARE(app::longVersionText(), QStringLiteral("Version 0.0.25"));
}

void TestApp::pathJoin_neverChecksForTrailingSeparator()
{
    const QString sep = QDir::separator();
    QCOMPARE(app::pathJoin(QStringLiteral("/x/y"), QStringLiteral("dir.log")), "/x/y" + sep + "dir.log");
    QCOMPARE(app::pathJoin(sep, QStringLiteral("a b.xml")), sep + sep + "a b.xml");
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
    QCOMPARE(app::fileExists(path), isFile);
    QCOMPARE(app::folderExists(path), isFolder);
}

void TestApp::dataFolder_prefersStylesheetsBesideTheProgram()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("share/verazidedaze")));
    const QString bin = QDir::toNativeSeparators(root.filePath(QStringLiteral("bin")));
    QCOMPARE(QDir::fromNativeSeparators(app::dataFolderFor(bin)), root.filePath(QStringLiteral("share/verazidedaze")));

    QFile beside(root.filePath(QStringLiteral("bin/yevmiye.xslt")));
    QVERIFY(beside.open(QIODevice::WriteOnly));
    beside.close();
    QCOMPARE(app::dataFolderFor(bin), bin);
}

void TestApp::twips_makeLogicalPixels()
{
    static_assert(app::twips(6735) == 449);
    static_assert(app::twips(7755) == 517);
    QCOMPARE(app::twips(15), 1);
}

void TestApp::fileErrors_turkishWhereKnown_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason"); // empty: the system's own message
    QTest::newRow("missing") << int(std::errc::no_such_file_or_directory) << "böyle bir dosya ya da klasör yok";
    QTest::newRow("no permission") << int(std::errc::permission_denied) << "bu işlem için izniniz yok";
    QTest::newRow("read-only disk") << int(std::errc::read_only_file_system) << "disk yalnızca okunabilir";
    QTest::newRow("disk full") << int(std::errc::no_space_on_device) << "diskte yer kalmadı";
    QTest::newRow("rare") << int(std::errc::protocol_error) << "";
}

void TestApp::fileErrors_turkishWhereKnown()
{
    QFETCH(int, code);
    QFETCH(QString, reason);
    const std::error_code error(code, std::generic_category());
    QCOMPARE(app::describeFileError(error), reason.isEmpty() ? QString::fromLocal8Bit(error.message()) : reason);
    // The system's codes map the same way (Win32 codes on Windows, errno elsewhere).
    if (!reason.isEmpty())
        QCOMPARE(app::describeFileError(std::error_code(code, std::system_category())), reason);
}

void TestApp::qtTranslations_turkishDialogTexts()
{
    QTemporaryDir empty;
    QCOMPARE(app::installTurkishQtTranslations(*QCoreApplication::instance(), empty.path()), app::kQtCatalogs);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));

    // Debian 12 has no Turkish catalog for the web engine; the base one is what the dialogs use.
    const QStringList missing = app::installTurkishQtTranslations(*QCoreApplication::instance());
    QVERIFY2(!missing.contains(QStringLiteral("qtbase")), "qtbase_tr.qm missing: install qt6-translations-l10n");
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("İptal"));
    QCOMPARE(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Yazdır"));
}

QTEST_GUILESS_MAIN(TestApp)
#include "tst_common.moc"
