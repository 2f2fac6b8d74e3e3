#include "export/ledgerexport.h"

#include "export/csvtablewriter.h"
#include "export/tabledocument.h"
#include "export/xlsxtablewriter.h"
#include "ledger/values.h"

#include "common/xmlpreflight.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <functional>
#include <unordered_map>
#include <vector>

namespace ledgerexport {

using ledger::HeaderFields;
using ledger::LedgerReader;
using ledger::LineFields;
using ledger::ReadEvent;
using ledger::Side;

namespace {

// Unbalanced entries are rare; the list is kept in memory until the lines are written, so it is
// capped (a ledger where every entry is off needs fixing, not a longer list).
constexpr size_t kUnbalancedListLimit = 100000;

constexpr Column kJournalColumns[] = {
    {"Madde No", ColumnType::Integer, 10},    {"Tarih", ColumnType::Date, 12},
    {"Fiş No", ColumnType::Text, 10},         {"Hesap Kodu", ColumnType::Text, 12},
    {"Hesap Adı", ColumnType::Text, 28},      {"Alt Hesap Kodu", ColumnType::Text, 16},
    {"Alt Hesap Adı", ColumnType::Text, 28},  {"Açıklama", ColumnType::Text, 44},
    {"Belge Türü", ColumnType::Text, 14},     {"Belge No", ColumnType::Text, 18},
    {"Belge Tarihi", ColumnType::Date, 13},   {"Borç", ColumnType::Amount, 16, true},
    {"Alacak", ColumnType::Amount, 16, true},
};

constexpr Column kLedgerColumns[] = {
    {"Hesap Kodu", ColumnType::Text, 12},     {"Hesap Adı", ColumnType::Text, 26},
    {"Alt Hesap Kodu", ColumnType::Text, 16}, {"Alt Hesap Adı", ColumnType::Text, 26},
    {"Tarih", ColumnType::Date, 12},          {"Madde No", ColumnType::Integer, 10},
    {"Fiş No", ColumnType::Text, 10},         {"Açıklama", ColumnType::Text, 44},
    {"Borç", ColumnType::Amount, 16, true},   {"Alacak", ColumnType::Amount, 16, true},
    {"Bakiye", ColumnType::Amount, 16},       {"B/A", ColumnType::Text, 5},
};

constexpr Column kAccountColumns[] = {
    {"Hesap Kodu", ColumnType::Text, 12},
    {"Hesap Adı", ColumnType::Text, 26},
    {"Alt Hesap Kodu", ColumnType::Text, 16},
    {"Alt Hesap Adı", ColumnType::Text, 26},
    {"Satır Sayısı", ColumnType::Integer, 13, true},
    {"Borç", ColumnType::Amount, 16, true},
    {"Alacak", ColumnType::Amount, 16, true},
    {"Bakiye", ColumnType::Amount, 16},
    {"B/A", ColumnType::Text, 5},
};

constexpr Column kReportColumns[] = {
    {"Hesap Kodu", ColumnType::Text, 12},
    {"Hesap Adı", ColumnType::Text, 30},
    {"Borç İşlem Sayısı", ColumnType::Integer, 18, true},
    {"Borç", ColumnType::Amount, 18, true},
    {"Alacak İşlem Sayısı", ColumnType::Integer, 20, true},
    {"Alacak", ColumnType::Amount, 18, true},
    {"Bakiye", ColumnType::Amount, 18},
    {"B/A", ColumnType::Text, 5},
};

constexpr Column kUnbalancedColumns[] = {
    {"Madde No", ColumnType::Integer, 10},      {"Tarih", ColumnType::Date, 12},
    {"Fiş No", ColumnType::Text, 10},           {"Borç Toplamı", ColumnType::Amount, 16},
    {"Alacak Toplamı", ColumnType::Amount, 16}, {"Fark", ColumnType::Amount, 16},
};

constexpr std::string_view kUnbalancedSheet = "Dengesiz Maddeler";
constexpr std::string_view kNoneUnbalanced = "Borç ve alacak toplamları farklı olan madde yok.";

QString text(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

Value money(qint64 cents)
{
    return Value::ofNumber(double(cents) / 100.0);
}

std::string_view balanceSide(qint64 cents)
{
    return cents > 0 ? "B" : cents < 0 ? "A" : "";
}

std::string_view documentTypeText(const LineFields& line)
{
    if (!line.documentTypeDescription.empty()) {
        return line.documentTypeDescription;
    }
    static const std::pair<std::string_view, std::string_view> names[] = {
        {"invoice", "Fatura"},
        {"check", "Çek"},
        {"order-customer", "Müşteri Siparişi"},
        {"order-vendor", "Satıcı Siparişi"},
        {"voucher", "Fiş"},
        {"shipment", "İrsaliye"},
        {"receipt", "Makbuz"},
        {"other", "Diğer"},
    };
    for (const auto& [code, name] : names) {
        if (line.documentType == code) {
            return name;
        }
    }
    return line.documentType;
}

struct Unbalanced
{
    std::string counter;
    std::string date;
    std::string voucher;
    qint64 debit = 0;
    qint64 credit = 0;
};

struct AccountTotal
{
    std::string mainID, mainName, subID, subName;
    qint64 debitCount = 0, creditCount = 0;
    qint64 lines = 0;
    qint64 debit = 0, credit = 0;
};

class Exporter
{
public:
    Exporter(LedgerReader& reader, TableWriter& writer, ExportResult& result, const QString& ledgerName)
        : m_reader(reader), m_writer(writer), m_result(result), m_ledgerName(ledgerName)
    {}

    // Reads the rest of the ledger into the writer, counting into the result.
    common::Outcome run();

private:
    bool failLine(const QString& what, const std::string& value, const QString& why = {});
    bool lineAmount(qint64& debit, qint64& credit, bool& onDebit);
    bool journalLine();
    bool ledgerLine();
    bool reportLine();
    void writeAccounts(bool report);
    void writeUnbalanced();
    void collectLedgerUnbalanced();

    LedgerReader& m_reader;
    TableWriter& m_writer;
    ExportResult& m_result;
    QString m_ledgerName;
    QString m_lineFault; // why the line just read could not be written

    qint64 m_entryDebit = 0, m_entryCredit = 0;
    qint64 m_balance = 0;
    bool m_newBlock = true;
    std::vector<Unbalanced> m_unbalanced;
    std::vector<AccountTotal> m_accounts;
    std::unordered_map<std::string, size_t> m_accountIndex;      // report: code to m_accounts
    std::unordered_map<std::string, Unbalanced> m_ledgerEntries; // kebir: entry number to its sums
};

bool Exporter::failLine(const QString& what, const std::string& value, const QString& why)
{
    const long fileLine = m_reader.sourceLine();
    m_lineFault = QStringLiteral("%1 okunamadı: %2. satırda %3 geçersiz%4: \"%5\"%6.")
                      .arg(m_ledgerName)
                      .arg(m_result.lines + 1)
                      .arg(what, why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why), text(value),
                           fileLine > 0 ? QStringLiteral(" (dosyada %1. satır)").arg(fileLine) : QString());
    return false;
}

// Amounts in whole kuruş, so that sums and balance checks are exact; a line the ledger layer cannot
// read (a third decimal, an unknown side, a date that is no day) stops the export with its place.
bool Exporter::lineAmount(qint64& debit, qint64& credit, bool& onDebit)
{
    ledger::Amount amount;
    Side side = Side::Debit;
    if (const auto fault = ledger::readLine(m_reader.header(), m_reader.line(), amount, side)) {
        return failLine(fault->what, fault->value, fault->why);
    }
    onDebit = side == Side::Debit;
    debit = onDebit ? amount.kurus() : 0;
    credit = onDebit ? 0 : amount.kurus();
    return true;
}

bool Exporter::journalLine()
{
    const HeaderFields& h = m_reader.header();
    const LineFields& l = m_reader.line();
    qint64 debit = 0, credit = 0;
    bool onDebit = true;
    if (!lineAmount(debit, credit, onDebit)) {
        return false;
    }
    m_entryDebit += debit;
    m_entryCredit += credit;
    const Value row[] = {
        integerValue(h.entryNumberCounter.empty() ? l.lineNumberCounter : h.entryNumberCounter),
        dateValue(h.enteredDate.empty() ? l.postingDate : h.enteredDate),
        Value::ofText(h.entryNumber.empty() ? l.documentReference : h.entryNumber),
        Value::ofText(l.accountMainID),
        Value::ofText(l.accountMainDescription),
        Value::ofText(l.accountSubID),
        Value::ofText(l.accountSubDescription),
        Value::ofText(l.detailComment),
        Value::ofText(documentTypeText(l)),
        Value::ofText(l.documentNumber),
        dateValue(l.documentDate),
        onDebit ? money(debit) : Value{},
        onDebit ? Value{} : money(credit),
    };
    m_writer.addRow(row);
    ++m_result.rows;
    return true;
}

bool Exporter::ledgerLine()
{
    const LineFields& l = m_reader.line();
    qint64 debit = 0, credit = 0;
    bool onDebit = true;
    if (!lineAmount(debit, credit, onDebit)) {
        return false;
    }
    if (m_newBlock) {
        m_accounts.push_back({l.accountMainID, l.accountMainDescription, l.accountSubID, l.accountSubDescription});
        m_balance = 0;
        m_newBlock = false;
    }
    AccountTotal& account = m_accounts.back();
    ++account.lines;
    account.debit += debit;
    account.credit += credit;
    m_balance += debit - credit;

    Unbalanced& entry = m_ledgerEntries[l.lineNumberCounter];
    if (entry.counter.empty()) {
        entry.counter = l.lineNumberCounter;
        entry.date = l.postingDate;
        entry.voucher = l.documentReference;
    }
    entry.debit += debit;
    entry.credit += credit;

    const Value row[] = {
        Value::ofText(l.accountMainID),
        Value::ofText(l.accountMainDescription),
        Value::ofText(l.accountSubID),
        Value::ofText(l.accountSubDescription),
        dateValue(l.postingDate),
        integerValue(l.lineNumberCounter),
        Value::ofText(l.documentReference),
        Value::ofText(l.detailComment),
        onDebit ? money(debit) : Value{},
        onDebit ? Value{} : money(credit),
        money(m_balance < 0 ? -m_balance : m_balance),
        Value::ofText(balanceSide(m_balance)),
    };
    m_writer.addRow(row);
    ++m_result.rows;
    return true;
}

bool Exporter::reportLine()
{
    const LineFields& l = m_reader.line();
    qint64 debit = 0, credit = 0;
    bool onDebit = true;
    if (!lineAmount(debit, credit, onDebit)) {
        return false;
    }
    auto [it, added] = m_accountIndex.emplace(l.accountMainID, m_accounts.size());
    if (added) {
        m_accounts.push_back({l.accountMainID, l.accountMainDescription, {}, {}});
    }
    AccountTotal& account = m_accounts[it->second];
    qint64 count = 0;
    const std::string& n = l.documentApplyToNumber;
    if (!n.empty() && std::from_chars(n.data(), n.data() + n.size(), count).ec != std::errc()) {
        return failLine(QStringLiteral("işlem sayısı"), n);
    }
    account.debit += debit;
    account.credit += credit;
    (onDebit ? account.debitCount : account.creditCount) += count;
    return true;
}

// Kebir: per account block, with sub-accounts; report: per main account, with posting counts.
void Exporter::writeAccounts(bool report)
{
    if (report) {
        m_writer.beginTable("Defter Raporu", kReportColumns, true);
    } else {
        m_writer.beginTable("Hesap Toplamları", kAccountColumns, true);
    }
    for (const AccountTotal& a : m_accounts) {
        const qint64 balance = a.debit - a.credit;
        const Value abs = money(balance < 0 ? -balance : balance);
        if (report) {
            const Value row[] = {Value::ofText(a.mainID),
                                 Value::ofText(a.mainName),
                                 Value::ofNumber(double(a.debitCount)),
                                 money(a.debit),
                                 Value::ofNumber(double(a.creditCount)),
                                 money(a.credit),
                                 abs,
                                 Value::ofText(balanceSide(balance))};
            m_writer.addRow(row);
        } else {
            const Value row[] = {Value::ofText(a.mainID),
                                 Value::ofText(a.mainName),
                                 Value::ofText(a.subID),
                                 Value::ofText(a.subName),
                                 Value::ofNumber(double(a.lines)),
                                 money(a.debit),
                                 money(a.credit),
                                 abs,
                                 Value::ofText(balanceSide(balance))};
            m_writer.addRow(row);
        }
    }
    m_writer.endTable();
}

void Exporter::writeUnbalanced()
{
    m_writer.beginTable(kUnbalancedSheet, kUnbalancedColumns, false);
    for (const Unbalanced& u : m_unbalanced) {
        const Value row[] = {integerValue(u.counter), dateValue(u.date), Value::ofText(u.voucher),
                             money(u.debit),          money(u.credit),   money(u.debit - u.credit)};
        m_writer.addRow(row);
    }
    if (m_unbalanced.empty()) {
        m_writer.addNote(kNoneUnbalanced);
    } else if (qint64(m_unbalanced.size()) < m_result.unbalancedEntries) {
        m_writer.addNote(QStringLiteral("… ve %1 madde daha (ilk %2 madde listelendi).")
                             .arg(m_result.unbalancedEntries - qint64(m_unbalanced.size()))
                             .arg(m_unbalanced.size())
                             .toStdString());
    }
    m_writer.endTable();
}

// Kebir: an entry's lines are spread over the account blocks, so its sums are only known at the end.
void Exporter::collectLedgerUnbalanced()
{
    std::vector<const Unbalanced*> off;
    for (const auto& [counter, entry] : m_ledgerEntries) {
        if (entry.debit != entry.credit) {
            off.push_back(&entry);
        }
    }
    // Entry numbers in numeric order (shorter digit strings first).
    std::sort(off.begin(), off.end(), [](const Unbalanced* a, const Unbalanced* b) {
        return a->counter.size() != b->counter.size() ? a->counter.size() < b->counter.size() : a->counter < b->counter;
    });
    m_result.unbalancedEntries = qint64(off.size());
    for (size_t i = 0; i < off.size() && i < kUnbalancedListLimit; ++i) {
        m_unbalanced.push_back(*off[i]);
    }
}

common::Outcome Exporter::run()
{
    const LedgerKind kind = m_reader.kind();
    if (kind == LedgerKind::Journal) {
        m_writer.beginTable("Yevmiye", kJournalColumns, true);
    } else if (kind == LedgerKind::Ledger) {
        m_writer.beginTable("Kebir", kLedgerColumns, true);
    }

    for (;;) {
        switch (m_reader.next()) {
        case ReadEvent::Kind:
            break;
        case ReadEvent::HeaderStart:
            m_entryDebit = m_entryCredit = 0;
            m_newBlock = true; // kebir: one account block per header, its balance from zero
            break;
        case ReadEvent::Line:
            if (!(kind == LedgerKind::Journal  ? journalLine()
                  : kind == LedgerKind::Ledger ? ledgerLine()
                                               : reportLine())) {
                return common::Outcome::failure(m_lineFault);
            }
            ++m_result.lines;
            break;
        case ReadEvent::HeaderEnd:
            if (kind == LedgerKind::Journal && m_entryDebit != m_entryCredit) {
                ++m_result.unbalancedEntries;
                if (m_unbalanced.size() < kUnbalancedListLimit) {
                    const HeaderFields& h = m_reader.header();
                    m_unbalanced.push_back(
                        {h.entryNumberCounter, h.enteredDate, h.entryNumber, m_entryDebit, m_entryCredit});
                }
            }
            break;
        case ReadEvent::End:
            if (kind == LedgerKind::Journal) {
                m_writer.endTable();
                writeUnbalanced();
            } else if (kind == LedgerKind::Ledger) {
                m_writer.endTable();
                collectLedgerUnbalanced();
                writeAccounts(false);
                writeUnbalanced();
            } else {
                m_result.rows = qint64(m_accounts.size());
                writeAccounts(true);
            }
            return common::Outcome::done();
        case ReadEvent::Cancelled:
            return common::Outcome::stopped();
        case ReadEvent::Failed:
            return common::Outcome::failure(m_reader.error());
        }
    }
}

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

ExportResult settled(ExportResult result, common::Outcome outcome)
{
    static_cast<common::Outcome&>(result) = std::move(outcome);
    return result;
}

// A file no ledger could be is refused before the reader opens it.
common::Outcome checkLedgerFile(const QString& ledgerPath, const QString& ledgerName, const std::atomic_bool* cancel)
{
    using Verdict = common::XmlPreflight::Verdict;
    const common::XmlPreflight preflight = common::preflightXmlFile(ledgerPath, {}, -1, cancel);
    if (preflight.ok()) {
        return common::Outcome::done();
    }
    if (preflight.verdict == Verdict::Cancelled) {
        return common::Outcome::stopped();
    }
    return common::Outcome::failure(preflight.verdict == Verdict::Unreadable ||
                                            preflight.verdict == Verdict::NotRegularFile
                                        ? QStringLiteral("%1 açılamadı: %2.").arg(ledgerName, preflight.problem)
                                        : QStringLiteral("%1 okunamadı: %2").arg(ledgerName, preflight.problem));
}

// Read up to the kind first: a file that is no ledger never gets as far as creating anything.
common::Outcome readKind(LedgerReader& reader)
{
    switch (reader.next()) {
    case ReadEvent::Kind:
        return common::Outcome::done();
    case ReadEvent::Cancelled:
        return common::Outcome::stopped();
    default:
        return common::Outcome::failure(reader.error());
    }
}

struct TemporaryFile : common::Outcome
{
    QString path;
};

// The temporary file sits beside the target, so the final rename cannot cross file systems.
TemporaryFile createTemporary(const QFileInfo& out)
{
    const QString outName = out.fileName();
    const QDir folder = out.absoluteDir();
    if (outName.isEmpty() || !folder.exists()) {
        return {common::Outcome::failure(QStringLiteral("%1 yazılamadı: klasör yok (%2).")
                                             .arg(outName, QDir::toNativeSeparators(folder.absolutePath()))),
                {}};
    }
    QTemporaryFile temporary(folder.filePath(outName + QStringLiteral(".XXXXXX.tmp")));
    temporary.setAutoRemove(false);
    if (!temporary.open()) {
        return {common::Outcome::failure(
                    QStringLiteral("%1 yazılamadı: %2 klasörüne yazılamıyor (%3).")
                        .arg(outName, QDir::toNativeSeparators(folder.absolutePath()), temporary.errorString())),
                {}};
    }
    return {common::Outcome::done(), temporary.fileName()};
}

std::unique_ptr<TableWriter> makeWriter(Format format, const QString& path, const ExportOptions& options)
{
    if (format == Format::Xlsx) {
        return std::make_unique<XlsxTableWriter>(path, options.sheetRowLimit);
    }
    return std::make_unique<CsvTableWriter>(path);
}

common::Outcome cannotWrite(const QString& outName, const common::Outcome& why)
{
    return common::Outcome::failure(QStringLiteral("%1 yazılamadı: %2.").arg(outName, why.error));
}

// The whole export into the temporary file: `fill` writes the tables. The writer is gone when this
// returns, so that the file is closed before it is moved.
common::Outcome writeTemporary(const std::function<common::Outcome(TableWriter&)>& fill, ExportResult& result,
                               Format format, const ExportOptions& options, const QString& path, const QString& outName)
{
    const std::unique_ptr<TableWriter> writer = makeWriter(format, path, options);
    if (const common::Outcome opened = writer->open(); !opened.ok) {
        return cannotWrite(outName, opened);
    }
    if (common::Outcome read = fill(*writer); !read.ok) {
        writer->abandon();
        return read; // the reader's words name the ledger and the line
    }
    result.sheets = writer->firstTableSheets();
    const common::Outcome finished = writer->finish();
    return finished.ok ? finished : cannotWrite(outName, finished);
}

common::Outcome moveIntoPlace(const QString& temporaryPath, const QFileInfo& out)
{
    QFile::setPermissions(temporaryPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    std::error_code ec;
    std::filesystem::rename(fsPath(temporaryPath), fsPath(out.absoluteFilePath()), ec);
    if (ec) {
        return common::Outcome::failure(QStringLiteral("%1 yazılamadı: geçici dosya yerine konamadı (%2).")
                                            .arg(out.fileName(), QString::fromLocal8Bit(ec.message())));
    }
    return common::Outcome::done();
}

} // namespace

QString kindName(LedgerKind kind)
{
    switch (kind) {
    case LedgerKind::Journal:
        return QStringLiteral("yevmiye");
    case LedgerKind::Ledger:
        return QStringLiteral("kebir");
    case LedgerKind::Report:
        return QStringLiteral("defter raporu");
    case LedgerKind::Mizan:
        return QStringLiteral("mizan");
    case LedgerKind::Ekstre:
        return QStringLiteral("hesap ekstresi");
    case LedgerKind::JournalBerat: // never exported
    case LedgerKind::LedgerBerat:
    case LedgerKind::FolderReport:
    case LedgerKind::Unknown:
        break;
    }
    return QStringLiteral("bilinmeyen");
}

ExportResult exportLedger(const QString& ledgerPath, const QString& outPath, Format format, const Progress& progress,
                          const std::atomic_bool* cancel, const ExportOptions& options)
{
    ExportResult result;
    const QString ledgerName = QFileInfo(ledgerPath).fileName();
    if (common::Outcome checked = checkLedgerFile(ledgerPath, ledgerName, cancel); !checked.ok) {
        return settled(std::move(result), std::move(checked));
    }
    std::unique_ptr<LedgerReader> reader;
    std::function<common::Outcome(TableWriter&)> fill;
    result.kind = tableDocumentKind(ledgerPath);
    if (result.kind != LedgerKind::Unknown) {
        // The program's own mizan or ekstre: its rows as they stand.
        fill = [&](TableWriter& writer) {
            return writeTableDocument(ledgerPath, result.kind, writer, result.rows, cancel);
        };
    } else {
        reader = std::make_unique<LedgerReader>(ledgerPath, progress, cancel);
        if (common::Outcome read = readKind(*reader); !read.ok) {
            return settled(std::move(result), std::move(read));
        }
        result.kind = reader->kind();
        fill = [&](TableWriter& writer) {
            return Exporter(*reader, writer, result, ledgerName).run();
        };
    }

    const QFileInfo out(outPath);
    TemporaryFile temporary = createTemporary(out);
    if (!temporary.ok) {
        return settled(std::move(result), std::move(temporary));
    }
    common::Outcome written = writeTemporary(fill, result, format, options, temporary.path, out.fileName());
    if (written.ok) {
        written = moveIntoPlace(temporary.path, out);
    }
    if (!written.ok) {
        QFile::remove(temporary.path);
    }
    return settled(std::move(result), std::move(written));
}

} // namespace ledgerexport
