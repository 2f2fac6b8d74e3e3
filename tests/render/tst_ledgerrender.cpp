#include "render/ledgerrender.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using render::FailureKind;

namespace {

const char kHtmlStylesheet[] = R"xsl(<?xml version="1.0" encoding="UTF-8"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/">
    <html><head><title>  Yevmiye
      Defteri  </title></head><body><p>MARKER <xsl:value-of select="count(//satir)"/></p></body></html>
  </xsl:template>
</xsl:stylesheet>
)xsl";

QByteArray ledgerNaming(const QByteArray& href, const QByteArray& body = "<defter><satir/><satir/></defter>")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><?xml-stylesheet type=\"text/xsl\" href=\"" + href + "\"?>\n" +
           body + "\n";
}

QByteArray stylesheetWithBody(const QByteArray& body, const QByteArray& extraNamespaces = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xsl:stylesheet version=\"1.0\" "
           "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" " +
           extraNamespaces + ">\n<xsl:output method=\"html\" encoding=\"UTF-8\"/>\n<xsl:template match=\"/\">" + body +
           "</xsl:template>\n</xsl:stylesheet>\n";
}

// A kebir account block walked by a template that calls itself once per line, carrying the
// line count and running debit and credit totals as parameters.
const char kPerLineRecursion[] = R"xsl(<?xml version="1.0" encoding="UTF-8"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/">
    <html><body><table>
      <xsl:call-template name="line">
        <xsl:with-param name="row" select="/kebir/hesap/satir[1]"/>
      </xsl:call-template>
    </table></body></html>
  </xsl:template>
  <xsl:template name="line">
    <xsl:param name="row"/>
    <xsl:param name="count" select="1"/>
    <xsl:param name="debit" select="0"/>
    <xsl:param name="credit" select="0"/>
    <xsl:choose>
      <xsl:when test="$row">
        <xsl:variable name="d" select="$debit + $row/@borc"/>
        <xsl:variable name="c" select="$credit + $row/@alacak"/>
        <tr><td><xsl:value-of select="$count"/></td><td><xsl:value-of select="$d"/></td>
            <td><xsl:value-of select="$c"/></td></tr>
        <xsl:call-template name="line">
          <xsl:with-param name="row" select="$row/following-sibling::satir[1]"/>
          <xsl:with-param name="count" select="$count + 1"/>
          <xsl:with-param name="debit" select="$d"/>
          <xsl:with-param name="credit" select="$c"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise><tr><td>TOPLAM</td><td><xsl:value-of select="$debit"/></td>
        <td><xsl:value-of select="$credit"/></td></tr></xsl:otherwise>
    </xsl:choose>
  </xsl:template>
</xsl:stylesheet>
)xsl";

QByteArray kebirBlock(int lines)
{
    QByteArray xml = ledgerNaming("kebir.xslt", {});
    xml.reserve(lines * 40 + 200);
    xml += "<kebir><hesap>";
    for (int i = 0; i < lines; ++i) {
        xml += "<satir borc=\"1.5\" alacak=\"2\"/>\n";
    }
    xml += "</hesap></kebir>\n";
    return xml;
}

struct FileState
{
    QByteArray bytes;
    QDateTime modified;
    bool operator==(const FileState&) const = default;
};

FileState stateOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return {file.readAll(), QFileInfo(path).lastModified()};
}

render::RenderResult renderOnRenderThread(const render::RenderRequest& request)
{
    render::RenderResult result;
    QThread* thread = render::createRenderThread([&] { result = render::renderLedger(request); });
    thread->start();
    thread->wait();
    delete thread;
    return result;
}

} // namespace

class TestLedgerRender : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void stylesheet_foundBesideOrInProgramFolder_data();
    void stylesheet_foundBesideOrInProgramFolder();
    void nodeSet_bothSpellingsWork_data();
    void nodeSet_bothSpellingsWork();
    void stylesheetEntitiesAndOwnDocument_work();
    void versionTwoStylesheet_rendersForwardsCompatibly();
    void perLineRecursion_rendersFiftyThousandLines();
    void runawayRecursion_failsWithPage_data();
    void runawayRecursion_failsWithPage();
    void failures_becomeReadablePages_data();
    void failures_becomeReadablePages();
    void unsafeRequests_areRefusedWithNothingWritten_data();
    void unsafeRequests_areRefusedWithNothingWritten();
    void noStylesheet_showsEscapedTree();
    void otherOutputEncoding_stillReachesViewAsUtf8();
    void cancel_stopsTheTransform_data();
    void cancel_stopsTheTransform();
    void tooLarge_refusedBeforeReading_data();
    void tooLarge_refusedBeforeReading();
    void addressSpaceLimit_refusesInsteadOfFailing();
    void concurrentRenders_keepTheirOwnMessages();

private:
    QString write(const QString& relative, const QByteArray& bytes);
    render::RenderRequest request(const QString& ledger) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLedgerRender::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestLedgerRender::write(const QString& relative, const QByteArray& bytes)
{
    const QString path = m_dir->path() + u'/' + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

render::RenderRequest TestLedgerRender::request(const QString& ledger) const
{
    render::RenderRequest request;
    request.ledgerPath = ledger;
    request.fallbackFolder = m_dir->path() + QStringLiteral("/program");
    return request;
}

void TestLedgerRender::stylesheet_foundBesideOrInProgramFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("href");
    QTest::addColumn<QString>("besideName"); // empty: none beside the ledger
    QTest::addColumn<bool>("inProgramFolder");
    QTest::addColumn<QString>("expectedFrom");
    QTest::addColumn<bool>("ours");           // the program's own stylesheets asked for
    QTest::addColumn<QString>("programName"); // empty: the name the ledger asks for

    QTest::newRow("beside") << "defterler" << QByteArray("yevmiye.xslt") << "yevmiye.xslt" << false << "beside" << false
                            << "";
    QTest::newRow("only in program folder")
        << "defterler" << QByteArray("yevmiye.xslt") << "" << true << "program" << false << "";
    QTest::newRow("beside wins") << "defterler" << QByteArray("kebir.xslt") << "kebir.xslt" << true << "beside" << false
                                 << "";
    QTest::newRow("folder with space, hash, percent, turkish")
        << "Şirket 2024 #1 %41 ığ" << QByteArray("yevmiye.xslt") << "yevmiye.xslt" << false << "beside" << false << "";
    QTest::newRow("fallback from such a folder")
        << "Şirket 2024 #1 %41 ığ" << QByteArray("berat.xslt") << "" << true << "program" << false << "";
    QTest::newRow("escaped href") << "defterler" << QByteArray("stil%20sayfas%C4%B1.xslt") << "stil sayfası.xslt"
                                  << false << "beside" << false << "";
    QTest::newRow("subfolder href") << "defterler" << QByteArray("xslt/yevmiye.xslt") << "xslt/yevmiye.xslt" << true
                                    << "beside" << false << "";
    QTest::newRow("program's own over beside")
        << "defterler" << QByteArray("yevmiye.xslt") << "yevmiye.xslt" << true << "program" << true << "";
    QTest::newRow("program's own by kind, name unknown")
        << "defterler" << QByteArray("resmi.xslt") << "resmi.xslt" << true << "program" << true << "yevmiye.xslt";
    QTest::newRow("program's own missing: says so")
        << "defterler" << QByteArray("yevmiye.xslt") << "yevmiye.xslt" << false << "none" << true << "";
}

void TestLedgerRender::stylesheet_foundBesideOrInProgramFolder()
{
    QFETCH(QString, folder);
    QFETCH(QByteArray, href);
    QFETCH(QString, besideName);
    QFETCH(bool, inProgramFolder);
    QFETCH(QString, expectedFrom);
    QFETCH(bool, ours);
    QFETCH(QString, programName);

    // A journal by its kind, as real ledgers say it.
    const QByteArray journal =
        "<defter><xbrli:xbrl xmlns:xbrli=\"x\"><gl-cor:accountingEntries xmlns:gl-cor=\"g\">"
        "<gl-cor:documentInfo><gl-cor:entriesType>journal</gl-cor:entriesType>"
        "</gl-cor:documentInfo></gl-cor:accountingEntries></xbrli:xbrl><satir/><satir/></defter>";
    const QString ledger = write(folder + QStringLiteral("/YEV 2024#01.xml"), ledgerNaming(href, journal));
    const FileState before = stateOf(ledger);
    QString beside;
    if (!besideName.isEmpty()) {
        beside = write(folder + u'/' + besideName, QByteArray(kHtmlStylesheet).replace("MARKER", "beside"));
    }
    const QString name = programName.isEmpty() ? QFileInfo(QUrl::fromPercentEncoding(href)).fileName() : programName;
    const QString program = inProgramFolder ? write(QStringLiteral("program/") + name,
                                                    QByteArray(kHtmlStylesheet).replace("MARKER", "program"))
                                            : QString();

    render::RenderRequest asked = request(ledger);
    asked.programStylesheets = ours;
    const render::RenderResult result = render::renderLedger(asked);
    if (expectedFrom == u"none") {
        QCOMPARE(int(result.failure->kind), int(render::FailureKind::StylesheetMissing));
        return;
    }
    QVERIFY2(result.ok(), result.html.constData());
    QVERIFY(result.html.contains("<p>" + expectedFrom.toUtf8() + " 2</p>"));
    QCOMPARE(result.title, QStringLiteral("Yevmiye Defteri"));
    QCOMPARE(result.mimeType, QByteArray("text/html"));
    QCOMPARE(QFileInfo(result.stylesheetPath).canonicalFilePath(),
             QFileInfo(expectedFrom == u"beside" ? beside : program).canonicalFilePath());
    QVERIFY(stateOf(ledger) == before);
    render::renderLedger(asked, [&](render::RenderResult delivered) {
        QCOMPARE(delivered.html, result.html);
        QCOMPARE(delivered.title, result.title);
    });
    if (ours && !beside.isEmpty()) { // and back: the choice off shows the one beside again
        QVERIFY(render::renderLedger(request(ledger)).html.contains("<p>beside 2</p>"));
    }
}

void TestLedgerRender::nodeSet_bothSpellingsWork_data()
{
    QTest::addColumn<QByteArray>("namespaceDeclaration");
    QTest::addColumn<QByteArray>("function");

    QTest::newRow("msxsl") << QByteArray("xmlns:msxsl=\"urn:schemas-microsoft-com:xslt\"")
                           << QByteArray("msxsl:node-set");
    QTest::newRow("exsl") << QByteArray("xmlns:exsl=\"http://exslt.org/common\"") << QByteArray("exsl:node-set");
}

void TestLedgerRender::nodeSet_bothSpellingsWork()
{
    QFETCH(QByteArray, namespaceDeclaration);
    QFETCH(QByteArray, function);
    const QByteArray body = "<xsl:variable name=\"t\"><a>4</a><a>5</a></xsl:variable>"
                            "<p>toplam <xsl:value-of select=\"sum(" +
                            function + "($t)/a)\"/></p>";
    write(QStringLiteral("y.xslt"), stylesheetWithBody(body, namespaceDeclaration));
    const render::RenderResult result =
        render::renderLedger(request(write(QStringLiteral("y.xml"), ledgerNaming("y.xslt"))));
    QVERIFY2(result.ok(), result.html.constData());
    QVERIFY2(result.html.contains("toplam 9</p>"), result.html.constData());
}

void TestLedgerRender::stylesheetEntitiesAndOwnDocument_work()
{
    write(QStringLiteral("y.xslt"),
          "<?xml version=\"1.0\"?>\n<!DOCTYPE xsl:stylesheet [<!ENTITY nbsp \"&#160;\">]>\n"
          "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
          "<xsl:output method=\"html\" encoding=\"UTF-8\"/><xsl:template match=\"/\"><p>a&nbsp;b "
          "<xsl:value-of select=\"document('')/*/@version\"/></p></xsl:template></xsl:stylesheet>");
    const render::RenderResult result =
        render::renderLedger(request(write(QStringLiteral("y.xml"), ledgerNaming("y.xslt"))));
    QVERIFY2(result.ok(), result.html.constData());
    QVERIFY(result.html.contains("<p>a\u00a0b 1.0</p>"));
}

// Stylesheets in real ledger folders declare version 2.0 for a character map; libxslt warns
// and carries on, and so must the view.
void TestLedgerRender::versionTwoStylesheet_rendersForwardsCompatibly()
{
    QByteArray stylesheet =
        QByteArray(kHtmlStylesheet).replace("version=\"1.0\" xmlns:xsl", "version=\"2.0\" xmlns:xsl");
    stylesheet.replace("encoding=\"UTF-8\"/>",
                       "encoding=\"UTF-8\" use-character-maps=\"c1\"/>\n"
                       "<xsl:character-map name=\"c1\"><xsl:output-character character=\"&#128;\" "
                       "string=\"\"/></xsl:character-map>");
    write(QStringLiteral("y.xslt"), stylesheet);
    const render::RenderResult result =
        render::renderLedger(request(write(QStringLiteral("y.xml"), ledgerNaming("y.xslt"))));
    QVERIFY2(result.ok(), result.html.constData());
    QVERIFY(result.html.contains("<p>MARKER 2</p>"));
}

void TestLedgerRender::perLineRecursion_rendersFiftyThousandLines()
{
    write(QStringLiteral("kebir.xslt"), kPerLineRecursion);
    const QString ledger = write(QStringLiteral("kebir.xml"), kebirBlock(50000));
    const render::RenderResult result = renderOnRenderThread(request(ledger));
    QVERIFY2(result.ok(), result.html.left(3000).constData());
    QVERIFY(result.html.contains("<td>50000</td>\n<td>75000</td>\n<td>100000</td>"));
    QVERIFY(result.html.contains("<td>TOPLAM</td>\n<td>75000</td>\n<td>100000</td>"));
}

void TestLedgerRender::runawayRecursion_failsWithPage_data()
{
    QTest::addColumn<QByteArray>("stylesheet");
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("onRenderThread");

    const QByteArray endless = R"xsl(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/"><out><xsl:apply-templates select="*"/></out></xsl:template>
  <xsl:template match="*"><xsl:param name="i" select="0"/>
    <xsl:apply-templates select="."><xsl:with-param name="i" select="$i + 1"/></xsl:apply-templates>
  </xsl:template>
</xsl:stylesheet>
)xsl";
    // The stack was sized so that the deepest recursion allowed ends in a message, not a crash.
    QTest::newRow("endless, render thread") << endless << 1 << true;
    // Off a render thread the stack may be small, so libxslt's own low limit applies.
    QTest::newRow("deep kebir, other thread") << QByteArray(kPerLineRecursion) << 5000 << false;
}

void TestLedgerRender::runawayRecursion_failsWithPage()
{
    QFETCH(QByteArray, stylesheet);
    QFETCH(int, lines);
    QFETCH(bool, onRenderThread);
    write(QStringLiteral("kebir.xslt"), stylesheet);
    const QString ledger = write(QStringLiteral("kebir.xml"), kebirBlock(lines));
    const render::RenderResult result =
        onRenderThread ? renderOnRenderThread(request(ledger)) : render::renderLedger(request(ledger));
    QVERIFY(!result.ok());
    QCOMPARE(result.failure->kind, render::FailureKind::TransformFailed);
    QVERIFY(result.failure->reason.contains(QStringLiteral("recursion")));
    QVERIFY(result.html.contains("Dönüştürme hatası"));
}

void TestLedgerRender::failures_becomeReadablePages_data()
{
    QTest::addColumn<QByteArray>("ledger"); // empty: no ledger file at all
    QTest::addColumn<QByteArray>("stylesheet");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("aboutFile");
    QTest::addColumn<QString>("detail");

    const QByteArray good = kHtmlStylesheet;
    const auto kind = [](render::FailureKind k) {
        return int(k);
    };
    QTest::newRow("missing ledger") << QByteArray() << good << kind(render::FailureKind::Unreadable)
                                    << "Dosya okunamadı"
                                    << "defter <1>.xml"
                                    << "";
    QTest::newRow("empty ledger") << QByteArray("") << good << kind(render::FailureKind::NotWellFormed)
                                  << "XML biçimi bozuk"
                                  << "defter <1>.xml"
                                  << "empty";
    QTest::newRow("mismatched tag") << QByteArray("<?xml version=\"1.0\"?>\n<defter>\n  <satir></sat>\n</defter>")
                                    << good << kind(render::FailureKind::NotWellFormed)
                                    << "XML biçimi bozuk (satır 3, sütun 16)"
                                    << "defter <1>.xml"
                                    << "mismatch";
    QTest::newRow("no stylesheet anywhere") << ledgerNaming("yok.xslt") << QByteArray()
                                            << kind(render::FailureKind::StylesheetMissing) << "Stil sayfası bulunamadı"
                                            << "yok.xslt"
                                            << "program";
    QTest::newRow("stylesheet not xml")
        << ledgerNaming("y.xslt")
        << QByteArray("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n<a>\n</b>")
        << kind(render::FailureKind::StylesheetInvalid) << "Stil sayfası derlenemedi (satır 3"
        << "y.xslt"
        << "";
    QTest::newRow("stylesheet does not compile")
        << ledgerNaming("y.xslt") << stylesheetWithBody("\n<xsl:value-of select=\"count(((\"/>")
        << kind(render::FailureKind::StylesheetInvalid) << "Stil sayfası derlenemedi (satır 5)"
        << "y.xslt"
        << "count(((";
    QTest::newRow("message terminate") << ledgerNaming("y.xslt")
                                       << stylesheetWithBody(
                                              "<xsl:message terminate=\"yes\">Hesap planı eksik</xsl:message>")
                                       << kind(render::FailureKind::TransformFailed) << "Dönüştürme hatası"
                                       << "defter <1>.xml"
                                       << "Hesap planı eksik";
    QTest::newRow("unknown function at run time")
        << ledgerNaming("y.xslt") << stylesheetWithBody("<xsl:value-of select=\"bilinmeyen()\"/>")
        << kind(render::FailureKind::TransformFailed) << "Dönüştürme hatası"
        << "defter <1>.xml"
        << "bilinmeyen";
    QTest::newRow("empty output") << ledgerNaming("y.xslt") << stylesheetWithBody("")
                                  << kind(render::FailureKind::TransformFailed) << "Dönüştürme hatası"
                                  << "defter <1>.xml"
                                  << "çıktı";
    // Hostile shapes are refused before the parser sees them, whose checks are quadratic.
    QTest::newRow("ledger nests too deep")
        << ledgerNaming("y.xslt", "<defter>" + QByteArray("<a>").repeated(300) + "</defter>") << good
        << kind(render::FailureKind::Refused) << "Güvenlik nedeniyle reddedildi"
        << "defter <1>.xml"
        << "256 düzey";
    QTest::newRow("ledger with too many attributes")
        << ledgerNaming("y.xslt", "<defter" + QByteArray(" a=\"\"").repeated(300) + "/>") << good
        << kind(render::FailureKind::Refused) << "Güvenlik nedeniyle reddedildi"
        << "defter <1>.xml"
        << "256 nitelik";
    QTest::newRow("ledger is a named pipe")
        << QByteArray("mkfifo") << good << kind(render::FailureKind::Unreadable) << "Dosya okunamadı"
        << "defter <1>.xml"
        << "FIFO";
    QTest::newRow("stylesheet is a named pipe")
        << ledgerNaming("y.xslt") << QByteArray("mkfifo") << kind(render::FailureKind::Unreadable) << "Dosya okunamadı"
        << "y.xslt"
        << "FIFO";
    QTest::newRow("stylesheet is a link loop") << ledgerNaming("y.xslt") << QByteArray("link loop")
                                               << kind(render::FailureKind::Unreadable) << "Dosya okunamadı"
                                               << "y.xslt"
                                               << "döngü";
    QTest::newRow("stylesheet is a folder")
        << ledgerNaming("y.xslt") << QByteArray("mkdir") << kind(render::FailureKind::Unreadable) << "Dosya okunamadı"
        << "y.xslt"
        << "klasör";
    // Every element for every element for every element: stopped long before it takes the machine.
    QTest::newRow("output without bound")
        << ledgerNaming("y.xslt", "<defter>" + QByteArray("<satir>1234567890</satir>").repeated(2000) + "</defter>")
        << stylesheetWithBody("<xsl:for-each select=\"//*\"><xsl:for-each select=\"//*\"><xsl:for-each "
                              "select=\"//*\"><p><xsl:value-of select=\".\"/></p></xsl:for-each></xsl:for-each>"
                              "</xsl:for-each>")
        << kind(render::FailureKind::TransformFailed) << "Dönüştürme hatası"
        << "defter <1>.xml"
        << "sınırını aştı";
}

void TestLedgerRender::failures_becomeReadablePages()
{
    QFETCH(QByteArray, ledger);
    QFETCH(QByteArray, stylesheet);
    QFETCH(int, kind);
    QFETCH(QString, heading);
    QFETCH(QString, aboutFile);
    QFETCH(QString, detail);

    const QString ledgerPath = m_dir->path() + QStringLiteral("/defter <1>.xml");
    const auto place = [&](const QString& name, const QByteArray& bytes) {
        const QString path = m_dir->filePath(name);
        if (bytes == "mkfifo") {
            return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
        }
        if (bytes == "link loop") {
            return QFile::link(path, path);
        }
        return bytes == "mkdir" ? QDir().mkdir(path) : !write(name, bytes).isEmpty();
    };
    QVERIFY(ledger.isNull() || place(QStringLiteral("defter <1>.xml"), ledger));
    QVERIFY(stylesheet.isNull() || place(QStringLiteral("y.xslt"), stylesheet));

    QElapsedTimer timer;
    timer.start();
    const render::RenderResult result = render::renderLedger(request(ledgerPath));
    QVERIFY2(timer.elapsed() < 20000, "a guard against hangs, not a speed test");
    QVERIFY(!result.ok());
    QCOMPARE(int(result.failure->kind), kind);
    QVERIFY2(render::failureHeading(*result.failure).startsWith(heading),
             qPrintable(render::failureHeading(*result.failure)));
    QVERIFY2(result.failure->file.endsWith(aboutFile), qPrintable(result.failure->file));
    QVERIFY2(result.failure->reason.contains(detail, Qt::CaseInsensitive), qPrintable(result.failure->reason));
    // A message box says what the page says: the heading and the reason.
    const common::Outcome outcome = result.outcome();
    QVERIFY(outcome.failed() && outcome.error.startsWith(heading) && outcome.error.endsWith(result.failure->reason));
    QVERIFY(result.title.isEmpty());
    // The page names the cause and the file, escaped.
    const QString page = QString::fromUtf8(result.html);
    QVERIFY(page.contains(QStringLiteral("<h1>") + heading));
    QVERIFY(page.contains(aboutFile.toHtmlEscaped()));
    QVERIFY(!page.contains(QStringLiteral("<1>")));
    QCOMPARE(result.html, render::failurePage(*result.failure));
    // Handed on before the engine tidies up, it is the same.
    int deliveries = 0;
    render::renderLedger(request(ledgerPath), [&](render::RenderResult delivered) {
        ++deliveries;
        QCOMPARE(delivered.html, result.html);
    });
    QCOMPARE(deliveries, 1);
}

void TestLedgerRender::unsafeRequests_areRefusedWithNothingWritten_data()
{
    QTest::addColumn<QByteArray>("ledger");
    QTest::addColumn<QByteArray>("stylesheet");
    QTest::addColumn<QString>("detail");

    const QByteArray exsl = "xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\"";
    QTest::newRow("exsl:document writes a file")
        << ledgerNaming("y.xslt")
        << stylesheetWithBody("<exsl:document href=\"DIR/yazildi.html\"><p>x</p></exsl:document><p>y</p>", exsl)
        << "yazma";
    QTest::newRow("exsl:document into a new folder")
        << ledgerNaming("y.xslt")
        << stylesheetWithBody("<exsl:document href=\"DIR/yeni/klasor/yazildi.html\"><p>x</p></exsl:document>", exsl)
        << "yazma";
    QTest::newRow("exsl:document overwrites the ledger")
        << ledgerNaming("y.xslt")
        << stylesheetWithBody("<exsl:document href=\"DIR/defter.xml\" method=\"text\">bozuldu</exsl:document>", exsl)
        << "yazma";
    QTest::newRow("document() from the network")
        << ledgerNaming("y.xslt")
        << stylesheetWithBody("<p><xsl:value-of select=\"count(document('http://127.0.0.1:9/x.xml'))\"/></p>") << "ağ";
    QTest::newRow("xsl:import from the network")
        << ledgerNaming("y.xslt")
        << QByteArray("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                      "<xsl:import href=\"http://127.0.0.1:9/a.xslt\"/></xsl:stylesheet>")
        << "127.0.0.1";
    QTest::newRow("stylesheet instruction names the network")
        << ledgerNaming("http://127.0.0.1:9/yevmiye.xslt") << QByteArray(kHtmlStylesheet) << "127.0.0.1";
    QTest::newRow("external entity in the ledger")
        << QByteArray("<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"y.xslt\"?>\n"
                      "<!DOCTYPE defter [<!ENTITY gizli SYSTEM \"gizli.txt\">]><defter>&gizli;</defter>")
        << QByteArray(kHtmlStylesheet) << "DOCTYPE";
    QTest::newRow("entity bomb in the ledger")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;"
                      "&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><d>&c;&c;&c;&c;</d>")
        << QByteArray(kHtmlStylesheet) << "DOCTYPE";
    QTest::newRow("external entity in the stylesheet")
        << ledgerNaming("y.xslt")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE xsl:stylesheet [<!ENTITY gizli SYSTEM \"gizli.txt\">]>"
                      "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                      "<xsl:template match=\"/\"><p>&gizli;</p></xsl:template></xsl:stylesheet>")
        << "gizli";
    QTest::newRow("external entity via document()")
        << ledgerNaming("y.xslt") << stylesheetWithBody("<p><xsl:value-of select=\"document('ek.xml')\"/></p>")
        << "gizli";
    // A stylesheet reads inside the ledger's folder only: OUT/ is a folder elsewhere, UP/ the same
    // reached with "..", and "kisayol" a link in the ledger's folder leading there.
    const auto reads = [](const QByteArray& uri) {
        return stylesheetWithBody("<p><xsl:value-of select=\"document('" + uri + "')\"/></p>");
    };
    QTest::newRow("document() of an absolute path outside")
        << ledgerNaming("y.xslt") << reads("OUT/gizli.xml") << "gizli.xml";
    QTest::newRow("document() of a file URL outside")
        << ledgerNaming("y.xslt") << reads("OUTURL/gizli.xml") << "gizli.xml";
    QTest::newRow("document() going up") << ledgerNaming("y.xslt") << reads("UP/gizli.xml") << "gizli.xml";
    QTest::newRow("document() through a link leading out")
        << ledgerNaming("y.xslt") << reads("kisayol/gizli.xml") << "gizli.xml";
    QTest::newRow("document() of a missing file is an error")
        << ledgerNaming("y.xslt") << reads("yok.xml") << "yok.xml";
    QTest::newRow("xsl:include from outside")
        << ledgerNaming("y.xslt")
        << QByteArray("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                      "<xsl:include href=\"UP/gizli.xslt\"/></xsl:stylesheet>")
        << "gizli.xslt";
    QTest::newRow("stylesheet instruction going up")
        << ledgerNaming("UP/gizli.xslt") << QByteArray(kHtmlStylesheet) << "gizli.xslt";
    QTest::newRow("stylesheet instruction naming an absolute path")
        << ledgerNaming("OUT/gizli.xslt") << QByteArray(kHtmlStylesheet) << "gizli.xslt";
}

void TestLedgerRender::unsafeRequests_areRefusedWithNothingWritten()
{
    QFETCH(QByteArray, ledger);
    QFETCH(QByteArray, stylesheet);
    QFETCH(QString, detail);

    QTemporaryDir outside;
    QFile secret(outside.filePath(QStringLiteral("gizli.xml")));
    QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write("<g>GIZLI-ICERIK</g>") > 0);
    secret.close();
    QVERIFY(QFile::copy(secret.fileName(), outside.filePath(QStringLiteral("gizli.xslt"))));
    QVERIFY(QFile::link(outside.path(), m_dir->filePath(QStringLiteral("kisayol"))));
    const auto placed = [&](QByteArray text) {
        // Absolute targets: a relative exsl:document href resolves against the working folder.
        return text.replace("DIR/", QUrl::fromLocalFile(m_dir->path()).toEncoded() + '/')
            .replace("OUTURL/", QUrl::fromLocalFile(outside.path()).toEncoded() + '/')
            .replace("OUT/", QFile::encodeName(outside.path()) + '/')
            .replace("UP/", QFile::encodeName(QDir(m_dir->path()).relativeFilePath(outside.path())) + '/');
    };
    const QString ledgerPath = write(QStringLiteral("defter.xml"), placed(ledger));
    write(QStringLiteral("y.xslt"), placed(stylesheet));
    write(QStringLiteral("gizli.txt"), "GIZLI-ICERIK");
    write(QStringLiteral("ek.xml"), "<!DOCTYPE e [<!ENTITY gizli SYSTEM \"gizli.txt\">]><e>&gizli;</e>");
    const QStringList filesBefore = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const FileState ledgerBefore = stateOf(ledgerPath);

    const render::RenderResult result = render::renderLedger(request(ledgerPath));
    QVERIFY2(!result.ok(), result.html.constData());
    QCOMPARE(result.failure->kind, render::FailureKind::Refused);
    QVERIFY2(result.failure->reason.contains(detail, Qt::CaseInsensitive), qPrintable(result.failure->reason));
    QVERIFY(result.html.contains("Güvenlik nedeniyle reddedildi"));
    QVERIFY(!result.html.contains("GIZLI-ICERIK"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), filesBefore);
    QVERIFY(stateOf(ledgerPath) == ledgerBefore);
}

void TestLedgerRender::noStylesheet_showsEscapedTree()
{
    // Beyond libxml2's default 10 MB text-node limit, as base64 PDF attachments can be.
    const QByteArray blob(11 * 1024 * 1024, 'Q');
    const QString ledger =
        write(QStringLiteral("ağaç.xml"), "<?xml version=\"1.0\"?>\n<!-- yorum -->\n<defter xmlns:gl=\"urn:gl\">"
                                          "<gl:satir tutar=\"1&amp;2\">&lt;script&gt;alert(1)&lt;/script&gt;</gl:satir>"
                                          "<ek>" +
                                              blob + "</ek><bos/></defter>");
    const render::RenderResult result = render::renderLedger(request(ledger));
    QVERIFY(result.ok());
    QVERIFY(result.stylesheetPath.isEmpty());
    QVERIFY(result.title.isEmpty());
    const QByteArray& html = result.html;
    QVERIFY(html.contains("&lt;!-- yorum --&gt;"));
    QVERIFY(html.contains("xmlns:gl</span>=<span class=\"v\">\"urn:gl\""));
    QVERIFY(html.contains("&lt;gl:satir</span> <span class=\"n\">tutar</span>=<span class=\"v\">\"1&amp;2\""));
    QVERIFY(html.contains("&lt;script&gt;alert(1)&lt;/script&gt;"));
    QVERIFY(!html.contains("<script>"));
    QVERIFY(html.contains("&lt;bos</span><span class=\"t\">/&gt;"));
    QVERIFY(html.contains("bayt daha, gösterilmiyor"));
    QVERIFY(html.size() < 20000);
}

void TestLedgerRender::otherOutputEncoding_stillReachesViewAsUtf8()
{
    QByteArray stylesheet = QByteArray(kHtmlStylesheet).replace("encoding=\"UTF-8\"/>", "encoding=\"ISO-8859-9\"/>");
    stylesheet.replace("MARKER", "Şğİı çöü €");
    write(QStringLiteral("y.xslt"), stylesheet);
    const render::RenderResult result =
        render::renderLedger(request(write(QStringLiteral("y.xml"), ledgerNaming("y.xslt"))));
    QVERIFY(result.ok());
    QVERIFY(result.html.contains("Şğİı çöü €"));
    QVERIFY(result.html.contains("charset=UTF-8"));
    QVERIFY(!result.html.contains("8859"));
}

void TestLedgerRender::cancel_stopsTheTransform_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("elements");
    // About 25 million result nodes: many seconds of work unless the cancel request stops it.
    QTest::newRow("nested loops") << QByteArray("<table><xsl:for-each select=\"//a\"><xsl:for-each select=\"//a\">"
                                                "<tr><td>x</td></tr></xsl:for-each></xsl:for-each></table>")
                                  << 5000;
    // One XPath expression, quadratic in the document (xsltproc: 4 s of CPU): no instruction
    // boundary to stop at.
    QTest::newRow("one quadratic expression")
        << QByteArray("<p><xsl:value-of select=\"count(//*[count(//*) &gt; count(preceding::*)])\"/></p>") << 20000;
}

void TestLedgerRender::cancel_stopsTheTransform()
{
    QFETCH(QByteArray, body);
    QFETCH(int, elements);
    write(QStringLiteral("y.xslt"), stylesheetWithBody(body));
    const QString ledger =
        write(QStringLiteral("y.xml"), ledgerNaming("y.xslt", "<d>" + QByteArray("<a/>").repeated(elements) + "</d>"));
    std::atomic_bool cancel = false;
    render::RenderRequest cancelled = request(ledger);
    cancelled.cancel = &cancel;
    render::RenderResult result;
    QThread* thread = render::createRenderThread([&] { result = render::renderLedger(cancelled); });
    thread->start();
    QTest::qWait(300);
    QVERIFY2(!thread->isFinished(), "the transform ended before it could be cancelled");
    QElapsedTimer clock;
    clock.start();
    cancel = true;
    QVERIFY(thread->wait(10000));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
    delete thread;
    QVERIFY(!result.ok());
    QCOMPARE(result.failure->kind, render::FailureKind::Cancelled);
    QVERIFY(result.html.contains("İşlem iptal edildi"));

    // Asked before it starts, it reads nothing.
    const render::RenderResult early = render::renderLedger(cancelled);
    QCOMPARE(early.failure->kind, render::FailureKind::Cancelled);
    QVERIFY(early.outcome().cancelled && early.outcome().error.isEmpty());
}

void TestLedgerRender::tooLarge_refusedBeforeReading_data()
{
    QTest::addColumn<qint64>("available");
    QTest::addColumn<QString>("detail"); // empty: rendered

    const qint64 mb = 1 << 20;
    QTest::newRow("fits") << 100 * mb << "";
    QTest::newRow("needs more than is free") << 60 * mb << "bu bilgisayarda şu an 60 MB boş";
    QTest::newRow("nothing free") << qint64(0) << "şu an 0 MB boş";
}

void TestLedgerRender::tooLarge_refusedBeforeReading()
{
    QFETCH(qint64, available);
    QFETCH(QString, detail);
    write(QStringLiteral("y.xslt"), kHtmlStylesheet);
    const QString ledger = write(QStringLiteral("y.xml"), ledgerNaming("y.xslt"));
    render::RenderRequest limited = request(ledger);
    limited.availableMemory = available;
    const render::RenderResult result = render::renderLedger(limited);
    if (detail.isEmpty()) {
        // QVERIFY2 builds its message even when the check holds: no failure to read then.
        QVERIFY2(result.ok(), result.ok() ? "" : qPrintable(result.failure->reason));
        return;
    }
    QVERIFY(!result.ok());
    QCOMPARE(result.failure->kind, render::FailureKind::TooLarge);
    QCOMPARE(result.timings.parse, 0);
    const QString estimate = QStringLiteral("yaklaşık %1 MB").arg(render::estimatedRenderMemory(0) >> 20);
    QVERIFY2(result.failure->reason.contains(estimate), qPrintable(result.failure->reason));
    QVERIFY2(result.failure->reason.contains(detail), qPrintable(result.failure->reason));
    QVERIFY(QString::fromUtf8(result.html).contains(QStringLiteral("çok büyük")));
}

// A real limit, in a child process: its address space capped a little above what it holds, a
// ledger whose tree would not fit is refused with the message, not failed half-way or killed.
void TestLedgerRender::addressSpaceLimit_refusesInsteadOfFailing()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer reserves terabytes of address space");
#else
    write(QStringLiteral("y.xslt"), kHtmlStylesheet);
    QByteArray body = "<defter>";
    body += QByteArray("<satir>1</satir>\n").repeated(1 << 20);
    body += "</defter>";
    const QString ledger = write(QStringLiteral("y.xml"), ledgerNaming("y.xslt", body));
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // A failure here must end the child, not run the test framework's crash handler in it.
        std::signal(SIGSEGV, SIG_DFL);
        std::signal(SIGABRT, SIG_DFL);
        alarm(30);
        const std::optional<qint64> before = render::availableMemory();
        QFile status(QStringLiteral("/proc/self/status"));
        qint64 used = 0;
        if (status.open(QIODevice::ReadOnly | QIODevice::Text)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("VmSize:")) {
                    used = line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
                }
            }
        }
        const rlimit limit{rlim_t(used + (128 << 20)), rlim_t(used + (128 << 20))};
        if (used == 0 || !before || setrlimit(RLIMIT_AS, &limit) != 0) {
            _exit(100);
        }
        const std::optional<qint64> after = render::availableMemory();
        if (!after || *after > (128 << 20)) {
            _exit(101);
        }
        const render::RenderResult result = render::renderLedger(request(ledger));
        _exit(result.ok() ? 0 : 10 + int(result.failure->kind));
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), qPrintable(QStringLiteral("signal %1").arg(WTERMSIG(status))));
    QCOMPARE(WEXITSTATUS(status), 10 + int(render::FailureKind::TooLarge));
#endif
}

void TestLedgerRender::concurrentRenders_keepTheirOwnMessages()
{
    write(QStringLiteral("iyi.xslt"), kHtmlStylesheet);
    const QString good = write(QStringLiteral("iyi.xml"), ledgerNaming("iyi.xslt"));
    QList<QString> failing;
    for (int i = 0; i < 4; ++i) {
        const QByteArray n = QByteArray::number(i);
        write(QStringLiteral("kotu%1.xslt").arg(i),
              stylesheetWithBody("<xsl:message terminate=\"yes\">HATA-" + n + "</xsl:message>"));
        failing.append(write(QStringLiteral("kotu%1.xml").arg(i), ledgerNaming("kotu" + n + ".xslt")));
    }
    std::vector<render::RenderResult> results(8);
    std::vector<QThread*> threads;
    for (int i = 0; i < 8; ++i) {
        const render::RenderRequest one = request(i % 2 == 0 ? good : failing[i / 2]);
        threads.push_back(render::createRenderThread([&results, one, i] { results[i] = render::renderLedger(one); }));
    }
    for (QThread* thread : threads) {
        thread->start();
    }
    for (QThread* thread : threads) {
        QVERIFY(thread->wait(60000));
        delete thread;
    }
    for (int i = 0; i < 8; ++i) {
        if (i % 2 == 0) {
            QVERIFY(results[i].ok());
            continue;
        }
        QCOMPARE(results[i].failure->kind, render::FailureKind::TransformFailed);
        const QString reason = results[i].failure->reason;
        QVERIFY2(reason.contains(QStringLiteral("HATA-%1").arg(i / 2)), qPrintable(reason));
        QCOMPARE(reason.count(QStringLiteral("HATA-")), 1);
    }
}

QTEST_GUILESS_MAIN(TestLedgerRender)
#include "tst_ledgerrender.moc"
