#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// What an e-Defter document is, decided in one place: from its root element and entriesType when the
// content is at hand, from its file name when only the name is.
namespace common {

inline constexpr char kEdefterNamespace[] = "http://www.edefter.gov.tr";
// The program's own documents (folder report, mizan, hesap ekstresi) are in this namespace.
inline constexpr char kProgramNamespace[] = "http://verazidedaze.pelvora.example/ns/klasor-denetimi";
inline constexpr char kFolderReportRoot[] = "folder-report";
inline constexpr char kMizanRoot[] = "mizan";
inline constexpr char kEkstreRoot[] = "hesap-ekstresi";

enum class DocumentKind
{
    Unknown,
    Journal,      // yevmiye (Y)
    Ledger,       // kebir (K)
    JournalBerat, // YB, GIB-…-YB
    LedgerBerat,  // KB, GIB-…-KB
    Report,       // defter raporu (DR)
    FolderReport, // the program's own report on a folder; not an e-Defter file
    Mizan,        // the program's own trial balance over a taxpayer's journals
    Ekstre,       // the program's own statement of one account (hesap ekstresi)
};

// From the root element's local name (its namespace is the caller's to check) and
// documentInfo/entriesType. A defter is a journal or kebir only by its entriesType; a berat is a
// kebir's when it says so and else a journal's; a defterraporu is a report whatever it says; a
// folder-report, mizan or hesap-ekstresi (kProgramNamespace) is the program's own.
[[nodiscard]] DocumentKind documentKind(QStringView rootName, QStringView entriesType);
// As above with the root's namespace: a root of the program's own documents is ours only in
// kProgramNamespace, another program's root of that name is unknown.
[[nodiscard]] DocumentKind documentKind(QStringView rootNamespace, QStringView rootName, QStringView entriesType);
// Only a defter's kind waits for its entriesType; every other root is decided by its name.
[[nodiscard]] bool kindNeedsEntriesType(QStringView rootName);

[[nodiscard]] bool isLedger(DocumentKind kind); // journal or kebir
[[nodiscard]] bool isBerat(DocumentKind kind);
// The program's own documents: no signature to check, never copied beside ledgers.
[[nodiscard]] bool isProgramDocument(DocumentKind kind);

// The program's stylesheet that shows the kind ("yevmiye.xslt", …); empty for an unknown one.
[[nodiscard]] QString stylesheetFor(DocumentKind kind);
// The four stylesheets the program ships, in the order they are provisioned beside a ledger.
[[nodiscard]] const QStringList& programStylesheets();
// The kind as scripts read it: "journal", "ledger", "journal-berat", "ledger-berat", "report", "folder-report",
// "mizan", "ekstre", "unknown".
[[nodiscard]] QString kindKey(DocumentKind kind);

// VKN-YYYYMM-T-NNNNNN.xml; GİB's copy of a berat has "GIB-" in front. Names arrive as .XML too.
struct DocumentName
{
    bool gib = false;
    QString taxpayer; // VKN (10 digits) or TCKN (11)
    QString period;   // YYYYMM, the month of the period's start
    DocumentKind kind = DocumentKind::Unknown;
    QString part; // NNNNNN: 000000 a whole month, 000001… its parts

    // Nothing for a name that breaks the pattern: a month outside 01–12, GIB- before no berat.
    [[nodiscard]] static std::optional<DocumentName> parse(QStringView fileName);
    [[nodiscard]] QString fileName() const;
    // Journal ↔ journal berat, kebir ↔ kebir berat; a name of another kind stays as it is.
    [[nodiscard]] DocumentName berat(bool approved) const;
    [[nodiscard]] DocumentName ledger() const;
};

} // namespace common
