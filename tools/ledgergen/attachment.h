#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ledgergen {

// A one-page PDF with the given lines of text (ASCII is shown as is; Turkish letters are folded to ASCII,
// since the standard PDF fonts lack them). Small, valid, and deterministic.
std::string makePdf(const std::vector<std::string>& lines);

// Turkish letters folded to their ASCII base letters, everything else outside printable ASCII dropped.
std::string asciiFold(std::string_view utf8);

} // namespace ledgergen
