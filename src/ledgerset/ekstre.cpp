#include "ledgerset/ekstre.h"

#include "ledgerset/journalread.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ledgerset {

using ledger::Amount;
using ledger::Side;

namespace {

bool matches(std::string_view code, const std::string& mainID, const std::string& subID)
{
    return !code.empty() && (std::string_view(mainID).starts_with(code) || std::string_view(subID).starts_with(code));
}

// A line as read, kept in UTF-8 until the statement is put together.
struct Item
{
    std::string date, entry, voucher, documentNumber, documentDate, account, comment;
    Amount debit, credit;
};

struct Sums
{
    Amount debit, credit;
    void add(Amount amount, Side side) { (side == Side::Debit ? debit : credit) += amount; }
};

// Entry counters as numbers: a shorter run of digits is the smaller.
bool entryBefore(const std::string& a, const std::string& b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

Item itemOf(const JournalLine& in)
{
    const ledger::LineFields& l = in.line;
    const ledger::HeaderFields& h = in.header;
    Item item{l.postingDate.empty() ? h.enteredDate : l.postingDate,
              h.entryNumberCounter.empty() ? l.lineNumberCounter : h.entryNumberCounter,
              h.entryNumber.empty() ? l.documentReference : h.entryNumber,
              l.documentNumber,
              l.documentDate,
              l.accountSubID.empty() ? l.accountMainID : l.accountSubID,
              l.detailComment,
              {},
              {}};
    item.date.resize(std::min<size_t>(item.date.size(), 10)); // a time or zone after the day says nothing here
    (in.side == Side::Debit ? item.debit : item.credit) = in.amount;
    return item;
}

QString text(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The range asked, the journals' own bounds where it is open (periods: in order, each once); the months
// before it in its year.
void placeMonths(Ekstre& result, const QStringList& periods, const QString& from, const QString& to)
{
    result.from = from.isEmpty() && !periods.isEmpty() ? periods.constFirst() : from;
    result.to = to.isEmpty() && !periods.isEmpty() ? periods.constLast() : to;
    if (result.from.isEmpty()) {
        return;
    }
    const QString yearStart = result.from.left(4) + QStringLiteral("-01");
    for (const QString& p : periods) {
        if (p >= yearStart && p < result.from) {
            result.openingPeriods.append(p);
        } else if (p >= result.from && p <= result.to) {
            result.periods.append(p);
        }
    }
    if (result.from > yearStart) {
        result.openingMissing = missingMonths(yearStart, result.from, result.openingPeriods);
        result.openingMissing.removeLast(); // `from` itself, never an opening month
    }
    result.missingPeriods = missingMonths(result.from, result.to, result.periods);
}

struct Reading
{
    QStringList files;         // the journals read, in name order
    std::vector<bool> inRange; // else the file is carried into the opening balance
};

Reading readingOf(const QStringList& journals, const Ekstre& result)
{
    Reading reading;
    for (const QString& path : journals) {
        const QString p = periodOfFile(path);
        if (result.openingPeriods.contains(p) || result.periods.contains(p)) {
            reading.files.append(path);
            reading.inRange.push_back(result.periods.contains(p));
        }
    }
    return reading;
}

void putTogether(Ekstre& result, std::vector<std::vector<Item>>& perFile)
{
    std::vector<Item> items;
    for (std::vector<Item>& file : perFile) {
        std::move(file.begin(), file.end(), std::back_inserter(items));
        std::vector<Item>().swap(file);
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.date != b.date ? a.date < b.date : entryBefore(a.entry, b.entry);
    });
    Amount balance = result.opening();
    result.lines.reserve(qsizetype(items.size()));
    for (const Item& i : items) {
        balance += i.debit - i.credit;
        result.debit += i.debit;
        result.credit += i.credit;
        result.lines.append(EkstreLine{text(i.date), text(i.entry), text(i.voucher), text(i.documentNumber),
                                       text(i.documentDate), text(i.account), text(i.comment), i.debit, i.credit,
                                       balance});
    }
}

} // namespace

bool accountMatches(const QString& account, const std::string& mainID, const std::string& subID)
{
    return matches(account.toStdString(), mainID, subID);
}

Ekstre ekstre(const QStringList& journals, const QString& account, const QString& from, const QString& to,
              const std::atomic_bool* cancel, const ledger::Progress& progress)
{
    Ekstre result;
    result.account = account.trimmed();
    placeMonths(result, monthsOf(journals), from, to);
    const Reading reading = readingOf(journals, result);

    std::vector<std::vector<Item>> perFile(size_t(reading.files.size()));
    std::vector<Sums> opening(size_t(readingWorkers(reading.files)));
    const std::string wanted = result.account.toStdString();
    std::string name;
    std::atomic_bool named = false;
    std::mutex nameLock;
    const auto sink = [&](int worker, int file, const JournalLine& in) {
        if (!matches(wanted, in.line.accountMainID, in.line.accountSubID)) {
            return;
        }
        if (!named && (in.line.accountSubID == wanted || in.line.accountMainID == wanted)) {
            const std::lock_guard<std::mutex> hold(nameLock);
            if (name.empty()) {
                name = in.line.accountSubID == wanted ? in.line.accountSubDescription : in.line.accountMainDescription;
            }
            named = !name.empty();
        }
        if (reading.inRange[size_t(file)]) {
            perFile[size_t(file)].push_back(itemOf(in));
        } else {
            opening[size_t(worker)].add(in.amount, in.side);
        }
    };
    const common::Outcome read = readJournals(reading.files, sink, cancel, progress);
    if (!read.ok) {
        static_cast<common::Outcome&>(result) = read;
        return result;
    }
    for (const Sums& s : opening) {
        result.openingDebit += s.debit;
        result.openingCredit += s.credit;
    }
    result.accountName = text(name);
    putTogether(result, perFile);
    result.ok = true;
    return result;
}

} // namespace ledgerset
