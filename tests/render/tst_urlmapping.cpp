#include "render/urlmapping.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using render::PathStyle;

class TestUrlMapping : public QObject
{
    Q_OBJECT

private slots:
    void localPath_keepsEveryCharacter_data();
    void localPath_keepsEveryCharacter();
    void localPath_findsTheRealFile();
    void resource_staysInsideTheFolder_data();
    void resource_staysInsideTheFolder();

private:
    QTemporaryDir m_dir;
};

void TestUrlMapping::localPath_keepsEveryCharacter_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<render::PathStyle>("style");
    QTest::addColumn<QString>("expected"); // empty: not a file URL

    const auto posix = render::PathStyle::Posix;
    const auto windows = render::PathStyle::Windows;
    QTest::newRow("plain") << "file:///home/ali/defter.xml" << posix << "/home/ali/defter.xml";
    QTest::newRow("spaces") << "file:///home/ali/Yeni Klasör/a b.xml" << posix << "/home/ali/Yeni Klasör/a b.xml";
    QTest::newRow("hash") << "file:///tmp/2024 #1/b#2.xml" << posix << "/tmp/2024 #1/b#2.xml";
    QTest::newRow("percent not decoded") << "file:///tmp/%20/x%41.xml" << posix << "/tmp/%20/x%41.xml";
    QTest::newRow("question mark") << "file:///tmp/a?b.xml" << posix << "/tmp/a?b.xml";
    QTest::newRow("turkish letters") << "file:///home/Şükrü/İĞÜŞÖÇ ığüşöç.xml" << posix
                                     << "/home/Şükrü/İĞÜŞÖÇ ığüşöç.xml";
    QTest::newRow("root folder") << "file:////yevmiye.xml" << posix << "/yevmiye.xml";
    QTest::newRow("scheme in capitals") << "FILE:///x.xml" << posix << "/x.xml";
    QTest::newRow("localhost") << "file://localhost/x.xml" << posix << "/x.xml";
    QTest::newRow("windows") << "file://C:/Defterler/2024 #1/a%20b.xml" << windows
                             << "C:\\Defterler\\2024 #1\\a%20b.xml";
    QTest::newRow("windows root folder") << "file://C://yevmiye.xml" << windows << "C:\\yevmiye.xml";
    QTest::newRow("windows three slashes") << "file:///d:/Ş/x.xml" << windows << "d:\\Ş\\x.xml";
    QTest::newRow("windows share") << "file:////sunucu/pay/x.xml" << windows << "\\\\sunucu\\pay\\x.xml";
    QTest::newRow("web page") << "http://example.com/x.xml" << posix << "";
    QTest::newRow("blank") << "about:blank" << windows << "";
    QTest::newRow("bare windows path") << "C:\\x.xml" << windows << "";
    QTest::newRow("relative") << "file://x.xml" << posix << "";
}

void TestUrlMapping::localPath_keepsEveryCharacter()
{
    QFETCH(QString, url);
    QFETCH(render::PathStyle, style);
    QFETCH(QString, expected);
    const std::optional<QString> path = render::localPathFromUrlTextFor(url, style);
    if (expected.isEmpty()) {
        QVERIFY2(!path, qPrintable(path.value_or(QString())));
        return;
    }
    QVERIFY(path);
    QCOMPARE(*path, expected);
}

void TestUrlMapping::localPath_findsTheRealFile()
{
    QVERIFY(m_dir.isValid());
    const QString folder = m_dir.path() + QStringLiteral("/Şirket 2024 #1 %41");
    QVERIFY(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/YEV 202401 %20#ığ.xml"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    // What the Show command builds: no encoding at all.
    const QString url = QStringLiteral("file://") + folder + u'/' + QStringLiteral("YEV 202401 %20#ığ.xml");
    const std::optional<QString> path = render::localPathFromUrlText(url);
    QVERIFY(path);
    QVERIFY(QFileInfo(*path).isFile());
    QCOMPARE(QFileInfo(*path).canonicalFilePath(), QFileInfo(file).canonicalFilePath());
}

void TestUrlMapping::resource_staysInsideTheFolder_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("expected"); // relative to the ledger folder; empty: refused

    QTest::newRow("file") << "stil.css"
                          << "stil.css";
    QTest::newRow("encoded space in subfolder") << "img/logo%20a.png"
                                                << "img/logo a.png";
    QTest::newRow("turkish letters") << "%C5%9Fekil.png"
                                     << "şekil.png";
    QTest::newRow("link inside") << "ic-bag.css"
                                 << "stil.css";
    QTest::newRow("parent") << "../gizli.txt"
                            << "";
    QTest::newRow("parent after folder") << "img/../../gizli.txt"
                                         << "";
    QTest::newRow("encoded parent") << "%2e%2e/gizli.txt"
                                    << "";
    QTest::newRow("encoded separator") << "..%2fgizli.txt"
                                       << "";
    QTest::newRow("double encoded parent") << "%252e%252e/gizli.txt"
                                           << "";
    QTest::newRow("absolute") << "/etc/passwd"
                              << "";
    QTest::newRow("encoded absolute") << "%2Fetc%2Fpasswd"
                                      << "";
    QTest::newRow("backslash parent") << "..\\gizli.txt"
                                      << "";
    QTest::newRow("drive") << "C:/Windows/win.ini"
                           << "";
    QTest::newRow("link out") << "dis-bag/gizli.txt"
                              << "";
    QTest::newRow("link to a sibling named like the folder") << "eski/gizli.txt"
                                                             << "";
    QTest::newRow("missing") << "yok.css"
                             << "";
    QTest::newRow("folder") << "img"
                            << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestUrlMapping::resource_staysInsideTheFolder()
{
    QFETCH(QString, request);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString ledgers = dir.path() + QStringLiteral("/defterler");
    QVERIFY(QDir().mkpath(ledgers + QStringLiteral("/img")));
    QVERIFY(QDir().mkpath(ledgers + QStringLiteral("-eski")));
    for (const QString& name : {QStringLiteral("/gizli.txt"), QStringLiteral("/defterler/stil.css"),
                                QStringLiteral("/defterler/img/logo a.png"), QStringLiteral("/defterler/şekil.png"),
                                QStringLiteral("/defterler-eski/gizli.txt")}) {
        QFile file(dir.path() + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(dir.path(), ledgers + QStringLiteral("/dis-bag")));
    QVERIFY(QFile::link(ledgers + QStringLiteral("-eski"), ledgers + QStringLiteral("/eski")));
    QVERIFY(QFile::link(ledgers + QStringLiteral("/stil.css"), ledgers + QStringLiteral("/ic-bag.css")));

    const std::optional<QString> path = render::resourcePathInFolder(ledgers, request);
    if (expected.isEmpty()) {
        QVERIFY2(!path, qPrintable(path.value_or(QString())));
        return;
    }
    QVERIFY(path);
    QCOMPARE(*path, QFileInfo(ledgers + u'/' + expected).canonicalFilePath());
}

QTEST_GUILESS_MAIN(TestUrlMapping)
#include "tst_urlmapping.moc"
