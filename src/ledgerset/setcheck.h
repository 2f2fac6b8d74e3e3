#pragma once

#include "common/result.h"
#include "verify/verification.h"

#include <QList>
#include <QString>

#include <array>
#include <atomic>
#include <functional>

// A taxpayer's months as one set: is every file of every month there, approved, and does the set agree
// with itself (berats with ledgers, the defter raporu with the journal and kebir, numbers carried on
// from part to part and month to month)? Each file is read once: its signature check and its sums come
// from the same parse. No widgets: safe on a worker thread.
namespace ledgerset {

enum class Severity
{
    Error,
    Warning,
};

// Stable names, read by scripts (codeKey): never renamed, only added to.
enum class FindingCode
{
    MissingFile,          // missing_file
    MissingGibBerat,      // missing_gib_berat (warning)
    PartGap,              // part_gap
    BeratSignatureValue,  // berat_signature_value
    BeratEntryCount,      // berat_entry_count
    BeratSize,            // berat_size
    BeratPeriod,          // berat_period
    BeratTaxpayer,        // berat_taxpayer
    BeratUniqueId,        // berat_unique_id
    BeratTaxLines,        // berat_tax_lines
    DrAmount,             // dr_amount
    DrCount,              // dr_count
    DrTaxLines,           // dr_tax_lines
    EntryUnbalanced,      // entry_unbalanced
    EntryTotals,          // entry_totals
    EntryDate,            // entry_date
    KebirJournalMismatch, // kebir_journal_mismatch
    SerialGap,            // serial_gap
    NumberGap,            // number_gap
    NumberOverlap,        // number_overlap
    CompanyDetails,       // company_details (warning)
};

[[nodiscard]] QString codeKey(FindingCode code);
[[nodiscard]] Severity severityOf(FindingCode code);

struct Finding
{
    FindingCode code = FindingCode::MissingFile;
    Severity severity = Severity::Error;
    QString period;  // "YYYY-MM"; empty when the finding is not about one month
    QString file;    // the file's name (not its path); empty for a file that is missing altogether
    QString place;   // where in the file, in Turkish: "madde 347", "satır 1080", "hesap 102 borç"; may be empty
    QString message; // Turkish, one line, with both numbers where two disagree
};

// The grid's columns, in the order shown: Y, K, YB, KB, GİB-YB, GİB-KB, DR.
enum class Column
{
    Journal,
    Ledger,
    JournalBerat,
    LedgerBerat,
    GibJournalBerat,
    GibLedgerBerat,
    Report,
};
inline constexpr int kColumnCount = 7;
// "Y", "K", "YB", "KB", "GİB-YB", "GİB-KB", "DR".
[[nodiscard]] QString columnTitle(Column column);

enum class Mark
{
    Ok,     // ✔ there and its signature holds
    Bad,    // ✘ required and missing, or there and failed its check
    Open,   // ○ there but unsigned or not checkable, or a GİB berat not (yet) there
    NotDue, // – not required for this month (a defter raporu before 2019)
};
// "✔", "✘", "○", "–".
[[nodiscard]] QString markText(Mark mark);
// As scripts and the report's XML read it: "ok", "bad", "open", "not-due".
[[nodiscard]] QString markKey(Mark mark);

struct Cell
{
    Mark mark = Mark::NotDue;
    int parts = 0; // files in this column for the month; more than 1 where the month is split
};

struct MonthRow
{
    int year = 0;
    int month = 0; // 1–12
    std::array<Cell, kColumnCount> cells;
    [[nodiscard]] QString period() const; // "YYYY-MM"
};

struct SetReport
{
    QString taxpayer; // VKN or TCKN, from the file names
    int year = 0;
    QList<MonthRow> months; // from the first month present to the last, a missing one between included
    QList<Finding> findings;
    [[nodiscard]] int errors() const;
    [[nodiscard]] int warnings() const;
    // "2025-01 – 2025-12": the months the report judges.
    [[nodiscard]] QString covers() const;
};

// One folder of the tree as the per-file check saw it.
struct FolderFiles
{
    QString folder;
    verify::FolderResult result;
};

struct FolderReport : common::Outcome
{
    QString root;
    QList<FolderFiles> folders; // every folder of the tree that holds .xml files, in path order
    QList<SetReport> sets;      // by taxpayer, then year
    [[nodiscard]] int errors() const;
    [[nodiscard]] int warnings() const;
};

struct CheckOptions
{
    verify::VerifyOptions verify;
    // Bytes of all files done and in all; called on the checking thread, a few hundred times at most.
    std::function<void(qint64 done, qint64 total)> progress;
};

// Checks every e-Defter file under folder (its subfolders too) and every taxpayer's year they make up.
// `cancel` is polled between files and while reading; a cancelled check returns with cancelled set.
[[nodiscard]] FolderReport checkFolder(const QString& folder, const CheckOptions& options = {},
                                       const std::atomic_bool* cancel = nullptr);

} // namespace ledgerset
