#include "ledgerset/yearset.h"

#include "ledger/tally.h"

#include <QFileInfo>
#include <QSet>

namespace ledgerset::detail {

const ledger::Tally* SetFile::tally() const
{
    return content ? content->tally.get() : nullptr;
}

int Book::ledgers() const
{
    int n = 0;
    for (const auto& [number, part] : parts) {
        n += part.ledger ? 1 : 0;
    }
    return n;
}

namespace {

void place(Month& month, const SetFile* file)
{
    const common::DocumentName& n = file->name;
    const int part = n.part.toInt();
    switch (n.kind) {
    case common::DocumentKind::Journal:
        month.journal.parts[part].ledger = file;
        break;
    case common::DocumentKind::Ledger:
        month.kebir.parts[part].ledger = file;
        break;
    case common::DocumentKind::JournalBerat:
        (n.gib ? month.journal.parts[part].gibBerat : month.journal.parts[part].berat) = file;
        break;
    case common::DocumentKind::LedgerBerat:
        (n.gib ? month.kebir.parts[part].gibBerat : month.kebir.parts[part].berat) = file;
        break;
    case common::DocumentKind::Report:
        if (part == 0) {
            month.report = file;
        } else {
            month.misnumberedReports.push_back(file);
        }
        break;
    case common::DocumentKind::Unknown:
    case common::DocumentKind::FolderReport:
    case common::DocumentKind::Mizan:
    case common::DocumentKind::Ekstre:
        break;
    }
}

} // namespace

std::map<std::pair<QString, int>, YearSet> groupIntoSets(const QList<FolderFiles>& folders)
{
    std::map<std::pair<QString, int>, YearSet> sets;
    QSet<QString> seen;
    for (const FolderFiles& folder : folders) {
        for (const verify::VerificationResult& r : folder.result.files) {
            const QString fileName = QFileInfo(r.path).fileName();
            const std::optional<common::DocumentName> name = common::DocumentName::parse(fileName);
            if (!name || name->kind == common::DocumentKind::Unknown || seen.contains(name->fileName())) {
                continue;
            }
            seen.insert(name->fileName());
            const int year = name->period.left(4).toInt();
            YearSet& set = sets[{name->taxpayer, year}];
            set.taxpayer = name->taxpayer;
            set.year = year;
            set.files.push_back({*name, fileName, &r, r.content.get()});
            Month& month = set.months[name->period.mid(4, 2).toInt()];
            month.month = name->period.mid(4, 2).toInt();
            place(month, &set.files.back());
        }
    }
    return sets;
}

} // namespace ledgerset::detail
