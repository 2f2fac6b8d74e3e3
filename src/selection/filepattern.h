#pragma once

#include <QString>

namespace selection {

// The file list's filter: ledger parts whose type begins with K, Y or D.
inline constexpr char kLedgerPattern[] = "*-K*-00000*.xml;*-Y*-00000*.xml;*-D*-00000*.xml";

// True when the name matches any of the semicolon-separated wildcard patterns ('*' any run,
// '?' one character), letters compared without regard to case.
bool matchesPattern(const QString& name, const QString& patternList);

} // namespace selection
