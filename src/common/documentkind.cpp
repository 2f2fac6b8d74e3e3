#include "common/documentkind.h"

#include <QRegularExpression>

namespace common {

namespace {

// The file name's type code of each kind.
QString typeCode(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Journal:
        return QStringLiteral("Y");
    case DocumentKind::Ledger:
        return QStringLiteral("K");
    case DocumentKind::JournalBerat:
        return QStringLiteral("YB");
    case DocumentKind::LedgerBerat:
        return QStringLiteral("KB");
    case DocumentKind::Report:
        return QStringLiteral("DR");
    case DocumentKind::FolderReport:
    case DocumentKind::Mizan:
    case DocumentKind::Ekstre:
    case DocumentKind::Unknown:
        break;
    }
    return {};
}

DocumentKind kindOfCode(QStringView code)
{
    for (const DocumentKind kind : {DocumentKind::Journal, DocumentKind::Ledger, DocumentKind::JournalBerat,
                                    DocumentKind::LedgerBerat, DocumentKind::Report}) {
        if (code.compare(typeCode(kind), Qt::CaseInsensitive) == 0) {
            return kind;
        }
    }
    return DocumentKind::Unknown;
}

} // namespace

DocumentKind documentKind(QStringView rootName, QStringView entriesType)
{
    if (rootName == u"defter") {
        return entriesType == u"journal"  ? DocumentKind::Journal
               : entriesType == u"ledger" ? DocumentKind::Ledger
                                          : DocumentKind::Unknown;
    }
    if (rootName == u"berat") {
        return entriesType == u"ledger" ? DocumentKind::LedgerBerat : DocumentKind::JournalBerat;
    }
    if (rootName == u"defterraporu") {
        return DocumentKind::Report;
    }
    if (rootName == QLatin1String(kFolderReportRoot)) {
        return DocumentKind::FolderReport;
    }
    if (rootName == QLatin1String(kMizanRoot)) {
        return DocumentKind::Mizan;
    }
    if (rootName == QLatin1String(kEkstreRoot)) {
        return DocumentKind::Ekstre;
    }
    return DocumentKind::Unknown;
}

DocumentKind documentKind(QStringView rootNamespace, QStringView rootName, QStringView entriesType)
{
    const DocumentKind kind = documentKind(rootName, entriesType);
    if (isProgramDocument(kind) && rootNamespace != QLatin1String(kProgramNamespace)) {
        return DocumentKind::Unknown;
    }
    return kind;
}

bool kindNeedsEntriesType(QStringView rootName)
{
    return rootName == u"defter";
}

bool isLedger(DocumentKind kind)
{
    return kind == DocumentKind::Journal || kind == DocumentKind::Ledger;
}

bool isBerat(DocumentKind kind)
{
    return kind == DocumentKind::JournalBerat || kind == DocumentKind::LedgerBerat;
}

bool isProgramDocument(DocumentKind kind)
{
    return kind == DocumentKind::FolderReport || kind == DocumentKind::Mizan || kind == DocumentKind::Ekstre;
}

QString stylesheetFor(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Journal:
        return QStringLiteral("yevmiye.xslt");
    case DocumentKind::Ledger:
        return QStringLiteral("kebir.xslt");
    case DocumentKind::JournalBerat:
    case DocumentKind::LedgerBerat:
        return QStringLiteral("berat.xslt");
    case DocumentKind::Report:
        return QStringLiteral("defterraporu.xslt");
    case DocumentKind::FolderReport:
        return QStringLiteral("klasor-denetimi.xslt");
    case DocumentKind::Mizan:
        return QStringLiteral("mizan.xslt");
    case DocumentKind::Ekstre:
        return QStringLiteral("hesap-ekstresi.xslt");
    case DocumentKind::Unknown:
        break;
    }
    return {};
}

const QStringList& programStylesheets()
{
    static const QStringList names{stylesheetFor(DocumentKind::JournalBerat), stylesheetFor(DocumentKind::Ledger),
                                   stylesheetFor(DocumentKind::Journal), stylesheetFor(DocumentKind::Report)};
    return names;
}

QString kindKey(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Journal:
        return QStringLiteral("journal");
    case DocumentKind::Ledger:
        return QStringLiteral("ledger");
    case DocumentKind::JournalBerat:
        return QStringLiteral("journal-berat");
    case DocumentKind::LedgerBerat:
        return QStringLiteral("ledger-berat");
    case DocumentKind::Report:
        return QStringLiteral("report");
    case DocumentKind::FolderReport:
        return QStringLiteral("folder-report");
    case DocumentKind::Mizan:
        return QStringLiteral("mizan");
    case DocumentKind::Ekstre:
        return QStringLiteral("ekstre");
    case DocumentKind::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

std::optional<DocumentName> DocumentName::parse(QStringView fileName)
{
    // Compiled once per thread: a folder of thousands of names is parsed name by name.
    static thread_local const QRegularExpression pattern(
        QStringLiteral("^(GIB-)?(\\d{10,11})-(\\d{4}(?:0[1-9]|1[0-2]))-(Y|K|YB|KB|DR)-(\\d{6})\\.xml$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(fileName.toString());
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    DocumentName name;
    name.gib = m.hasCaptured(1);
    name.taxpayer = m.captured(2);
    name.period = m.captured(3);
    name.kind = kindOfCode(m.capturedView(4));
    name.part = m.captured(5);
    if (name.gib && !isBerat(name.kind)) {
        return std::nullopt;
    }
    return name;
}

QString DocumentName::fileName() const
{
    return QStringLiteral("%1%2-%3-%4-%5.xml")
        .arg(gib ? QStringLiteral("GIB-") : QString(), taxpayer, period, typeCode(kind), part);
}

DocumentName DocumentName::berat(bool approved) const
{
    DocumentName n = *this;
    n.gib = approved;
    n.kind = kind == DocumentKind::Journal  ? DocumentKind::JournalBerat
             : kind == DocumentKind::Ledger ? DocumentKind::LedgerBerat
                                            : kind;
    return n;
}

DocumentName DocumentName::ledger() const
{
    DocumentName n = *this;
    n.gib = false;
    n.kind = kind == DocumentKind::JournalBerat  ? DocumentKind::Journal
             : kind == DocumentKind::LedgerBerat ? DocumentKind::Ledger
                                                 : kind;
    return n;
}

} // namespace common
