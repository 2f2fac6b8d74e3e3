#include "ledgerset/setcheck.h"

#include "ledgerset/yearset.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace ledgerset {

QString codeKey(FindingCode code)
{
    switch (code) {
    case FindingCode::MissingFile:
        return QStringLiteral("missing_file");
    case FindingCode::MissingGibBerat:
        return QStringLiteral("missing_gib_berat");
    case FindingCode::PartGap:
        return QStringLiteral("part_gap");
    case FindingCode::BeratSignatureValue:
        return QStringLiteral("berat_signature_value");
    case FindingCode::BeratEntryCount:
        return QStringLiteral("berat_entry_count");
    case FindingCode::BeratSize:
        return QStringLiteral("berat_size");
    case FindingCode::BeratPeriod:
        return QStringLiteral("berat_period");
    case FindingCode::BeratTaxpayer:
        return QStringLiteral("berat_taxpayer");
    case FindingCode::BeratUniqueId:
        return QStringLiteral("berat_unique_id");
    case FindingCode::BeratTaxLines:
        return QStringLiteral("berat_tax_lines");
    case FindingCode::DrAmount:
        return QStringLiteral("dr_amount");
    case FindingCode::DrCount:
        return QStringLiteral("dr_count");
    case FindingCode::DrTaxLines:
        return QStringLiteral("dr_tax_lines");
    case FindingCode::EntryUnbalanced:
        return QStringLiteral("entry_unbalanced");
    case FindingCode::EntryTotals:
        return QStringLiteral("entry_totals");
    case FindingCode::EntryDate:
        return QStringLiteral("entry_date");
    case FindingCode::KebirJournalMismatch:
        return QStringLiteral("kebir_journal_mismatch");
    case FindingCode::SerialGap:
        return QStringLiteral("serial_gap");
    case FindingCode::NumberGap:
        return QStringLiteral("number_gap");
    case FindingCode::NumberOverlap:
        return QStringLiteral("number_overlap");
    case FindingCode::CompanyDetails:
        return QStringLiteral("company_details");
    }
    return {};
}

Severity severityOf(FindingCode code)
{
    return code == FindingCode::MissingGibBerat || code == FindingCode::CompanyDetails ? Severity::Warning
                                                                                       : Severity::Error;
}

QString columnTitle(Column column)
{
    static const char* const titles[kColumnCount] = {"Y", "K", "YB", "KB", "GİB-YB", "GİB-KB", "DR"};
    return QString::fromUtf8(titles[int(column)]);
}

QString markText(Mark mark)
{
    switch (mark) {
    case Mark::Ok:
        return QStringLiteral("✔");
    case Mark::Bad:
        return QStringLiteral("✘");
    case Mark::Open:
        return QStringLiteral("○");
    case Mark::NotDue:
        break;
    }
    return QStringLiteral("–");
}

QString markKey(Mark mark)
{
    switch (mark) {
    case Mark::Ok:
        return QStringLiteral("ok");
    case Mark::Bad:
        return QStringLiteral("bad");
    case Mark::Open:
        return QStringLiteral("open");
    case Mark::NotDue:
        break;
    }
    return QStringLiteral("not-due");
}

QString MonthRow::period() const
{
    return QStringLiteral("%1-%2").arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
}

namespace {

template <typename List>
int countOf(const List& findings, Severity severity)
{
    int n = 0;
    for (const Finding& f : findings) {
        n += f.severity == severity ? 1 : 0;
    }
    return n;
}

} // namespace

int SetReport::errors() const
{
    return countOf(findings, Severity::Error);
}

int SetReport::warnings() const
{
    return countOf(findings, Severity::Warning);
}

QString SetReport::covers() const
{
    if (months.isEmpty()) {
        return {};
    }
    return months.size() == 1 ? months.first().period()
                              : QStringLiteral("%1 – %2").arg(months.first().period(), months.last().period());
}

int FolderReport::errors() const
{
    int n = 0;
    for (const SetReport& s : sets) {
        n += s.errors();
    }
    return n;
}

int FolderReport::warnings() const
{
    int n = 0;
    for (const SetReport& s : sets) {
        n += s.warnings();
    }
    return n;
}

namespace {

// The folders under root (root too) that hold .xml files, in path order, and the bytes of those files.
// Links to folders are not followed: a link back up would never end.
QStringList foldersUnder(const QString& root, qint64& bytes)
{
    QStringList folders;
    QSet<QString> seen;
    // Name filters match without regard to case: .XML too.
    QDirIterator files(root, {QStringLiteral("*.xml")}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo info = files.nextFileInfo();
        bytes += info.size();
        const QString folder = info.absolutePath();
        if (!seen.contains(folder)) {
            seen.insert(folder);
            folders.append(folder);
        }
    }
    if (folders.isEmpty()) {
        folders.append(QDir(root).absolutePath());
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

} // namespace

FolderReport checkFolder(const QString& folder, const CheckOptions& options, const std::atomic_bool* cancel)
{
    FolderReport report;
    report.root = folder;
    qint64 total = 0;
    const QStringList folders = foldersUnder(folder, total);
    qint64 done = 0;
    verify::VerifyOptions verifyOptions = options.verify;
    verifyOptions.keepContent = true;
    verifyOptions.fileChecked = [&](const QString& path) {
        done += QFileInfo(path).size();
        if (options.progress) {
            options.progress(done, total);
        }
    };
    verifyOptions.fileReading = [&](const QString&, qint64 bytes) {
        if (options.progress) {
            options.progress(done + bytes, total);
        }
    };
    for (const QString& dir : folders) {
        if (cancel && cancel->load()) {
            report.cancelled = true;
            return report;
        }
        report.folders.append({dir, verify::verifyFolder(dir, verifyOptions, cancel)});
    }
    if (cancel && cancel->load()) {
        report.cancelled = true;
        return report;
    }
    for (auto& [key, set] : detail::groupIntoSets(report.folders)) {
        report.sets.append(detail::checkSet(set));
    }
    report.ok = true;
    return report;
}

} // namespace ledgerset
