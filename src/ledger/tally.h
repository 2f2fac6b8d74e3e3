#pragma once

#include "ledger/ledgerreader.h"
#include "ledger/values.h"

#include <QtGlobal>

#include <map>
#include <string>
#include <vector>

// What a ledger adds up to, taken from one reading: per main account and side its amount and line count,
// its entries and the run of its entry and line numbers, and the entries that do not hold together.
// A journal, a kebir, a defter raporu (its lines as stated) and a berat (its tax lines) alike.
namespace ledger {

struct SideSum
{
    Amount amount;
    qint64 lines = 0; // a defter raporu's line states it (documentApplyToNumber)
};

struct AccountSums
{
    SideSum debit;
    SideSum credit;
    SideSum& of(Side side) { return side == Side::Debit ? debit : credit; }
    const SideSum& of(Side side) const { return side == Side::Debit ? debit : credit; }
};

// A run of numbers as the file holds them: the first and the last; -1 when there are none.
struct NumberRun
{
    qint64 first = -1;
    qint64 last = -1;
};

// Where a number does not follow the one before it inside the file.
struct NumberBreak
{
    bool entries = true; // entry numbers (entryNumberCounter); else line numbers (lineNumber)
    qint64 expected = 0;
    qint64 found = 0;
};

struct EntryFault
{
    enum class Kind
    {
        Unbalanced,     // debit lines ≠ credit lines: first = debit, second = credit
        HeaderTotals,   // a header total ≠ its lines: first = header, second = lines; text names the side
        DateOutside,    // text = the date
        LineUnreadable, // text = what is wrong
    };
    Kind kind = Kind::Unbalanced;
    std::string entry; // entryNumberCounter, else entryNumber
    std::string line;  // lineNumber, where the fault is a line's
    Amount first;
    Amount second;
    std::string text;
};

class Tally
{
public:
    // Dates outside [periodStart, periodEnd] (YYYY-MM-DD) are faults; empty bounds check nothing.
    Tally(std::string periodStart = {}, std::string periodEnd = {});

    // Reads to the end; the reader's last event (End, Failed, Cancelled).
    ReadEvent readAll(LedgerReader& reader);

    static constexpr size_t kKeptFaults = 50; // beyond these only counted

    LedgerKind kind = LedgerKind::Unknown;
    std::map<std::string, AccountSums> accounts; // by main account, as the file writes it
    qint64 entries = 0;                          // entry headers
    qint64 lines = 0;
    Amount debit;
    Amount credit;
    NumberRun entryNumbers; // journal: entryNumberCounter
    NumberRun lineNumbers;  // journal: lineNumber
    std::vector<NumberBreak> breaks;
    std::vector<EntryFault> faults;
    qint64 faultCount = 0;
    QString error; // why the reading stopped short

private:
    void line(const LedgerReader& reader);
    void headerStart();
    void headerEnd(const LedgerReader& reader);
    void fault(EntryFault f);
    void follow(bool entries, NumberRun& run, const std::string& text);
    void checkDate(const std::string& date, const LedgerReader& reader);

    std::string m_start;
    std::string m_end;
    Amount m_entryDebit;
    Amount m_entryCredit;
    bool m_entryDateChecked = false;
};

} // namespace ledger
