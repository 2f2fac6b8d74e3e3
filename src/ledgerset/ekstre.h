#pragma once

#include "common/result.h"
#include "ledger/ledgerreader.h"
#include "ledger/values.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <string>

// An account statement (hesap ekstresi) over any months of a taxpayer's journals: every line on an
// account (or on every account under a prefix), in date and entry order, with a running balance.
namespace ledgerset {

struct EkstreLine
{
    QString date;           // "YYYY-MM-DD": the line's posting date, else its entry's date
    QString entry;          // Madde No: the entry's counter
    QString voucher;        // Fiş No: the entry's number
    QString documentNumber; // Evrak No
    QString documentDate;   // Evrak Tarihi, "YYYY-MM-DD" or as written
    QString account;        // the sub-account's code, else the main account's
    QString comment;        // Açıklama
    ledger::Amount debit;
    ledger::Amount credit;
    ledger::Amount balance; // after this line, opening included: debit side positive
};

struct Ekstre : common::Outcome
{
    QString account;     // the code or prefix asked for, as typed
    QString accountName; // the name the ledger gives that code, when one account is meant
    QString from;        // "YYYY-MM": the first month of the statement
    QString to;          // and its last
    // Carried from the months of the same year before `from` that are present (a January entry
    // carries the years before): its debit and credit sums and their balance.
    ledger::Amount openingDebit;
    ledger::Amount openingCredit;
    QStringList openingPeriods; // the months it was carried from
    QStringList openingMissing; // months before `from` in its year that no journal covers
    QList<EkstreLine> lines;
    ledger::Amount debit; // the range's sums, opening excluded
    ledger::Amount credit;
    QStringList periods;        // months of [from, to] read
    QStringList missingPeriods; // months of [from, to] no journal covers
    [[nodiscard]] ledger::Amount opening() const { return openingDebit - openingCredit; }
    [[nodiscard]] ledger::Amount closing() const { return opening() + debit - credit; }
};

// Whether a line's account codes fall under `account`: the main account or the sub-account starts
// with it ("102" takes 102 and every 102.xx; "102.01" only those sub-accounts; "1" a whole class).
[[nodiscard]] bool accountMatches(const QString& account, const std::string& mainID, const std::string& subID);

// Reads the journals (as journalsIn lists them, with the months before `from`), one per core at a
// time. from/to empty: the journals' first and last month. `cancel` and `progress` as for mizan().
[[nodiscard]] Ekstre ekstre(const QStringList& journals, const QString& account, const QString& from = {},
                            const QString& to = {}, const std::atomic_bool* cancel = nullptr,
                            const ledger::Progress& progress = {});

} // namespace ledgerset
