#include "export/xlsxtablewriter.h"

#include "export/ledgerexport.h"

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>

namespace ledgerexport {

namespace {

// A cell holds at most this many characters; longer texts are cut rather than failing the export.
constexpr size_t kCellTextLimit = 32767;

std::string columnLetters(int column)
{
    std::string letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) {
        letters.insert(letters.begin(), char('A' + (c - 1) % 26));
    }
    return letters;
}

std::string quotedSheet(const std::string& name)
{
    std::string quoted = "'";
    for (char c : name) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted + "'";
}

std::string_view cellText(std::string_view text)
{
    if (text.size() <= kCellTextLimit) {
        return text;
    }
    size_t n = kCellTextLimit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
        --n;
    }
    return text.substr(0, n);
}

} // namespace

struct XlsxTableWriter::Sheet
{
    lxw_worksheet* ws = nullptr;
    std::string name;
    unsigned nextRow = 1; // row 0 is the header
    unsigned totalsRow = 0;
    std::vector<long double> sums;
};

struct XlsxTableWriter::Workbook
{
    QByteArray path;
    QByteArray tmpdir;
    lxw_workbook* wb = nullptr;
    lxw_format* header = nullptr;
    lxw_format* headerRight = nullptr;
    lxw_format* amount = nullptr;
    lxw_format* integer = nullptr;
    lxw_format* date = nullptr;
    lxw_format* totalLabel = nullptr;
    lxw_format* totalAmount = nullptr;
    lxw_format* totalInteger = nullptr;
    lxw_format* boldText = nullptr; // rows that stand out: group sums, totals
    lxw_format* boldAmount = nullptr;
    lxw_format* boldInteger = nullptr;
    lxw_format* boldDate = nullptr;
    std::vector<lxw_worksheet*> all;
    lxw_error firstError = LXW_NO_ERROR;
    std::string scratch; // a cell's text with its terminator, reused to spare an allocation per cell

    void check(lxw_error e)
    {
        if (e != LXW_NO_ERROR && firstError == LXW_NO_ERROR) {
            firstError = e;
        }
    }
};

XlsxTableWriter::XlsxTableWriter(const QString& path, qint64 sheetRowLimit)
    : m_path(path),
      // The header and totals rows, and a grand total on the last sheet, come out of the limit.
      m_dataRowsPerSheet(std::max<qint64>(1, std::min(sheetRowLimit, kExcelRowLimit) - 3)),
      m_book(std::make_unique<Workbook>())
{}

XlsxTableWriter::~XlsxTableWriter()
{
    abandon();
}

common::Outcome XlsxTableWriter::open()
{
    Workbook& b = *m_book;
    // The library takes UTF-8 file names on every platform (it widens them itself on Windows).
    b.path = QDir::toNativeSeparators(m_path).toUtf8();
    // Explicit, because the C library's own default is the root of C: on Windows.
    b.tmpdir = QDir::toNativeSeparators(QDir::tempPath()).toUtf8();
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = b.tmpdir.data();
    b.wb = workbook_new_opt(b.path.constData(), &options);
    if (!b.wb) {
        return common::Outcome::failure(QStringLiteral("Excel çalışma kitabı oluşturulamadı (bellek yetersiz)."));
    }
    b.header = workbook_add_format(b.wb);
    format_set_bold(b.header);
    format_set_bg_color(b.header, 0xD9E1F2);
    format_set_bottom(b.header, LXW_BORDER_THIN);
    // Numbers sit on the right, so their titles do too.
    b.headerRight = workbook_add_format(b.wb);
    format_set_bold(b.headerRight);
    format_set_bg_color(b.headerRight, 0xD9E1F2);
    format_set_bottom(b.headerRight, LXW_BORDER_THIN);
    format_set_align(b.headerRight, LXW_ALIGN_RIGHT);
    b.amount = workbook_add_format(b.wb);
    format_set_num_format(b.amount, "#,##0.00");
    b.integer = workbook_add_format(b.wb);
    format_set_num_format(b.integer, "0");
    b.date = workbook_add_format(b.wb);
    format_set_num_format(b.date, "dd.mm.yyyy");
    b.totalLabel = workbook_add_format(b.wb);
    format_set_bold(b.totalLabel);
    format_set_top(b.totalLabel, LXW_BORDER_THIN);
    b.totalAmount = workbook_add_format(b.wb);
    format_set_bold(b.totalAmount);
    format_set_top(b.totalAmount, LXW_BORDER_THIN);
    format_set_num_format(b.totalAmount, "#,##0.00");
    b.totalInteger = workbook_add_format(b.wb);
    format_set_bold(b.totalInteger);
    format_set_top(b.totalInteger, LXW_BORDER_THIN);
    format_set_num_format(b.totalInteger, "#,##0");
    b.boldText = workbook_add_format(b.wb);
    format_set_bold(b.boldText);
    b.boldAmount = workbook_add_format(b.wb);
    format_set_bold(b.boldAmount);
    format_set_num_format(b.boldAmount, "#,##0.00");
    b.boldInteger = workbook_add_format(b.wb);
    format_set_bold(b.boldInteger);
    format_set_num_format(b.boldInteger, "0");
    b.boldDate = workbook_add_format(b.wb);
    format_set_bold(b.boldDate);
    format_set_num_format(b.boldDate, "dd.mm.yyyy");
    return common::Outcome::done();
}

void XlsxTableWriter::beginTable(std::string_view name, std::span<const Column> columns, bool totals)
{
    m_tableName = std::string(name);
    m_columns.assign(columns.begin(), columns.end());
    m_totals = totals;
    m_sheets.clear();
    openSheet();
}

void XlsxTableWriter::openSheet()
{
    Workbook& b = *m_book;
    Sheet sheet;
    sheet.name = m_sheets.empty() ? m_tableName : m_tableName + " (" + std::to_string(m_sheets.size() + 1) + ")";
    sheet.ws = workbook_add_worksheet(b.wb, sheet.name.c_str());
    if (!sheet.ws) {
        b.check(LXW_ERROR_MEMORY_MALLOC_FAILED);
        return;
    }
    b.all.push_back(sheet.ws);
    sheet.sums.assign(m_columns.size(), 0);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        const Column& column = m_columns[c];
        lxw_format* format = column.type == ColumnType::Amount    ? b.amount
                             : column.type == ColumnType::Date    ? b.date
                             : column.type == ColumnType::Integer ? b.integer
                                                                  : nullptr;
        b.check(worksheet_set_column(sheet.ws, lxw_col_t(c), lxw_col_t(c), column.width, format));
        b.check(worksheet_write_string(sheet.ws, 0, lxw_col_t(c), column.title,
                                       column.type == ColumnType::Text ? b.header : b.headerRight));
    }
    worksheet_freeze_panes(sheet.ws, 1, 0);
    // Printed from the spreadsheet: A4 landscape, all columns on one page wide, the header on every page.
    worksheet_set_paper(sheet.ws, 9);
    worksheet_set_landscape(sheet.ws);
    worksheet_fit_to_pages(sheet.ws, 1, 0);
    b.check(worksheet_repeat_rows(sheet.ws, 0, 0));
    m_sheets.push_back(std::move(sheet));
}

void XlsxTableWriter::writeRow(std::span<const Value> row, bool bold)
{
    Workbook& b = *m_book;
    if (m_sheets.empty() || !m_sheets.back().ws) {
        return;
    }
    if (qint64(m_sheets.back().nextRow - 1) >= m_dataRowsPerSheet) {
        closeSheet();
        openSheet();
        if (!m_sheets.back().ws) {
            return;
        }
    }
    Sheet& sheet = m_sheets.back();
    const lxw_row_t r = sheet.nextRow++;
    for (size_t c = 0; c < row.size() && c < m_columns.size(); ++c) {
        const Value& v = row[c];
        const lxw_col_t col = lxw_col_t(c);
        switch (v.kind) {
        case Value::Empty:
            break;
        case Value::Text:
            b.scratch.assign(cellText(v.text));
            b.check(worksheet_write_string(sheet.ws, r, col, b.scratch.c_str(), bold ? b.boldText : nullptr));
            break;
        case Value::Number:
            b.check(worksheet_write_number(sheet.ws, r, col, v.number,
                                           m_columns[c].type == ColumnType::Amount
                                               ? (bold ? b.boldAmount : b.amount)
                                               : (bold ? b.boldInteger : b.integer)));
            if (m_columns[c].summed) {
                sheet.sums[c] += v.number;
            }
            break;
        case Value::Date: {
            lxw_datetime when = {v.year, v.month, v.day, 0, 0, 0};
            b.check(worksheet_write_datetime(sheet.ws, r, col, &when, bold ? b.boldDate : b.date));
            break;
        }
        }
    }
}

void XlsxTableWriter::addNote(std::string_view text)
{
    if (m_sheets.empty() || !m_sheets.back().ws) {
        return;
    }
    Sheet& sheet = m_sheets.back();
    m_book->check(worksheet_write_string(sheet.ws, sheet.nextRow++, 0, std::string(text).c_str(), nullptr));
}

void XlsxTableWriter::writeTotals(Sheet& sheet, unsigned row)
{
    Workbook& b = *m_book;
    b.check(worksheet_write_string(sheet.ws, row, 0, "TOPLAM", b.totalLabel));
    const unsigned last = sheet.nextRow - 1;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!m_columns[c].summed) {
            continue;
        }
        lxw_format* format = m_columns[c].type == ColumnType::Amount ? b.totalAmount : b.totalInteger;
        const std::string letters = columnLetters(int(c));
        // The cached value lets viewers that do not recalculate on opening still show the sum.
        const std::string formula =
            last >= 1 ? "=SUM(" + letters + "2:" + letters + std::to_string(last + 1) + ")" : std::string("=0");
        b.check(
            worksheet_write_formula_num(sheet.ws, row, lxw_col_t(c), formula.c_str(), format, double(sheet.sums[c])));
    }
    sheet.totalsRow = row;
}

void XlsxTableWriter::closeSheet()
{
    Sheet& sheet = m_sheets.back();
    if (!sheet.ws) {
        return;
    }
    const unsigned lastData = sheet.nextRow - 1;
    m_book->check(worksheet_autofilter(sheet.ws, 0, 0, lastData, lxw_col_t(m_columns.size() - 1)));
    if (m_totals) {
        writeTotals(sheet, sheet.nextRow);
    }
}

void XlsxTableWriter::endTable()
{
    if (m_sheets.empty()) {
        return;
    }
    closeSheet();
    ++m_tables;
    if (m_tables == 1) {
        m_firstTableSheets = int(m_sheets.size());
    }
    Sheet& last = m_sheets.back();
    if (!m_totals || m_sheets.size() < 2 || !last.ws) {
        return;
    }
    // A grand total over the sheets' own totals, below the last one.
    Workbook& b = *m_book;
    const unsigned row = last.totalsRow + 1;
    b.check(worksheet_write_string(last.ws, row, 0, "GENEL TOPLAM", b.totalLabel));
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!m_columns[c].summed) {
            continue;
        }
        std::string formula = "=";
        long double sum = 0;
        for (const Sheet& s : m_sheets) {
            if (formula.size() > 1) {
                formula += '+';
            }
            formula += quotedSheet(s.name) + "!" + columnLetters(int(c)) + std::to_string(s.totalsRow + 1);
            sum += s.sums[c];
        }
        lxw_format* format = m_columns[c].type == ColumnType::Amount ? b.totalAmount : b.totalInteger;
        b.check(worksheet_write_formula_num(last.ws, row, lxw_col_t(c), formula.c_str(), format, double(sum)));
    }
}

common::Outcome XlsxTableWriter::finish()
{
    Workbook& b = *m_book;
    if (!b.wb) {
        return common::Outcome::failure({});
    }
    bool tmpFailed = false;
    for (lxw_worksheet* ws : b.all) {
        // The rows already flushed went to a temporary file whose write errors the library ignores.
        if (ws->optimize_tmpfile && (std::fflush(ws->optimize_tmpfile) != 0 || std::ferror(ws->optimize_tmpfile))) {
            tmpFailed = true;
        }
    }
    if (tmpFailed || b.firstError != LXW_NO_ERROR) {
        abandon();
        return common::Outcome::failure(
            tmpFailed ? QStringLiteral("geçici dosyaya yazılamadı (%1): disk dolu olabilir")
                            .arg(QDir::toNativeSeparators(QDir::tempPath()))
                      : QStringLiteral("hücre yazılamadı: %1").arg(QString::fromUtf8(lxw_strerror(b.firstError))));
    }
    const lxw_error e = workbook_close(b.wb);
    b.wb = nullptr;
    if (e != LXW_NO_ERROR) {
        return common::Outcome::failure(
            QStringLiteral("%1 (disk dolu ya da klasör yazılamıyor olabilir)").arg(QString::fromUtf8(lxw_strerror(e))));
    }
    return common::Outcome::done();
}

void XlsxTableWriter::abandon()
{
    if (m_book && m_book->wb) {
        lxw_workbook_free(m_book->wb);
        m_book->wb = nullptr;
    }
}

} // namespace ledgerexport
