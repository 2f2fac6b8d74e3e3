#pragma once

#include "export/tablewriter.h"

#include <QFile>

#include <string>

// CSV as Excel in Turkish opens it with a double-click: UTF-8 with a byte-order mark, semicolons,
// decimal commas, RFC 4180 quoting and CRLF line ends. Only the first table is written.
namespace ledgerexport {

class CsvTableWriter final : public TableWriter
{
public:
    explicit CsvTableWriter(const QString& path);

    [[nodiscard]] common::Outcome open() override;

    void beginTable(std::string_view name, std::span<const Column> columns, bool totals) override;
    void addRow(std::span<const Value> row) override;
    void addBoldRow(std::span<const Value> row) override { addRow(row); }
    void addNote(std::string_view text) override;
    void endTable() override;
    [[nodiscard]] common::Outcome finish() override;
    void abandon() override;
    int firstTableSheets() const override { return 1; }

private:
    void appendText(std::string_view text);
    void endLine();
    void flush();

    QFile m_file;
    std::string m_buffer;
    int m_tables = 0;
    bool m_writeFailed = false;
    int m_errno = 0;
    std::vector<Column> m_columns;
};

} // namespace ledgerexport
