#pragma once

#include "common/documentkind.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct _xmlDoc;

// A pull reader over a ledger's entries, on libxml2's xmlTextReader: a node at a time, so memory
// stays flat whatever the file size. Field texts are kept as UTF-8 bytes; nothing is converted to
// QString on the way, which is where most of the time would go.
namespace ledger {

// Journal (-Y-), Ledger (kebir, -K-) or Report (defter raporu, -DR-); Unknown until the reader knows.
using LedgerKind = common::DocumentKind;

// done and total are bytes of the ledger read; called on the reading thread, at most a few hundred
// times per file.
using Progress = std::function<void(qint64 done, qint64 total)>;

struct HeaderFields
{
    std::string enteredDate;
    std::string entryNumber;
    std::string entryNumberCounter;
    std::string totalDebit;
    std::string totalCredit;
    void clear();
};

struct LineFields
{
    std::string lineNumber;
    std::string lineNumberCounter;
    std::string accountMainID;
    std::string accountMainDescription;
    std::string accountSubID;
    std::string accountSubDescription;
    std::string amount;
    std::string debitCreditCode;
    std::string postingDate;
    std::string documentType;
    std::string documentTypeDescription;
    std::string documentNumber;
    std::string documentDate;
    std::string documentReference;
    std::string detailComment;
    std::string documentApplyToNumber;
    void clear();
};

enum class ReadEvent
{
    Kind,        // kind() is known; comes before any header
    HeaderStart, // an entryHeader began
    Line,        // line() and header() (fields read so far) are filled
    HeaderEnd,   // header() complete
    End,         // document read to its end
    Cancelled,
    Failed, // error() says why
};

class LedgerReader
{
public:
    LedgerReader(const QString& path, const Progress& progress, const std::atomic_bool* cancel);
    // Walks a tree already parsed (by the signature check), so that a file read once gives both. Berats
    // are read too: their lines are the tax lines. The tree must outlive the reader; no progress is told.
    LedgerReader(_xmlDoc* tree, const QString& name, const std::atomic_bool* cancel);
    ~LedgerReader();
    LedgerReader(const LedgerReader&) = delete;
    LedgerReader& operator=(const LedgerReader&) = delete;

    ReadEvent next();

    LedgerKind kind() const { return m_kind; }
    const HeaderFields& header() const { return m_header; }
    const LineFields& line() const { return m_line; }
    const QString& error() const { return m_error; }
    // The line of the file where the current ledger line's first field is, for messages; 0 if none.
    long sourceLine() const;

    struct Impl; // opaque; public only so that libxml2's C callbacks can reach it

private:
    // What an element's start asks of the reading loop: hand an event to the caller, or pass over
    // the element's subtree.
    struct Step
    {
        std::optional<ReadEvent> event;
        bool skipSubtree = false;
    };

    ReadEvent fail(const QString& reason);
    bool open();
    Step elementStarted();
    std::optional<ReadEvent> rootStarted();
    void readInto(std::string& field);
    std::optional<ReadEvent> elementEnded();
    ReadEvent kindRead();
    ReadEvent ended(int ret);

    std::unique_ptr<Impl> m_impl;
    LedgerKind m_kind = LedgerKind::Unknown;
    HeaderFields m_header;
    LineFields m_line;
    QString m_error;
};

} // namespace ledger
