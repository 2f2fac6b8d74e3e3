#pragma once

#include "common/result.h"

#include <QString>

#include <span>
#include <string>
#include <string_view>

// The export's output side: tables of typed cells, written row by row in order. XLSX puts each
// table on sheets of its own; CSV carries only the first table.
namespace ledgerexport {

enum class ColumnType
{
    Text,
    Integer, // shown without decimals (entry numbers, counts)
    Amount,  // two decimals, Turkish grouping
    Date,
};

struct Column
{
    const char* title;
    ColumnType type;
    double width;        // in characters
    bool summed = false; // gets a SUM in the totals row
};

struct Value
{
    enum Kind : unsigned char
    {
        Empty,
        Text,
        Number,
        Date,
    };
    Kind kind = Empty;
    std::string_view text;
    double number = 0;
    int year = 0, month = 0, day = 0;

    static Value ofText(std::string_view t) { return t.empty() ? Value{} : Value{Text, t}; }
    static Value ofNumber(double n) { return Value{Number, {}, n}; }
};

// "2024-03-05" (an optional time zone after it is ignored) to a Date value; anything else stays
// text, so that no content is lost.
Value dateValue(std::string_view text);
// Whole numbers (entry numbers) become numbers; anything else stays text.
Value integerValue(std::string_view text);

class TableWriter
{
public:
    virtual ~TableWriter() = default;
    // Creates the file; fails with a Turkish reason.
    [[nodiscard]] virtual common::Outcome open() = 0;
    // totals: a closing row with the sums of the summed columns.
    virtual void beginTable(std::string_view name, std::span<const Column> columns, bool totals) = 0;
    virtual void addRow(std::span<const Value> row) = 0;
    // A row that stands out (a group's sums, a total): bold where the format can show it.
    virtual void addBoldRow(std::span<const Value> row) = 0;
    // A row with a single text, e.g. that a list is empty.
    virtual void addNote(std::string_view text) = 0;
    virtual void endTable() = 0;
    // Completes the file; fails with a Turkish reason when anything could not be written.
    [[nodiscard]] virtual common::Outcome finish() = 0;
    // Drops everything without completing the file (failure or cancel).
    virtual void abandon() = 0;
    // Sheets the first table took.
    virtual int firstTableSheets() const = 0;
};

} // namespace ledgerexport
