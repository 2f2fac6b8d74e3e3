#pragma once

#include "common/result.h"
#include "ledger/ledgerreader.h"

#include <QString>

#include <atomic>

// Ledger lines to a spreadsheet, read straight from the XML (whatever stylesheet sits beside it).
// Streaming: memory does not grow with the ledger. Safe to run on a worker thread, and several
// exports may run at once: calls share no state.
namespace ledgerexport {

enum class Format
{
    Xlsx,
    Csv,
};

// Journal: one row per line. Kebir: one row per line with running balance, plus account totals.
// Defter raporu: account totals.
using ledger::LedgerKind;

// What a sheet can hold, header row included.
inline constexpr qint64 kExcelRowLimit = 1048576;

struct ExportOptions
{
    // Rows per sheet before the table continues on a next sheet (XLSX only); small in tests.
    qint64 sheetRowLimit = kExcelRowLimit;
};

// The error names the file and the reason.
struct ExportResult : common::Outcome
{
    LedgerKind kind = LedgerKind::Unknown;
    qint64 lines = 0;             // ledger lines read (journal, kebir, report)
    qint64 rows = 0;              // data rows of the main table (report: accounts)
    int sheets = 0;               // sheets the main table took (XLSX; CSV: 1)
    qint64 unbalancedEntries = 0; // entries whose debit and credit sums differ
};

using ledger::Progress;

// Writes outPath (replacing it) through a temporary file in the same folder, so that outPath
// is either the complete export or untouched: nothing is left behind on failure or cancel.
// cancel is polled while reading; the final packing of a large XLSX is not interruptible.
[[nodiscard]] ExportResult exportLedger(const QString& ledgerPath, const QString& outPath, Format format,
                                        const Progress& progress = {}, const std::atomic_bool* cancel = nullptr,
                                        const ExportOptions& options = {});

// "yevmiye", "kebir", "defter raporu" (for messages).
QString kindName(LedgerKind kind);

} // namespace ledgerexport
