#pragma once

#include "common/documentkind.h"
#include "common/result.h"
#include "ledger/ledgerreader.h"
#include "ledger/values.h"

#include <QStringList>

#include <atomic>
#include <functional>

// The one way the mizan and the ekstre read journals: one file per core at a time, a line at a time,
// each line's amount and side read and checked once.
namespace ledgerset {

struct JournalLine
{
    const ledger::HeaderFields& header;
    const ledger::LineFields& line;
    ledger::Amount amount;
    ledger::Side side;
};

// worker: the reading thread's number (0 … workers-1), for state of its own; file: the index in
// journals. Called on the reading threads.
using LineSink = std::function<void(int worker, int file, const JournalLine& line)>;

// How many threads readJournals() uses for these journals.
[[nodiscard]] int readingWorkers(const QStringList& journals);

// Reads every journal into `sink`; stops at the first file that is no journal or has a line that
// cannot be read, naming the file and the line. progress: bytes of all the journals, one call at a time.
[[nodiscard]] common::Outcome readJournals(const QStringList& journals, const LineSink& sink,
                                           const std::atomic_bool* cancel, const ledger::Progress& progress);

// "YYYY-MM" of an e-Defter name, of a file's name (empty for another name).
[[nodiscard]] QString periodOf(const common::DocumentName& name);
[[nodiscard]] QString periodOfFile(const QString& path);
[[nodiscard]] QString nextMonth(const QString& period);
// The months the files' names cover, each once, in order.
[[nodiscard]] QStringList monthsOf(const QStringList& files);
// The months of [first, last] that are not in present (at most a hundred years of them).
[[nodiscard]] QStringList missingMonths(const QString& first, const QString& last, const QStringList& present);
// The taxpayers the files' names belong to, each once, in order.
[[nodiscard]] QStringList taxpayersOf(const QStringList& files);

} // namespace ledgerset
