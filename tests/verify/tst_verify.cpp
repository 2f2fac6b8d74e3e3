#include "verify/verification.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <sys/stat.h>

namespace {

bool run(const QString& program, const QStringList& args, QByteArray* out = nullptr, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        return false;
    }
    if (out) {
        *out = p.readAllStandardOutput();
    }
    if (exitCode) {
        *exitCode = p.exitCode();
    }
    return p.exitStatus() == QProcess::NormalExit;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        QFile::copy(from + '/' + name, to + '/' + name);
    }
}

// Changes one base64 character of the n-th (0-based) element that starts with `open`.
void flipInside(QByteArray& doc, const QByteArray& open, int n)
{
    qsizetype at = -1;
    for (int i = 0; i <= n; ++i) {
        at = doc.indexOf(open, at + 1);
    }
    QVERIFY(at >= 0);
    const qsizetype pos = doc.indexOf('>', at) + 10;
    doc[pos] = doc[pos] == 'A' ? 'B' : 'A';
}

QByteArray between(const QByteArray& doc, const QByteArray& open, const QByteArray& close, int n)
{
    qsizetype at = -1;
    for (int i = 0; i <= n; ++i) {
        at = doc.indexOf(open, at + 1);
    }
    const qsizetype start = at + open.size();
    return doc.mid(start, doc.indexOf(close, start) - start);
}

// RSASSA-PSS: real, but not among the algorithms e-seals use.
const QString kUnknownMethod = QStringLiteral("http://www.w3.org/2007/05/xmldsig-more#sha256-rsa-MGF1");

} // namespace

class TestVerify : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void generatedFile_verifies_data();
    void generatedFile_verifies();
    void tampering_isCaughtWithReason_data();
    void tampering_isCaughtWithReason();
    void folder_listsLedgersWithoutBeratAndBeratsWithoutLedger();
    void cancelledOrConcurrent_checksStaySound();
    void commandLine_exitCodesAndJson_data();
    void commandLine_exitCodesAndJson();

private:
    QString file(const QString& type, const QString& set = "march") const
    {
        const bool gib = type.startsWith("GIB-");
        return m_tmp.filePath(set) + '/' + (gib ? "GIB-" : "") + m_prefix[set] + type.mid(gib ? 4 : 0) + "-000000.xml";
    }
    verify::VerifyOptions withRoots() const
    {
        verify::VerifyOptions o;
        o.rootsFolder = m_tmp.filePath("roots");
        return o;
    }

    QTemporaryDir m_tmp;
    QMap<QString, QString> m_prefix; // set -> "VKN-YYYYMM-"
};

void TestVerify::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    const QMap<QString, QStringList> sets = {
        {"march", {"--entries", "40", "--attachments", "1", "--seed", "5", "--month", "2024-03"}},
        {"february", {"--entries", "30", "--seed", "5", "--month", "2024-02"}},
        {"person", {"--entries", "20", "--seed", "6", "--taxpayer", "person"}},
        {"ecdsa", {"--entries", "20", "--seed", "7", "--month", "2025-07", "--key", "ecdsa"}},
        {"ecdsa-raw", {"--entries", "20", "--seed", "7", "--month", "2025-08", "--key", "ecdsa-raw"}},
        {"p256", {"--entries", "20", "--seed", "8", "--month", "2025-09", "--key", "ecdsa", "--curve", "P-256"}},
        {"p256-raw",
         {"--entries", "20", "--seed", "8", "--month", "2025-10", "--key", "ecdsa-raw", "--curve", "P-256"}},
        {"p521", {"--entries", "20", "--seed", "9", "--month", "2025-11", "--key", "ecdsa", "--curve", "P-521"}},
    };
    for (auto it = sets.begin(); it != sets.end(); ++it) {
        int code = -1;
        QVERIFY(run(LEDGERGEN_PATH,
                    QStringList{"--out", m_tmp.filePath(it.key()), "--roots", m_tmp.filePath("roots")} + it.value(),
                    nullptr, &code));
        QCOMPARE(code, 0);
        const QString journal = QDir(m_tmp.filePath(it.key())).entryList({"*-Y-*.xml"}).value(0);
        m_prefix[it.key()] = journal.left(journal.indexOf("-Y-") + 1);
    }
    // An empty roots folder: the chain is then not checked.
    QDir().mkpath(m_tmp.filePath("no-roots"));
}

void TestVerify::generatedFile_verifies_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("roots");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("key");
    const QString both = "✔ İmza geçerli · Beratıyla eşleşiyor · GİB onaylı";
    const QString approved = "✔ İmza geçerli · GİB onaylı · Defteriyle eşleşiyor";
    const QString rsa = "RSA 2048 bit · imza algoritması: RSA-SHA256";
    const QString p384 = "ECDSA P-384 · imza algoritması: ECDSA-SHA384";
    const QString p256 = "ECDSA P-256 · imza algoritması: ECDSA-SHA256";
    QTest::newRow("journal") << file("Y") << true << both << rsa;
    QTest::newRow("kebir") << file("K") << true << both << rsa;
    QTest::newRow("journal berat") << file("YB") << true << "✔ İmza geçerli · Defteriyle eşleşiyor" << rsa;
    QTest::newRow("GİB kebir berat") << file("GIB-KB") << true << approved << rsa;
    QTest::newRow("report") << file("DR") << true << "✔ İmza geçerli" << rsa;
    QTest::newRow("person, no roots") << file("Y", "person") << false << both << rsa;
    QTest::newRow("ECDSA P-384 DER journal") << file("Y", "ecdsa") << true << both << p384;
    QTest::newRow("ECDSA P-384 DER, GİB's approval RSA") << file("GIB-YB", "ecdsa") << true << approved << p384;
    QTest::newRow("ECDSA P-384 r‖s kebir") << file("K", "ecdsa-raw") << true << both << p384;
    QTest::newRow("ECDSA P-256 DER, GİB's approval RSA") << file("GIB-KB", "p256") << true << approved << p256;
    QTest::newRow("ECDSA P-256 r‖s journal") << file("Y", "p256-raw") << true << both << p256;
    QTest::newRow("ECDSA P-521 DER report") << file("DR", "p521") << true << "✔ İmza geçerli"
                                            << "ECDSA P-521 · imza algoritması: ECDSA-SHA512";
}

void TestVerify::generatedFile_verifies()
{
    QFETCH(QString, path);
    QFETCH(bool, roots);
    QFETCH(QString, summary);
    QFETCH(QString, key);
    verify::VerifyOptions options = withRoots();
    if (!roots) {
        options.rootsFolder = m_tmp.filePath("no-roots");
    }
    const verify::VerificationResult r = verify::verifyFile(path, options);
    QVERIFY2(r.status == verify::Status::Verified, qPrintable(r.summary + '\n' + r.details.join('\n')));
    QCOMPARE(r.summary, summary);
    QVERIFY(r.signer);
    QCOMPARE(r.signer->identityNumber, QFileInfo(path).fileName().remove("GIB-").section('-', 0, 0));
    QVERIFY(r.signer->signingTime.isValid());
    const QString chain = roots ? "güvenilen köke ulaşıyor" : "zinciri denetlenmedi";
    QVERIFY2(r.details.join('\n').contains(chain), qPrintable(r.details.join('\n')));
    QVERIFY2(r.details.contains("Anahtar: " + key), qPrintable(r.details.join('\n')));
}

void TestVerify::tampering_isCaughtWithReason_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    const int failed = int(verify::Status::Failed);
    const int couldNot = int(verify::Status::CouldNotCheck);
    const QString changed = "✘ Defter imzalandıktan sonra değiştirilmiş";
    QTest::newRow("amount changed") << "Y"
                                    << "amount" << failed << changed;
    // A defter that names no kind we know is not called a journal, whatever its file is called.
    QTest::newRow("entriesType of no known kind")
        << "Y"
        << "entries type" << failed << "✘ Dosya imzalandıktan sonra değiştirilmiş";
    QTest::newRow("entry removed") << "Y"
                                   << "entry" << failed << changed;
    QTest::newRow("whitespace inside an element") << "K"
                                                  << "text space" << failed << changed;
    QTest::newRow("whitespace inside a tag is no change") << "Y"
                                                          << "tag space" << int(verify::Status::Verified) << "✔";
    QTest::newRow("signature value changed") << "Y"
                                             << "value" << failed << "✘ İmza değeri geçersiz";
    QTest::newRow("certificate swapped") << "YB"
                                         << "certificate" << failed << "sertifika değiştirilmiş";
    QTest::newRow("berat of another month") << "Y"
                                            << "other berat" << failed
                                            << "✘ İmza geçerli · Berat bu deftere ait değil: berattaki imza değeri "
                                               "defterinkiyle aynı değil; dönem: beratta 2024-02-01";
    QTest::newRow("counter-signature altered") << "GIB-YB"
                                               << "counter" << failed << "✘ İmza geçerli · GİB onayı geçersiz";
    QTest::newRow("chain to another root") << "KB"
                                           << "untrusted root" << failed << "güvenilen bir köke ulaşmıyor";
    QTest::newRow("no signature") << "Y"
                                  << "unsigned" << int(verify::Status::Unsigned) << "○ İmzasız dosya (taslak)";
    QTest::newRow("reference to a local file") << "DR"
                                               << "file uri" << failed << "dışındaki bir kaynağa başvuruyor";
    QTest::newRow("reference to the network") << "DR"
                                              << "http uri" << failed << "dışındaki bir kaynağa başvuruyor";
    QTest::newRow("not XML") << "DR"
                             << "not xml" << couldNot << "XML değil";
    QTest::newRow("truncated") << "K"
                               << "truncated" << couldNot << "yarıda kesilmiş";
    QTest::newRow("two signatures") << "KB"
                                    << "two signatures" << failed << "2 imza var";
    QTest::newRow("rsa-sha1 is too weak") << "KB"
                                          << "sha1" << failed << "✘ İmza SHA-1 ile atılmış";
    QTest::newRow("unknown algorithm") << "KB"
                                       << "unknown method" << couldNot
                                       << "○ Bu imza algoritması denetlenemiyor: " + kUnknownMethod;
    QTest::newRow("ECDSA: amount changed") << "ecdsa/Y"
                                           << "amount" << failed << changed;
    QTest::newRow("ECDSA: certificate swapped") << "ecdsa/KB"
                                                << "certificate" << failed << "sertifika değiştirilmiş";
    QTest::newRow("ECDSA berat: own signature altered") << "ecdsa/GIB-YB"
                                                        << "own value" << failed << "✘ İmza değeri geçersiz";
    QTest::newRow("ECDSA berat: GİB's RSA counter-signature altered")
        << "ecdsa/GIB-YB"
        << "counter" << failed << "✘ İmza geçerli · GİB onayı geçersiz";
    QTest::newRow("ECDSA berat: GİB's counter-signature in an unknown algorithm")
        << "ecdsa/GIB-KB"
        << "unknown method" << couldNot << "○ İmza geçerli · GİB onayı denetlenemedi";
    // Malformed values are refused before any check, whatever r and s hold.
    QTest::newRow("DER with trailing bytes")
        << "ecdsa/DR"
        << "der:300602010102010100" << failed << "✘ İmza değeri bozuk: DER dizisinden sonra 1 bayt fazla var";
    QTest::newRow("DER with a negative INTEGER") << "ecdsa/DR"
                                                 << "der:3006020181020101" << failed << "r tamsayısı negatif";
    QTest::newRow("DER with an INTEGER longer than the order")
        << "ecdsa/DR"
        << "der:30360231" + QString("01") + QString("00").repeated(48) + "020101" << failed
        << "r tamsayısı eğrinin mertebesinden uzun (49 bayt; en çok 48)";
    QTest::newRow("r‖s of the wrong length")
        << "ecdsa/DR"
        << "der:" + QString("11").repeated(95) << failed << "ne DER ne de 96 baytlık r‖s (95 bayt)";
    QTest::newRow("external entity") << "DR"
                                     << "entity" << couldNot << "DOCTYPE";
    QTest::newRow("huge file") << "Y"
                               << "huge" << couldNot << "denetlenemeyecek kadar büyük";
    // Shapes that kept libxml2 and canonicalisation busy for minutes, refused before either reads them.
    QTest::newRow("deep nesting") << "Y"
                                  << "deep" << couldNot << "256 düzey";
    QTest::newRow("many attributes") << "Y"
                                     << "attributes" << couldNot << "256 nitelik";
    QTest::newRow("many namespaces in scope") << "Y"
                                              << "namespaces" << couldNot << "ad alanı";
    QTest::newRow("many elements in many namespaces") << "Y"
                                                      << "elements" << couldNot << "milyon adımı aşıyor";
    QTest::newRow("named pipe") << "Y"
                                << "fifo" << couldNot << "FIFO";
}

void TestVerify::tampering_isCaughtWithReason()
{
    QFETCH(QString, type);
    QFETCH(QString, change);
    QFETCH(int, status);
    QFETCH(QString, reason);
    const QString dir = m_tmp.filePath("tampered-" + QString(QTest::currentDataTag()).replace(' ', '-'));
    const QString set = type.contains('/') ? type.section('/', 0, 0) : QStringLiteral("march");
    type = type.section('/', -1);
    copyFolder(m_tmp.filePath(set), dir);
    const QString path = dir + '/' + QFileInfo(file(type, set)).fileName();
    QByteArray doc = readAll(path);
    verify::VerifyOptions options = withRoots();
    if (change == "amount") {
        const qsizetype at = doc.indexOf("</gl-cor:amount>") - 4;
        doc[at] = doc[at] == '1' ? '2' : '1';
    } else if (change == "entry") {
        const qsizetype start = doc.indexOf("<gl-cor:entryHeader>", doc.indexOf("<gl-cor:entryHeader>") + 1);
        doc.remove(start, doc.indexOf("<gl-cor:entryHeader>", start + 1) - start);
    } else if (change == "entries type") {
        doc.replace(">journal</gl-cor:entriesType>", ">trialbalance</gl-cor:entriesType>");
    } else if (change == "text space") {
        doc.insert(doc.indexOf("</gl-cor:accountMainDescription>"), ' ');
    } else if (change == "tag space") {
        doc.replace("<gl-cor:entryNumber contextRef=", "<gl-cor:entryNumber  contextRef=");
    } else if (change == "value") {
        flipInside(doc, "<ds:SignatureValue", 0);
    } else if (change == "own value") {
        flipInside(doc, "<ds:SignatureValue Id=", 0);
    } else if (change.startsWith("der:")) {
        const QByteArray value = between(doc, "<ds:SignatureValue Id=", "</ds:SignatureValue>", 0);
        const QByteArray fresh =
            value.left(value.indexOf('>') + 1) + QByteArray::fromHex(change.mid(4).toLatin1()).toBase64();
        doc.replace(value, fresh);
    } else if (change == "unknown method") {
        doc.replace("http://www.w3.org/2001/04/xmldsig-more#rsa-sha256", kUnknownMethod.toLatin1());
    } else if (change == "certificate") {
        const QByteArray gibCertificate =
            between(readAll(file("GIB-YB")), "<ds:X509Certificate>", "</ds:X509Certificate>", 1);
        doc.replace(between(doc, "<ds:X509Certificate>", "</ds:X509Certificate>", 0), gibCertificate);
    } else if (change == "other berat") {
        QFile::remove(dir + '/' + QFileInfo(file("GIB-YB")).fileName());
        writeAll(dir + '/' + QFileInfo(file("YB")).fileName(), readAll(file("YB", "february")));
    } else if (change == "counter") {
        flipInside(doc, "<ds:SignatureValue Id=", 1);
    } else if (change == "unsigned") {
        const qsizetype start = doc.indexOf("  <ds:Signature ");
        doc.remove(start, doc.indexOf("</ds:Signature>\n") + 16 - start);
    } else if (change == "file uri" || change == "http uri") {
        doc.replace("URI=\"\"", change == "file uri" ? "URI=\"file:///etc/passwd\"" : "URI=\"http://127.0.0.1:9/x\"");
    } else if (change == "not xml") {
        doc = "Bu bir e-Defter değil.\n";
    } else if (change == "truncated") {
        doc.truncate(doc.size() / 2);
    } else if (change == "two signatures") {
        const qsizetype start = doc.indexOf("  <ds:Signature ");
        const qsizetype end = doc.indexOf("</ds:Signature>\n") + 16;
        doc.insert(end, doc.mid(start, end - start));
    } else if (change == "sha1") {
        doc.replace("http://www.w3.org/2001/04/xmldsig-more#rsa-sha256", "http://www.w3.org/2000/09/xmldsig#rsa-sha1");
    } else if (change == "entity") {
        // Refused before parsing, whatever it declares: these entities expand to 30 MB.
        QByteArray entities = "<!ENTITY e0 \"lol\">";
        for (int i = 1; i < 8; ++i) {
            entities += QByteArray("<!ENTITY e%1 \"").replace("%1", QByteArray::number(i)) +
                        QByteArray("&e%1;").replace("%1", QByteArray::number(i - 1)).repeated(10) + "\">";
        }
        doc.insert(doc.indexOf("<edefter:"),
                   "<!-- yorum -->\n<!DOCTYPE x [<!ENTITY f SYSTEM \"file:///etc/passwd\">" + entities + "]>\n");
        doc.replace("<edefter:defterraporu ", "<edefter:defterraporu b=\"&e7;&f;\" ");
    } else if (change == "untrusted root") {
        options.rootsFolder = dir + "-roots";
        QDir().mkpath(options.rootsFolder);
        QVERIFY(run("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=Başka Kök", "-days", "1",
                                "-keyout", options.rootsFolder + "/key", "-out", options.rootsFolder + "/root.pem"}));
    } else if (change == "huge") {
        options.maxFileBytes = 4096;
    } else if (change == "elements") {
        // Within every shape limit, yet canonicalising it for the signature takes each element through
        // 200 namespaces: at 20 MB, minutes.
        QByteArray shape = "<w";
        for (int i = 0; i < 200; ++i) {
            shape += " xmlns:n" + QByteArray::number(i) + "=\"u\"";
        }
        doc.insert(doc.indexOf("<gl-cor:accountingEntries>"),
                   shape + ">" + QByteArray("<y/>").repeated(60000) + "</w>");
    } else if (change == "deep" || change == "attributes" || change == "namespaces") {
        const auto attributes = [](const char* prefix, int count) {
            QByteArray out;
            for (int i = 0; i < count; ++i) {
                out += ' ' + QByteArray(prefix) + QByteArray::number(i) + "=\"u\"";
            }
            return out;
        };
        const QByteArray shape = change == "deep" ? QByteArray("<a>").repeated(300) + QByteArray("</a>").repeated(300)
                                 : change == "attributes"
                                     ? "<a" + attributes("b", 300) + "/>"
                                     : "<a" + attributes("xmlns:n", 200) + "><b" + attributes("xmlns:m", 60) + "/></a>";
        doc.insert(doc.indexOf("<gl-cor:accountingEntries>"), shape);
    }
    if (change == "fifo") {
        QFile::remove(path);
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (change != "other berat") {
        writeAll(path, doc);
    }
    QElapsedTimer timer;
    timer.start();
    const verify::VerificationResult r = verify::verifyFile(path, options);
    QVERIFY2(timer.elapsed() < 20000, "a guard against hangs, not a speed test");
    QVERIFY2(int(r.status) == status && r.summary.contains(reason),
             qPrintable(QString("status %1: %2\n%3").arg(int(r.status)).arg(r.summary, r.details.join('\n'))));
}

void TestVerify::folder_listsLedgersWithoutBeratAndBeratsWithoutLedger()
{
    const QString dir = m_tmp.filePath("folder");
    copyFolder(m_tmp.filePath("march"), dir);
    for (const QString type : {"KB", "GIB-KB"}) {
        QVERIFY(QFile::remove(dir + '/' + QFileInfo(file(type)).fileName()));
    }
    const QString orphan = dir + '/' + m_prefix["march"] + "YB-000007.xml";
    QVERIFY(QFile::copy(file("YB"), orphan));

    const verify::FolderResult r = verify::verifyFolder(dir, withRoots());
    QCOMPARE(r.ledgersWithoutBerat, QStringList{dir + '/' + QFileInfo(file("K")).fileName()});
    QCOMPARE(r.beratsWithoutLedger, QStringList{orphan});
    QCOMPARE(r.files.size(), 6);
    QCOMPARE(r.status, verify::Status::Verified);
    // Each ledger is followed by its berats, whose lines say they match it.
    const qsizetype journal =
        std::find_if(r.files.begin(), r.files.end(),
                     [&](const auto& f) { return f.path.endsWith(QFileInfo(file("Y")).fileName()); }) -
        r.files.begin();
    QCOMPARE(r.files.value(journal + 1).summary, "✔ İmza geçerli · Defteriyle eşleşiyor");
    QCOMPARE(r.files.value(journal).summary, "✔ İmza geçerli · Beratıyla eşleşiyor · GİB onaylı");

    // Links that go round in a loop or lead nowhere are named, not skipped without a word.
    QVERIFY(QFile::link(dir + "/loop.xml", dir + "/loop.xml"));
    QVERIFY(QFile::link(dir + "/yok.xml", dir + "/dangling.xml"));
    const verify::FolderResult links = verify::verifyFolder(dir, withRoots());
    QCOMPARE(links.files.size(), 8);
    QCOMPARE(links.status, verify::Status::CouldNotCheck);
    QCOMPARE(links.unreadable.size(), 2);
    QCOMPARE(links.unreadable[0].path, dir + "/dangling.xml");
    QVERIFY2(links.unreadable[1].reason.contains("döngü"), qPrintable(links.unreadable[1].reason));
}

void TestVerify::cancelledOrConcurrent_checksStaySound()
{
    const std::atomic_bool cancel = true;
    const verify::VerificationResult stopped = verify::verifyFile(file("Y"), withRoots(), &cancel);
    QCOMPARE(stopped.status, verify::Status::CouldNotCheck);

    verify::VerificationResult results[3];
    const QString paths[3] = {file("K"), file("Y", "person"), file("GIB-YB")};
    std::thread threads[3];
    for (int i = 0; i < 3; ++i) {
        threads[i] = std::thread([&, i] { results[i] = verify::verifyFile(paths[i], withRoots()); });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (const verify::VerificationResult& r : results) {
        QVERIFY2(r.status == verify::Status::Verified, qPrintable(r.summary));
    }
}

void TestVerify::commandLine_exitCodesAndJson_data()
{
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("statuses");
    QTest::addColumn<int>("sets"); // -1: left to the set check's own tests
    const QString notXml = m_tmp.filePath("not-xml.xml");
    writeAll(notXml, "<a>");
    const QString tampered = m_tmp.filePath("cli") + '/' + QFileInfo(file("DR")).fileName();
    QDir().mkpath(m_tmp.filePath("cli"));
    writeAll(tampered, readAll(file("DR"))
                           .replace("<gl-cor:amount contextRef=\"now\" unitRef=\"try\" decimals=\"INF\">",
                                    "<gl-cor:amount contextRef=\"now\" unitRef=\"try\" decimals=\"INF\">1"));
    const QString uncheckable = m_tmp.filePath("cli") + '/' + QFileInfo(file("KB")).fileName();
    writeAll(
        uncheckable,
        readAll(file("KB")).replace("http://www.w3.org/2001/04/xmldsig-more#rsa-sha256", kUnknownMethod.toLatin1()));
    QTest::newRow("verified folder") << QStringList{m_tmp.filePath("person")} << 0 << QStringList(7, "verified") << -1;
    QTest::newRow("could not check") << QStringList{file("DR"), notXml} << 2
                                     << QStringList{"verified", "could-not-check"} << 0;
    QTest::newRow("an algorithm we cannot check")
        << QStringList{uncheckable, file("DR", "ecdsa")} << 2 << QStringList{"could-not-check", "verified"} << 0;
    const QString looped = m_tmp.filePath("looped");
    QDir().mkpath(looped);
    QFile::copy(file("DR"), looped + '/' + QFileInfo(file("DR")).fileName());
    QFile::link(looped + "/loop.xml", looped + "/loop.xml");
    // The loop cannot be checked (2), and a month with only its defter raporu is an incomplete set (1).
    QTest::newRow("symbolic link loop in a folder")
        << QStringList{looped} << 1 << QStringList{"verified", "could-not-check"} << 1;
    QDir().mkpath(m_tmp.filePath("empty"));
    QTest::newRow("empty folder") << QStringList{m_tmp.filePath("empty")} << 0 << QStringList() << 0;
    QTest::newRow("failure comes first") << QStringList{notXml, tampered} << 1
                                         << QStringList{"could-not-check", "failed"} << 0;
}

void TestVerify::commandLine_exitCodesAndJson()
{
    QFETCH(QStringList, targets);
    QFETCH(int, exitCode);
    QFETCH(QStringList, statuses);
    QFETCH(int, sets);
    QByteArray out;
    int code = -1;
    QVERIFY(run(VERIFY_TOOL_PATH, QStringList{"--json", "--roots", m_tmp.filePath("roots")} + targets, &out, &code));
    QCOMPARE(code, exitCode);
    const QJsonObject json = QJsonDocument::fromJson(out).object();
    QStringList got;
    for (const QJsonValue& f : json["files"].toArray()) {
        got.append(f["status"].toString());
        if (f["signer"].isObject()) {
            QVERIFY(!f["signer"]["key"].toString().isEmpty() &&
                    !f["signer"]["signatureAlgorithm"].toString().isEmpty());
        }
    }
    QCOMPARE(got, statuses);
    QCOMPARE(json["exitCode"].toInt(), exitCode);
    QVERIFY(json["sets"].isArray());
    if (sets >= 0) {
        QCOMPARE(json["sets"].toArray().size(), sets);
    }
}

QTEST_GUILESS_MAIN(TestVerify)
#include "tst_verify.moc"
