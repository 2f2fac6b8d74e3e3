#pragma once

#include <QDir>
#include <QString>

#include <optional>

namespace verify::detail {

// VKN-YYYYMM-T-NNNNNN.xml, GİB's copy of a berat with "GIB-" in front.
struct LedgerName
{
    bool gib = false;
    QString taxpayer;
    QString month;
    QString type; // Y, K, YB, KB, DR (upper case)
    QString part;

    static std::optional<LedgerName> parse(const QString& fileName);
    QString fileName() const;
    bool isLedger() const { return type == QLatin1String("Y") || type == QLatin1String("K"); }
    bool isBerat() const { return type == QLatin1String("YB") || type == QLatin1String("KB"); }
    // Y ↔ YB, K ↔ KB.
    LedgerName berat(bool approved) const;
    LedgerName ledger() const;
};

// The file of that name in `dir`, compared without regard to case (names arrive as .XML too); empty if none.
QString findSibling(const QDir& dir, const QString& fileName);

} // namespace verify::detail
