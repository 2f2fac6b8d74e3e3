#include "ledgerset/yearset.h"

#include "common/turkishformat.h"
#include "ledger/tally.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace ledgerset::detail {

namespace {

using ledger::AccountSums;
using ledger::Amount;
using ledger::Side;
using ledger::SideSum;
using ledger::Tally;
using Sums = std::map<std::string, AccountSums>;

constexpr int kFirstReportMonth = 201901; // the defter raporu is required from January 2019 on
const char* const kTaxAccounts[] = {"191", "391", "600", "601", "602"};
constexpr Side kSides[] = {Side::Debit, Side::Credit};

// 1234567,8 → "1.234.567,80": exact from kuruş, whatever the size.
QString lira(Amount a)
{
    const qint64 k = a.kurus() < 0 ? -a.kurus() : a.kurus();
    const QString text =
        common::number(k / 100) + QLatin1Char(',') + QStringLiteral("%1").arg(k % 100, 2, 10, QLatin1Char('0'));
    return a.kurus() < 0 ? QLatin1Char('-') + text : text;
}

QString sideText(Side side)
{
    return side == Side::Debit ? QStringLiteral("borç") : QStringLiteral("alacak");
}

QString accountPlace(const std::string& account, Side side)
{
    return QStringLiteral("hesap %1 %2").arg(QString::fromStdString(account), sideText(side));
}

QString partNumber(int part)
{
    return QStringLiteral("%1").arg(part, 6, 10, QLatin1Char('0'));
}

SideSum sumOf(const Sums& sums, const std::string& account, Side side)
{
    const auto found = sums.find(account);
    return found == sums.end() ? SideSum{} : found->second.of(side);
}

// The lines of a book's parts added together; nothing when a part is missing or was not read whole.
std::optional<Sums> bookSums(const Book& book)
{
    if (book.parts.empty()) {
        return std::nullopt;
    }
    Sums total;
    for (const auto& [number, part] : book.parts) {
        const Tally* tally = part.ledger ? part.ledger->tally() : nullptr;
        if (!tally) {
            return std::nullopt;
        }
        for (const auto& [account, sums] : tally->accounts) {
            for (Side side : kSides) {
                total[account].of(side).amount += sums.of(side).amount;
                total[account].of(side).lines += sums.of(side).lines;
            }
        }
    }
    return total;
}

std::set<std::string> accountsOf(const Sums& a, const Sums& b)
{
    std::set<std::string> all;
    for (const auto& [account, sums] : a) {
        all.insert(account);
    }
    for (const auto& [account, sums] : b) {
        all.insert(account);
    }
    return all;
}

// A fiscal year that does not start in January starts the serials and numbers again in its first month.
bool startsFiscalYear(const verify::FileContent& content, int month)
{
    return content.facts.fiscalYearStart.size() >= 7 && content.facts.fiscalYearStart.mid(5, 2).toInt() == month &&
           content.facts.periodStart.left(7) == content.facts.fiscalYearStart.left(7);
}

std::optional<Column> columnOf(const common::DocumentName& name)
{
    switch (name.kind) {
    case common::DocumentKind::Journal:
        return Column::Journal;
    case common::DocumentKind::Ledger:
        return Column::Ledger;
    case common::DocumentKind::JournalBerat:
        return name.gib ? Column::GibJournalBerat : Column::JournalBerat;
    case common::DocumentKind::LedgerBerat:
        return name.gib ? Column::GibLedgerBerat : Column::LedgerBerat;
    case common::DocumentKind::Report:
        return Column::Report;
    case common::DocumentKind::Unknown:
    case common::DocumentKind::FolderReport:
    case common::DocumentKind::Mizan:
    case common::DocumentKind::Ekstre:
        break;
    }
    return std::nullopt;
}

int lastLedgerPart(const Book& b)
{
    int last = 0;
    for (const auto& [number, part] : b.parts) {
        last = part.ledger ? number : last;
    }
    return last;
}

Mark markOf(const SetFile* file)
{
    if (!file) {
        return Mark::Bad;
    }
    switch (file->result->status) {
    case verify::Status::Verified:
        return Mark::Ok;
    case verify::Status::Failed:
        return Mark::Bad;
    case verify::Status::Unsigned:
    case verify::Status::CouldNotCheck:
        break;
    }
    return Mark::Open;
}

Mark worseMark(Mark a, Mark b)
{
    auto rank = [](Mark m) {
        return m == Mark::Bad ? 3 : m == Mark::Open ? 2 : m == Mark::Ok ? 1 : 0;
    };
    return rank(a) >= rank(b) ? a : b;
}

// A uniqueID's serial: YEV/KEB/EDR, YYYYMM, six digits; -1 when it is not shaped so.
int serialOf(const QString& uniqueId)
{
    if (uniqueId.size() != 15) {
        return -1;
    }
    bool ok = false;
    const int serial = uniqueId.right(6).toInt(&ok);
    return ok ? serial : -1;
}

class SetRules
{
public:
    explicit SetRules(const YearSet& set) : m_set(set) {}

    SetReport run()
    {
        m_report.taxpayer = m_set.taxpayer;
        m_report.year = m_set.year;
        const int first = m_set.months.begin()->first;
        const int last = m_set.months.rbegin()->first;
        for (int m = first; m <= last; ++m) {
            const auto found = m_set.months.find(m);
            if (found == m_set.months.end()) {
                missingMonth(m);
            } else {
                checkMonth(found->second);
            }
        }
        continuity();
        markFindings();
        std::stable_sort(m_report.findings.begin(), m_report.findings.end(),
                         [](const Finding& a, const Finding& b) { return a.period < b.period; });
        return std::move(m_report);
    }

private:
    QString period(int month) const
    {
        return QStringLiteral("%1-%2").arg(m_set.year).arg(month, 2, 10, QLatin1Char('0'));
    }

    QString nameOf(int month, common::DocumentKind kind, int part, bool gib = false) const
    {
        common::DocumentName n;
        n.gib = gib;
        n.taxpayer = m_set.taxpayer;
        n.period = QStringLiteral("%1%2").arg(m_set.year).arg(month, 2, 10, QLatin1Char('0'));
        n.kind = kind;
        n.part = partNumber(part);
        return n.fileName();
    }

    bool reportDue(int month) const { return m_set.year * 100 + month >= kFirstReportMonth; }

    void add(FindingCode code, int month, const QString& file, const QString& place, const QString& message)
    {
        m_report.findings.append({code, severityOf(code), month > 0 ? period(month) : QString(), file, place, message});
    }

    void missingMonth(int month)
    {
        MonthRow row{m_set.year, month, {}};
        for (Cell& cell : row.cells) {
            cell = {Mark::Bad, 0};
        }
        row.cells[int(Column::Report)].mark = reportDue(month) ? Mark::Bad : Mark::NotDue;
        m_report.months.append(row);
        add(FindingCode::MissingFile, month, {}, {},
            QStringLiteral("%1 ayının hiçbir dosyası yok: yevmiye, kebir, beratları%2")
                .arg(period(month), reportDue(month) ? QStringLiteral(" ve defter raporu") : QString()));
    }

    void checkMonth(const Month& month)
    {
        MonthRow row{m_set.year, month.month, {}};
        book(month, month.journal, true, row);
        book(month, month.kebir, false, row);
        reportCell(month, row);
        m_report.months.append(row);
        entries(month, month.journal);
        entries(month, month.kebir);
        kebirAgainstJournal(month);
        reportAgainstLedgers(month);
    }

    void book(const Month& month, const Book& b, bool journal, MonthRow& row);
    void parts(const Month& month, const Book& b, bool journal);
    void partFiles(const Month& month, int number, const Part& part, bool journal, MonthRow& row);
    void beratAgainstLedger(const Month& month, const SetFile& berat, const SetFile& ledger, bool journal);
    void taxLines(const Month& month, const SetFile& berat, const Tally& beratTally, const Tally& ledgerTally,
                  const std::optional<Sums>& monthSums);
    void company(const Month& month, const SetFile& berat, const SetFile& ledger);
    void reportCell(const Month& month, MonthRow& row);
    void entries(const Month& month, const Book& b);
    void faultOf(const Month& month, const SetFile& file, const ledger::EntryFault& f);
    void kebirAgainstJournal(const Month& month);
    void reportAgainstLedgers(const Month& month);
    void reportTaxLines(const Month& month, const Sums& report, const Book& b);
    void continuity();
    void markFindings();
    void follow(common::DocumentKind kind);
    void serialBreak(int month, const SetFile& file, int serial, int previous);
    void carriesOn(int month, const SetFile& file, const QString& what, qint64 first, qint64 previousLast);

    const YearSet& m_set;
    SetReport m_report;
};

void SetRules::book(const Month& month, const Book& b, bool journal, MonthRow& row)
{
    const auto ledgerCol = int(journal ? Column::Journal : Column::Ledger);
    row.cells[ledgerCol] = {b.ledgers() ? Mark::Ok : Mark::Bad, b.ledgers()};
    for (int c : {int(journal ? Column::JournalBerat : Column::LedgerBerat),
                  int(journal ? Column::GibJournalBerat : Column::GibLedgerBerat)}) {
        row.cells[c] = {Mark::Ok, 0};
    }
    if (b.parts.empty()) {
        add(FindingCode::MissingFile, month.month,
            nameOf(month.month, journal ? common::DocumentKind::Journal : common::DocumentKind::Ledger, 0), {},
            journal ? QStringLiteral("Yevmiye defteri yok") : QStringLiteral("Kebir (büyük defter) yok"));
        for (int c : {int(journal ? Column::JournalBerat : Column::LedgerBerat),
                      int(journal ? Column::GibJournalBerat : Column::GibLedgerBerat)}) {
            row.cells[c] = {Mark::Bad, 0};
        }
        return;
    }
    parts(month, b, journal);
    for (const auto& [number, part] : b.parts) {
        partFiles(month, number, part, journal, row);
    }
}

// Parts are numbered 000001, 000002, … without a gap, or the month is one file 000000; only the last may be empty.
void SetRules::parts(const Month& month, const Book& b, bool journal)
{
    const common::DocumentKind kind = journal ? common::DocumentKind::Journal : common::DocumentKind::Ledger;
    if (b.parts.count(0) && b.parts.size() > 1) {
        add(FindingCode::PartGap, month.month, nameOf(month.month, kind, 0), {},
            QStringLiteral("Ay hem tek dosya (000000) hem parçalar hâlinde (000001…) var"));
        return;
    }
    const int lastLedger = lastLedgerPart(b);
    for (int k = 1; k < lastLedger; ++k) {
        const auto found = b.parts.find(k);
        if (found == b.parts.end() || !found->second.ledger) {
            add(FindingCode::PartGap, month.month, nameOf(month.month, kind, k),
                QStringLiteral("parça %1").arg(partNumber(k)),
                QStringLiteral("Parça %1 yok: parçalar 000001 ile %2 arasında kesintisiz olmalı")
                    .arg(partNumber(k), partNumber(lastLedger)));
        } else if (const Tally* t = found->second.ledger->tally(); t && t->entries == 0) {
            add(FindingCode::PartGap, month.month, found->second.ledger->fileName,
                QStringLiteral("parça %1").arg(partNumber(k)),
                QStringLiteral("Parça boş: yalnız ayın son parçası boş olabilir"));
        }
    }
}

void SetRules::partFiles(const Month& month, int number, const Part& part, bool journal, MonthRow& row)
{
    const common::DocumentKind ledgerKind = journal ? common::DocumentKind::Journal : common::DocumentKind::Ledger;
    const common::DocumentKind beratKind =
        journal ? common::DocumentKind::JournalBerat : common::DocumentKind::LedgerBerat;
    Cell& ledgerCell = row.cells[int(journal ? Column::Journal : Column::Ledger)];
    Cell& beratCell = row.cells[int(journal ? Column::JournalBerat : Column::LedgerBerat)];
    Cell& gibCell = row.cells[int(journal ? Column::GibJournalBerat : Column::GibLedgerBerat)];
    if (!part.ledger) {
        ledgerCell.mark = Mark::Bad;
        // A hole below the last part is a part gap, said once; a berat past the last part names its ledger.
        if (number == 0 || number > lastLedgerPart(journal ? month.journal : month.kebir)) {
            add(FindingCode::MissingFile, month.month, nameOf(month.month, ledgerKind, number), {},
                journal ? QStringLiteral("Beratı var, yevmiye defteri yok") : QStringLiteral("Beratı var, kebir yok"));
        }
        return;
    }
    ledgerCell.mark = worseMark(ledgerCell.mark, markOf(part.ledger));
    beratCell.parts += part.berat ? 1 : 0;
    gibCell.parts += part.gibBerat ? 1 : 0;
    beratCell.mark = worseMark(beratCell.mark, markOf(part.berat));
    gibCell.mark = worseMark(gibCell.mark, part.gibBerat ? markOf(part.gibBerat) : Mark::Open);
    if (!part.berat) {
        add(FindingCode::MissingFile, month.month, nameOf(month.month, beratKind, number), {},
            journal ? QStringLiteral("Yevmiye beratı yok") : QStringLiteral("Kebir beratı yok"));
    }
    if (!part.gibBerat) {
        add(FindingCode::MissingGibBerat, month.month, nameOf(month.month, beratKind, number, true), {},
            QStringLiteral("GİB onayı bulunamadı"));
    }
    for (const SetFile* berat : {part.berat, part.gibBerat}) {
        if (berat) {
            beratAgainstLedger(month, *berat, *part.ledger, journal);
        }
    }
}

// A berat states its ledger's signature value, entries, size, period, taxpayer, uniqueID and tax lines.
void SetRules::beratAgainstLedger(const Month& month, const SetFile& berat, const SetFile& ledger, bool journal)
{
    const verify::FileContent* b = berat.content;
    const verify::FileContent* l = ledger.content;
    if (!b || !l) {
        return;
    }
    const int m = month.month;
    if (!b->facts.ledgerSignatureValue.isEmpty() && b->facts.ledgerSignatureValue != l->ownSignatureValue) {
        add(FindingCode::BeratSignatureValue, m, berat.fileName, {},
            QStringLiteral("Berattaki imza değeri %1 dosyasının imza değeriyle aynı değil").arg(ledger.fileName));
    }
    const Tally* lt = ledger.tally();
    if (journal && b->facts.statedEntries >= 0 && lt && b->facts.statedEntries != lt->entries) {
        add(FindingCode::BeratEntryCount, m, berat.fileName, {},
            QStringLiteral("Beratta %1 madde yazıyor, defterde %2 madde var")
                .arg(common::number(b->facts.statedEntries), common::number(lt->entries)));
    }
    bool sized = false;
    const double stated = b->facts.statedSize.toDouble(&sized);
    const double actual = double(l->bytes) / 1048576.0;
    // Rounded to two decimals: a generator that cuts instead of rounding is still within a hundredth.
    if (sized && std::fabs(stated - actual) >= 0.01) {
        add(FindingCode::BeratSize, m, berat.fileName, {},
            QStringLiteral("Beratta defter boyutu %1 MB yazıyor, defter %2 MB (%3 bayt)")
                .arg(common::decimal(stated, 2), common::decimal(actual, 2), common::number(l->bytes)));
    }
    if (b->facts.periodStart != l->facts.periodStart || b->facts.periodEnd != l->facts.periodEnd) {
        add(FindingCode::BeratPeriod, m, berat.fileName, {},
            QStringLiteral("Beratın dönemi %1 – %2, defterin %3 – %4")
                .arg(b->facts.periodStart, b->facts.periodEnd, l->facts.periodStart, l->facts.periodEnd));
    }
    if (b->facts.taxpayerId != l->facts.taxpayerId) {
        add(FindingCode::BeratTaxpayer, m, berat.fileName, {},
            QStringLiteral("Beratın vergi kimlik numarası %1, defterin %2")
                .arg(b->facts.taxpayerId, l->facts.taxpayerId));
    }
    if (b->facts.uniqueId != l->facts.uniqueId) {
        add(FindingCode::BeratUniqueId, m, berat.fileName, {},
            QStringLiteral("Beratın belge numarası (uniqueID) %1, defterin %2")
                .arg(b->facts.uniqueId, l->facts.uniqueId));
    }
    if (const Tally* bt = berat.tally(); bt && lt) {
        taxLines(month, berat, *bt, *lt, bookSums(journal ? month.journal : month.kebir));
    }
    company(month, berat, ledger);
}

// A berat's tax lines are its part's sums; the month's sums are taken too, since a split month's berats may each
// state the whole month. A berat without tax detail has no lines: nothing to compare.
void SetRules::taxLines(const Month& month, const SetFile& berat, const Tally& beratTally, const Tally& ledgerTally,
                        const std::optional<Sums>& monthSums)
{
    if (beratTally.lines == 0) {
        return;
    }
    const auto statesAll = [&](const Sums& sums) {
        for (const char* account : kTaxAccounts) {
            for (Side side : kSides) {
                if (sumOf(beratTally.accounts, account, side).amount != sumOf(sums, account, side).amount) {
                    return false;
                }
            }
        }
        return true;
    };
    if (monthSums && statesAll(*monthSums)) {
        return;
    }
    for (const char* account : kTaxAccounts) {
        for (Side side : kSides) {
            const Amount stated = sumOf(beratTally.accounts, account, side).amount;
            const Amount actual = sumOf(ledgerTally.accounts, account, side).amount;
            if (stated != actual) {
                add(FindingCode::BeratTaxLines, month.month, berat.fileName, accountPlace(account, side),
                    QStringLiteral("Beratın vergi satırında %1, defterde %2").arg(lira(stated), lira(actual)));
            }
        }
    }
}

void SetRules::company(const Month& month, const SetFile& berat, const SetFile& ledger)
{
    for (const auto& [label, value] : ledger.content->facts.company) {
        for (const auto& [beratLabel, beratValue] : berat.content->facts.company) {
            if (beratLabel == label && beratValue != value) {
                add(FindingCode::CompanyDetails, month.month, berat.fileName, label,
                    QStringLiteral("%1 beratta \"%2\", defterde \"%3\"").arg(label, beratValue, value));
                break;
            }
        }
    }
}

void SetRules::reportCell(const Month& month, MonthRow& row)
{
    Cell& cell = row.cells[int(Column::Report)];
    for (const SetFile* misnumbered : month.misnumberedReports) {
        add(FindingCode::PartGap, month.month, misnumbered->fileName,
            QStringLiteral("parça %1").arg(misnumbered->name.part),
            QStringLiteral("Defter raporu ayda bir tanedir ve 000000 numarasını taşır; parçalara bölünmez"));
    }
    if (month.report) {
        cell = {markOf(month.report), 1};
    } else if (reportDue(month.month)) {
        cell = {Mark::Bad, 0};
        add(FindingCode::MissingFile, month.month, nameOf(month.month, common::DocumentKind::Report, 0), {},
            QStringLiteral("Defter raporu yok"));
    }
}

// Each journal entry balances, its header states its lines' totals, and its dates are in the month.
void SetRules::entries(const Month& month, const Book& b)
{
    for (const auto& [number, part] : b.parts) {
        const Tally* t = part.ledger ? part.ledger->tally() : nullptr;
        if (!t) {
            continue;
        }
        for (const ledger::EntryFault& f : t->faults) {
            faultOf(month, *part.ledger, f);
        }
        if (t->faultCount > qint64(t->faults.size())) {
            const FindingCode code = m_report.findings.last().code;
            add(code, month.month, part.ledger->fileName, {},
                QStringLiteral("Bu dosyada %1 bulgu daha var")
                    .arg(common::number(t->faultCount - qint64(t->faults.size()))));
        }
        for (const ledger::NumberBreak& br : t->breaks) {
            const QString what = br.entries ? QStringLiteral("madde") : QStringLiteral("satır");
            const bool gap = br.found > br.expected;
            add(gap ? FindingCode::NumberGap : FindingCode::NumberOverlap, month.month, part.ledger->fileName,
                QStringLiteral("%1 %2").arg(what).arg(br.found),
                gap ? QStringLiteral("%1 numarası %2 bekleniyordu, %3 geldi: %2–%4 eksik")
                          .arg(what)
                          .arg(br.expected)
                          .arg(br.found)
                          .arg(br.found - 1)
                    : QStringLiteral("%1 numarası %2 bekleniyordu, %3 geldi: %3 ikinci kez kullanılmış")
                          .arg(what)
                          .arg(br.expected)
                          .arg(br.found));
        }
    }
}

void SetRules::faultOf(const Month& month, const SetFile& file, const ledger::EntryFault& f)
{
    const QString entry = QString::fromStdString(f.entry);
    const QString place = f.line.empty()
                              ? QStringLiteral("madde %1").arg(entry)
                              : QStringLiteral("madde %1, satır %2").arg(entry, QString::fromStdString(f.line));
    switch (f.kind) {
    case ledger::EntryFault::Kind::Unbalanced:
        add(FindingCode::EntryUnbalanced, month.month, file.fileName, place,
            QStringLiteral("Madde denk değil: borç %1, alacak %2").arg(lira(f.first), lira(f.second)));
        break;
    case ledger::EntryFault::Kind::HeaderTotals:
        add(FindingCode::EntryTotals, month.month, file.fileName, place,
            QStringLiteral("Madde başlığında %1 toplamı %2, satırlarının toplamı %3")
                .arg(f.text == "debit" ? QStringLiteral("borç") : QStringLiteral("alacak"), lira(f.first),
                     lira(f.second)));
        break;
    case ledger::EntryFault::Kind::DateOutside:
        add(FindingCode::EntryDate, month.month, file.fileName, place,
            QStringLiteral("Tarih %1 dönemin (%2) dışında").arg(QString::fromStdString(f.text), period(month.month)));
        break;
    case ledger::EntryFault::Kind::LineUnreadable:
        add(FindingCode::EntryTotals, month.month, file.fileName, place,
            QStringLiteral("Satır okunamadı: %1").arg(QString::fromStdString(f.text)));
        break;
    }
}

// The kebir holds the journal's lines, grouped by account: per account and side the same amount and count.
void SetRules::kebirAgainstJournal(const Month& month)
{
    const std::optional<Sums> journal = bookSums(month.journal);
    const std::optional<Sums> kebir = bookSums(month.kebir);
    if (!journal || !kebir) {
        return;
    }
    const QString file = month.kebir.parts.begin()->second.ledger->fileName;
    for (const std::string& account : accountsOf(*journal, *kebir)) {
        for (Side side : kSides) {
            const SideSum j = sumOf(*journal, account, side);
            const SideSum k = sumOf(*kebir, account, side);
            if (j.amount != k.amount || j.lines != k.lines) {
                add(FindingCode::KebirJournalMismatch, month.month, file, accountPlace(account, side),
                    QStringLiteral("Kebirde %1 (%2 satır), yevmiyede %3 (%4 satır)")
                        .arg(lira(k.amount), common::number(k.lines), lira(j.amount), common::number(j.lines)));
            }
        }
    }
}

// Per main account and side the defter raporu states the journal's amount and number of lines.
void SetRules::reportAgainstLedgers(const Month& month)
{
    const Tally* report = month.report ? month.report->tally() : nullptr;
    if (!report) {
        return;
    }
    std::optional<Sums> ledger = bookSums(month.journal);
    const QString against = ledger ? QStringLiteral("yevmiyede") : QStringLiteral("kebirde");
    if (!ledger) {
        ledger = bookSums(month.kebir);
    }
    if (ledger) {
        for (const std::string& account : accountsOf(report->accounts, *ledger)) {
            for (Side side : kSides) {
                const SideSum r = sumOf(report->accounts, account, side);
                const SideSum l = sumOf(*ledger, account, side);
                if (r.amount != l.amount) {
                    add(FindingCode::DrAmount, month.month, month.report->fileName, accountPlace(account, side),
                        QStringLiteral("Defter raporunda %1, %2 %3").arg(lira(r.amount), against, lira(l.amount)));
                }
                if (r.lines != l.lines) {
                    add(FindingCode::DrCount, month.month, month.report->fileName, accountPlace(account, side),
                        QStringLiteral("Defter raporunda %1 satır, %2 %3 satır")
                            .arg(common::number(r.lines), against, common::number(l.lines)));
                }
            }
        }
    }
    reportTaxLines(month, report->accounts, month.journal);
    reportTaxLines(month, report->accounts, month.kebir);
}

// The berats' tax lines (all parts together, or each part's when each states the whole month) are the
// defter raporu's lines for the same accounts.
void SetRules::reportTaxLines(const Month& month, const Sums& report, const Book& b)
{
    Sums stated;
    bool eachStatesMonth = true;
    for (const auto& [number, part] : b.parts) {
        const Tally* t = part.berat ? part.berat->tally() : nullptr;
        if (!t || t->lines == 0) {
            return;
        }
        for (const char* account : kTaxAccounts) {
            for (Side side : kSides) {
                const Amount a = sumOf(t->accounts, account, side).amount;
                stated[account].of(side).amount += a;
                eachStatesMonth = eachStatesMonth && a == sumOf(report, account, side).amount;
            }
        }
    }
    if (eachStatesMonth) {
        return;
    }
    const QString berats =
        &b == &month.journal ? QStringLiteral("yevmiye beratlarında") : QStringLiteral("kebir beratlarında");
    for (const char* account : kTaxAccounts) {
        for (Side side : kSides) {
            const Amount r = sumOf(report, account, side).amount;
            const Amount s = sumOf(stated, account, side).amount;
            if (r != s) {
                add(FindingCode::DrTaxLines, month.month, month.report->fileName, accountPlace(account, side),
                    QStringLiteral("Defter raporunda %1, %2 %3").arg(lira(r), berats, lira(s)));
            }
        }
    }
}

// Serials, entry numbers and line numbers carry on from file to file through the year. A month missing from
// the folder breaks the chain there (it is named as missing); the first file may start anywhere.
void SetRules::continuity()
{
    follow(common::DocumentKind::Journal);
    follow(common::DocumentKind::Ledger);
    follow(common::DocumentKind::Report);
}

// A file an error names is marked ✘ in the grid too, though its signature holds.
void SetRules::markFindings()
{
    for (const Finding& f : std::as_const(m_report.findings)) {
        const std::optional<common::DocumentName> name = common::DocumentName::parse(f.file);
        if (f.severity != Severity::Error || !name) {
            continue;
        }
        const std::optional<Column> column = columnOf(*name);
        for (MonthRow& row : m_report.months) {
            if (column && row.period() == f.period) {
                row.cells[int(*column)].mark = Mark::Bad;
            }
        }
    }
}

// The files of one type in a month, parts in order; a missing one is null.
std::vector<const SetFile*> filesOf(const Month& month, common::DocumentKind kind)
{
    std::vector<const SetFile*> files;
    if (kind == common::DocumentKind::Report) {
        files.push_back(month.report);
        return files;
    }
    for (const auto& [number, part] : (kind == common::DocumentKind::Journal ? month.journal : month.kebir).parts) {
        files.push_back(part.ledger);
    }
    return files;
}

void SetRules::follow(common::DocumentKind kind)
{
    // What the previous file of the chain ended with; `on` false where the chain is broken.
    struct Last
    {
        bool on = false;
        int month = 0;
        int serial = -1;
        qint64 entry = -1;
        qint64 line = -1;
    };
    Last last;
    for (const auto& [m, month] : m_set.months) {
        for (const SetFile* f : filesOf(month, kind)) {
            if (!f || !f->content || m > last.month + 1 || (last.month != m && startsFiscalYear(*f->content, m))) {
                last = {};
            }
            if (!f || !f->content) {
                continue;
            }
            const int serial = serialOf(f->content->facts.uniqueId);
            if (last.on && serial >= 0 && last.serial >= 0 && serial != last.serial + 1) {
                serialBreak(m, *f, serial, last.serial);
            }
            Last now{true, m, serial, last.entry, last.line};
            const Tally* t = f->tally();
            if (kind == common::DocumentKind::Journal && t && t->entries > 0) {
                if (last.on) {
                    carriesOn(m, *f, QStringLiteral("madde"), t->entryNumbers.first, last.entry);
                    carriesOn(m, *f, QStringLiteral("satır"), t->lineNumbers.first, last.line);
                }
                now.entry = t->entryNumbers.last;
                now.line = t->lineNumbers.last;
            }
            last = now;
        }
    }
}

// The uniqueID's serial goes up by one with every file of its type: name the missing or repeated ones.
void SetRules::serialBreak(int month, const SetFile& file, int serial, int previous)
{
    const auto six = [](int n) {
        return QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0'));
    };
    const QString missing =
        serial > previous + 2 ? QStringLiteral("%1–%2").arg(six(previous + 1), six(serial - 1)) : six(previous + 1);
    add(FindingCode::SerialGap, month, file.fileName, QStringLiteral("uniqueID %1").arg(file.content->facts.uniqueId),
        serial > previous + 1
            ? QStringLiteral("Belge sıra numarası %1 bekleniyordu, %2 geldi: %3 eksik")
                  .arg(six(previous + 1), six(serial), missing)
            : QStringLiteral("Belge sıra numarası %1 bekleniyordu, %2 geldi: %2 daha önce kullanılmış")
                  .arg(six(previous + 1), six(serial)));
}

void SetRules::carriesOn(int month, const SetFile& file, const QString& what, qint64 first, qint64 previousLast)
{
    if (first < 0 || previousLast < 0 || first == previousLast + 1) {
        return;
    }
    const QString place = QStringLiteral("%1 %2").arg(what).arg(first);
    if (first > previousLast + 1) {
        add(FindingCode::NumberGap, month, file.fileName, place,
            QStringLiteral("Önceki dosya %1 %2 ile bitiyor, bu dosya %3 ile başlıyor: %4–%5 eksik")
                .arg(what)
                .arg(previousLast)
                .arg(first)
                .arg(previousLast + 1)
                .arg(first - 1));
    } else {
        add(FindingCode::NumberOverlap, month, file.fileName, place,
            QStringLiteral("Önceki dosya %1 %2 ile bitiyor, bu dosya %3 ile başlıyor: %3–%2 iki dosyada birden")
                .arg(what)
                .arg(previousLast)
                .arg(first));
    }
}

} // namespace

SetReport checkSet(const YearSet& set)
{
    return SetRules(set).run();
}

} // namespace ledgerset::detail
