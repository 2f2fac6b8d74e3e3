#include "ledgerset/mizan.h"

#include "common/documentkind.h"
#include "ledgerset/journalread.h"

#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace ledgerset {

using ledger::Amount;
using ledger::Side;

Amount MizanRow::debitBalance() const
{
    return debit > credit ? debit - credit : Amount();
}

Amount MizanRow::creditBalance() const
{
    return credit > debit ? credit - debit : Amount();
}

namespace {

// The uniform chart of accounts' classes and groups, for the group lines' names.
constexpr std::pair<const char*, const char*> kGroupNames[] = {
    {"1", "DÖNEN VARLIKLAR"},
    {"10", "HAZIR DEĞERLER"},
    {"11", "MENKUL KIYMETLER"},
    {"12", "TİCARİ ALACAKLAR"},
    {"13", "DİĞER ALACAKLAR"},
    {"15", "STOKLAR"},
    {"17", "YILLARA YAYGIN İNŞAAT VE ONARIM MALİYETLERİ"},
    {"18", "GELECEK AYLARA AİT GİDERLER VE GELİR TAHAKKUKLARI"},
    {"19", "DİĞER DÖNEN VARLIKLAR"},
    {"2", "DURAN VARLIKLAR"},
    {"22", "TİCARİ ALACAKLAR"},
    {"23", "DİĞER ALACAKLAR"},
    {"24", "MALİ DURAN VARLIKLAR"},
    {"25", "MADDİ DURAN VARLIKLAR"},
    {"26", "MADDİ OLMAYAN DURAN VARLIKLAR"},
    {"27", "ÖZEL TÜKENMEYE TABİ VARLIKLAR"},
    {"28", "GELECEK YILLARA AİT GİDERLER VE GELİR TAHAKKUKLARI"},
    {"29", "DİĞER DURAN VARLIKLAR"},
    {"3", "KISA VADELİ YABANCI KAYNAKLAR"},
    {"30", "MALİ BORÇLAR"},
    {"32", "TİCARİ BORÇLAR"},
    {"33", "DİĞER BORÇLAR"},
    {"34", "ALINAN AVANSLAR"},
    {"35", "YILLARA YAYGIN İNŞAAT VE ONARIM HAKEDİŞLERİ"},
    {"36", "ÖDENECEK VERGİ VE DİĞER YÜKÜMLÜLÜKLER"},
    {"37", "BORÇ VE GİDER KARŞILIKLARI"},
    {"38", "GELECEK AYLARA AİT GELİRLER VE GİDER TAHAKKUKLARI"},
    {"39", "DİĞER KISA VADELİ YABANCI KAYNAKLAR"},
    {"4", "UZUN VADELİ YABANCI KAYNAKLAR"},
    {"40", "MALİ BORÇLAR"},
    {"42", "TİCARİ BORÇLAR"},
    {"43", "DİĞER BORÇLAR"},
    {"44", "ALINAN AVANSLAR"},
    {"47", "BORÇ VE GİDER KARŞILIKLARI"},
    {"48", "GELECEK YILLARA AİT GELİRLER VE GİDER TAHAKKUKLARI"},
    {"49", "DİĞER UZUN VADELİ YABANCI KAYNAKLAR"},
    {"5", "ÖZKAYNAKLAR"},
    {"50", "ÖDENMİŞ SERMAYE"},
    {"52", "SERMAYE YEDEKLERİ"},
    {"54", "KÂR YEDEKLERİ"},
    {"57", "GEÇMİŞ YILLAR KÂRLARI"},
    {"58", "GEÇMİŞ YILLAR ZARARLARI"},
    {"59", "DÖNEM NET KÂRI (ZARARI)"},
    {"6", "GELİR TABLOSU HESAPLARI"},
    {"60", "BRÜT SATIŞLAR"},
    {"61", "SATIŞ İNDİRİMLERİ"},
    {"62", "SATIŞLARIN MALİYETİ"},
    {"63", "FAALİYET GİDERLERİ"},
    {"64", "DİĞER FAALİYETLERDEN OLAĞAN GELİR VE KÂRLAR"},
    {"65", "DİĞER FAALİYETLERDEN OLAĞAN GİDER VE ZARARLAR"},
    {"66", "FİNANSMAN GİDERLERİ"},
    {"67", "OLAĞAN DIŞI GELİR VE KÂRLAR"},
    {"68", "OLAĞAN DIŞI GİDER VE ZARARLAR"},
    {"69", "DÖNEM NET KÂRI VEYA ZARARI"},
    {"7", "MALİYET HESAPLARI"},
    {"70", "MALİYET MUHASEBESİ BAĞLANTI HESAPLARI"},
    {"71", "DİREKT İLK MADDE VE MALZEME GİDERLERİ"},
    {"72", "DİREKT İŞÇİLİK GİDERLERİ"},
    {"73", "GENEL ÜRETİM GİDERLERİ"},
    {"74", "HİZMET ÜRETİM MALİYETİ"},
    {"75", "ARAŞTIRMA VE GELİŞTİRME GİDERLERİ"},
    {"76", "PAZARLAMA SATIŞ VE DAĞITIM GİDERLERİ"},
    {"77", "GENEL YÖNETİM GİDERLERİ"},
    {"78", "FİNANSMAN GİDERLERİ"},
    {"9", "NAZIM HESAPLAR"},
};

QString groupName(const QString& code)
{
    for (const auto& [group, name] : kGroupNames) {
        if (code == QLatin1String(group)) {
            return QString::fromUtf8(name);
        }
    }
    return {};
}

struct Sums
{
    std::string name; // as the first line names the account
    Amount debit;
    Amount credit;
    void add(Amount amount, Side side) { (side == Side::Debit ? debit : credit) += amount; }
};

// One worker's sums: per main account, and per sub-account under its main account.
struct Accumulator
{
    std::map<std::string, Sums> mains;
    std::map<std::pair<std::string, std::string>, Sums> subs; // (main, sub)

    void add(const JournalLine& journalLine)
    {
        const ledger::LineFields& line = journalLine.line;
        const Amount amount = journalLine.amount;
        const Side side = journalLine.side;
        Sums& main = mains[line.accountMainID];
        if (main.name.empty()) {
            main.name = line.accountMainDescription;
        }
        main.add(amount, side);
        if (!line.accountSubID.empty()) {
            Sums& sub = subs[{line.accountMainID, line.accountSubID}];
            if (sub.name.empty()) {
                sub.name = line.accountSubDescription;
            }
            sub.add(amount, side);
        }
    }

    void merge(const Accumulator& other)
    {
        for (const auto& [code, s] : other.mains) {
            Sums& into = mains[code];
            into.name = into.name.empty() ? s.name : into.name;
            into.debit += s.debit;
            into.credit += s.credit;
        }
        for (const auto& [code, s] : other.subs) {
            Sums& into = subs[code];
            into.name = into.name.empty() ? s.name : into.name;
            into.debit += s.debit;
            into.credit += s.credit;
        }
    }
};

MizanRow rowOf(MizanRow::Level level, const QString& code, const QString& name, Amount debit, Amount credit)
{
    return MizanRow{level, code, name, debit, credit};
}

// Class and group lines before their accounts, each account followed by its sub-accounts.
QList<MizanRow> rowsOf(const Accumulator& sums)
{
    std::map<QString, std::pair<Amount, Amount>> groups;
    for (const auto& [code, s] : sums.mains) {
        const QString main = QString::fromStdString(code);
        for (const QString& group : {main.left(1), main.left(2)}) {
            groups[group].first += s.debit;
            groups[group].second += s.credit;
        }
    }
    QList<MizanRow> rows;
    QString lastClass;
    QString lastGroup;
    for (const auto& [code, s] : sums.mains) {
        const QString main = QString::fromStdString(code);
        for (const auto& [group, level, last] : {std::tuple{main.left(1), MizanRow::Level::Class, &lastClass},
                                                 std::tuple{main.left(2), MizanRow::Level::Group, &lastGroup}}) {
            if (main.size() > group.size() && *last != group) {
                *last = group;
                rows.append(rowOf(level, group, groupName(group), groups[group].first, groups[group].second));
            }
        }
        rows.append(rowOf(MizanRow::Level::Account, main, QString::fromStdString(s.name), s.debit, s.credit));
        for (auto it = sums.subs.lower_bound({code, {}}); it != sums.subs.end() && it->first.first == code; ++it) {
            rows.append(rowOf(MizanRow::Level::Sub, QString::fromStdString(it->first.second),
                              QString::fromStdString(it->second.name), it->second.debit, it->second.credit));
        }
    }
    return rows;
}

void namePeriods(Mizan& result, const QStringList& journals, const QString& from, const QString& to)
{
    result.periods = monthsOf(journals);
    result.from = from;
    result.to = to;
    if (result.periods.isEmpty() && (from.isEmpty() || to.isEmpty())) {
        return;
    }
    result.from = from.isEmpty() ? result.periods.constFirst() : from;
    result.to = to.isEmpty() ? result.periods.constLast() : to;
    result.missingPeriods = missingMonths(result.from, result.to, result.periods);
}

} // namespace

QStringList journalsIn(const QStringList& paths, const QString& from, const QString& to)
{
    QStringList journals;
    const auto take = [&](const QString& path) {
        const std::optional<common::DocumentName> name = common::DocumentName::parse(QFileInfo(path).fileName());
        const QString period = name ? periodOf(*name) : QString();
        if (name && !name->gib && name->kind == common::DocumentKind::Journal && (from.isEmpty() || period >= from) &&
            (to.isEmpty() || period <= to)) {
            journals.append(path);
        }
    };
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) {
            take(path);
            continue;
        }
        QDirIterator files(path, {QStringLiteral("*.xml")}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            take(files.next());
        }
    }
    std::sort(journals.begin(), journals.end(),
              [](const QString& a, const QString& b) { return QFileInfo(a).fileName() < QFileInfo(b).fileName(); });
    return journals;
}

Mizan mizan(const QStringList& journals, const QString& from, const QString& to, const std::atomic_bool* cancel,
            const ledger::Progress& progress)
{
    Mizan result;
    namePeriods(result, journals, from, to);
    // Each reading thread sums on its own; the sums are merged at the end.
    std::vector<Accumulator> sums(size_t(readingWorkers(journals)));
    const common::Outcome read = readJournals(
        journals, [&sums](int worker, int, const JournalLine& line) { sums[size_t(worker)].add(line); }, cancel,
        progress);
    if (!read.ok) {
        static_cast<common::Outcome&>(result) = read;
        return result;
    }
    for (size_t w = 1; w < sums.size(); ++w) {
        sums[0].merge(sums[w]);
    }
    const Accumulator& all = sums[0];
    result.rows = rowsOf(all);
    for (const auto& [code, s] : all.mains) {
        result.debit += s.debit;
        result.credit += s.credit;
    }
    result.ok = true;
    return result;
}

} // namespace ledgerset
