#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace render::detail {

// Where to cut a ledger so that its beginning alone makes a well-formed document: after whole
// records (journal entries, ledger accounts), with the tags still open closed after it.
struct LedgerPrefix
{
    qint64 bytes = 0;          // keep the file's first `bytes` bytes
    QByteArray closing;        // then append these end tags
    bool insideRecord = false; // the cut falls inside one record too large to take whole
};

// Records are the ledger's entryHeader elements, whatever their prefix. The cut falls after the
// first record ending past `budget` bytes; a record still open at twice the budget is cut between
// its children. Nothing when the file is small enough to render whole quickly, holds no records,
// declares a DTD, or cannot be read.
std::optional<LedgerPrefix> findLedgerPrefix(const QString& path, qint64 budget);

} // namespace render::detail
