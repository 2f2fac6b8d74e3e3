#include "export/csvtablewriter.h"

#include <cerrno>
#include <charconv>
#include <cstdio>

namespace ledgerexport {

namespace {

constexpr size_t kFlushSize = 1 << 20;

} // namespace

CsvTableWriter::CsvTableWriter(const QString& path) : m_file(path) {}

common::Outcome CsvTableWriter::open()
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return common::Outcome::failure(m_file.errorString());
    }
    m_buffer.reserve(kFlushSize + 64 * 1024);
    m_buffer = "\xEF\xBB\xBF";
    return common::Outcome::done();
}

void CsvTableWriter::beginTable(std::string_view, std::span<const Column> columns, bool)
{
    if (++m_tables > 1) {
        return;
    }
    m_columns.assign(columns.begin(), columns.end());
    for (size_t c = 0; c < columns.size(); ++c) {
        if (c > 0) {
            m_buffer += ';';
        }
        appendText(columns[c].title);
    }
    endLine();
}

void CsvTableWriter::appendText(std::string_view text)
{
    // A text Excel would take for a formula is kept as text, so a description cannot run as one.
    const bool formulaLike = !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@' ||
                                               text[0] == '\t' || text[0] == '\r');
    const bool quote = formulaLike || text.find_first_of(";\"\r\n") != std::string_view::npos;
    if (!quote) {
        m_buffer += text;
        return;
    }
    m_buffer += '"';
    if (formulaLike) {
        m_buffer += '\'';
    }
    for (char c : text) {
        if (c == '"') {
            m_buffer += '"';
        }
        m_buffer += c;
    }
    m_buffer += '"';
}

void CsvTableWriter::addRow(std::span<const Value> row)
{
    if (m_tables != 1) {
        return;
    }
    char number[64];
    for (size_t c = 0; c < row.size(); ++c) {
        if (c > 0) {
            m_buffer += ';';
        }
        const Value& v = row[c];
        switch (v.kind) {
        case Value::Empty:
            break;
        case Value::Text:
            appendText(v.text);
            break;
        case Value::Number: {
            const bool amount = c < m_columns.size() && m_columns[c].type == ColumnType::Amount;
            const auto [end, ec] =
                amount ? std::to_chars(number, number + sizeof number, v.number, std::chars_format::fixed, 2)
                       : std::to_chars(number, number + sizeof number, v.number, std::chars_format::fixed, 0);
            for (char* p = number; p < end && ec == std::errc(); ++p) {
                m_buffer += *p == '.' ? ',' : *p;
            }
            break;
        }
        case Value::Date: {
            const int n = std::snprintf(number, sizeof number, "%02d.%02d.%04d", v.day, v.month, v.year);
            m_buffer.append(number, size_t(n));
            break;
        }
        }
    }
    endLine();
}

void CsvTableWriter::addNote(std::string_view text)
{
    if (m_tables != 1) {
        return;
    }
    appendText(text);
    endLine();
}

void CsvTableWriter::endLine()
{
    m_buffer += "\r\n";
    if (m_buffer.size() >= kFlushSize) {
        flush();
    }
}

void CsvTableWriter::flush()
{
    if (m_writeFailed || m_buffer.empty()) {
        return;
    }
    if (m_file.write(m_buffer.data(), qint64(m_buffer.size())) != qint64(m_buffer.size())) {
        m_writeFailed = true;
        m_errno = errno;
    }
    m_buffer.clear();
}

void CsvTableWriter::endTable() {}

common::Outcome CsvTableWriter::finish()
{
    flush();
    if (!m_writeFailed && !m_file.flush()) {
        m_writeFailed = true;
        m_errno = errno;
    }
    if (m_writeFailed) {
        // QFile reports a short write as an unknown error; the system's reason is clearer.
        m_file.close();
        return common::Outcome::failure(
            QStringLiteral("yazma hatası (%1); disk dolu olabilir").arg(qt_error_string(m_errno)));
    }
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        return common::Outcome::failure(QStringLiteral("dosya kapatılamadı (%1)").arg(m_file.errorString()));
    }
    return common::Outcome::done();
}

void CsvTableWriter::abandon()
{
    m_file.close();
}

} // namespace ledgerexport
