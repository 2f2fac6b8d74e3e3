#pragma once

#include "calendar.h"
#include "chart.h"
#include "entries.h"
#include "signature.h"
#include "taxpayer.h"

#include <string>
#include <string_view>
#include <vector>

namespace ledgergen {

struct Period
{
    Date start;
    Date end;
    Date created;  // files are made after the month, as in practice
    Date approved; // GİB's counter-signature
};

enum class Book
{
    Journal, // yevmiye
    Ledger   // kebir
};

struct AccountTotals
{
    int64_t debit = 0;
    int64_t credit = 0;
    uint32_t debitCount = 0;
    uint32_t creditCount = 0;
};

struct BeratInput
{
    Book book = Book::Journal;
    uint32_t serial = 1;
    uint64_t ledgerBytes = 0;
    std::string ledgerSignatureValue;
    uint32_t entries = 0;
    const std::vector<AccountTotals>* totals = nullptr; // per main account of the chart
    std::string guid;
};

// Renders the parts of every file type into strings; callers decide where the bytes go.
class Documents
{
public:
    Documents(const Taxpayer& taxpayer, const Chart& chart, const Period& period);

    // XML declaration and stylesheet instruction up to the last header element before the entries.
    void beginLedger(std::string& out, Book book, uint32_t serial) const;
    void journalEntry(std::string& out, const Entry& entry) const;
    // One kebir account block: the header with the block's net movement, then each posting of the account in
    // journal order, then the end. In three calls so that a block of any size can be written as it goes.
    void ledgerBlockStart(std::string& out, const Posting* first, const Posting* last) const;
    void ledgerLine(std::string& out, const Posting& posting) const { detail(out, m_ledger, posting); }
    void ledgerBlockEnd(std::string& out) const;
    // Everything after the entries up to the signature, which the caller signs and appends with finish().
    void endLedger(std::string& out, std::string_view extensions) const;
    // The extension element carrying a PDF copy of the entry's document.
    std::string attachment(const Entry& entry) const;
    static std::string_view extensionsOpen() { return "  <extensions>\n"; }
    static std::string_view extensionsClose() { return "  </extensions>\n"; }

    // approved: GİB's copy, whose declaration says standalone="no".
    void berat(std::string& out, const BeratInput& input, bool approved) const;
    void report(std::string& out, uint32_t serial, const std::vector<AccountTotals>& totals,
                std::string_view guid) const;
    // The signature (indented as the root's child) and the root's end tag.
    static void finish(std::string& out, std::string_view root, const SignatureData& signature,
                       const SignatureData* counterSignature);
    // The indentation written before the signature, which its removal leaves in the canonical form.
    static constexpr std::string_view kBeforeSignature = "  ";

    // The written head (declaration to schema reference) in canonical form.
    static void canonicalHead(std::string& out, std::string_view written);
    // Where the head of a whole written document ends.
    static size_t headLength(std::string_view written);

    std::string documentNumber(const Posting& p) const;

private:
    // Day n of the period; a day past its end falls in the next month.
    Date dayOfPeriod(int day) const { return addDays(m_period.start, day - 1); }

    struct Context
    {
        std::string id;
        std::string plain; // contextRef only
        std::string money; // monetary facts
        std::string count; // counters
    };

    void prolog(std::string& out, std::string_view stylesheet, std::string_view root, bool standaloneNo) const;
    void xbrlStart(std::string& out, const Context& c, std::string_view segment) const;
    void documentInfo(std::string& out, const Context& c, std::string_view type, std::string_view idPrefix,
                      uint32_t serial, std::string_view comment) const;
    void entityInformation(std::string& out, const Context& c) const;
    void detail(std::string& out, const Context& c, const Posting& p) const;
    void lineComment(std::string& out, const Posting& p) const;
    void entryComment(std::string& out, const Entry& e) const;

    const Taxpayer& m_taxpayer;
    const Chart& m_chart;
    Period m_period;
    Context m_journal;
    Context m_ledger;
    Context m_report;
    std::string m_year;
};

} // namespace ledgergen
