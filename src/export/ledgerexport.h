#pragma once

#include <QString>

#include <atomic>
#include <functional>

// Ledger lines to a spreadsheet, read straight from the XML (whatever stylesheet sits beside it).
// Streaming: memory does not grow with the ledger. Safe to run on a worker thread, and several
// exports may run at once: calls share no state.
namespace ledgerexport {

enum class Format
{
    Xlsx,
    Csv,
};

enum class LedgerKind
{
    Unknown,
    Journal,      // yevmiye (-Y-): one row per line
    Ledger,       // kebir (-K-): one row per line with running balance, plus account totals
    LedgerReport, // defter raporu (-DR-): account totals
};

// What a sheet can hold, header row included.
inline constexpr qint64 kExcelRowLimit = 1048576;

struct ExportOptions
{
    // Rows per sheet before the table continues on a next sheet (XLSX only); small in tests.
    qint64 sheetRowLimit = kExcelRowLimit;
};

struct ExportResult
{
    bool ok = false;
    bool cancelled = false; // ok is false too; error is empty
    QString error;          // Turkish, names the file and the reason; empty when ok or cancelled
    LedgerKind kind = LedgerKind::Unknown;
    qint64 lines = 0;             // ledger lines read (journal, kebir, report)
    qint64 rows = 0;              // data rows of the main table (report: accounts)
    int sheets = 0;               // sheets the main table took (XLSX; CSV: 1)
    qint64 unbalancedEntries = 0; // entries whose debit and credit sums differ
};

// done and total are bytes of the ledger read; called on the exporting thread, at most a few
// hundred times per file.
using Progress = std::function<void(qint64 done, qint64 total)>;

// Writes outPath (replacing it) through a temporary file in the same folder, so that outPath
// is either the complete export or untouched: nothing is left behind on failure or cancel.
// cancel is polled while reading; the final packing of a large XLSX is not interruptible.
[[nodiscard]] ExportResult exportLedger(const QString& ledgerPath, const QString& outPath, Format format,
                                        const Progress& progress = {}, const std::atomic_bool* cancel = nullptr,
                                        const ExportOptions& options = {});

// "yevmiye", "kebir", "defter raporu" (for messages).
QString kindName(LedgerKind kind);

} // namespace ledgerexport
