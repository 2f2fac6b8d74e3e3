#include "documents.h"

#include "attachment.h"
#include "text.h"

#include <stdexcept>

namespace ledgergen {

namespace {

void pad(std::string& o, int depth)
{
    o.append(size_t(depth) * 2, ' ');
}

void open(std::string& o, int depth, std::string_view tag)
{
    pad(o, depth);
    o += '<';
    o += tag;
    o += ">\n";
}

void close(std::string& o, int depth, std::string_view tag)
{
    pad(o, depth);
    o += "</";
    o += tag;
    o += ">\n";
}

void startItem(std::string& o, int depth, std::string_view tag, std::string_view attrs)
{
    pad(o, depth);
    o += '<';
    o += tag;
    o += attrs;
    o += '>';
}

void endItem(std::string& o, std::string_view tag)
{
    o += "</";
    o += tag;
    o += ">\n";
}

void text(std::string& o, int depth, std::string_view tag, std::string_view attrs, std::string_view value)
{
    startItem(o, depth, tag, attrs);
    appendEscaped(o, value);
    endItem(o, tag);
}

void amount(std::string& o, int depth, std::string_view tag, std::string_view attrs, int64_t cents)
{
    startItem(o, depth, tag, attrs);
    appendAmount(o, cents);
    endItem(o, tag);
}

void number(std::string& o, int depth, std::string_view tag, std::string_view attrs, uint64_t value, int width = 0)
{
    startItem(o, depth, tag, attrs);
    appendNumber(o, value, width);
    endItem(o, tag);
}

void date(std::string& o, int depth, std::string_view tag, std::string_view attrs, Date d)
{
    startItem(o, depth, tag, attrs);
    appendIsoDate(o, d);
    endItem(o, tag);
}

std::string longDate(Date d)
{
    std::string s;
    appendNumber(s, uint64_t(d.day), 2);
    s += ' ';
    s += turkishMonthName(d.month);
    s += ' ';
    appendNumber(s, uint64_t(d.year));
    return s;
}

struct DocumentType
{
    std::string_view type;
    std::string_view description; // required with "other"
};

DocumentType documentTypeOf(DocKind kind)
{
    switch (kind) {
    case DocKind::SalesInvoice:
    case DocKind::PurchaseInvoice:
    case DocKind::ReturnInvoice:
        return {"invoice", {}};
    case DocKind::Receipt:
        return {"receipt", {}};
    case DocKind::Check:
    case DocKind::OwnCheck:
        return {"check", {}};
    case DocKind::BankStatement:
        return {"other", "Banka Ekstresi"};
    case DocKind::Payroll:
        return {"other", "Ücret Bordrosu İcmali"};
    case DocKind::CardSlip:
        return {"other", "KREDİ KARTI"};
    case DocKind::AccountingVoucher:
        break;
    }
    return {"other", "Muhasebe Fişi"};
}

std::string_view paymentText(Pay pay)
{
    switch (pay) {
    case Pay::Cash:
        return "Nakit";
    case Pay::Card:
        return "Kredi Kartı";
    case Pay::Transfer:
        return "Havale/EFT";
    case Pay::Check:
        return "Çek";
    case Pay::None:
        break;
    }
    return {};
}

// Title-case names as berats print the five tax-detail accounts.
constexpr struct
{
    std::string_view id;
    std::string_view name;
} kTaxAccounts[] = {{"391", "Hesaplanan KDV"},
                    {"191", "İndirilecek KDV"},
                    {"600", "Yurt İçi Satışlar"},
                    {"601", "Yurt Dışı Satışlar"},
                    {"602", "Diğer Gelirler"}};

constexpr std::string_view kRootNamespaces =
    R"( xmlns:edefter="http://www.edefter.gov.tr" xmlns:ds="http://www.w3.org/2000/09/xmldsig#")"
    R"( xmlns:xades="http://uri.etsi.org/01903/v1.3.2#" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance")"
    R"( xsi:schemaLocation="http://www.edefter.gov.tr ../xsd/edefter.xsd">)";

constexpr std::string_view kRootNamespacesCanonical =
    R"( xmlns:ds="http://www.w3.org/2000/09/xmldsig#" xmlns:edefter="http://www.edefter.gov.tr")"
    R"( xmlns:xades="http://uri.etsi.org/01903/v1.3.2#" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance")"
    R"( xsi:schemaLocation="http://www.edefter.gov.tr ../xsd/edefter.xsd">)";

constexpr std::string_view kXbrlStartCanonical =
    R"(  <xbrli:xbrl xmlns:gl-bus="http://www.xbrl.org/int/gl/bus/2006-10-25")"
    R"( xmlns:gl-cor="http://www.xbrl.org/int/gl/cor/2006-10-25" xmlns:gl-muc="http://www.xbrl.org/int/gl/muc/2006-10-25")"
    R"( xmlns:iso4217="http://www.xbrl.org/2003/iso4217" xmlns:iso639="http://www.xbrl.org/2005/iso639")"
    R"( xmlns:link="http://www.xbrl.org/2003/linkbase" xmlns:xbrli="http://www.xbrl.org/2003/instance")"
    R"( xmlns:xlink="http://www.w3.org/1999/xlink">)"
    "\n"
    R"(    <link:schemaRef xlink:href="../xsd/2006-10-25/plt/case-c-b/gl-plt-2006-10-25.xsd" xlink:type="simple">)"
    R"(</link:schemaRef>)"
    "\n";

constexpr std::string_view kXbrlStart =
    R"(  <xbrli:xbrl xmlns:xbrli="http://www.xbrl.org/2003/instance" xmlns:link="http://www.xbrl.org/2003/linkbase")"
    R"( xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:gl-cor="http://www.xbrl.org/int/gl/cor/2006-10-25")"
    R"( xmlns:gl-bus="http://www.xbrl.org/int/gl/bus/2006-10-25" xmlns:gl-muc="http://www.xbrl.org/int/gl/muc/2006-10-25")"
    R"( xmlns:iso4217="http://www.xbrl.org/2003/iso4217" xmlns:iso639="http://www.xbrl.org/2005/iso639">)"
    "\n"
    R"(    <link:schemaRef xlink:type="simple" xlink:href="../xsd/2006-10-25/plt/case-c-b/gl-plt-2006-10-25.xsd"/>)"
    "\n";

} // namespace

Documents::Documents(const Taxpayer& taxpayer, const Chart& chart, const Period& period)
    : m_taxpayer(taxpayer), m_chart(chart), m_period(period), m_year(std::to_string(period.start.year))
{
    for (auto [context, id] : {std::pair{&m_journal, "journal_context"}, std::pair{&m_ledger, "ledger_context"},
                               std::pair{&m_report, "now"}}) {
        context->id = id;
        context->plain = std::string(" contextRef=\"") + id + '"';
        context->money = context->plain + R"( unitRef="try" decimals="INF")";
        context->count = context->plain + R"( unitRef="countable" decimals="INF")";
    }
}

void Documents::prolog(std::string& out, std::string_view stylesheet, std::string_view root, bool standaloneNo) const
{
    // Declaration and stylesheet instruction on one line, byte for byte as real files carry them.
    out += standaloneNo ? R"(<?xml version="1.0" encoding="UTF-8" standalone="no"?>)"
                        : R"(<?xml version="1.0" encoding="UTF-8"?>)";
    out += R"(<?xml-stylesheet type="text/xsl" href=")";
    out += stylesheet;
    out += "\"?>\n<";
    out += root;
    out += kRootNamespaces;
    out += '\n';
}

void Documents::xbrlStart(std::string& out, const Context& c, std::string_view segment) const
{
    out += kXbrlStart;
    pad(out, 2);
    out += R"(<xbrli:context id=")" + c.id + "\">\n";
    open(out, 3, "xbrli:entity");
    text(out, 4, "xbrli:identifier", R"( scheme="http://www.gib.gov.tr")", m_taxpayer.id);
    if (!segment.empty()) {
        open(out, 4, "xbrli:segment");
        out += segment;
        close(out, 4, "xbrli:segment");
    }
    close(out, 3, "xbrli:entity");
    open(out, 3, "xbrli:period");
    date(out, 4, "xbrli:instant", {}, m_period.created);
    close(out, 3, "xbrli:period");
    close(out, 2, "xbrli:context");
    out += "    <xbrli:unit id=\"try\">\n      <xbrli:measure>iso4217:TRY</xbrli:measure>\n    </xbrli:unit>\n"
           "    <xbrli:unit id=\"countable\">\n      <xbrli:measure>xbrli:pure</xbrli:measure>\n    </xbrli:unit>\n";
    open(out, 2, "gl-cor:accountingEntries");
}

void Documents::documentInfo(std::string& out, const Context& c, std::string_view type, std::string_view idPrefix,
                             uint32_t serial, std::string_view comment) const
{
    std::string uniqueId(idPrefix);
    appendNumber(uniqueId, uint64_t(m_period.start.year), 4);
    appendNumber(uniqueId, uint64_t(m_period.start.month), 2);
    appendNumber(uniqueId, serial, 6);
    const std::string headline = longDate(m_period.start) + " - " + longDate(m_period.end) + " arası " +
                                 m_taxpayer.nameDative + " ait " + std::string(comment);

    open(out, 3, "gl-cor:documentInfo");
    text(out, 4, "gl-cor:entriesType", c.plain, type);
    text(out, 4, "gl-cor:uniqueID", c.plain, uniqueId);
    text(out, 4, "gl-cor:language", c.plain, "iso639:tr");
    date(out, 4, "gl-cor:creationDate", c.plain, m_period.created);
    text(out, 4, "gl-bus:creator", c.plain, m_taxpayer.accountant.name);
    text(out, 4, "gl-cor:entriesComment", c.plain, headline);
    date(out, 4, "gl-cor:periodCoveredStart", c.plain, m_period.start);
    date(out, 4, "gl-cor:periodCoveredEnd", c.plain, m_period.end);
    text(out, 4, "gl-bus:sourceApplication", c.plain, m_taxpayer.sourceApplication);
    if (!m_taxpayer.person) { // optional; present in some real files, absent in others
        text(out, 4, "gl-muc:defaultCurrency", c.plain, "iso4217:TRY");
    }
    close(out, 3, "gl-cor:documentInfo");
}

void Documents::entityInformation(std::string& out, const Context& c) const
{
    const Taxpayer& t = m_taxpayer;
    open(out, 3, "gl-cor:entityInformation");
    open(out, 4, "gl-bus:entityPhoneNumber");
    text(out, 5, "gl-bus:phoneNumberDescription", c.plain, "main");
    text(out, 5, "gl-bus:phoneNumber", c.plain, t.phone);
    close(out, 4, "gl-bus:entityPhoneNumber");
    if (!t.fax.empty()) {
        open(out, 4, "gl-bus:entityFaxNumberStructure");
        text(out, 5, "gl-bus:entityFaxNumber", c.plain, t.fax);
        close(out, 4, "gl-bus:entityFaxNumberStructure");
    }
    open(out, 4, "gl-bus:entityEmailAddressStructure");
    text(out, 5, "gl-bus:entityEmailAddress", c.plain, t.email);
    close(out, 4, "gl-bus:entityEmailAddressStructure");
    auto identifier = [&](std::string_view value, std::string_view description) {
        open(out, 4, "gl-bus:organizationIdentifiers");
        text(out, 5, "gl-bus:organizationIdentifier", c.plain, value);
        text(out, 5, "gl-bus:organizationDescription", c.plain, description);
        close(out, 4, "gl-bus:organizationIdentifiers");
    };
    identifier(t.name, t.person ? "Adı Soyadı" : "Kurum Unvanı");
    if (!t.branchNo.empty()) {
        identifier(t.branchNo, "Şube No");
        identifier(t.branchName, "Şube Adı");
    }
    open(out, 4, "gl-bus:organizationAddress");
    text(out, 5, "gl-bus:organizationBuildingNumber", c.plain, t.address.building);
    text(out, 5, "gl-bus:organizationAddressStreet", c.plain, t.address.street);
    text(out, 5, "gl-bus:organizationAddressStreet2", c.plain, t.address.street2);
    text(out, 5, "gl-bus:organizationAddressCity", c.plain, t.address.city);
    text(out, 5, "gl-bus:organizationAddressZipOrPostalCode", c.plain, t.address.zip);
    text(out, 5, "gl-bus:organizationAddressCountry", c.plain, t.address.country);
    close(out, 4, "gl-bus:organizationAddress");
    open(out, 4, "gl-bus:entityWebSite");
    text(out, 5, "gl-bus:webSiteURL", c.plain, t.web);
    close(out, 4, "gl-bus:entityWebSite");
    text(out, 4, "gl-bus:businessDescription", c.plain, t.nace);
    text(out, 4, "gl-bus:fiscalYearStart", c.plain, m_year + "-01-01");
    text(out, 4, "gl-bus:fiscalYearEnd", c.plain, m_year + "-12-31");
    const Accountant& a = t.accountant;
    open(out, 4, "gl-bus:accountantInformation");
    text(out, 5, "gl-bus:accountantName", c.plain, a.name);
    open(out, 5, "gl-bus:accountantAddress");
    text(out, 6, "gl-bus:accountantBuildingNumber", c.plain, a.address.building);
    text(out, 6, "gl-bus:accountantStreet", c.plain, a.address.street);
    text(out, 6, "gl-bus:accountantAddressStreet2", c.plain, a.address.street2);
    text(out, 6, "gl-bus:accountantCity", c.plain, a.address.city);
    text(out, 6, "gl-bus:accountantCountry", c.plain, a.address.country);
    text(out, 6, "gl-bus:accountantZipOrPostalCode", c.plain, a.address.zip);
    close(out, 5, "gl-bus:accountantAddress");
    text(out, 5, "gl-bus:accountantEngagementTypeDescription", c.plain, a.engagement);
    open(out, 5, "gl-bus:accountantContactInformation");
    open(out, 6, "gl-bus:accountantContactPhone");
    text(out, 7, "gl-bus:accountantContactPhoneNumberDescription", c.plain, "main");
    text(out, 7, "gl-bus:accountantContactPhoneNumber", c.plain, a.phone);
    close(out, 6, "gl-bus:accountantContactPhone");
    open(out, 6, "gl-bus:accountantContactFax");
    text(out, 7, "gl-bus:accountantContactFaxNumber", c.plain, a.fax);
    close(out, 6, "gl-bus:accountantContactFax");
    open(out, 6, "gl-bus:accountantContactEmail");
    text(out, 7, "gl-bus:accountantContactEmailAddress", c.plain, a.email);
    close(out, 6, "gl-bus:accountantContactEmail");
    close(out, 5, "gl-bus:accountantContactInformation");
    close(out, 4, "gl-bus:accountantInformation");
    close(out, 3, "gl-cor:entityInformation");
}

void Documents::beginLedger(std::string& out, Book book, uint32_t serial) const
{
    const bool journal = book == Book::Journal;
    const Context& c = journal ? m_journal : m_ledger;
    prolog(out, journal ? "yevmiye.xslt" : "kebir.xslt", "edefter:defter", false);
    xbrlStart(out, c, {});
    documentInfo(out, c, journal ? "journal" : "ledger", journal ? "YEV" : "KEB", serial,
                 journal ? "yevmiye defteri." : "büyük defter.");
    entityInformation(out, c);
}

std::string Documents::documentNumber(const Posting& p) const
{
    std::string s;
    switch (p.doc) {
    case DocKind::SalesInvoice:
        s = m_taxpayer.invoiceSeries + m_year;
        appendNumber(s, p.docNumber, 9);
        break;
    case DocKind::PurchaseInvoice:
    case DocKind::ReturnInvoice:
        s = m_chart.accounts()[p.partner].series + m_year;
        appendNumber(s, p.docNumber, 9);
        break;
    case DocKind::Receipt:
        s = "Z-";
        appendNumber(s, p.docNumber, 4);
        break;
    case DocKind::Check:
    case DocKind::OwnCheck:
        appendNumber(s, p.docNumber, 7);
        break;
    case DocKind::BankStatement:
        s = m_year;
        appendNumber(s, uint64_t(m_period.start.month), 2);
        s += '-';
        appendNumber(s, p.docNumber, 5);
        break;
    case DocKind::AccountingVoucher:
        appendNumber(s, p.voucher, 6);
        break;
    case DocKind::Payroll:
        s = "BRD-" + m_year + '/';
        appendNumber(s, uint64_t(m_period.start.month), 2);
        break;
    case DocKind::CardSlip:
        appendNumber(s, p.docNumber, 8);
        break;
    }
    return s;
}

void Documents::lineComment(std::string& out, const Posting& p) const
{
    const PostingAccount& account = m_chart.accounts()[p.account];
    const std::string_view partner =
        p.partner >= 0 ? std::string_view(m_chart.accounts()[p.partner].subName) : std::string_view();
    const std::string_view month = turkishMonthName(m_period.start.month);
    auto put = [&out](std::string_view s) {
        appendEscaped(out, s);
    };
    switch (p.note) {
    case Note::CustomerInvoice:
    case Note::SupplierInvoice:
        put(partner);
        put(" - ");
        put(documentNumber(p));
        put(" nolu fatura");
        break;
    case Note::GoodsSold:
        put("Mal satışı");
        break;
    case Note::ServiceSold:
        put("Hizmet satışı");
        break;
    case Note::GoodsBought:
        put(account.subName);
        put(" alışı");
        break;
    case Note::Vat:
        put(documentNumber(p));
        put(" KDV");
        break;
    case Note::Retail:
        put("Perakende satışlar - ");
        put(documentNumber(p));
        break;
    case Note::Export:
        put("İhracat - ");
        put(partner);
        break;
    case Note::OtherIncome:
    case Note::Expense:
        put(account.subName);
        put(" - ");
        put(documentNumber(p));
        break;
    case Note::Return:
        put("Satış iadesi - ");
        put(partner);
        break;
    case Note::Collection:
        put(partner);
        put(" havale/EFT tahsilatı");
        break;
    case Note::Payment:
        put(partner);
        put(" ödemesi");
        break;
    case Note::CheckReceived:
        put(partner);
        put(" çeki");
        break;
    case Note::CheckGiven:
        put(partner);
        put(" adına keşide edilen çek");
        break;
    case Note::BankFee:
        put("EFT/havale masrafı");
        break;
    case Note::CashDeposit:
        put("Kasadan bankaya yatırılan");
        break;
    case Note::CardSettlement:
        put("Kredi kartı slip tahsilatı");
        break;
    case Note::PosSlip:
        put("POS tahsilatı, slip no ");
        appendNumber(out, p.aux, 6);
        break;
    case Note::Interest:
        put("Vadeli mevduat faizi");
        break;
    case Note::SalaryPaid:
        put(turkishMonthName(m_period.start.month == 1 ? 12 : m_period.start.month - 1));
        put(" ayı net ücret ödemesi");
        break;
    case Note::Payroll:
        put(month);
        put(" ");
        put(m_year);
        put(" ücret bordrosu");
        break;
    case Note::VatOffset:
        put(month);
        put(" ayı KDV mahsubu");
        break;
    case Note::None:
        break;
    }
}

void Documents::detail(std::string& o, const Context& c, const Posting& p) const
{
    const PostingAccount& account = m_chart.accounts()[p.account];
    const MainAccount& main = m_chart.mains()[account.main];
    const Date posted = dayOfPeriod(p.day);
    const Date documentDate{m_period.start.year, m_period.start.month, p.docDay};
    const DocumentType type = documentTypeOf(p.doc);

    open(o, 4, "gl-cor:entryDetail");
    number(o, 5, "gl-cor:lineNumber", c.plain, p.lineNumber);
    number(o, 5, "gl-cor:lineNumberCounter", c.count, p.counter);
    open(o, 5, "gl-cor:account");
    text(o, 6, "gl-cor:accountMainID", c.plain, main.id);
    text(o, 6, "gl-cor:accountMainDescription", c.plain, main.name);
    if (!account.subId.empty()) {
        open(o, 6, "gl-cor:accountSub");
        text(o, 7, "gl-cor:accountSubDescription", c.plain, account.subName);
        text(o, 7, "gl-cor:accountSubID", c.plain, account.subId);
        close(o, 6, "gl-cor:accountSub");
    }
    close(o, 5, "gl-cor:account");
    amount(o, 5, "gl-cor:amount", c.money, p.cents);
    text(o, 5, "gl-cor:debitCreditCode", c.plain, p.dc == Dc::Debit ? "D" : "C");
    date(o, 5, "gl-cor:postingDate", c.plain, posted);
    text(o, 5, "gl-cor:documentType", c.plain, type.type);
    if (!type.description.empty()) {
        text(o, 5, "gl-cor:documentTypeDescription", c.plain, type.description);
    }
    text(o, 5, "gl-cor:documentNumber", c.plain, documentNumber(p));
    number(o, 5, "gl-cor:documentReference", c.plain, p.voucher, 6);
    date(o, 5, "gl-cor:documentDate", c.plain, documentDate);
    if (p.pay != Pay::None) {
        text(o, 5, "gl-bus:paymentMethod", c.plain, paymentText(p.pay));
    }
    if (p.note != Note::None) {
        startItem(o, 5, "gl-cor:detailComment", c.plain);
        lineComment(o, p);
        endItem(o, "gl-cor:detailComment");
    }
    if (p.doc == DocKind::Check || p.doc == DocKind::OwnCheck) {
        if (p.aux > 0) {
            date(o, 5, "gl-cor:maturityDate", c.plain, addDays(documentDate, int(p.aux)));
        }
    }
    if (p.quantity > 0) {
        open(o, 5, "gl-bus:measurable");
        text(o, 6, "gl-bus:measurableCode", c.plain, "NT");
        text(o, 6, "gl-bus:measurableCodeDescription", c.plain, "Stok");
        number(o, 6, "gl-bus:measurableQuantity", c.count, p.quantity);
        text(o, 6, "gl-bus:measurableUnitOfMeasure", c.plain, account.unit.empty() ? "Adet" : account.unit);
        amount(o, 6, "gl-bus:measurableCostPerUnit", c.money, p.cents / p.quantity);
        close(o, 5, "gl-bus:measurable");
    }
    close(o, 4, "gl-cor:entryDetail");
}

void Documents::entryComment(std::string& out, const Entry& e) const
{
    const std::string_view partner =
        e.partner >= 0 ? std::string_view(m_chart.accounts()[e.partner].subName) : std::string_view();
    const std::string_view month = turkishMonthName(m_period.start.month);
    auto put = [&out](std::string_view s) {
        appendEscaped(out, s);
    };
    switch (e.kind) {
    case EntryKind::Sale:
        put(partner);
        put(" satış faturası");
        break;
    case EntryKind::Retail:
        put("Perakende satışlar (Z raporu)");
        break;
    case EntryKind::Export:
        put(partner);
        put(" ihracat faturası");
        break;
    case EntryKind::OtherIncome:
        put("Diğer gelir faturası - ");
        put(partner);
        break;
    case EntryKind::SalesReturn:
        put(partner);
        put(" satış iadesi");
        break;
    case EntryKind::Purchase:
        put(partner);
        put(" mal alış faturası");
        break;
    case EntryKind::Expense:
        put(partner);
        put(" gider faturası");
        break;
    case EntryKind::CustomerCollection:
        put(partner);
        put(" tahsilatı");
        break;
    case EntryKind::CheckCollection:
        put(partner);
        put(" çek tahsilatı");
        break;
    case EntryKind::SupplierPayment:
        put(partner);
        put(" ödemesi");
        break;
    case EntryKind::CheckPayment:
        put(partner);
        put(" çek ile ödeme");
        break;
    case EntryKind::BankFee:
        put("Banka masrafları");
        break;
    case EntryKind::CashDeposit:
        put("Kasadan bankaya para yatırma");
        break;
    case EntryKind::CardSettlement:
        put("Kredi kartı slip tahsilatı");
        break;
    case EntryKind::Interest:
        put("Mevduat faiz geliri");
        break;
    case EntryKind::PosBatch:
        put(dottedDate(dayOfPeriod(e.day)));
        put(" POS tahsilatları");
        break;
    case EntryKind::SalaryPayment:
        put(turkishMonthName(m_period.start.month == 1 ? 12 : m_period.start.month - 1));
        put(" ayı ücret ödemesi");
        break;
    case EntryKind::SalaryAccrual:
        put(month);
        put(" ayı ücret tahakkuku");
        break;
    case EntryKind::VatOffset:
        put(month);
        put(" ayı KDV mahsubu");
        break;
    }
}

void Documents::journalEntry(std::string& o, const Entry& e) const
{
    const Context& c = m_journal;
    open(o, 3, "gl-cor:entryHeader");
    text(o, 4, "gl-cor:enteredBy", c.plain, m_taxpayer.clerks[e.clerk]);
    date(o, 4, "gl-cor:enteredDate", c.plain, dayOfPeriod(e.day));
    number(o, 4, "gl-cor:entryNumber", c.plain, e.voucher, 6);
    if (e.commented) {
        startItem(o, 4, "gl-cor:entryComment", c.plain);
        entryComment(o, e);
        endItem(o, "gl-cor:entryComment");
    }
    amount(o, 4, "gl-bus:totalDebit", c.money, e.debitTotal());
    amount(o, 4, "gl-bus:totalCredit", c.money, e.creditTotal());
    number(o, 4, "gl-cor:entryNumberCounter", c.count, e.counter);
    for (const Posting& p : e.lines) {
        detail(o, c, p);
    }
    close(o, 3, "gl-cor:entryHeader");
}

void Documents::ledgerBlockStart(std::string& o, const Posting* first, const Posting* last) const
{
    int64_t movement = 0;
    for (const Posting* p = first; p != last; ++p) {
        movement += p->dc == Dc::Debit ? p->cents : -p->cents;
    }
    // Kebir headers carry the period's net movement on one side and zero on the other.
    open(o, 3, "gl-cor:entryHeader");
    amount(o, 4, "gl-bus:totalDebit", m_ledger.money, movement > 0 ? movement : 0);
    amount(o, 4, "gl-bus:totalCredit", m_ledger.money, movement < 0 ? -movement : 0);
}

void Documents::ledgerBlockEnd(std::string& o) const
{
    close(o, 3, "gl-cor:entryHeader");
}

void Documents::endLedger(std::string& out, std::string_view extensions) const
{
    close(out, 2, "gl-cor:accountingEntries");
    close(out, 1, "xbrli:xbrl");
    if (!extensions.empty()) {
        out += extensionsOpen();
        out += extensions;
        out += extensionsClose();
    }
}

void Documents::finish(std::string& out, std::string_view root, const SignatureData& signature,
                       const SignatureData* counterSignature)
{
    appendSignature(out, 1, signature, counterSignature);
    out += "</";
    out += root;
    out += ">\n";
}

void Documents::canonicalHead(std::string& out, std::string_view written)
{
    // Canonical form drops the XML declaration and keeps the stylesheet instruction.
    const size_t declarationEnd = written.find("?>");
    std::string_view rest = written.substr(declarationEnd + 2);
    for (auto [from, to] :
         {std::pair{kRootNamespaces, kRootNamespacesCanonical}, std::pair{kXbrlStart, kXbrlStartCanonical}}) {
        const size_t at = rest.find(from);
        if (at == std::string_view::npos) {
            throw std::logic_error("canonicalHead: unexpected head");
        }
        out += rest.substr(0, at);
        out += to;
        rest = rest.substr(at + from.size());
    }
    out += rest;
}

size_t Documents::headLength(std::string_view written)
{
    return written.find(kXbrlStart) + kXbrlStart.size();
}

std::string Documents::attachment(const Entry& e) const
{
    const Posting& first = e.lines.front();
    const std::string number = documentNumber(first);
    const int64_t total = e.debitTotal();
    const bool issuedByPartner = e.partner >= 0 && (e.kind == EntryKind::Purchase || e.kind == EntryKind::Expense ||
                                                    e.kind == EntryKind::SalesReturn);
    std::vector<std::string> lines = {"FATURA",
                                      "Fatura No: " + number,
                                      "Tarih: " + dottedDate({m_period.start.year, m_period.start.month, first.docDay}),
                                      "Duzenleyen: " + (issuedByPartner ? m_chart.name(e.partner) : m_taxpayer.name),
                                      "Genel Toplam: " + amountText(total) + " TRY",
                                      "Yevmiye Madde No: " + std::to_string(e.counter)};
    std::string out = "    <extension Id=\"EK-";
    appendNumber(out, e.counter, 6);
    // Attributes in canonical order, so that the document digest can be taken from the written bytes.
    out += "\">\n      <defterek:binaryObject xmlns:defterek=\"http://www.edefter.gov.tr/ek\" "
           "encodingCode=\"Base64\" filename=\"";
    appendEscaped(out, number);
    out += ".pdf\" mimeCode=\"application/pdf\">";
    appendBase64(out, makePdf(lines), true);
    out += "</defterek:binaryObject>\n    </extension>\n";
    return out;
}

void Documents::berat(std::string& o, const BeratInput& in, bool approved) const
{
    const bool journal = in.book == Book::Journal;
    const Context& c = journal ? m_journal : m_ledger;
    std::string segment;
    if (journal) {
        number(segment, 5, "gl-bus:numberOfEntries", c.plain + R"( unitRef="countable")", in.entries);
    }
    text(segment, 5, "gl-cor:uniqueID", c.plain, in.guid);
    // The ledger file's size in MiB, rounded to two places.
    const uint64_t hundredths = (in.ledgerBytes * 100 + 524288) / 1048576;
    startItem(segment, 5, "gl-bus:measurableQuantity", c.plain + R"( unitRef="countable")");
    appendAmount(segment, int64_t(hundredths));
    endItem(segment, "gl-bus:measurableQuantity");

    prolog(o, "berat.xslt", "edefter:berat", approved);
    xbrlStart(o, c, segment);
    documentInfo(o, c, journal ? "journal" : "ledger", journal ? "YEV" : "KEB", in.serial,
                 journal ? "yevmiye defteri beratı." : "büyük defter beratı.");
    entityInformation(o, c);
    open(o, 3, "gl-cor:entryHeader");
    text(o, 4, "gl-cor:qualifierEntry", c.plain, "standard");
    uint32_t lineNumber = 1;
    for (const auto& tax : kTaxAccounts) {
        const AccountTotals& totals = (*in.totals)[m_chart.mainIndex(tax.id)];
        for (Dc dc : {Dc::Debit, Dc::Credit}) {
            open(o, 4, "gl-cor:entryDetail");
            number(o, 5, "gl-cor:lineNumber", c.plain, lineNumber++);
            open(o, 5, "gl-cor:account");
            text(o, 6, "gl-cor:accountMainID", c.plain, tax.id);
            text(o, 6, "gl-cor:accountMainDescription", c.plain, tax.name);
            close(o, 5, "gl-cor:account");
            amount(o, 5, "gl-cor:amount", c.money, dc == Dc::Debit ? totals.debit : totals.credit);
            text(o, 5, "gl-cor:debitCreditCode", c.plain, dc == Dc::Debit ? "D" : "C");
            open(o, 5, "gl-cor:xbrlInfo");
            text(o, 6, "gl-cor:xbrlInclude", c.plain, "period_change");
            close(o, 5, "gl-cor:xbrlInfo");
            close(o, 4, "gl-cor:entryDetail");
        }
    }
    close(o, 3, "gl-cor:entryHeader");
    close(o, 2, "gl-cor:accountingEntries");
    close(o, 1, "xbrli:xbrl");
    pad(o, 1);
    o += "<ds:SignatureValue>";
    o += in.ledgerSignatureValue;
    o += "</ds:SignatureValue>\n";
}

void Documents::report(std::string& o, uint32_t serial, const std::vector<AccountTotals>& totals,
                       std::string_view guid) const
{
    const Context& c = m_report;
    std::string segment;
    text(segment, 5, "gl-cor:uniqueID", c.plain, guid);
    prolog(o, "defterraporu.xslt", "edefter:defterraporu", false);
    xbrlStart(o, c, segment);
    documentInfo(o, c, "trialbalance", "EDR", serial, "Berat (Defter Raporu).");
    entityInformation(o, c);
    open(o, 3, "gl-cor:entryHeader");
    text(o, 4, "gl-cor:qualifierEntry", c.plain, "standard");
    uint32_t lineNumber = 1;
    for (size_t i = 0; i < totals.size(); ++i) {
        const AccountTotals& t = totals[i];
        if (t.debitCount + t.creditCount == 0) {
            continue;
        }
        const MainAccount& main = m_chart.mains()[i];
        for (Dc dc : {Dc::Debit, Dc::Credit}) {
            open(o, 4, "gl-cor:entryDetail");
            number(o, 5, "gl-cor:lineNumber", c.plain, lineNumber++);
            open(o, 5, "gl-cor:account");
            text(o, 6, "gl-cor:accountMainID", c.plain, main.id);
            text(o, 6, "gl-cor:accountMainDescription", c.plain, main.name);
            close(o, 5, "gl-cor:account");
            amount(o, 5, "gl-cor:amount", c.money, dc == Dc::Debit ? t.debit : t.credit);
            text(o, 5, "gl-cor:debitCreditCode", c.plain, dc == Dc::Debit ? "D" : "C");
            number(o, 5, "gl-cor:documentApplyToNumber", c.plain, dc == Dc::Debit ? t.debitCount : t.creditCount);
            open(o, 5, "gl-cor:xbrlInfo");
            text(o, 6, "gl-cor:xbrlInclude", c.plain, "period_change");
            close(o, 5, "gl-cor:xbrlInfo");
            close(o, 4, "gl-cor:entryDetail");
        }
    }
    close(o, 3, "gl-cor:entryHeader");
    close(o, 2, "gl-cor:accountingEntries");
    close(o, 1, "xbrli:xbrl");
}

} // namespace ledgergen
