#include "ledgerset/mizanxml.h"

#include "common/documentkind.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace ledgerset {

using ledger::Amount;

namespace {

QString amountText(Amount amount)
{
    return QString::fromStdString(amount.toString());
}

void writeAmount(QXmlStreamWriter& xml, const QString& name, Amount amount)
{
    xml.writeAttribute(name, amountText(amount));
}

// A balance as its size and side: "B" debit, "A" credit, nothing for zero.
void writeBalance(QXmlStreamWriter& xml, Amount balance)
{
    writeAmount(xml, QStringLiteral("balance"), balance < Amount() ? Amount() - balance : balance);
    xml.writeAttribute(QStringLiteral("side"), balance > Amount()   ? QStringLiteral("B")
                                               : balance < Amount() ? QStringLiteral("A")
                                                                    : QString());
}

void writePeriods(QXmlStreamWriter& xml, const QStringList& periods, const QStringList& missing)
{
    for (const QString& period : periods) {
        xml.writeTextElement(QStringLiteral("period"), period);
    }
    for (const QString& period : missing) {
        xml.writeEmptyElement(QStringLiteral("missing"));
        xml.writeAttribute(QStringLiteral("period"), period);
    }
}

void writeRoot(QXmlStreamWriter& xml, common::DocumentKind kind, const DocumentHeading& heading)
{
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    // Named, as the folder report names its own: the viewer shows a document through the stylesheet it
    // names (found in the program folder), else as a tree; a browser shows it too.
    xml.writeProcessingInstruction(QStringLiteral("xml-stylesheet"),
                                   QStringLiteral("type=\"text/xsl\" href=\"%1\"").arg(common::stylesheetFor(kind)));
    xml.writeDefaultNamespace(QString::fromLatin1(common::kProgramNamespace));
    xml.writeStartElement(
        QString::fromLatin1(kind == common::DocumentKind::Mizan ? common::kMizanRoot : common::kEkstreRoot));
    xml.writeAttribute(QStringLiteral("taxpayer"), heading.taxpayer);
    xml.writeAttribute(QStringLiteral("made"), heading.made.toString(Qt::ISODate));
    xml.writeAttribute(QStringLiteral("made-text"), heading.made.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
}

QString levelKey(MizanRow::Level level)
{
    switch (level) {
    case MizanRow::Level::Class:
        return QStringLiteral("class");
    case MizanRow::Level::Group:
        return QStringLiteral("group");
    case MizanRow::Level::Account:
        return QStringLiteral("account");
    case MizanRow::Level::Sub:
        break;
    }
    return QStringLiteral("sub");
}

void writeMizan(QXmlStreamWriter& xml, const Mizan& mizan, const DocumentHeading& heading)
{
    writeRoot(xml, common::DocumentKind::Mizan, heading);
    xml.writeAttribute(QStringLiteral("from"), mizan.from);
    xml.writeAttribute(QStringLiteral("to"), mizan.to);
    writePeriods(xml, mizan.periods, mizan.missingPeriods);
    Amount debitBalance, creditBalance;
    for (const MizanRow& row : mizan.rows) {
        xml.writeEmptyElement(QStringLiteral("row"));
        xml.writeAttribute(QStringLiteral("level"), levelKey(row.level));
        xml.writeAttribute(QStringLiteral("code"), row.code);
        xml.writeAttribute(QStringLiteral("name"), row.name);
        writeAmount(xml, QStringLiteral("debit"), row.debit);
        writeAmount(xml, QStringLiteral("credit"), row.credit);
        writeAmount(xml, QStringLiteral("debit-balance"), row.debitBalance());
        writeAmount(xml, QStringLiteral("credit-balance"), row.creditBalance());
        if (row.level == MizanRow::Level::Account) {
            debitBalance += row.debitBalance();
            creditBalance += row.creditBalance();
        }
    }
    xml.writeEmptyElement(QStringLiteral("total"));
    writeAmount(xml, QStringLiteral("debit"), mizan.debit);
    writeAmount(xml, QStringLiteral("credit"), mizan.credit);
    writeAmount(xml, QStringLiteral("debit-balance"), debitBalance);
    writeAmount(xml, QStringLiteral("credit-balance"), creditBalance);
    writeAmount(xml, QStringLiteral("difference"), mizan.debit - mizan.credit);
    xml.writeEndElement();
}

void writeEkstre(QXmlStreamWriter& xml, const Ekstre& ekstre, const DocumentHeading& heading)
{
    writeRoot(xml, common::DocumentKind::Ekstre, heading);
    xml.writeAttribute(QStringLiteral("account"), ekstre.account);
    xml.writeAttribute(QStringLiteral("name"), ekstre.accountName);
    xml.writeAttribute(QStringLiteral("from"), ekstre.from);
    xml.writeAttribute(QStringLiteral("to"), ekstre.to);
    writePeriods(xml, ekstre.periods, ekstre.missingPeriods);
    xml.writeStartElement(QStringLiteral("opening"));
    writeAmount(xml, QStringLiteral("debit"), ekstre.openingDebit);
    writeAmount(xml, QStringLiteral("credit"), ekstre.openingCredit);
    writeBalance(xml, ekstre.opening());
    writePeriods(xml, ekstre.openingPeriods, ekstre.openingMissing);
    xml.writeEndElement();
    for (const EkstreLine& line : ekstre.lines) {
        xml.writeStartElement(QStringLiteral("line"));
        xml.writeAttribute(QStringLiteral("date"), line.date);
        xml.writeAttribute(QStringLiteral("entry"), line.entry);
        xml.writeAttribute(QStringLiteral("voucher"), line.voucher);
        xml.writeAttribute(QStringLiteral("document-number"), line.documentNumber);
        xml.writeAttribute(QStringLiteral("document-date"), line.documentDate);
        xml.writeAttribute(QStringLiteral("account"), line.account);
        writeAmount(xml, QStringLiteral("debit"), line.debit);
        writeAmount(xml, QStringLiteral("credit"), line.credit);
        writeBalance(xml, line.balance);
        xml.writeCharacters(line.comment);
        xml.writeEndElement();
    }
    xml.writeEmptyElement(QStringLiteral("closing"));
    writeAmount(xml, QStringLiteral("debit"), ekstre.debit);
    writeAmount(xml, QStringLiteral("credit"), ekstre.credit);
    writeBalance(xml, ekstre.closing());
    xml.writeEndElement();
}

template <typename Write>
common::Outcome writeFile(const QString& path, Write write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return common::Outcome::failure(
            QStringLiteral("%1 yazılamadı: %2.").arg(QFileInfo(path).fileName(), file.errorString()));
    }
    QXmlStreamWriter xml(&file);
    write(xml);
    xml.writeEndDocument();
    if (xml.hasError() || !file.commit()) {
        return common::Outcome::failure(
            QStringLiteral("%1 yazılamadı: %2.").arg(QFileInfo(path).fileName(), file.errorString()));
    }
    return common::Outcome::done();
}

// Letters, digits, '.' and '-' only: the rest of a typed account code becomes '_'.
QString safe(QString text)
{
    static const QRegularExpression unsafe(QStringLiteral("[^0-9A-Za-z.-]"));
    return text.replace(unsafe, QStringLiteral("_"));
}

QString stamp(const DocumentHeading& heading)
{
    return heading.made.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

} // namespace

common::Outcome writeMizanXml(const Mizan& mizan, const DocumentHeading& heading, const QString& path)
{
    return writeFile(path, [&](QXmlStreamWriter& xml) { writeMizan(xml, mizan, heading); });
}

common::Outcome writeEkstreXml(const Ekstre& ekstre, const DocumentHeading& heading, const QString& path)
{
    return writeFile(path, [&](QXmlStreamWriter& xml) { writeEkstre(xml, ekstre, heading); });
}

QString mizanFileName(const Mizan& mizan, const DocumentHeading& heading)
{
    return safe(QStringLiteral("mizan-%1-%2-%3-%4.xml").arg(heading.taxpayer, mizan.from, mizan.to, stamp(heading)));
}

QString ekstreFileName(const Ekstre& ekstre, const DocumentHeading& heading)
{
    return safe(QStringLiteral("ekstre-%1-%2-%3-%4-%5.xml")
                    .arg(heading.taxpayer, ekstre.account, ekstre.from, ekstre.to, stamp(heading)));
}

} // namespace ledgerset
