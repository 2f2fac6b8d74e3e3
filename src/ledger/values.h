#pragma once

#include <QString>

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The values a ledger line carries, read one way for every tool: amounts as whole kuruş (no floating
// point, so sums and balance checks are exact), the debit/credit side, and dates.
namespace ledger {

class Amount
{
public:
    enum class Fault
    {
        None,
        NotANumber, // not a plain decimal with a dot: "10.000,00", "1e5", "+5", ""
        TooPrecise, // a third decimal that is not zero: "65671.865"
        OutOfRange, // 90 trillion lira or more: beyond what a spreadsheet number holds exactly
    };

    // Amounts stay below 90,000,000,000,000.00 either way (the stylesheets draw the same line), and sums
    // of a thousand such lines still fit in 64 bits.
    static constexpr std::int64_t kLimit = 9'000'000'000'000'000;

    constexpr Amount() = default;
    static constexpr Amount ofKurus(std::int64_t kurus) { return Amount(kurus); }
    // A decimal as ledgers write it: "1200.00", "200.0", "5", ".5", "-3.10". Zeros after the second
    // decimal are harmless ("1.250" is 1,25); a digit other than zero there is a fault, never rounded.
    static std::optional<Amount> parse(std::string_view text, Fault* fault = nullptr);

    constexpr std::int64_t kurus() const { return m_kurus; }
    double toDouble() const { return double(m_kurus) / 100.0; }
    // "1234.56", "-0.05": the form the ledgers use, always with two decimals.
    std::string toString() const;

    constexpr Amount operator+(Amount o) const { return Amount(m_kurus + o.m_kurus); }
    constexpr Amount operator-(Amount o) const { return Amount(m_kurus - o.m_kurus); }
    constexpr Amount& operator+=(Amount o)
    {
        m_kurus += o.m_kurus;
        return *this;
    }
    constexpr auto operator<=>(const Amount&) const = default;

private:
    constexpr explicit Amount(std::int64_t kurus) : m_kurus(kurus) {}
    std::int64_t m_kurus = 0;
};

enum class Side
{
    Debit,
    Credit,
};

// "D" and "debit", "C" and "credit"; anything else is no side.
std::optional<Side> sideOf(std::string_view code);

// True for a text shaped like a date (YYYY-MM-DD, perhaps with a time or zone after it) that names no
// day of the calendar: 9999-99-99, 2024-02-30, 2023-02-29. Texts of other shapes are not judged here.
bool isImpossibleDate(std::string_view text);

// What is wrong with a line, in words for a message: the field ("tutar", "borç/alacak kodu", …), its
// text, and why when the text alone does not say it.
struct LineFault
{
    QString what;
    std::string value;
    QString why;
};

struct HeaderFields;
struct LineFields;

// Reads a line's amount and side, and checks its dates and its entry's date. On a fault returns it and
// leaves amount and side as they were.
std::optional<LineFault> readLine(const HeaderFields& header, const LineFields& line, Amount& amount, Side& side);

} // namespace ledger
