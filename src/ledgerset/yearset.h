#pragma once

#include "common/documentkind.h"
#include "ledgerset/setcheck.h"

#include <deque>
#include <map>
#include <vector>

namespace ledger {
class Tally;
}

// A taxpayer's files of one year, put in their places: month, book (journal or kebir), part.
namespace ledgerset::detail {

struct SetFile
{
    common::DocumentName name;
    QString fileName;
    const verify::VerificationResult* result = nullptr;
    const verify::FileContent* content = nullptr; // null when the file could not be read
    [[nodiscard]] const ledger::Tally* tally() const;
};

struct Part
{
    const SetFile* ledger = nullptr;
    const SetFile* berat = nullptr;
    const SetFile* gibBerat = nullptr;
};

// One book of a month: its parts by number (0 for a month in one file).
struct Book
{
    std::map<int, Part> parts;
    [[nodiscard]] int ledgers() const;
};

struct Month
{
    int month = 0;
    Book journal;
    Book kebir;
    const SetFile* report = nullptr;                // part 000000
    std::vector<const SetFile*> misnumberedReports; // a defter raporu is one per month, never in parts
};

struct YearSet
{
    QString taxpayer;
    int year = 0;
    std::map<int, Month> months;
    std::deque<SetFile> files; // owns what the months point to
};

// The e-Defter files among the folders' results, by taxpayer and year. Files whose names break the
// pattern are not part of any set; a second file of the same name (another folder) neither.
[[nodiscard]] std::map<std::pair<QString, int>, YearSet> groupIntoSets(const QList<FolderFiles>& folders);

// The checks of one set: its grid and findings.
[[nodiscard]] SetReport checkSet(const YearSet& set);

} // namespace ledgerset::detail
