#include "ledgerset/reportxml.h"

#include "common/documentkind.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamWriter>

namespace ledgerset {

namespace {

void writeMonth(QXmlStreamWriter& xml, const MonthRow& row)
{
    xml.writeStartElement(QStringLiteral("month"));
    xml.writeAttribute(QStringLiteral("period"), row.period());
    for (int c = 0; c < kColumnCount; ++c) {
        const Cell& cell = row.cells.at(c);
        xml.writeStartElement(QStringLiteral("cell"));
        xml.writeAttribute(QStringLiteral("column"), columnTitle(Column(c)));
        xml.writeAttribute(QStringLiteral("mark"), markKey(cell.mark));
        xml.writeAttribute(QStringLiteral("parts"), QString::number(cell.parts));
        xml.writeCharacters(markText(cell.mark));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void writeFinding(QXmlStreamWriter& xml, const Finding& finding)
{
    xml.writeStartElement(QStringLiteral("finding"));
    xml.writeAttribute(QStringLiteral("severity"),
                       finding.severity == Severity::Error ? QStringLiteral("error") : QStringLiteral("warning"));
    xml.writeAttribute(QStringLiteral("code"), codeKey(finding.code));
    xml.writeAttribute(QStringLiteral("period"), finding.period);
    xml.writeAttribute(QStringLiteral("file"), finding.file);
    xml.writeAttribute(QStringLiteral("place"), finding.place);
    xml.writeCharacters(finding.message);
    xml.writeEndElement();
}

void writeSet(QXmlStreamWriter& xml, const SetReport& set)
{
    xml.writeStartElement(QStringLiteral("set"));
    xml.writeAttribute(QStringLiteral("taxpayer"), set.taxpayer);
    xml.writeAttribute(QStringLiteral("year"), QString::number(set.year));
    xml.writeAttribute(QStringLiteral("covers"), set.covers());
    xml.writeAttribute(QStringLiteral("errors"), QString::number(set.errors()));
    xml.writeAttribute(QStringLiteral("warnings"), QString::number(set.warnings()));
    for (const MonthRow& row : set.months) {
        writeMonth(xml, row);
    }
    for (const Finding& finding : set.findings) {
        writeFinding(xml, finding);
    }
    xml.writeEndElement();
}

void writeNamed(QXmlStreamWriter& xml, const QString& element, const QString& path, const QString& text = {})
{
    xml.writeStartElement(element);
    xml.writeAttribute(QStringLiteral("name"), QFileInfo(path).fileName());
    xml.writeCharacters(text);
    xml.writeEndElement();
}

void writeFolder(QXmlStreamWriter& xml, const FolderFiles& folder)
{
    xml.writeStartElement(QStringLiteral("folder"));
    xml.writeAttribute(QStringLiteral("path"), QDir::toNativeSeparators(folder.folder));
    for (const verify::VerificationResult& file : folder.result.files) {
        xml.writeStartElement(QStringLiteral("file"));
        xml.writeAttribute(QStringLiteral("name"), QFileInfo(file.path).fileName());
        xml.writeAttribute(QStringLiteral("kind"), common::kindKey(file.kind));
        xml.writeAttribute(QStringLiteral("status"), verify::statusKey(file.status));
        xml.writeCharacters(file.summary);
        xml.writeEndElement();
    }
    for (const QString& path : folder.result.ledgersWithoutBerat) {
        writeNamed(xml, QStringLiteral("without-berat"), path);
    }
    for (const QString& path : folder.result.beratsWithoutLedger) {
        writeNamed(xml, QStringLiteral("without-ledger"), path);
    }
    for (const verify::UnreadableEntry& entry : folder.result.unreadable) {
        writeNamed(xml, QStringLiteral("unreadable"), entry.path, entry.reason);
    }
    xml.writeEndElement();
}

} // namespace

QByteArray reportXml(const FolderReport& report, const QDateTime& made)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    // Named, so that a browser or another engine shows it too; the program finds it in its own folder.
    xml.writeProcessingInstruction(
        QStringLiteral("xml-stylesheet"),
        QStringLiteral("type=\"text/xsl\" href=\"%1\"").arg(common::stylesheetFor(common::DocumentKind::FolderReport)));
    xml.writeDefaultNamespace(QString::fromLatin1(common::kProgramNamespace));
    xml.writeStartElement(QString::fromLatin1(common::kFolderReportRoot));
    xml.writeAttribute(QStringLiteral("folder"), QDir::toNativeSeparators(report.root));
    xml.writeAttribute(QStringLiteral("made"), made.toString(Qt::ISODate));
    xml.writeAttribute(QStringLiteral("made-text"), made.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(report.errors()));
    xml.writeAttribute(QStringLiteral("warnings"), QString::number(report.warnings()));
    for (int c = 0; c < kColumnCount; ++c) {
        xml.writeTextElement(QStringLiteral("column"), columnTitle(Column(c)));
    }
    for (const SetReport& set : report.sets) {
        writeSet(xml, set);
    }
    for (const FolderFiles& folder : report.folders) {
        writeFolder(xml, folder);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

QString reportFileName(const FolderReport& report, const QDateTime& made)
{
    QSet<QString> taxpayers;
    for (const SetReport& set : report.sets) {
        taxpayers.insert(set.taxpayer);
    }
    QString subject = taxpayers.size() == 1 ? *taxpayers.cbegin() : QFileInfo(report.root).fileName();
    // Only letters, digits, '-' and '_' survive: the name goes into the cache folder on any system.
    static const QRegularExpression unsafe(QStringLiteral("[^\\w-]+"), QRegularExpression::UseUnicodePropertiesOption);
    subject.replace(unsafe, QStringLiteral("_"));
    if (subject.isEmpty() || subject == QLatin1String("_")) {
        subject = QStringLiteral("klasor");
    }
    return QStringLiteral("%1-%2.xml").arg(subject.left(60), made.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

} // namespace ledgerset
