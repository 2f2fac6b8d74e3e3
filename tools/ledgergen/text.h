#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ledgergen {

// Text content or attribute value with &, <, > and " escaped.
void appendEscaped(std::string& out, std::string_view text);
// Decimal, zero-padded to at least width digits.
void appendNumber(std::string& out, uint64_t value, int width = 0);
// Kuruş as a plain decimal with two places and a dot ("1234.50"), as the ledgers write amounts.
void appendAmount(std::string& out, int64_t cents);
std::string amountText(int64_t cents);
// Base64, broken into lines of 76 characters as signing libraries write it.
void appendBase64(std::string& out, std::string_view bytes, bool wrapLines);
// Upper-case ASCII letters for e-invoice series ("Çağlayan" -> "C"), digits kept, the rest dropped.
std::string asciiUpperLetters(std::string_view utf8);

} // namespace ledgergen
