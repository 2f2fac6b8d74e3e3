#include "verify/ledgernames.h"

#include <QRegularExpression>

namespace verify::detail {

std::optional<LedgerName> LedgerName::parse(const QString& fileName)
{
    // Not shared between threads.
    const QRegularExpression pattern(QStringLiteral("^(GIB-)?(\\d{10,11})-(\\d{6})-(Y|K|YB|KB|DR)-(\\d{6})\\.xml$"),
                                     QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(fileName);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    LedgerName name;
    name.gib = !m.captured(1).isEmpty();
    name.taxpayer = m.captured(2);
    name.month = m.captured(3);
    name.type = m.captured(4).toUpper();
    name.part = m.captured(5);
    if (name.gib && !name.isBerat()) {
        return std::nullopt;
    }
    return name;
}

QString LedgerName::fileName() const
{
    return QStringLiteral("%1%2-%3-%4-%5.xml")
        .arg(gib ? QStringLiteral("GIB-") : QString(), taxpayer, month, type, part);
}

LedgerName LedgerName::berat(bool approved) const
{
    LedgerName n = *this;
    n.gib = approved;
    n.type = type + 'B';
    return n;
}

LedgerName LedgerName::ledger() const
{
    LedgerName n = *this;
    n.gib = false;
    n.type = type.left(1);
    return n;
}

QString findSibling(const QDir& dir, const QString& fileName)
{
    if (QFileInfo::exists(dir.filePath(fileName))) {
        return dir.filePath(fileName);
    }
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return {};
}

} // namespace verify::detail
