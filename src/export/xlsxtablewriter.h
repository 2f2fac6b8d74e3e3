#pragma once

#include "export/tablewriter.h"

#include <memory>
#include <vector>

// libxlsxwriter in constant-memory mode: each row goes to a temporary file as soon as the next
// begins, so memory stays flat; rows must therefore come in order, which is how we read them.
namespace ledgerexport {

class XlsxTableWriter final : public TableWriter
{
public:
    XlsxTableWriter(const QString& path, qint64 sheetRowLimit);
    ~XlsxTableWriter() override;

    [[nodiscard]] common::Outcome open() override;

    void beginTable(std::string_view name, std::span<const Column> columns, bool totals) override;
    void addRow(std::span<const Value> row) override { writeRow(row, false); }
    void addBoldRow(std::span<const Value> row) override { writeRow(row, true); }
    void addNote(std::string_view text) override;
    void endTable() override;
    [[nodiscard]] common::Outcome finish() override;
    void abandon() override;
    int firstTableSheets() const override { return m_firstTableSheets; }

private:
    struct Sheet;
    struct Workbook;
    void writeRow(std::span<const Value> row, bool bold);
    void openSheet();
    void closeSheet();
    void writeTotals(Sheet& sheet, unsigned row);

    QString m_path;
    qint64 m_dataRowsPerSheet;
    std::unique_ptr<Workbook> m_book;
    std::string m_tableName;
    std::vector<Column> m_columns;
    bool m_totals = false;
    std::vector<Sheet> m_sheets; // of the current table
    int m_tables = 0;
    int m_firstTableSheets = 0;
};

} // namespace ledgerexport
