#pragma once

#include "common/result.h"
#include "ledgerset/ekstre.h"
#include "ledgerset/mizan.h"

#include <QDateTime>
#include <QString>

// Mizan and ekstre as documents of the program's own (common::kProgramNamespace), shown through
// mizan.xslt and hesap-ekstresi.xslt as a ledger is shown through its stylesheet, so printing, search,
// PDF and the spreadsheet export work on them unchanged. Amounts are written as ledgers write them
// ("1234.56", "-0.05"); balances as their size with the side ("B", "A", or empty for zero).
//
// <mizan xmlns=… taxpayer="VKN" from="YYYY-MM" to="YYYY-MM" made="ISO date-time" made-text="08.12.2026 19:30">
//   <period>YYYY-MM</period>…              the months read
//   <missing period="YYYY-MM"/>…           months of the range no journal covers
//   <row level="class|group|account|sub" code="102" name="BANKALAR" debit="…" credit="…"
//        debit-balance="…" credit-balance="…"/>…
//   <total debit="…" credit="…" debit-balance="…" credit-balance="…" difference="debit − credit"/>
// </mizan>
//
// <hesap-ekstresi xmlns=… account="102" name="BANKALAR" taxpayer="VKN" from="YYYY-MM" to="YYYY-MM"
//                 made="…" made-text="…">
//   <period>…</period>… <missing period="…"/>…
//   <opening debit="…" credit="…" balance="…" side="B|A|">
//     <period>…</period>… <missing period="…"/>…   the months it is carried from, and those missing
//   </opening>
//   <line date="YYYY-MM-DD" entry="Madde No" voucher="Fiş No" document-number="…" document-date="…"
//         account="102.01" debit="…" credit="…" balance="…" side="B|A|">Açıklama</line>…
//   <closing debit="range's sum" credit="…" balance="…" side="…"/>
// </hesap-ekstresi>
namespace ledgerset {

struct DocumentHeading
{
    QString taxpayer; // VKN or TCKN, from the journals' names
    QDateTime made;
};

// Writes the document to path (replacing it) through a temporary file beside it.
[[nodiscard]] common::Outcome writeMizanXml(const Mizan& mizan, const DocumentHeading& heading, const QString& path);
[[nodiscard]] common::Outcome writeEkstreXml(const Ekstre& ekstre, const DocumentHeading& heading, const QString& path);

// "mizan-<taxpayer>-<from>-<to>.xml", "ekstre-<taxpayer>-<account>-<from>-<to>.xml": only characters
// safe in a file name on every system.
[[nodiscard]] QString mizanFileName(const Mizan& mizan, const DocumentHeading& heading);
[[nodiscard]] QString ekstreFileName(const Ekstre& ekstre, const DocumentHeading& heading);

} // namespace ledgerset
