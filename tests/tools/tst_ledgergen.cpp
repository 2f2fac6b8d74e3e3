#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <cmath>

namespace {

struct Line
{
    QString main;
    QString sub;
    qint64 cents = -1;
    bool debit = true;
    qint64 counter = -1;
    qint64 number = -1;
    QString date;
    qint64 applyCount = -1;
};

struct Header
{
    qint64 totalDebit = -1;
    qint64 totalCredit = -1;
    qint64 counter = -1;
    QString date;
    QList<Line> lines;
};

// What the checks need of one file, read by namespace-aware parsing.
struct Doc
{
    QString root;
    QString entriesType;
    QString uniqueId;
    QString identifier;
    QMap<QString, QString> organization; // organizationDescription -> organizationIdentifier
    QString segmentGuid;
    qint64 numberOfEntries = -1;
    QString measurableQuantity;
    QString topSignatureValue; // berat: the ledger's signature value
    QString signatureValue;    // the file's own signature
    int counterSignatures = 0;
    QList<Header> headers;
    QList<QByteArray> attachments;
    QString error;
};

struct Sums
{
    qint64 debit = 0;
    qint64 credit = 0;
    int debitCount = 0;
    int creditCount = 0;
};

const QString kXsd = QStringLiteral(EDEFTER_XSD_DIR "/edefter.xsd");
const QStringList kTypes = {"Y", "K", "YB", "KB", "DR"};

qint64 parseCents(const QString& text, QString& error)
{
    static const QRegularExpression twoDecimals(QStringLiteral("^(\\d+)\\.(\\d\\d)$"));
    const QRegularExpressionMatch m = twoDecimals.match(text);
    if (!m.hasMatch()) {
        error = QStringLiteral("amount not in 0.00 form: ") + text;
        return -1;
    }
    return m.captured(1).toLongLong() * 100 + m.captured(2).toLongLong();
}

Doc parseDoc(const QString& path)
{
    Doc d;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        d.error = "cannot open " + path;
        return d;
    }
    QXmlStreamReader r(&file);
    QStringList stack;
    QString pendingIdentifier;
    auto line = [&]() -> Line& {
        return d.headers.last().lines.last();
    };
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement()) {
            stack.removeLast();
            continue;
        }
        if (!r.isStartElement()) {
            continue;
        }
        const QString name = r.name().toString();
        const QString parent = stack.isEmpty() ? QString() : stack.last();
        if (stack.isEmpty()) {
            d.root = name;
        }
        if (name == "entryHeader") {
            d.headers.append(Header{});
        } else if (name == "entryDetail") {
            d.headers.last().lines.append(Line{});
        } else if (name == "CounterSignature") {
            ++d.counterSignatures;
        }

        static const QStringList leaves = {"entriesType",
                                           "uniqueID",
                                           "identifier",
                                           "organizationIdentifier",
                                           "organizationDescription",
                                           "numberOfEntries",
                                           "measurableQuantity",
                                           "totalDebit",
                                           "totalCredit",
                                           "entryNumberCounter",
                                           "enteredDate",
                                           "lineNumber",
                                           "lineNumberCounter",
                                           "accountMainID",
                                           "accountSubID",
                                           "amount",
                                           "debitCreditCode",
                                           "postingDate",
                                           "documentApplyToNumber",
                                           "SignatureValue",
                                           "binaryObject"};
        if (!leaves.contains(name)) {
            stack.append(name);
            continue;
        }
        const QString text = r.readElementText();
        if (name == "entriesType") {
            d.entriesType = text;
        } else if (name == "uniqueID" && parent == "documentInfo") {
            d.uniqueId = text;
        } else if (name == "uniqueID" && parent == "segment") {
            d.segmentGuid = text;
        } else if (name == "identifier") {
            d.identifier = text;
        } else if (name == "organizationIdentifier") {
            pendingIdentifier = text;
        } else if (name == "organizationDescription") {
            d.organization[text] = pendingIdentifier;
        } else if (name == "numberOfEntries") {
            d.numberOfEntries = text.toLongLong();
        } else if (name == "measurableQuantity" && parent == "segment") {
            d.measurableQuantity = text;
        } else if (name == "totalDebit") {
            d.headers.last().totalDebit = parseCents(text, d.error);
        } else if (name == "totalCredit") {
            d.headers.last().totalCredit = parseCents(text, d.error);
        } else if (name == "entryNumberCounter") {
            d.headers.last().counter = text.toLongLong();
        } else if (name == "enteredDate") {
            d.headers.last().date = text;
        } else if (name == "lineNumber") {
            line().number = text.toLongLong();
        } else if (name == "lineNumberCounter") {
            line().counter = text.toLongLong();
        } else if (name == "accountMainID") {
            line().main = text;
        } else if (name == "accountSubID") {
            line().sub = text;
        } else if (name == "amount") {
            line().cents = parseCents(text, d.error);
        } else if (name == "debitCreditCode") {
            line().debit = text == "D";
        } else if (name == "postingDate") {
            line().date = text;
        } else if (name == "documentApplyToNumber") {
            line().applyCount = text.toLongLong();
        } else if (name == "SignatureValue" && stack.size() == 1) {
            d.topSignatureValue = text;
        } else if (name == "SignatureValue" && stack.size() == 2 && parent == "Signature") {
            d.signatureValue = text;
        } else if (name == "binaryObject") {
            d.attachments.append(QByteArray::fromBase64(text.toLatin1()));
        }
    }
    if (r.hasError()) {
        d.error = r.errorString();
    }
    return d;
}

QMap<QString, Sums> sumsBy(const Doc& d, bool bySubAccount)
{
    QMap<QString, Sums> sums;
    for (const Header& h : d.headers) {
        for (const Line& l : h.lines) {
            Sums& s = sums[bySubAccount ? l.main + '|' + l.sub : l.main];
            (l.debit ? s.debit : s.credit) += l.cents;
            ++(l.debit ? s.debitCount : s.creditCount);
        }
    }
    return sums;
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runGenerator(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(LEDGERGEN_PATH), args);
    Run run;
    if (!process.waitForFinished(120000)) {
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file's own signature: its method and its value, decoded.
struct OwnSignature
{
    QString method;
    QString counterMethod; // GİB's, in GIB- berats
    QByteArray valueText;  // as written
    QByteArray value;
};

OwnSignature ownSignature(const QByteArray& doc)
{
    static const QRegularExpression method(R"re(<ds:SignatureMethod Algorithm="([^"]+)")re");
    static const QRegularExpression value(R"re(<ds:SignatureValue Id="[^"]+">([^<]+)<)re");
    OwnSignature own;
    QRegularExpressionMatchIterator methods = method.globalMatch(QString::fromUtf8(doc));
    own.method = methods.hasNext() ? methods.next().captured(1) : QString();
    own.counterMethod = methods.hasNext() ? methods.next().captured(1) : QString();
    own.valueText = value.match(QString::fromUtf8(doc)).captured(1).toLatin1();
    own.value = QByteArray::fromBase64(own.valueText);
    return own;
}

// Length of r and of s for an ECDSA method as the generator pairs curve and digest; 0 for RSA.
int ecdsaHalf(const QString& method)
{
    return method.endsWith("ecdsa-sha256")   ? 32
           : method.endsWith("ecdsa-sha384") ? 48
           : method.endsWith("ecdsa-sha512") ? 66
                                             : 0;
}

// XML-DSig's r‖s for a DER-encoded ECDSA value (a SEQUENCE of the INTEGERs r and s), each padded to `half`.
QByteArray rsFromDer(const QByteArray& der, int half)
{
    qsizetype at = uchar(der.at(1)) == 0x81 ? 3 : 2;
    QByteArray rs;
    for (int i = 0; i < 2; ++i) {
        const int n = uchar(der.at(at + 1));
        const QByteArray v = der.mid(at + 2, n).right(half); // without the sign byte
        rs += QByteArray(half - v.size(), '\0') + v;
        at += 2 + n;
    }
    return rs;
}

} // namespace

class TestLedgerGen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void everyFile_validatesAgainstSchema_data();
    void everyFile_validatesAgainstSchema();
    void everyFile_signaturesVerifyWithXmlsec1_data() { everyFile_validatesAgainstSchema_data(); }
    void everyFile_signaturesVerifyWithXmlsec1();
    void fileSet_hasEveryTypeForEveryPart_data();
    void fileSet_hasEveryTypeForEveryPart();
    void stylesheetInstruction_asRealFilesCarryIt_data();
    void stylesheetInstruction_asRealFilesCarryIt();
    void part_journalKebirBeratsAndReportAgree_data();
    void part_journalKebirBeratsAndReportAgree();
    void approvedBerat_isTaxpayerBeratWithCounterSignature_data();
    void approvedBerat_isTaxpayerBeratWithCounterSignature();
    void entriesOption_givesExactEntryCount_data();
    void entriesOption_givesExactEntryCount();
    void splitMonth_keepsEntriesWholeAndNumberingContinuous();
    void monthRange_carriesSerialsAndNumbersOn();
    void fault_isPlantedWhereItsLineSays_data();
    void fault_isPlantedWhereItsLineSays();
    void sizeOption_fillsJournalUpToTarget();
    void taxpayer_identityNumberAndNames_data();
    void taxpayer_identityNumberAndNames();
    void bigAccountLines_giveOneKebirBlockOfThatSize();
    void attachments_arePdfsInJournalOnly();
    void keyOption_signsWithThatKey_data();
    void keyOption_signsWithThatKey();
    void sameSeed_sameBytes_otherSeed_otherEntries();
    void rerunIntoSameFolder_namesLeftOverParts();
    void badOptions_failWithMessageAndWriteNothing_data();
    void badOptions_failWithMessageAndWriteNothing();
    void help_namesEveryOption();
    void commandLine_answersAlikeInEveryTool_data();
    void commandLine_answersAlikeInEveryTool();

private:
    struct Scenario
    {
        QStringList args;
        QString dir;
        QString prefix; // "VKN-YYYYMM-"
        QList<QString> parts;
    };

    QString path(const QString& scenario, const QString& type, const QString& part, bool gib = false) const
    {
        const Scenario& s = m_scenarios[scenario];
        return s.dir + '/' + (gib ? "GIB-" : "") + s.prefix + type + '-' + part + ".xml";
    }

    // The verify tool with a configuration folder of its own: roots installed on this machine are not the
    // test keys', and the chain is then left unchecked.
    void startVerify(QProcess& verify, const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_tmp.filePath(QStringLiteral("config")));
        verify.setProcessEnvironment(env);
        verify.start(VERIFY_TOOL_PATH, args);
    }

    QTemporaryDir m_tmp;
    QMap<QString, Scenario> m_scenarios;
    QString m_schemaReport;
};

void TestLedgerGen::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    const QMap<QString, QStringList> scenarios = {
        {"company", {"--entries", "150", "--seed", "11", "--attachments", "2"}},
        {"split", {"--entries", "300", "--part-size", "0.25", "--seed", "12", "--attachments", "3"}},
        {"person-branch", {"--taxpayer", "person", "--branch", "--entries", "60", "--month", "2024-02"}},
        {"big-account", {"--entries", "40", "--big-account-lines", "1200", "--seed", "14"}},
        {"size", {"--size", "0.3", "--seed", "15", "--month", "2025-01"}},
        {"ecdsa", {"--entries", "60", "--seed", "16", "--month", "2025-08", "--key", "ecdsa"}},
        {"ecdsa-raw", {"--entries", "30", "--seed", "17", "--key", "ecdsa-raw", "--curve", "P-256"}},
        {"mixed-june", {"--entries", "30", "--seed", "18", "--month", "2025-06", "--key", "mixed"}},
        {"mixed-july", {"--entries", "30", "--seed", "18", "--month", "2025-07", "--key", "mixed"}},
        {"before-report", {"--entries", "20", "--seed", "19", "--month", "2018-12"}},
        // Across a year's end, months in parts: each month is a scenario of its own, "months/2025-01".
        {"months", {"--months", "2024-12..2025-02", "--entries", "40", "--part-size", "0.1", "--seed", "21"}},
    };
    QStringList files;
    for (auto it = scenarios.begin(); it != scenarios.end(); ++it) {
        const QString dir = m_tmp.filePath(it.key());
        const QStringList args = QStringList{"--out", dir} + it.value();
        const Run run = runGenerator(args);
        QVERIFY2(run.exitCode == 0, qPrintable(it.key() + ": " + run.err));
        const QStringList journals = QDir(dir).entryList({"*-Y-*.xml"}, QDir::Files, QDir::Name);
        QVERIFY(!journals.isEmpty());
        for (const QString& journal : journals) {
            const QString prefix = journal.left(journal.indexOf("-Y-") + 1);
            const QString key = it.value().contains("--months") ? it.key() + '/' + prefix.mid(prefix.size() - 7, 4) +
                                                                      '-' + prefix.mid(prefix.size() - 3, 2)
                                                                : it.key();
            Scenario& s = m_scenarios[key];
            s.dir = dir;
            s.args = args;
            s.prefix = prefix;
            s.parts.append(journal.mid(journal.indexOf("-Y-") + 3, 6));
        }
        for (const QString& name : QDir(dir).entryList({"*.xml"}, QDir::Files, QDir::Name)) {
            files.append(dir + '/' + name);
        }
    }
    // Compiling the schema takes seconds, so one xmllint run checks every file; each file's verdict is then
    // checked on its own row.
    QProcess lint;
    lint.start("xmllint", QStringList{"--nonet", "--noout", "--schema", kXsd} + files);
    QVERIFY2(lint.waitForFinished(120000), "xmllint missing or hanging (package libxml2-utils)");
    m_schemaReport = QString::fromUtf8(lint.readAllStandardError());
}

void TestLedgerGen::everyFile_validatesAgainstSchema_data()
{
    QTest::addColumn<QString>("file");
    for (auto it = m_scenarios.cbegin(); it != m_scenarios.cend(); ++it) {
        const QStringList own = {it->prefix + "*.xml", "GIB-" + it->prefix + "*.xml"};
        for (const QString& name : QDir(it->dir).entryList(own, QDir::Files, QDir::Name)) {
            QTest::addRow("%s/%s", qPrintable(it.key()), qPrintable(name)) << it->dir + '/' + name;
        }
    }
}

void TestLedgerGen::everyFile_validatesAgainstSchema()
{
    QFETCH(QString, file);
    QStringList problems;
    for (const QString& line : m_schemaReport.split('\n')) {
        if (line.startsWith(file + ':')) {
            problems.append(line);
        }
    }
    QVERIFY2(m_schemaReport.contains(file + " validates"), qPrintable(problems.join('\n')));
}

// An independent verifier, so that the generator's signatures are known good before our own verifier is
// tested on them. xmlsec1 takes ECDSA values only as r‖s: a DER value is rewritten so in a copy, where only the
// file's own signature is checked (GİB's counter-signature signs the value as written).
void TestLedgerGen::everyFile_signaturesVerifyWithXmlsec1()
{
    QFETCH(QString, file);
    QList<QStringList> checks = {{file}};
    const QByteArray doc = readAll(file);
    const OwnSignature own = ownSignature(doc);
    const int half = ecdsaHalf(own.method);
    if (half && own.value.size() != 2 * half) {
        checks[0][0] = m_tmp.filePath("rs-" + QFileInfo(file).fileName());
        QFile copy(checks[0][0]);
        QVERIFY(copy.open(QIODevice::WriteOnly));
        copy.write(QByteArray(doc).replace(own.valueText, rsFromDer(own.value, half).toBase64()));
    }
    if (QFileInfo(file).fileName().startsWith("GIB-")) {
        checks.append({"--id-attr:Id", "SignatureValue", "--node-xpath",
                       "//*[local-name()='CounterSignature']/*[local-name()='Signature']", file});
    }
    for (const QStringList& extra : checks) {
        QProcess xmlsec;
        xmlsec.start("xmlsec1", QStringList{"--verify", "--enabled-key-data", "x509", "--insecure", "--id-attr:Id",
                                            "SignedProperties"} +
                                    extra);
        QVERIFY2(xmlsec.waitForFinished(60000), "xmlsec1 missing or hanging (package xmlsec1)");
        const QString report = QString::fromUtf8(xmlsec.readAllStandardError());
        QVERIFY2(xmlsec.exitCode() == 0 && report.contains("SignedInfo References (ok/all): 2/2"),
                 qPrintable(extra.join(' ') + '\n' + report));
    }
}

void TestLedgerGen::fileSet_hasEveryTypeForEveryPart_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("split");
    QTest::addColumn<bool>("report"); // one per month, from 2019 on
    QTest::newRow("single month") << "company" << false << true;
    QTest::newRow("split month") << "split" << true << true;
    QTest::newRow("person with branch") << "person-branch" << false << true;
    QTest::newRow("before the report existed") << "before-report" << false << false;
    QTest::newRow("month of a range") << "months/2025-01" << true << true;
}

void TestLedgerGen::fileSet_hasEveryTypeForEveryPart()
{
    QFETCH(QString, scenario);
    QFETCH(bool, split);
    QFETCH(bool, report);
    const Scenario& s = m_scenarios[scenario];
    QStringList expected;
    if (split) {
        QVERIFY2(s.parts.size() >= 2, "the split scenario should give several parts");
        for (int i = 0; i < s.parts.size(); ++i) {
            QCOMPARE(s.parts[i], QString::number(i + 1).rightJustified(6, '0'));
        }
    } else {
        QCOMPARE(s.parts, QStringList{"000000"});
    }
    for (const QString& part : s.parts) {
        for (const char* type : {"Y", "K", "YB", "KB"}) {
            expected.append(s.prefix + type + '-' + part + ".xml");
        }
        expected.append("GIB-" + s.prefix + "YB-" + part + ".xml");
        expected.append("GIB-" + s.prefix + "KB-" + part + ".xml");
    }
    if (report) {
        expected.append(s.prefix + "DR-000000.xml");
    }
    expected.sort();
    // Nothing else: no left-over temporary files, and no stylesheets (the program provides those).
    const QStringList own = {s.prefix + '*', "GIB-" + s.prefix + '*', ".*"};
    QCOMPARE(QDir(s.dir).entryList(own, QDir::Files | QDir::Hidden, QDir::Name), expected);
    if (!scenario.contains('/')) {
        QCOMPARE(QDir(s.dir).entryList(QDir::Files | QDir::Hidden).size(), expected.size());
    }
}

void TestLedgerGen::stylesheetInstruction_asRealFilesCarryIt_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("gib");
    QTest::addColumn<QByteArray>("firstLine");
    const QByteArray decl = R"(<?xml version="1.0" encoding="UTF-8"?>)";
    const QByteArray gibDecl = R"(<?xml version="1.0" encoding="UTF-8" standalone="no"?>)";
    auto pi = [](const char* sheet) {
        return QByteArray(R"(<?xml-stylesheet type="text/xsl" href=")") + sheet + "\"?>";
    };
    QTest::newRow("Y") << "Y" << false << decl + pi("yevmiye.xslt");
    QTest::newRow("K") << "K" << false << decl + pi("kebir.xslt");
    QTest::newRow("YB") << "YB" << false << decl + pi("berat.xslt");
    QTest::newRow("KB") << "KB" << false << decl + pi("berat.xslt");
    QTest::newRow("GIB-YB") << "YB" << true << gibDecl + pi("berat.xslt");
    QTest::newRow("GIB-KB") << "KB" << true << gibDecl + pi("berat.xslt");
    QTest::newRow("DR") << "DR" << false << decl + pi("defterraporu.xslt");
}

void TestLedgerGen::stylesheetInstruction_asRealFilesCarryIt()
{
    QFETCH(QString, type);
    QFETCH(bool, gib);
    QFETCH(QByteArray, firstLine);
    const QByteArray content = readAll(path("company", type, "000000", gib));
    QCOMPARE(content.left(content.indexOf('\n')), firstLine);
}

void TestLedgerGen::part_journalKebirBeratsAndReportAgree_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("part");
    for (auto it = m_scenarios.cbegin(); it != m_scenarios.cend(); ++it) {
        for (const QString& part : it->parts) {
            QTest::addRow("%s/%s", qPrintable(it.key()), qPrintable(part)) << it.key() << part;
        }
    }
}

void TestLedgerGen::part_journalKebirBeratsAndReportAgree()
{
    QFETCH(QString, scenario);
    QFETCH(QString, part);
    const Doc journal = parseDoc(path(scenario, "Y", part));
    const Doc kebir = parseDoc(path(scenario, "K", part));
    const Doc journalBerat = parseDoc(path(scenario, "YB", part));
    const Doc kebirBerat = parseDoc(path(scenario, "KB", part));
    for (const Doc* d : {&journal, &kebir, &journalBerat, &kebirBerat}) {
        QVERIFY2(d->error.isEmpty(), qPrintable(d->error));
    }
    QCOMPARE(journal.entriesType, QString("journal"));
    QCOMPARE(kebir.entriesType, QString("ledger"));

    // Journal: balanced entries of at least two lines, in date order inside the month, lines carrying their entry
    // number.
    const QString prefix = m_scenarios[scenario].prefix;
    const QString month = prefix.mid(prefix.size() - 7, 4) + '-' + prefix.mid(prefix.size() - 3, 2);
    QString previousDate;
    QMap<qint64, Line> journalLines;
    for (const Header& h : journal.headers) {
        QVERIFY(h.lines.size() >= 2);
        qint64 debit = 0;
        qint64 credit = 0;
        for (const Line& l : h.lines) {
            QVERIFY(l.cents > 0);
            QCOMPARE(l.counter, h.counter);
            QCOMPARE(l.date, h.date);
            (l.debit ? debit : credit) += l.cents;
            journalLines.insert(l.number, l);
        }
        QCOMPARE(h.totalDebit, debit);
        QCOMPARE(h.totalCredit, credit);
        QCOMPARE(debit, credit);
        QVERIFY2(h.date >= previousDate, qPrintable(h.date + " after " + previousDate));
        QVERIFY2(h.date.startsWith(month), qPrintable(h.date));
        previousDate = h.date;
    }

    // Kebir: one block per account in code order, lines in entry order, net movement in the header, and
    // exactly the journal's lines.
    QStringList blockKeys;
    int kebirLineCount = 0;
    for (const Header& h : kebir.headers) {
        QVERIFY(!h.lines.isEmpty());
        const QString key = h.lines.first().main + '|' + h.lines.first().sub;
        QVERIFY2(blockKeys.isEmpty() || blockKeys.last() < key, qPrintable(key + " out of order"));
        blockKeys.append(key);
        qint64 net = 0;
        qint64 previousCounter = 0;
        for (const Line& l : h.lines) {
            QCOMPARE(l.main + '|' + l.sub, key);
            QVERIFY(l.counter >= previousCounter);
            previousCounter = l.counter;
            net += l.debit ? l.cents : -l.cents;
            QVERIFY2(journalLines.contains(l.number), qPrintable(QString::number(l.number)));
            const Line& j = journalLines[l.number];
            QCOMPARE(l.main, j.main);
            QCOMPARE(l.sub, j.sub);
            QCOMPARE(l.cents, j.cents);
            QCOMPARE(l.debit, j.debit);
            QCOMPARE(l.counter, j.counter);
            ++kebirLineCount;
        }
        QCOMPARE(h.totalDebit, net > 0 ? net : 0);
        QCOMPARE(h.totalCredit, net < 0 ? -net : 0);
    }
    QCOMPARE(kebirLineCount, int(journalLines.size()));
    QCOMPARE(sumsBy(kebir, true).keys(), sumsBy(journal, true).keys());

    // Berats: ten tax lines equal to the period totals, the ledger's size and signature value, its id.
    const QMap<QString, Sums> journalTotals = sumsBy(journal, false);
    const QStringList taxAccounts = {"391", "191", "600", "601", "602"};
    for (const auto& [berat, ledger, ledgerType] :
         {std::tuple{&journalBerat, &journal, QString("Y")}, std::tuple{&kebirBerat, &kebir, QString("K")}}) {
        QCOMPARE(berat->root, QString("berat"));
        QCOMPARE(berat->entriesType, ledger->entriesType);
        QCOMPARE(berat->uniqueId, ledger->uniqueId);
        QCOMPARE(berat->headers.size(), 1);
        const QList<Line>& lines = berat->headers.first().lines;
        QCOMPARE(lines.size(), 10);
        for (int i = 0; i < 10; ++i) {
            const Line& l = lines[i];
            QCOMPARE(l.number, qint64(i + 1));
            QCOMPARE(l.main, taxAccounts[i / 2]);
            QCOMPARE(l.debit, i % 2 == 0);
            const Sums s = journalTotals.value(l.main);
            QCOMPARE(l.cents, l.debit ? s.debit : s.credit);
        }
        const qint64 size = QFileInfo(path(scenario, ledgerType, part)).size();
        QCOMPARE(berat->measurableQuantity, QString::number(std::round(size * 100.0 / 1048576.0) / 100.0, 'f', 2));
        QVERIFY(!ledger->signatureValue.isEmpty());
        QCOMPARE(berat->topSignatureValue, ledger->signatureValue);
        QVERIFY(!berat->segmentGuid.isEmpty());
    }
    QCOMPARE(journalBerat.numberOfEntries, qint64(journal.headers.size()));
    QCOMPARE(kebirBerat.numberOfEntries, qint64(-1));

    // Report: one for the month, from 2019 on; every main account the month's journal parts moved, a debit then a
    // credit line, with their amounts and line counts.
    const QString reportPath = path(scenario, "DR", "000000");
    if (month < "2019-01") {
        QVERIFY(!QFileInfo::exists(reportPath));
        return;
    }
    const Doc report = parseDoc(reportPath);
    QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
    QCOMPARE(report.root, QString("defterraporu"));
    QCOMPARE(report.entriesType, QString("trialbalance"));
    QMap<QString, Sums> monthTotals;
    for (const QString& other : m_scenarios[scenario].parts) {
        const QMap<QString, Sums> partTotals =
            sumsBy(other == part ? journal : parseDoc(path(scenario, "Y", other)), false);
        for (auto it = partTotals.cbegin(); it != partTotals.cend(); ++it) {
            Sums& sum = monthTotals[it.key()];
            sum.debit += it->debit;
            sum.credit += it->credit;
            sum.debitCount += it->debitCount;
            sum.creditCount += it->creditCount;
        }
    }
    QCOMPARE(report.headers.size(), 1);
    const QList<Line>& lines = report.headers.first().lines;
    QCOMPARE(lines.size(), 2 * int(monthTotals.size()));
    int i = 0;
    for (auto it = monthTotals.cbegin(); it != monthTotals.cend(); ++it, i += 2) {
        QCOMPARE(lines[i].main, it.key());
        QCOMPARE(lines[i + 1].main, it.key());
        QVERIFY(lines[i].debit && !lines[i + 1].debit);
        QCOMPARE(lines[i].number, qint64(i + 1));
        QCOMPARE(lines[i].cents, it->debit);
        QCOMPARE(lines[i].applyCount, qint64(it->debitCount));
        QCOMPARE(lines[i + 1].cents, it->credit);
        QCOMPARE(lines[i + 1].applyCount, qint64(it->creditCount));
    }
}

void TestLedgerGen::approvedBerat_isTaxpayerBeratWithCounterSignature_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("type");
    for (const char* type : {"YB", "KB"}) {
        QTest::addRow("company/%s", type) << "company" << QString(type);
        QTest::addRow("split/%s", type) << "split" << QString(type);
    }
}

void TestLedgerGen::approvedBerat_isTaxpayerBeratWithCounterSignature()
{
    QFETCH(QString, scenario);
    QFETCH(QString, type);
    for (const QString& part : m_scenarios[scenario].parts) {
        const QByteArray berat = readAll(path(scenario, type, part));
        QByteArray approved = readAll(path(scenario, type, part, true));
        QVERIFY(!berat.isEmpty());
        const Doc approvedDoc = parseDoc(path(scenario, type, part, true));
        QCOMPARE(approvedDoc.counterSignatures, 1);
        QVERIFY(approved.startsWith(R"(<?xml version="1.0" encoding="UTF-8" standalone="no"?>)"));

        // Without the declaration's standalone and the unsigned properties it is the taxpayer's berat.
        approved.replace(R"( standalone="no")", "");
        const qsizetype start = approved.indexOf("<xades:UnsignedProperties>");
        const QByteArray endTag = "</xades:UnsignedProperties>\n";
        const qsizetype end = approved.indexOf(endTag);
        QVERIFY(start > 0 && end > start);
        const qsizetype lineStart = approved.lastIndexOf('\n', start) + 1;
        approved.remove(lineStart, end + endTag.size() - lineStart);
        QCOMPARE(approved, berat);
    }
}

void TestLedgerGen::entriesOption_givesExactEntryCount_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("entries");
    QTest::newRow("single file") << "company" << 150;
    QTest::newRow("split month") << "split" << 300;
    QTest::newRow("person") << "person-branch" << 60;
    QTest::newRow("with POS batches") << "big-account" << 40;
}

void TestLedgerGen::entriesOption_givesExactEntryCount()
{
    QFETCH(QString, scenario);
    QFETCH(int, entries);
    int count = 0;
    for (const QString& part : m_scenarios[scenario].parts) {
        count += int(parseDoc(path(scenario, "Y", part)).headers.size());
    }
    QCOMPARE(count, entries);
}

void TestLedgerGen::splitMonth_keepsEntriesWholeAndNumberingContinuous()
{
    const Scenario& s = m_scenarios["split"];
    const qint64 limit = qint64(0.25 * 1048576);
    qint64 nextCounter = -1;
    qint64 nextLine = -1;
    QString lastDate;
    for (const QString& part : s.parts) {
        QVERIFY(QFileInfo(path("split", "Y", part)).size() <= limit);
        const Doc journal = parseDoc(path("split", "Y", part));
        QVERIFY(!journal.headers.isEmpty());
        for (const Header& h : journal.headers) {
            if (nextCounter >= 0) {
                QCOMPARE(h.counter, nextCounter);
            }
            nextCounter = h.counter + 1;
            for (const Line& l : h.lines) {
                if (nextLine >= 0) {
                    QCOMPARE(l.number, nextLine);
                }
                nextLine = l.number + 1;
            }
            QVERIFY(h.date >= lastDate);
            lastDate = h.date;
        }
        QVERIFY(journal.uniqueId.endsWith(part));
    }
}

// The range's files in order: serials per type, entry and line numbers run on through parts and months and start
// again with the new year; and the verifier finds the whole folder sound.
void TestLedgerGen::monthRange_carriesSerialsAndNumbersOn()
{
    auto serial = [](const QString& type, const QString& yyyymm, int n) {
        return type + yyyymm + QString::number(n).rightJustified(6, '0');
    };
    QString year;
    int yev = 0;
    int keb = 0;
    int edr = 0;
    qint64 nextCounter = -1; // the range's first month may start anywhere
    qint64 nextLine = -1;
    for (const QString key : {"months/2024-12", "months/2025-01", "months/2025-02"}) {
        const Scenario& s = m_scenarios[key];
        QVERIFY2(s.parts.size() >= 2, qPrintable(key));
        const QString yyyymm = s.prefix.mid(s.prefix.size() - 7, 6);
        if (yyyymm.left(4) != year) {
            yev = keb = edr = 0;
            if (!year.isEmpty()) {
                nextCounter = nextLine = 1;
            }
            year = yyyymm.left(4);
        }
        for (const QString& part : s.parts) {
            const Doc journal = parseDoc(path(key, "Y", part));
            QCOMPARE(journal.uniqueId, serial("YEV", yyyymm, ++yev));
            QCOMPARE(parseDoc(path(key, "YB", part)).uniqueId, journal.uniqueId);
            const Doc kebir = parseDoc(path(key, "K", part));
            QCOMPARE(kebir.uniqueId, serial("KEB", yyyymm, ++keb));
            QCOMPARE(parseDoc(path(key, "KB", part)).uniqueId, kebir.uniqueId);
            for (const Header& h : journal.headers) {
                QVERIFY2(nextCounter < 0 || h.counter == nextCounter, qPrintable(key + ' ' + part));
                nextCounter = h.counter + 1;
                for (const Line& l : h.lines) {
                    QVERIFY2(nextLine < 0 || l.number == nextLine, qPrintable(key + ' ' + part));
                    nextLine = l.number + 1;
                }
            }
        }
        QCOMPARE(parseDoc(path(key, "DR", "000000")).uniqueId, serial("EDR", yyyymm, ++edr));
    }

    QProcess verify;
    startVerify(verify, {m_scenarios["months/2025-01"].dir});
    QVERIFY(verify.waitForFinished(120000));
    QVERIFY2(verify.exitCode() == 0, verify.readAllStandardOutput().right(2000).constData());
}

void TestLedgerGen::fault_isPlantedWhereItsLineSays_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("month"); // where it is planted
    QTest::addColumn<bool>("written");  // whether the file its line names is there
    for (const char* name :
         {"missing-part", "missing-berat", "dr-amount", "dr-count", "berat-entry-count", "berat-size", "tax-line",
          "unbalanced-entry", "entry-date", "serial-gap", "number-overlap", "kebir-line-missing"}) {
        QTest::newRow(name) << QString(name) << "202502" << !QByteArray(name).startsWith("missing-");
    }
    QTest::newRow("month given") << "dr-amount@2025-01"
                                 << "202501" << true;
}

// Each fault is planted in its month only, in the file its line names, and every file written still carries a
// valid signature: only a check of the set as a whole can find it.
void TestLedgerGen::fault_isPlantedWhereItsLineSays()
{
    QFETCH(QString, fault);
    QFETCH(QString, month);
    QFETCH(bool, written);
    const QStringList args = {"--months", "2025-01..2025-02", "--entries", "40", "--part-size", "0.1", "--seed", "31"};
    const QString clean = m_tmp.filePath("fault-none");
    if (!QFileInfo::exists(clean)) {
        QCOMPARE(runGenerator(QStringList{"--out", clean} + args).exitCode, 0);
    }
    const QString dir = m_tmp.filePath("fault-" + fault);
    const Run run = runGenerator(QStringList{"--out", dir} + args + QStringList{"--fault", fault});
    QVERIFY2(run.exitCode == 0, run.err.constData());

    static const QRegularExpression planted(QStringLiteral("^Hata eklendi: ([a-z-]+) · (\\S+\\.xml) · \\S.*$"),
                                            QRegularExpression::MultilineOption);
    QList<QRegularExpressionMatch> lines;
    for (auto it = planted.globalMatch(QString::fromUtf8(run.out)); it.hasNext();) {
        lines.append(it.next());
    }
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].captured(1), fault.section('@', 0, 0));
    const QString file = lines[0].captured(2);
    QVERIFY2(file.contains('-' + month + '-'), qPrintable(file));
    QCOMPARE(QFileInfo::exists(dir + '/' + file), written);
    QVERIFY2(QFileInfo::exists(clean + '/' + file), qPrintable(file));
    if (written) {
        QVERIFY(readAll(dir + '/' + file) != readAll(clean + '/' + file));
    }
    const QString other = month == "202502" ? "202501" : "202502";
    for (const QString& name : QDir(clean).entryList({"*-" + other + "-*"}, QDir::Files)) {
        QVERIFY2(readAll(dir + '/' + name) == readAll(clean + '/' + name), qPrintable(name));
    }

    QProcess verify;
    startVerify(verify, {"--json", dir});
    QVERIFY(verify.waitForFinished(120000));
    const QJsonArray files = QJsonDocument::fromJson(verify.readAllStandardOutput())["files"].toArray();
    QCOMPARE(files.size(), QDir(dir).entryList({"*.xml"}, QDir::Files).size());
    // The berat of a ledger is matched to it file by file; what else that finds is for the set check to report.
    for (const QJsonValue& f : files) {
        const QString summary = f["summary"].toString();
        const bool approved = QFileInfo(f["path"].toString()).fileName().startsWith("GIB-");
        QVERIFY2(summary.contains("İmza geçerli") && (!approved || summary.contains("GİB onaylı")),
                 qPrintable(f["path"].toString() + ": " + summary));
    }
}

void TestLedgerGen::sizeOption_fillsJournalUpToTarget()
{
    const Scenario& s = m_scenarios["size"];
    QCOMPARE(s.parts, QStringList{"000000"});
    const qint64 size = QFileInfo(path("size", "Y", "000000")).size();
    const qint64 target = qint64(0.3 * 1048576);
    QVERIFY2(size <= target && size > target - 100 * 1024, qPrintable(QString::number(size)));
    const Doc journal = parseDoc(path("size", "Y", "000000"));
    QCOMPARE(journal.headers.first().date, QString("2025-01-01"));
    QCOMPARE(journal.headers.last().date, QString("2025-01-31"));
    QCOMPARE(journal.headers.first().counter, qint64(1)); // January starts the year's numbering
}

void TestLedgerGen::taxpayer_identityNumberAndNames_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("person");
    QTest::addColumn<bool>("branch");
    QTest::newRow("company") << "company" << false << false;
    QTest::newRow("person with branch") << "person-branch" << true << true;
}

void TestLedgerGen::taxpayer_identityNumberAndNames()
{
    QFETCH(QString, scenario);
    QFETCH(bool, person);
    QFETCH(bool, branch);
    const Scenario& s = m_scenarios[scenario];
    for (const QString& type : kTypes) {
        const Doc d = parseDoc(path(scenario, type, s.parts.first()));
        QVERIFY(s.prefix.startsWith(d.identifier + '-'));
        QCOMPARE(d.organization.contains("Adı Soyadı"), person);
        QCOMPARE(d.organization.contains("Kurum Unvanı"), !person);
        QCOMPARE(d.organization.contains("Şube No"), branch);
        QCOMPARE(d.organization.contains("Şube Adı"), branch);
        if (branch) {
            QVERIFY(QRegularExpression("^\\d{4}$").match(d.organization["Şube No"]).hasMatch());
        }
    }
    const QString id = parseDoc(path(scenario, "Y", s.parts.first())).identifier;
    QVector<int> n;
    for (QChar c : id) {
        n.append(c.digitValue());
    }
    if (person) {
        // TCKN: 11 digits, no leading zero, two check digits.
        QCOMPARE(id.size(), 11);
        QVERIFY(n[0] != 0);
        const int odd = n[0] + n[2] + n[4] + n[6] + n[8];
        const int even = n[1] + n[3] + n[5] + n[7];
        QCOMPARE(n[9], ((odd * 7 - even) % 10 + 10) % 10);
        QCOMPARE(n[10], (odd + even + n[9]) % 10);
    } else {
        // VKN: 10 digits, the last a check digit.
        QCOMPARE(id.size(), 10);
        int sum = 0;
        for (int i = 0; i < 9; ++i) {
            const int t = (n[i] + 9 - i) % 10;
            int v = (t * (1 << (9 - i))) % 9;
            if (t != 0 && v == 0) {
                v = 9;
            }
            sum += v;
        }
        QCOMPARE(n[9], (10 - sum % 10) % 10);
    }
}

void TestLedgerGen::bigAccountLines_giveOneKebirBlockOfThatSize()
{
    const Doc kebir = parseDoc(path("big-account", "K", "000000"));
    int largest = 0;
    QString account;
    for (const Header& h : kebir.headers) {
        if (h.lines.size() > largest) {
            largest = int(h.lines.size());
            account = h.lines.first().sub;
        }
    }
    QCOMPARE(largest, 1200);
    QCOMPARE(account, QString("102.02.001"));
}

void TestLedgerGen::attachments_arePdfsInJournalOnly()
{
    for (const auto& [scenario, expected] : {std::pair{QString("company"), 2}, std::pair{QString("split"), 3}}) {
        int found = 0;
        for (const QString& part : m_scenarios[scenario].parts) {
            for (const QByteArray& pdf : parseDoc(path(scenario, "Y", part)).attachments) {
                QVERIFY(pdf.startsWith("%PDF-1."));
                QVERIFY(pdf.trimmed().endsWith("%%EOF"));
                ++found;
            }
            QVERIFY(parseDoc(path(scenario, "K", part)).attachments.isEmpty());
        }
        QCOMPARE(found, expected);
    }
    QVERIFY(parseDoc(path("person-branch", "Y", "000000")).attachments.isEmpty()); // off by default
}

void TestLedgerGen::keyOption_signsWithThatKey_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("valueBytes"); // -1: DER
    const QString rsa = "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256";
    const QString p384 = "http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha384";
    QTest::newRow("rsa by default") << "company" << rsa << 256;
    QTest::newRow("ecdsa: P-384, DER as real seals") << "ecdsa" << p384 << -1;
    QTest::newRow("ecdsa-raw P-256: r‖s") << "ecdsa-raw"
                                          << "http://www.w3.org/2001/04/xmldsig-more#ecdsa-sha256" << 64;
    QTest::newRow("mixed: June in RSA") << "mixed-june" << rsa << 256;
    QTest::newRow("mixed: July in ECDSA") << "mixed-july" << p384 << -1;
}

void TestLedgerGen::keyOption_signsWithThatKey()
{
    QFETCH(QString, scenario);
    QFETCH(QString, method);
    QFETCH(int, valueBytes);
    const QString dir = m_scenarios[scenario].dir;
    for (const QString& name : QDir(dir).entryList({"*.xml"}, QDir::Files)) {
        const OwnSignature own = ownSignature(readAll(dir + '/' + name));
        QCOMPARE(own.method, method);
        if (valueBytes > 0) {
            QCOMPARE(own.value.size(), valueBytes);
        } else { // a SEQUENCE, at most two bytes of sign padding longer than r‖s
            QVERIFY2(own.value.startsWith('\x30') && own.value.size() > 2 * ecdsaHalf(method) + 4 &&
                         own.value.size() <= 2 * ecdsaHalf(method) + 8,
                     qPrintable(name));
        }
        QCOMPARE(own.counterMethod,
                 name.startsWith("GIB-") ? "http://www.w3.org/2001/04/xmldsig-more#rsa-sha256" : QString());
    }
}

void TestLedgerGen::sameSeed_sameBytes_otherSeed_otherEntries()
{
    for (const QString scenario : {"split", "ecdsa"}) {
        const Scenario& s = m_scenarios[scenario];
        const QString again = m_tmp.filePath(scenario + "-again");
        QStringList args = s.args;
        args[1] = again;
        QCOMPARE(runGenerator(args).exitCode, 0);
        const QStringList names = QDir(s.dir).entryList(QDir::Files, QDir::Name);
        QCOMPARE(QDir(again).entryList(QDir::Files, QDir::Name), names);
        for (const QString& name : names) {
            QVERIFY2(readAll(s.dir + '/' + name) == readAll(again + '/' + name), qPrintable(name));
        }
    }

    const QString other = m_tmp.filePath("company-other-seed");
    QStringList otherArgs = m_scenarios["company"].args;
    otherArgs[1] = other;
    otherArgs[otherArgs.indexOf("--seed") + 1] = "99";
    QCOMPARE(runGenerator(otherArgs).exitCode, 0);
    const QString journal = QDir(other).entryList({"*-Y-*.xml"}, QDir::Files).value(0);
    QVERIFY(readAll(other + '/' + journal) != readAll(path("company", "Y", "000000")));
}

void TestLedgerGen::rerunIntoSameFolder_namesLeftOverParts()
{
    const QString dir = m_tmp.filePath("rerun");
    QCOMPARE(runGenerator({"--out", dir, "--entries", "120", "--part-size", "0.2"}).exitCode, 0);
    const Run single = runGenerator({"--out", dir, "--entries", "120"});
    QCOMPARE(single.exitCode, 0);
    const QString prefix = m_scenarios["company"].prefix;
    QVERIFY2(single.err.contains((prefix + "Y-000001.xml").toUtf8()), single.err.constData());
    QVERIFY(single.err.contains(("GIB-" + prefix + "KB-000001.xml").toUtf8()));
    QVERIFY(!single.err.contains("-000000.xml"));
    QVERIFY(QFileInfo::exists(dir + '/' + prefix + "Y-000001.xml")); // reported, not deleted
}

void TestLedgerGen::badOptions_failWithMessageAndWriteNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown option") << QStringList{"--entrys", "5"};
    QTest::newRow("zero entries") << QStringList{"--entries", "0"};
    QTest::newRow("entries and size") << QStringList{"--entries", "10", "--size", "1"};
    QTest::newRow("part above 200 MB") << QStringList{"--part-size", "201"};
    QTest::newRow("negative size") << QStringList{"--size", "-1"};
    QTest::newRow("month 13") << QStringList{"--month", "2024-13"};
    QTest::newRow("unknown taxpayer") << QStringList{"--taxpayer", "firm"};
    QTest::newRow("missing value") << QStringList{"--seed"};
    QTest::newRow("seed not a number") << QStringList{"--seed", "abc"};
    QTest::newRow("unknown key") << QStringList{"--key", "dsa"};
    QTest::newRow("unknown curve") << QStringList{"--curve", "P-192"};
    QTest::newRow("month and months") << QStringList{"--month", "2024-01", "--months", "2024-01..2024-02"};
    QTest::newRow("months backwards") << QStringList{"--months", "2024-05..2024-02"};
    QTest::newRow("unknown fault") << QStringList{"--fault", "dr-sum"};
    QTest::newRow("fault outside the range")
        << QStringList{"--months", "2024-01..2024-02", "--fault", "dr-amount@2024-03"};
    QTest::newRow("serial gap with no month before") << QStringList{"--fault", "serial-gap"};
    QTest::newRow("number overlap in January")
        << QStringList{"--months", "2023-12..2024-01", "--fault", "number-overlap@2024-01"};
    QTest::newRow("missing part of an unsplit month")
        << QStringList{"--months", "2024-01..2024-02", "--fault", "missing-part"};
    QTest::newRow("same fault twice") << QStringList{"--months", "2024-01..2024-02", "--fault",
                                                     "dr-count", "--fault",          "dr-count@2024-02"};
}

void TestLedgerGen::badOptions_failWithMessageAndWriteNothing()
{
    QFETCH(QStringList, args);
    const QString out = m_tmp.filePath("bad-" + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-'));
    const Run run = runGenerator(QStringList{"--out", out} + args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(!run.err.isEmpty());
    QVERIFY(!QFileInfo::exists(out));

    const Run withoutOut = runGenerator({"--entries", "5"});
    QCOMPARE(withoutOut.exitCode, 2);
    QVERIFY(withoutOut.err.contains("--out"));
}

void TestLedgerGen::help_namesEveryOption()
{
    const Run run = runGenerator({"--help"});
    QCOMPARE(run.exitCode, 0);
    for (const char* option : {"--out",
                               "--entries",
                               "--size",
                               "--seed",
                               "--month",
                               "--months",
                               "--fault",
                               "--taxpayer",
                               "--branch",
                               "--big-account-lines",
                               "--part-size",
                               "--attachments",
                               "--key",
                               "--curve",
                               "--help",
                               "missing-part",
                               "missing-berat",
                               "dr-amount",
                               "dr-count",
                               "berat-entry-count",
                               "berat-size",
                               "tax-line",
                               "unbalanced-entry",
                               "entry-date",
                               "serial-gap",
                               "number-overlap",
                               "kebir-line-missing"}) {
        QVERIFY2(run.out.contains(option), option);
    }
}

void TestLedgerGen::commandLine_answersAlikeInEveryTool_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // what standard output holds
    QTest::addColumn<QByteArray>("err"); // what standard error begins with
    struct Tool
    {
        const char* name;
        QString path;
        int usage;
    };
    // ledgergen is no part of the three tools' exit-code scheme: its usage code stays 2.
    const Tool tools[] = {{"verazidedaze-verify", VERIFY_TOOL_PATH, 64},
                          {"verazidedaze-export", EXPORT_TOOL_PATH, 64},
                          {"verazidedaze-render", RENDER_TOOL_PATH, 64},
                          {"ledgergen", LEDGERGEN_PATH, 2}};
    for (const auto& [name, path, usage] : tools) {
        const QByteArray tool(name);
        QTest::addRow("%s help", name) << path << QStringList{"--help"} << 0 << QByteArray("--version") << QByteArray();
        QTest::addRow("%s version", name) << path << QStringList{"-v"} << 0 << tool + ' ' << QByteArray();
        QTest::addRow("%s unknown option", name)
            << path << QStringList{"--bogus", "a.xml"} << usage << QByteArray()
            << tool + ": bilinmeyen seçenek: --bogus\n--help ile kullanımı görün.\n";
        QTest::addRow("%s nothing given", name) << path << QStringList{} << usage << QByteArray() << tool + ": ";
    }
    QTest::newRow("verify roots without value") << tools[0].path << QStringList{"a.xml", "--roots"} << 64
                                                << QByteArray() << QByteArray("verazidedaze-verify: --roots bir değer");
    QTest::newRow("export one file") << tools[1].path << QStringList{"a.xml"} << 64 << QByteArray()
                                     << QByteArray("verazidedaze-export: DEFTER ve ÇIKTI");
    QTest::newRow("export mizan and ekstre at once")
        << tools[1].path << QStringList{"--mizan", "--ekstre", "102", "o.csv", "."} << 64 << QByteArray()
        << QByteArray("verazidedaze-export: --mizan ve --ekstre birlikte verilemez.");
    QTest::newRow("export mizan month not a month")
        << tools[1].path << QStringList{"--mizan", "--from", "2025-13", "o.csv", "."} << 64 << QByteArray()
        << QByteArray("verazidedaze-export: ay YYYY-AA");
    QTest::newRow("export mizan without journals")
        << tools[1].path << QStringList{"--mizan", "o.csv", "/nonexistent"} << 2 << QByteArray()
        << QByteArray("verazidedaze-export: verilen yerlerde yevmiye defteri (-Y-) bulunamadı.\n");
    QTest::newRow("render two ledgers") << tools[2].path << QStringList{"a.xml", "b.xml"} << 64 << QByteArray()
                                        << QByteArray("verazidedaze-render: ");
}

void TestLedgerGen::commandLine_answersAlikeInEveryTool()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QProcess process;
    process.start(tool, args);
    QVERIFY(process.waitForFinished(60000));
    const QByteArray gotErr = process.readAllStandardError();
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2(process.readAllStandardOutput().contains(out), gotErr.constData());
    QVERIFY2(gotErr.startsWith(err), gotErr.constData());
}

QTEST_GUILESS_MAIN(TestLedgerGen)
#include "tst_ledgergen.moc"
