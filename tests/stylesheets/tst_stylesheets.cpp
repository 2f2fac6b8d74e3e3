// The four ledger stylesheets, applied with plain libxslt to hand-written ledgers and to ledgers
// from ledgergen; the HTML is checked against the source with XPath.
#include "htmlcheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <libxml/tree.h>

using htmlcheck::Document;
using htmlcheck::turkishAmount;
using htmlcheck::turkishDate;

namespace {

const QString entryHeaders = QStringLiteral("/*/xbrli:xbrl/cor:accountingEntries/cor:entryHeader");
const QString isDebit =
    QStringLiteral("normalize-space(cor:debitCreditCode)='D' or normalize-space(cor:debitCreditCode)='debit'");
const QString isCredit =
    QStringLiteral("normalize-space(cor:debitCreditCode)='C' or normalize-space(cor:debitCreditCode)='credit'");

QString classIs(const QString& name)
{
    return QStringLiteral("contains(concat(' ', normalize-space(@class), ' '), ' %1 ')").arg(name);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The stylesheet a ledger names is chosen by its root element and entries type, as for real files.
QString stylesheetFor(const Document& ledger)
{
    const QString root = ledger.text(QStringLiteral("local-name(/*)"));
    const QString type =
        ledger.text(QStringLiteral("/*/xbrli:xbrl/cor:accountingEntries/cor:documentInfo/cor:entriesType"));
    QString name;
    if (root == QLatin1String("berat")) {
        name = QStringLiteral("berat.xslt");
    } else if (root == QLatin1String("defterraporu")) {
        name = QStringLiteral("defterraporu.xslt");
    } else {
        name = type == QLatin1String("ledger") ? QStringLiteral("kebir.xslt") : QStringLiteral("yevmiye.xslt");
    }
    return QStringLiteral(STYLESHEET_DIR "/") + name;
}

struct Rendered
{
    Document ledger;
    Document page;
    QByteArray html;
    QString errors;
};

Rendered render(const QByteArray& text)
{
    Rendered r;
    r.ledger = Document::xml(text);
    if (!r.ledger.isValid()) {
        r.errors = QStringLiteral("ledger is not well-formed");
        return r;
    }
    const auto result = htmlcheck::transform(stylesheetFor(r.ledger), text);
    r.html = result.html;
    r.errors = result.errors;
    r.page = Document::html(result.html);
    return r;
}

double amount(const Document& doc, const QString& xpath, xmlNode* context = nullptr)
{
    return doc.text(xpath, context).toDouble();
}

// "2024-04-20T10:15:30+03:00" -> "20.04.2024 10:15:30 +03:00"
QString turkishDateTime(const QString& iso)
{
    QString zone;
    const QString rest = iso.mid(19);
    if (rest.contains(QLatin1Char('Z'))) {
        zone = QStringLiteral(" UTC");
    } else if (const auto plus = rest.indexOf(QLatin1Char('+')); plus >= 0) {
        zone = QLatin1Char(' ') + rest.mid(plus);
    } else if (const auto minus = rest.indexOf(QLatin1Char('-')); minus >= 0) {
        zone = QLatin1Char(' ') + rest.mid(minus);
    }
    return turkishDate(iso.left(10)) + QLatin1Char(' ') + iso.mid(11, 8) + zone;
}

QString infoValue(const Document& page, const QString& table, const QString& label)
{
    return page.text(QStringLiteral("//table[%1]//tr[normalize-space(th)='%2']/td").arg(classIs(table), label));
}

} // namespace

class TestStylesheets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void everyLedger_rendersCleanlyInTurkishForm_data() { allLedgers(); }
    void everyLedger_rendersCleanlyInTurkishForm();
    void journal_showsEveryEntryAndLineOnceWithTotals_data() { ledgers(QStringLiteral("-Y-")); }
    void journal_showsEveryEntryAndLineOnceWithTotals();
    void kebir_showsRunningBalanceOnEveryLine_data() { ledgers(QStringLiteral("-K-")); }
    void kebir_showsRunningBalanceOnEveryLine();
    void berat_showsSignerTimeAndApproval_data() { ledgers(QStringLiteral("B-")); }
    void berat_showsSignerTimeAndApproval();
    void report_tableAddsUp_data() { ledgers(QStringLiteral("-DR-")); }
    void report_tableAddsUp();
    void faultyLedger_isShownNotHidden_data();
    void faultyLedger_isShownNotHidden();
    void manyGecersizLines_areMarkedInLinearTime();

private:
    void allLedgers() { ledgers(QString()); }
    void ledgers(const QString& typeMark);
    bool generate(const QString& name, const QStringList& arguments);

    QTemporaryDir m_dir;
    QStringList m_files;
};

bool TestStylesheets::generate(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(LEDGERGEN_PATH),
                  QStringList{QStringLiteral("--out"), m_dir.filePath(name)} + arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning() << "ledgergen failed:" << process.readAllStandardError();
        return false;
    }
    const auto found = QDir(m_dir.filePath(name)).entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    for (const auto& info : found) {
        m_files << info.absoluteFilePath();
    }
    return true;
}

void TestStylesheets::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const auto fixtures =
        QDir(QStringLiteral(LEDGER_FIXTURE_DIR)).entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    QVERIFY(!fixtures.isEmpty());
    for (const auto& info : fixtures) {
        m_files << info.absoluteFilePath();
    }
    // Small sets: a company with attachments and one bank account longer than a recursion leaf, a
    // person with a branch, and a month split into parts.
    QVERIFY(generate(QStringLiteral("company"),
                     {"--entries", "25", "--attachments", "2", "--big-account-lines", "70", "--seed", "7"}));
    QVERIFY(generate(QStringLiteral("person"), {"--entries", "12", "--taxpayer", "person", "--branch", "--seed", "8"}));
    QVERIFY(generate(QStringLiteral("split"), {"--entries", "60", "--part-size", "0.06", "--seed", "9"}));
    QVERIFY2(m_files.filter(QStringLiteral("-Y-000002")).size() >= 2, "expected a split month with a second part");
}

void TestStylesheets::ledgers(const QString& typeMark)
{
    QTest::addColumn<QString>("path");
    for (const auto& path : std::as_const(m_files)) {
        const QString name = QFileInfo(path).fileName();
        if (name.contains(typeMark)) {
            QTest::newRow(qPrintable(QFileInfo(QFileInfo(path).path()).fileName() + QLatin1Char('/') + name)) << path;
        }
    }
}

void TestStylesheets::everyLedger_rendersCleanlyInTurkishForm()
{
    QFETCH(QString, path);
    const auto r = render(readFile(path));
    QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors));
    const Document& page = r.page;
    const Document& ledger = r.ledger;
    const QString info = QStringLiteral("/*/xbrli:xbrl/cor:accountingEntries/cor:documentInfo");
    const QString org =
        QStringLiteral("/*/xbrli:xbrl/cor:accountingEntries/cor:entityInformation/bus:organizationIdentifiers");

    // The title names the kind, the taxpayer and the period: it becomes the viewer's caption.
    const QString name = ledger.text(
        org + QStringLiteral("[normalize-space(bus:organizationDescription)='Kurum Unvanı' or "
                             "normalize-space(bus:organizationDescription)='Adı Soyadı']/bus:organizationIdentifier"));
    const QString period = turkishDate(ledger.text(info + QStringLiteral("/cor:periodCoveredStart"))) +
                           QStringLiteral(" – ") +
                           turkishDate(ledger.text(info + QStringLiteral("/cor:periodCoveredEnd")));
    const QString title = page.text(QStringLiteral("/html/head/title"));
    const QString file = QFileInfo(path).fileName();
    const QString kind = file.contains(QLatin1String("-DR-"))  ? QStringLiteral("Defter Raporu")
                         : file.contains(QLatin1String("B-"))  ? QStringLiteral("Beratı")
                         : file.contains(QLatin1String("-K-")) ? QStringLiteral("Büyük Defter")
                                                               : QStringLiteral("Yevmiye Defteri");
    QVERIFY2(title.contains(kind) && title.contains(name) && title.contains(period), qPrintable(title));

    // Taxpayer header: the tax number labelled by its kind, the branch when there is one.
    const QString id = ledger.text(QStringLiteral("/*/xbrli:xbrl/xbrli:context/xbrli:entity/xbrli:identifier"));
    const QString idLabel = id.size() == 11 ? QStringLiteral("TC Kimlik No") : QStringLiteral("Vergi No");
    const QString nameLabel = id.size() == 11 ? QStringLiteral("Adı Soyadı") : QStringLiteral("Kurum Unvanı");
    const QString header = page.count(QStringLiteral("//table[%1]").arg(classIs("kimlik")))
                               ? QStringLiteral("kimlik")
                               : QStringLiteral("mukellef-bilgileri");
    QCOMPARE(infoValue(page, header, idLabel), id);
    QCOMPARE(infoValue(page, header, nameLabel), name);
    const QString branch = ledger.text(
        org + QStringLiteral("[normalize-space(bus:organizationDescription)='Şube Adı']/bus:organizationIdentifier"));
    QCOMPARE(infoValue(page, header, QStringLiteral("Şube")).contains(branch), true);
    QCOMPARE(page.count(QStringLiteral("//table[%1]//tr[normalize-space(th)='Şube']").arg(classIs(header))),
             branch.isEmpty() ? 0 : 1);
    QCOMPARE(page.text(QStringLiteral("//p[%1]").arg(classIs("defter-aciklama"))),
             ledger.text(info + QStringLiteral("/cor:entriesComment")));

    // A valid ledger has no line marked "geçersiz" (the style sheet only names the class).
    QCOMPARE(page.count(QStringLiteral("//body//*[contains(@class, 'gecersiz')]")), 0);

    // No label is left standing without its value.
    QCOMPARE(page.count(QStringLiteral("(//span[@class='e'] | //i)[normalize-space(following-sibling::node()[1])='']")),
             0);
    QCOMPARE(page.count(QStringLiteral("//table[%1 or %2]//tr[th][normalize-space(td)='']")
                            .arg(classIs("bilgi"), classIs("kimlik"))),
             0);

    // Amounts as 1.234.567,89 (a kebir balance with its side), dates as 31.01.2025.
    static const QRegularExpression amountForm(QStringLiteral("^\\d{1,3}(\\.\\d{3})*,\\d\\d( [BA])?$"));
    // Line cells carry no classes (big ledgers stay small), so amounts are found by column.
    const QString amounts =
        QStringLiteral("//td[%1] | //tr[%2]/td[position() >= 5] | //tbody[@class='satirlar']/tr/td[position() >= 5]")
            .arg(classIs("tutar"), classIs("satir"));
    for (xmlNode* cell : page.nodes(QStringLiteral("(%1)[normalize-space()!='']").arg(amounts))) {
        const QString value = page.text(QStringLiteral("."), cell);
        QVERIFY2(amountForm.match(value).hasMatch(), qPrintable(value));
    }
    static const QRegularExpression dateForm(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4}$"));
    for (xmlNode* cell :
         page.nodes(QStringLiteral("//tr[@class='madde-basi']/td[2] | //tbody[@class='satirlar']/tr/td[1]"))) {
        const QString value = page.text(QStringLiteral("."), cell);
        QVERIFY2(dateForm.match(value).hasMatch(), qPrintable(value));
    }

    // Attachments and certificates never appear; signature values only on a berat.
    for (xmlNode* blob : ledger.nodes(QStringLiteral("//*[local-name()='binaryObject'] | //ds:X509Certificate"))) {
        const QByteArray text = ledger.text(QStringLiteral("."), blob).toUtf8();
        QVERIFY(!text.isEmpty());
        QVERIFY2(!r.html.contains(text.left(40)), "an attachment or certificate leaked into the page");
    }
    if (!file.contains(QLatin1String("B-"))) {
        const QByteArray signature = ledger.text(QStringLiteral("/*/ds:Signature/ds:SignatureValue")).toUtf8();
        QVERIFY(!signature.isEmpty());
        QVERIFY(!r.html.contains(signature.left(40)));
    }
}

void TestStylesheets::journal_showsEveryEntryAndLineOnceWithTotals()
{
    QFETCH(QString, path);
    const auto r = render(readFile(path));
    QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors));
    const auto entries = r.ledger.nodes(entryHeaders);
    const auto shown = r.page.nodes(QStringLiteral("//tr[@class='madde']"));
    QCOMPARE(shown.size(), entries.size());

    double debit = 0;
    double credit = 0;
    int lineCount = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        xmlNode* entry = entries[i];
        xmlNode* row = shown[i];
        QCOMPARE(r.page.text(QStringLiteral(".//tr[@class='madde-basi']/td[1]"), row),
                 r.ledger.text(QStringLiteral("cor:entryNumberCounter"), entry));
        QCOMPARE(r.page.text(QStringLiteral(".//tr[@class='madde-basi']/td[2]"), row),
                 turkishDate(r.ledger.text(QStringLiteral("cor:enteredDate"), entry)));
        const QString voucher = r.ledger.text(QStringLiteral("cor:entryNumber"), entry);
        QCOMPARE(r.page.text(QStringLiteral(".//tr[@class='madde-basi']/td[4]"), row),
                 voucher.isEmpty() ? QString() : QStringLiteral("Fiş No: ") + voucher);
        QCOMPARE(r.page.text(QStringLiteral(".//tr[@class='madde-basi']/td[3]"), row),
                 r.ledger.text(QStringLiteral("cor:entryComment"), entry));

        const auto lines = r.ledger.nodes(QStringLiteral("cor:entryDetail"), entry);
        const auto lineRows = r.page.nodes(QStringLiteral(".//tr[%1]").arg(classIs("satir")), row);
        QCOMPARE(lineRows.size(), lines.size());
        for (size_t j = 0; j < lines.size(); ++j) {
            xmlNode* line = lines[j];
            const bool isDebitLine = r.ledger.count(QStringLiteral("self::*[%1]").arg(isDebit), line) == 1;
            const double value = amount(r.ledger, QStringLiteral("cor:amount"), line);
            (isDebitLine ? debit : credit) += value;
            // Cells: (madde and date, spanned), code, name, explanation, debit, credit.
            QCOMPARE(r.page.text(QStringLiteral("td[2]"), lineRows[j]),
                     r.ledger.text(QStringLiteral("cor:account/cor:accountMainID"), line));
            QCOMPARE(r.page.text(QStringLiteral("td[5]"), lineRows[j]), isDebitLine ? turkishAmount(value) : QString());
            QCOMPARE(r.page.text(QStringLiteral("td[6]"), lineRows[j]), isDebitLine ? QString() : turkishAmount(value));
            const QString sub = r.ledger.text(QStringLiteral("cor:account/cor:accountSub/cor:accountSubID"), line);
            if (!sub.isEmpty()) {
                QCOMPARE(r.page.text(QStringLiteral("following-sibling::tr[1][not(@class)]/td[2]"), lineRows[j]), sub);
            }
        }
        lineCount += int(lines.size());
    }
    QCOMPARE(r.page.count(QStringLiteral("//tr[%1]").arg(classIs("satir"))), lineCount);
    const QString totals = QStringLiteral("//tbody[@class='toplamlar']/tr[@class='genel-toplam']");
    QCOMPARE(r.page.text(totals + QStringLiteral("/td[%1]").arg(classIs("borc"))), turkishAmount(debit));
    QCOMPARE(r.page.text(totals + QStringLiteral("/td[%1]").arg(classIs("alacak"))), turkishAmount(credit));
    QCOMPARE(r.page.count(QStringLiteral("//tr[@class='fark']")), 0);
}

void TestStylesheets::kebir_showsRunningBalanceOnEveryLine()
{
    QFETCH(QString, path);
    const auto r = render(readFile(path));
    QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors));
    const auto blocks = r.ledger.nodes(entryHeaders);
    const auto shown = r.page.nodes(QStringLiteral("//tr[%1]").arg(classIs("hesap")));
    QCOMPARE(shown.size(), blocks.size());

    double allDebit = 0;
    double allCredit = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const auto lines = r.ledger.nodes(QStringLiteral("cor:entryDetail"), blocks[i]);
        const auto rows = r.page.nodes(QStringLiteral(".//tbody[@class='satirlar']/tr"), shown[i]);
        QCOMPARE(rows.size(), lines.size());
        QVERIFY(r.page.text(QStringLiteral(".//tr[@class='hesap-basi']"), shown[i])
                    .startsWith(
                        r.ledger.text(QStringLiteral("cor:entryDetail[1]/cor:account/cor:accountMainID"), blocks[i])));
        double debit = 0;
        double credit = 0;
        for (size_t j = 0; j < lines.size(); ++j) {
            const bool isDebitLine = r.ledger.count(QStringLiteral("self::*[%1]").arg(isDebit), lines[j]) == 1;
            (isDebitLine ? debit : credit) += amount(r.ledger, QStringLiteral("cor:amount"), lines[j]);
            const QString where = QStringLiteral("block %1 line %2").arg(i + 1).arg(j + 1);
            // Cells: date, madde no, voucher, explanation, debit, credit, cumulative debit and credit, balance.
            QCOMPARE(r.page.text(QStringLiteral("td[2]"), rows[j]),
                     r.ledger.text(QStringLiteral("cor:lineNumberCounter"), lines[j]));
            QVERIFY2(r.page.text(QStringLiteral("td[7]"), rows[j]) == turkishAmount(debit), qPrintable(where));
            QVERIFY2(r.page.text(QStringLiteral("td[8]"), rows[j]) == turkishAmount(credit), qPrintable(where));
            const double net = debit - credit;
            const QString balance = std::llround(net * 100) == 0 ? QStringLiteral("0,00")
                                    : net > 0                    ? turkishAmount(net) + QStringLiteral(" B")
                                                                 : turkishAmount(-net) + QStringLiteral(" A");
            QVERIFY2(r.page.text(QStringLiteral("td[9]"), rows[j]) == balance, qPrintable(where));
        }
        const QString foot = QStringLiteral(".//tr[@class='hesap-toplami']/td[%1]");
        QCOMPARE(r.page.text(foot.arg(classIs("borc")), shown[i]), turkishAmount(debit));
        QCOMPARE(r.page.text(foot.arg(classIs("alacak")), shown[i]), turkishAmount(credit));
        QCOMPARE(r.page.count(QStringLiteral(".//tr[@class='kayitli-bakiye']"), shown[i]), 0);
        allDebit += debit;
        allCredit += credit;
    }
    const QString totals = QStringLiteral("//tbody[@class='toplamlar']/tr[@class='genel-toplam']/td[%1]");
    QCOMPARE(r.page.text(totals.arg(classIs("borc"))), turkishAmount(allDebit));
    QCOMPARE(r.page.text(totals.arg(classIs("alacak"))), turkishAmount(allCredit));
}

void TestStylesheets::berat_showsSignerTimeAndApproval()
{
    QFETCH(QString, path);
    const auto r = render(readFile(path));
    QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors));
    const QString signature = QStringLiteral("/*/ds:Signature");
    const QString signedProperties = QStringLiteral("/ds:Object/xades:QualifyingProperties/xades:SignedProperties/"
                                                    "xades:SignedSignatureProperties");
    QCOMPARE(infoValue(r.page, QStringLiteral("imza"), QStringLiteral("İmzalayan")),
             r.ledger.text(signature + QStringLiteral("/ds:KeyInfo/ds:X509Data/ds:X509SubjectName")));
    QCOMPARE(infoValue(r.page, QStringLiteral("imza"), QStringLiteral("İmza Zamanı")),
             turkishDateTime(r.ledger.text(signature + signedProperties + QStringLiteral("/xades:SigningTime"))));
    QCOMPARE(r.page.text(QStringLiteral("//p[%1]").arg(classIs("defter-imzasi"))),
             r.ledger.text(QStringLiteral("/*/ds:SignatureValue")).remove(QLatin1Char(' ')));

    const QString counter =
        signature + QStringLiteral("/ds:Object/xades:QualifyingProperties/xades:UnsignedProperties//"
                                   "xades:CounterSignature/ds:Signature");
    const bool approved = r.ledger.count(counter) == 1;
    QCOMPARE(QFileInfo(path).fileName().startsWith(QLatin1String("GIB-")), approved);
    const QString status = infoValue(r.page, QStringLiteral("gib-onayi"), QStringLiteral("Onay Durumu"));
    if (approved) {
        QVERIFY2(status.startsWith(QStringLiteral("Onaylı")), qPrintable(status));
        QCOMPARE(infoValue(r.page, QStringLiteral("gib-onayi"), QStringLiteral("Onay Zamanı")),
                 turkishDateTime(r.ledger.text(counter + signedProperties + QStringLiteral("/xades:SigningTime"))));
        QCOMPARE(r.page.text(QStringLiteral("//*[%1]").arg(classIs("gib-imzasi"))),
                 r.ledger.text(counter + QStringLiteral("/ds:SignatureValue")).remove(QLatin1Char(' ')));
        QVERIFY(r.page.text(QStringLiteral("/html/head/title")).startsWith(QStringLiteral("GİB Onaylı")));
    } else {
        QVERIFY2(status.contains(QStringLiteral("GİB onayı yok")), qPrintable(status));
        QCOMPARE(r.page.count(QStringLiteral("//*[%1]").arg(classIs("gib-imzasi"))), 0);
    }

    const QString entries = r.ledger.text(QStringLiteral("//xbrli:segment/bus:numberOfEntries"));
    QCOMPARE(infoValue(r.page, QStringLiteral("dokuman"), QStringLiteral("Yevmiye Maddesi Sayısı")), entries);
    QCOMPARE(infoValue(r.page, QStringLiteral("dokuman"), QStringLiteral("ETTN")),
             r.ledger.text(QStringLiteral("//xbrli:segment/cor:uniqueID")));

    // Tax detail: one row per account, debit and credit lines summed.
    const auto rows = r.page.nodes(QStringLiteral("//tbody[@class='hesaplar']/tr"));
    QSet<QString> accounts;
    for (xmlNode* line : r.ledger.nodes(entryHeaders + QStringLiteral("/cor:entryDetail"))) {
        accounts.insert(r.ledger.text(QStringLiteral("cor:account/cor:accountMainID"), line));
    }
    QCOMPARE(rows.size(), size_t(accounts.size()));
    for (xmlNode* row : rows) {
        const QString code = r.page.text(QStringLiteral("td[@class='kod']"), row);
        const QString lines =
            entryHeaders +
            QStringLiteral("/cor:entryDetail[normalize-space(cor:account/cor:accountMainID)='%1'][%2]/cor:amount");
        QCOMPARE(r.page.text(QStringLiteral("td[%1]").arg(classIs("borc")), row),
                 turkishAmount(amount(r.ledger, QStringLiteral("sum(%1)").arg(lines.arg(code, isDebit)))));
        QCOMPARE(r.page.text(QStringLiteral("td[%1]").arg(classIs("alacak")), row),
                 turkishAmount(amount(r.ledger, QStringLiteral("sum(%1)").arg(lines.arg(code, isCredit)))));
    }
}

void TestStylesheets::report_tableAddsUp()
{
    QFETCH(QString, path);
    const auto r = render(readFile(path));
    QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors));
    const auto rows = r.page.nodes(QStringLiteral("//tbody[@class='hesaplar']/tr[@class='hesap']"));
    QVERIFY(!rows.empty());
    QSet<QString> accounts;
    for (xmlNode* line : r.ledger.nodes(entryHeaders + QStringLiteral("/cor:entryDetail"))) {
        accounts.insert(r.ledger.text(QStringLiteral("cor:account/cor:accountMainID"), line));
    }
    QCOMPARE(rows.size(), size_t(accounts.size()));

    const QString lines =
        entryHeaders + QStringLiteral("/cor:entryDetail[normalize-space(cor:account/cor:accountMainID)='%1'][%2]");
    long long debitCount = 0;
    long long creditCount = 0;
    double debit = 0;
    double credit = 0;
    for (xmlNode* row : rows) {
        const QString code = r.page.text(QStringLiteral("td[@class='kod']"), row);
        const long long dc =
            r.ledger.text(QStringLiteral("sum(%1/cor:documentApplyToNumber)").arg(lines.arg(code, isDebit)))
                .toLongLong();
        const long long cc =
            r.ledger.text(QStringLiteral("sum(%1/cor:documentApplyToNumber)").arg(lines.arg(code, isCredit)))
                .toLongLong();
        const double da = amount(r.ledger, QStringLiteral("sum(%1/cor:amount)").arg(lines.arg(code, isDebit)));
        const double ca = amount(r.ledger, QStringLiteral("sum(%1/cor:amount)").arg(lines.arg(code, isCredit)));
        QCOMPARE(r.page.text(QStringLiteral("td[%1]").arg(classIs("borc-sayisi")), row)
                     .remove(QLatin1Char('.'))
                     .toLongLong(),
                 dc);
        QCOMPARE(r.page.text(QStringLiteral("td[%1]").arg(classIs("alacak-sayisi")), row)
                     .remove(QLatin1Char('.'))
                     .toLongLong(),
                 cc);
        QCOMPARE(r.page.text(QStringLiteral("td[%1]").arg(classIs("borc")), row), turkishAmount(da));
        QCOMPARE(r.page.text(QStringLiteral("td[%1]").arg(classIs("alacak")), row), turkishAmount(ca));
        debitCount += dc;
        creditCount += cc;
        debit += da;
        credit += ca;
    }
    const QString totals = QStringLiteral("//tbody[@class='toplamlar']/tr/td[%1]");
    QCOMPARE(r.page.text(totals.arg(classIs("borc-sayisi"))).remove(QLatin1Char('.')).toLongLong(), debitCount);
    QCOMPARE(r.page.text(totals.arg(classIs("alacak-sayisi"))).remove(QLatin1Char('.')).toLongLong(), creditCount);
    QCOMPARE(r.page.text(totals.arg(classIs("borc"))), turkishAmount(debit));
    QCOMPARE(r.page.text(totals.arg(classIs("alacak"))), turkishAmount(credit));
}

void TestStylesheets::faultyLedger_isShownNotHidden_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("xpath");
    QTest::addColumn<int>("expected");

    const QString journal = QStringLiteral("4840012345-202403-Y-000000.xml");
    const QString kebir = QStringLiteral("4840012345-202403-K-000000.xml");
    QTest::newRow("other namespace prefixes") << journal << "gl-cor"
                                              << "c"
                                              << "//tr[contains(@class, 'satir')]" << 8;
    QTest::newRow("debit and credit that do not balance")
        << journal << ">2000.00<"
        << ">2100.00<"
        << "//tbody[@class='toplamlar']/tr[@class='fark']/td[contains(@class, 'alacak')][.='100,00']" << 1;
    QTest::newRow("amount that is not a number, shown as written")
        << journal << ">11800<"
        << ">11.800 TL<"
        << "//tr[contains(@class, 'satir')]/td[6][.='11.800 TL']" << 1;
    QTest::newRow("unreadable amount left out of the totals")
        << journal << ">11800<"
        << ">11.800 TL<"
        << "//tbody[@class='toplamlar']/tr[@class='gecersiz']//b[.='1 geçersiz satır toplamlara katılmadı.']" << 1;
    QTest::newRow("recorded account total that disagrees with its lines")
        << kebir << ">10000.00</gl-bus:totalDebit>"
        << ">9000.00</gl-bus:totalDebit>"
        << "//tr[@class='kayitli-bakiye']/td[contains(@class, 'borc')][.='9.000,00']" << 1;
    // Lines that cannot be read one way only: marked, shown as written, and out of the balanced totals.
    const QString berat = QStringLiteral("4840012345-202403-YB-000000.xml");
    const QString report = QStringLiteral("4840012345-202403-DR-000000.xml");
    const QString marked = QStringLiteral("//tr[contains(@class, 'gecersiz')]/td[4]/b[.='geçersiz: %1']");
    QTest::newRow("unknown debit/credit code") << journal << ">debit<"
                                               << ">X<" << marked.arg("borç/alacak kodu \"X\"") << 1;
    QTest::newRow("unknown code unbalances the totals") << journal << ">debit<"
                                                        << ">X<"
                                                        << "//tbody[@class='toplamlar']/tr[@class='fark']" << 1;
    QTest::newRow("third decimal, as written") << journal << ">11800<"
                                               << ">65671.865<"
                                               << "//tr[contains(@class, 'gecersiz')]/td[6][.='65671.865']" << 1;
    QTest::newRow("400 digits, never Infinity")
        << journal << ">11800<"
        << ">1" + QString(400, u'0') + "<"
        << "//b[starts-with(., 'geçersiz: tutar')] | //td[contains(., 'Infinity')]" << 1;
    QTest::newRow("third decimal of zero is exact") << journal << ">11800<"
                                                    << ">11800.000<"
                                                    << "//b[@class='gecersiz']" << 0;
    QTest::newRow("posting date 9999-99-99")
        << journal << ">2024-03-14</gl-cor:postingDate>"
        << ">9999-99-99</gl-cor:postingDate>" << marked.arg("takvimde olmayan tarih") << 2;
    QTest::newRow("entry dated 30 February marks its lines")
        << journal << ">2024-03-31</gl-cor:enteredDate>"
        << ">2024-02-30</gl-cor:enteredDate>" << marked.arg("takvimde olmayan tarih") << 3;
    QTest::newRow("kebir unknown code") << kebir << ">debit<"
                                        << ">X<" << marked.arg("borç/alacak kodu \"X\"") << 1;
    QTest::newRow("kebir posting date 30 February") << kebir << ">2024-03-05</gl-cor:postingDate>"
                                                    << ">2024-02-30</gl-cor:postingDate>"
                                                    << "//tbody[@class='satirlar']/tr[@class='gecersiz']" << 2;
    QTest::newRow("berat amount with a third decimal") << berat << ">246913.58<"
                                                       << ">246913.585<"
                                                       << "//p[@class='gecersiz']" << 1;
    QTest::newRow("report amount with a third decimal")
        << report << ">1235068.14<"
        << ">1235068.145<"
        << "//p[@class='gecersiz'] | //tbody[@class='toplamlar']/tr[@class='gecersiz']" << 2;
    QTest::newRow("kebir with words for debit and credit") << kebir << ">D<"
                                                           << ">debit<"
                                                           << "//tbody[@class='satirlar']/tr/td[5][.!='']" << 4;
}

void TestStylesheets::faultyLedger_isShownNotHidden()
{
    QFETCH(QString, file);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, xpath);
    QFETCH(int, expected);
    QByteArray text = readFile(QStringLiteral(LEDGER_FIXTURE_DIR "/") + file);
    QVERIFY(text.contains(from.toUtf8()));
    text.replace(from.toUtf8(), to.toUtf8());
    const auto r = render(text);
    QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors));
    QCOMPARE(r.page.count(xpath), expected);
}

// A kebir block of 20,000 lines, every one with an unknown code: each line's test once copied the set
// of such lines, which took minutes. The limit is a guard against that, not a speed test.
void TestStylesheets::manyGecersizLines_areMarkedInLinearTime()
{
    QByteArray text = readFile(QStringLiteral(LEDGER_FIXTURE_DIR "/4840012345-202403-K-000000.xml"));
    const qsizetype begin = text.indexOf("<gl-cor:entryDetail>");
    const qsizetype end = text.indexOf("</gl-cor:entryDetail>", begin) + qsizetype(strlen("</gl-cor:entryDetail>"));
    QByteArray line = text.mid(begin, end - begin);
    line.replace(">debit<", ">X<");
    text.insert(end, line.repeated(20000));
    QElapsedTimer timer;
    timer.start();
    const auto r = render(text);
    QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors));
    QCOMPARE(r.page.count(QStringLiteral("//tbody[@class='satirlar']/tr[@class='gecersiz']")), 20000);
}

QTEST_GUILESS_MAIN(TestStylesheets)
#include "tst_stylesheets.moc"
