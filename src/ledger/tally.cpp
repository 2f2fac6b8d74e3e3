#include "ledger/tally.h"

#include <charconv>

namespace ledger {

namespace {

std::optional<qint64> wholeNumber(const std::string& text)
{
    qint64 value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::string entryOf(const HeaderFields& header)
{
    return header.entryNumberCounter.empty() ? header.entryNumber : header.entryNumberCounter;
}

} // namespace

Tally::Tally(std::string periodStart, std::string periodEnd)
    : m_start(std::move(periodStart)), m_end(std::move(periodEnd))
{}

ReadEvent Tally::readAll(LedgerReader& reader)
{
    for (;;) {
        const ReadEvent event = reader.next();
        switch (event) {
        case ReadEvent::Kind:
            kind = reader.kind();
            break;
        case ReadEvent::HeaderStart:
            headerStart();
            break;
        case ReadEvent::Line:
            line(reader);
            break;
        case ReadEvent::HeaderEnd:
            headerEnd(reader);
            break;
        case ReadEvent::Failed:
            error = reader.error();
            return event;
        case ReadEvent::End:
        case ReadEvent::Cancelled:
            return event;
        }
    }
}

void Tally::fault(EntryFault f)
{
    ++faultCount;
    if (faults.size() < kKeptFaults) {
        faults.push_back(std::move(f));
    }
}

// Numbers go up by one; a break is kept where one does not.
void Tally::follow(bool isEntry, NumberRun& run, const std::string& text)
{
    const std::optional<qint64> n = wholeNumber(text);
    if (!n) {
        return;
    }
    if (run.first < 0) {
        run.first = *n;
    } else if (*n != run.last + 1) {
        if (breaks.size() < kKeptFaults) {
            breaks.push_back({isEntry, run.last + 1, *n});
        }
    }
    run.last = *n;
}

void Tally::checkDate(const std::string& date, const LedgerReader& reader)
{
    if (m_start.empty() || date.size() < 10) {
        return;
    }
    const std::string day = date.substr(0, 10);
    if (day < m_start || day > m_end) {
        fault({EntryFault::Kind::DateOutside, entryOf(reader.header()), reader.line().lineNumber, {}, {}, day});
    }
}

void Tally::headerStart()
{
    ++entries;
    m_entryDebit = {};
    m_entryCredit = {};
    m_entryDateChecked = false;
}

void Tally::line(const LedgerReader& reader)
{
    const LineFields& l = reader.line();
    const HeaderFields& h = reader.header();
    ++lines;
    Amount amount;
    Side side = Side::Debit;
    if (const std::optional<LineFault> bad = readLine(h, l, amount, side)) {
        fault({EntryFault::Kind::LineUnreadable,
               entryOf(h),
               l.lineNumber,
               {},
               {},
               (bad->what + QStringLiteral(" \"") + QString::fromStdString(bad->value) + QLatin1Char('"'))
                   .toStdString()});
        return;
    }
    SideSum& sum = accounts[l.accountMainID].of(side);
    sum.amount += amount;
    if (kind == LedgerKind::Report) {
        sum.lines += wholeNumber(l.documentApplyToNumber).value_or(0);
    } else {
        ++sum.lines;
    }
    (side == Side::Debit ? m_entryDebit : m_entryCredit) += amount;
    (side == Side::Debit ? debit : credit) += amount;
    if (kind != LedgerKind::Journal) {
        if (kind == LedgerKind::Ledger) {
            checkDate(l.postingDate, reader);
        }
        return;
    }
    if (!m_entryDateChecked) {
        m_entryDateChecked = true;
        follow(true, entryNumbers, h.entryNumberCounter);
        checkDate(h.enteredDate, reader);
    }
    follow(false, lineNumbers, l.lineNumber);
    checkDate(l.postingDate, reader);
}

// A journal entry balances and its header says what its lines add up to.
void Tally::headerEnd(const LedgerReader& reader)
{
    if (kind != LedgerKind::Journal) {
        return;
    }
    const HeaderFields& h = reader.header();
    const std::string entry = entryOf(h);
    if (m_entryDebit != m_entryCredit) {
        fault({EntryFault::Kind::Unbalanced, entry, {}, m_entryDebit, m_entryCredit, {}});
    }
    const std::optional<Amount> statedDebit = Amount::parse(h.totalDebit);
    const std::optional<Amount> statedCredit = Amount::parse(h.totalCredit);
    if (statedDebit && *statedDebit != m_entryDebit) {
        fault({EntryFault::Kind::HeaderTotals, entry, {}, *statedDebit, m_entryDebit, "debit"});
    }
    if (statedCredit && *statedCredit != m_entryCredit) {
        fault({EntryFault::Kind::HeaderTotals, entry, {}, *statedCredit, m_entryCredit, "credit"});
    }
}

} // namespace ledger
