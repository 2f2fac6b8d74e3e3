#include "export/tabledocument.h"

#include "common/xmlhandles.h"
#include "ledger/values.h"

#include <QFile>
#include <QFileInfo>

#include <libxml/xmlreader.h>

#include <optional>
#include <string>

namespace ledgerexport {

namespace {

// Wide enough for a year's sums in bold (1.234.567.890,12).
constexpr Column kMizanColumns[] = {
    {"Hesap Kodu", ColumnType::Text, 14},      {"Hesap Adı", ColumnType::Text, 42},
    {"Borç", ColumnType::Amount, 20},          {"Alacak", ColumnType::Amount, 20},
    {"Borç Bakiyesi", ColumnType::Amount, 20}, {"Alacak Bakiyesi", ColumnType::Amount, 20},
};

constexpr Column kEkstreColumns[] = {
    {"Tarih", ColumnType::Date, 12},    {"Madde No", ColumnType::Integer, 11},  {"Fiş No", ColumnType::Text, 10},
    {"Evrak No", ColumnType::Text, 16}, {"Evrak Tarihi", ColumnType::Date, 14}, {"Hesap Kodu", ColumnType::Text, 16},
    {"Açıklama", ColumnType::Text, 44}, {"Borç", ColumnType::Amount, 18},       {"Alacak", ColumnType::Amount, 18},
    {"Bakiye", ColumnType::Amount, 18}, {"B/A", ColumnType::Text, 5},
};

int readFile(void* context, char* buffer, int length)
{
    return int(static_cast<QFile*>(context)->read(buffer, length));
}

struct Document
{
    QFile file;
    common::XmlTextReader reader;

    explicit Document(const QString& path) : file(path)
    {
        if (file.open(QIODevice::ReadOnly)) {
            reader.reset(xmlReaderForIO(readFile, nullptr, &file, nullptr, nullptr, XML_PARSE_NONET | XML_PARSE_HUGE));
        }
    }

    // The next element start; false at the end or on an error.
    bool nextElement()
    {
        int ret = 0;
        while ((ret = xmlTextReaderRead(reader.get())) == 1) {
            if (xmlTextReaderNodeType(reader.get()) == XML_READER_TYPE_ELEMENT) {
                return true;
            }
        }
        failed = ret < 0;
        return false;
    }

    std::string_view name() const { return reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader.get())); }

    // An attribute's text, kept until the next call for the same slot.
    std::string_view attribute(const char* name, std::string& slot) const
    {
        const common::XmlChars value(xmlTextReaderGetAttribute(reader.get(), BAD_CAST name));
        slot = value ? reinterpret_cast<const char*>(value.get()) : "";
        return slot;
    }

    std::string_view text(std::string& slot) const
    {
        const common::XmlChars value(xmlTextReaderReadString(reader.get()));
        slot = value ? reinterpret_cast<const char*>(value.get()) : "";
        return slot;
    }

    bool failed = false;
};

// Amounts are written as ledgers write them; read the same way (never through the C locale).
Value amountOf(std::string_view text)
{
    const std::optional<ledger::Amount> amount = ledger::Amount::parse(text);
    return amount ? Value::ofNumber(amount->toDouble()) : Value::ofText(text);
}

// A line's side that is zero is left empty, as the ledger's own lines show it.
Value unlessZero(const Value& v)
{
    return v.kind == Value::Number && v.number == 0 ? Value{} : v;
}

// A signed amount as the column it belongs to: debit when positive, credit when negative.
void splitSigned(std::string_view amount, Value& debit, Value& credit)
{
    const Value v = amountOf(amount);
    if (v.kind == Value::Number && v.number < 0) {
        credit = Value::ofNumber(-v.number);
    } else if (v.kind == Value::Number && v.number > 0) {
        debit = v;
    }
}

struct Slots
{
    std::string s[11];
};

void mizanRow(Document& d, TableWriter& writer, Slots& k)
{
    const Value row[] = {
        Value::ofText(d.attribute("code", k.s[0])),     Value::ofText(d.attribute("name", k.s[1])),
        amountOf(d.attribute("debit", k.s[2])),         amountOf(d.attribute("credit", k.s[3])),
        amountOf(d.attribute("debit-balance", k.s[4])), amountOf(d.attribute("credit-balance", k.s[5]))};
    const std::string_view level = d.attribute("level", k.s[6]);
    if (level == "class" || level == "group") {
        writer.addBoldRow(row);
    } else {
        writer.addRow(row);
    }
}

void mizanTotal(Document& d, TableWriter& writer, Slots& k)
{
    const Value total[] = {Value{},
                           Value::ofText("Genel Toplam"),
                           amountOf(d.attribute("debit", k.s[2])),
                           amountOf(d.attribute("credit", k.s[3])),
                           amountOf(d.attribute("debit-balance", k.s[4])),
                           amountOf(d.attribute("credit-balance", k.s[5]))};
    writer.addBoldRow(total);
    Value debit, credit;
    splitSigned(d.attribute("difference", k.s[6]), debit, credit);
    if (debit.kind != Value::Empty || credit.kind != Value::Empty) {
        const Value difference[] = {Value{}, Value::ofText("Borç ve alacak farkı"), debit, credit, Value{}, Value{}};
        writer.addBoldRow(difference);
    }
}

// Devir, each line, and the closing row: the first and last carry the balance and are bold.
void ekstreRow(Document& d, TableWriter& writer, Slots& k, std::string_view name)
{
    if (name == "line") {
        const Value row[] = {dateValue(d.attribute("date", k.s[0])),
                             integerValue(d.attribute("entry", k.s[1])),
                             Value::ofText(d.attribute("voucher", k.s[2])),
                             Value::ofText(d.attribute("document-number", k.s[3])),
                             dateValue(d.attribute("document-date", k.s[4])),
                             Value::ofText(d.attribute("account", k.s[5])),
                             Value::ofText(d.text(k.s[6])),
                             unlessZero(amountOf(d.attribute("debit", k.s[7]))),
                             unlessZero(amountOf(d.attribute("credit", k.s[8]))),
                             amountOf(d.attribute("balance", k.s[9])),
                             Value::ofText(d.attribute("side", k.s[10]))};
        writer.addRow(row);
        return;
    }
    const Value row[] = {Value{},
                         Value{},
                         Value{},
                         Value{},
                         Value{},
                         Value{},
                         Value::ofText(name == "opening" ? "Devir" : "Kapanış"),
                         amountOf(d.attribute("debit", k.s[7])),
                         amountOf(d.attribute("credit", k.s[8])),
                         amountOf(d.attribute("balance", k.s[9])),
                         Value::ofText(d.attribute("side", k.s[10]))};
    writer.addBoldRow(row);
}

} // namespace

common::DocumentKind tableDocumentKind(const QString& path)
{
    Document d(path);
    if (!d.reader || !d.nextElement()) {
        return common::DocumentKind::Unknown;
    }
    const xmlChar* ns = xmlTextReaderConstNamespaceUri(d.reader.get());
    const common::DocumentKind kind = common::documentKind(
        QString::fromUtf8(ns ? reinterpret_cast<const char*>(ns) : ""), QString::fromUtf8(d.name()), {});
    return kind == common::DocumentKind::Mizan || kind == common::DocumentKind::Ekstre ? kind
                                                                                       : common::DocumentKind::Unknown;
}

common::Outcome writeTableDocument(const QString& path, common::DocumentKind kind, TableWriter& writer, qint64& rows,
                                   const std::atomic_bool* cancel)
{
    Document d(path);
    if (!d.reader) {
        return common::Outcome::failure(
            QStringLiteral("%1 açılamadı: %2.").arg(QFileInfo(path).fileName(), d.file.errorString()));
    }
    const bool mizan = kind == common::DocumentKind::Mizan;
    if (mizan) {
        writer.beginTable("Mizan", kMizanColumns, false);
    } else {
        writer.beginTable("Hesap Ekstresi", kEkstreColumns, false);
    }
    Slots k;
    while (d.nextElement()) {
        if (cancel && cancel->load()) {
            return common::Outcome::stopped();
        }
        const std::string name(d.name());
        if (mizan && name == "row") {
            mizanRow(d, writer, k);
        } else if (mizan && name == "total") {
            mizanTotal(d, writer, k);
        } else if (!mizan && (name == "line" || name == "opening" || name == "closing")) {
            ekstreRow(d, writer, k, name);
        } else {
            continue;
        }
        ++rows;
    }
    writer.endTable();
    if (d.failed) {
        return common::Outcome::failure(QStringLiteral("%1 okunamadı: XML bozuk.").arg(QFileInfo(path).fileName()));
    }
    return common::Outcome::done();
}

} // namespace ledgerexport
