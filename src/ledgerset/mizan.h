#pragma once

#include "common/result.h"
#include "ledger/ledgerreader.h"
#include "ledger/values.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// The trial balance (mizan) of any months of a taxpayer's journals: per account group (1 and 2
// digits), main account and sub-account, its debits, credits and balance. Read straight from the
// files, several at once, a line at a time: no file is ever held whole.
namespace ledgerset {

struct MizanRow
{
    enum class Level
    {
        Class,   // 1 digit: "1 DÖNEN VARLIKLAR"
        Group,   // 2 digits: "10 HAZIR DEĞERLER"
        Account, // the main account as the ledger writes it: "102"
        Sub,     // the sub-account as the ledger writes it: "102.01.001"
    };
    Level level = Level::Account;
    QString code;
    QString name;
    ledger::Amount debit;
    ledger::Amount credit;
    [[nodiscard]] ledger::Amount debitBalance() const;  // what debit exceeds credit by, else 0
    [[nodiscard]] ledger::Amount creditBalance() const; // what credit exceeds debit by, else 0
};

struct Mizan : common::Outcome
{
    QList<MizanRow> rows; // by code, each group before what it holds
    ledger::Amount debit; // the grand totals; equal when the journals balance
    ledger::Amount credit;
    QString from;               // "YYYY-MM": the range asked, else the journals' first month
    QString to;                 // and its last
    QStringList periods;        // "YYYY-MM" of the months read
    QStringList missingPeriods; // months inside the range that no journal covers
};

// The journals (…-Y-….xml, parts too) among paths (files and folders, with their subfolders) whose
// month lies in [from, to] ("YYYY-MM"; empty for no bound), in name order.
[[nodiscard]] QStringList journalsIn(const QStringList& paths, const QString& from = {}, const QString& to = {});

// Reads the journals, one per core at a time; the months of [from, to] (the journals' first and last
// month where a bound is empty) that none covers are named. `cancel` is polled while reading;
// `progress` tells the bytes read of all the journals, from the reading threads, one call at a time.
[[nodiscard]] Mizan mizan(const QStringList& journals, const QString& from = {}, const QString& to = {},
                          const std::atomic_bool* cancel = nullptr, const ledger::Progress& progress = {});

} // namespace ledgerset
