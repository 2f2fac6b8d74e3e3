#include "ledger/values.h"

#include "ledger/ledgerreader.h"

namespace ledger {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int twoDigits(std::string_view s, size_t at)
{
    return (s[at] - '0') * 10 + (s[at + 1] - '0');
}

} // namespace

std::optional<Amount> Amount::parse(std::string_view text, Fault* fault)
{
    const auto failed = [&](Fault f) -> std::optional<Amount> {
        if (fault) {
            *fault = f;
        }
        return std::nullopt;
    };
    if (fault) {
        *fault = Fault::None;
    }
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) {
        ++i;
    }
    std::int64_t whole = 0;
    size_t wholeDigits = 0;
    bool tooLarge = false;
    for (; i < text.size() && isDigit(text[i]); ++i, ++wholeDigits) {
        if (whole > kLimit / 10) {
            tooLarge = true;
        } else {
            whole = whole * 10 + (text[i] - '0');
        }
    }
    std::int64_t fraction = 0;
    size_t fractionDigits = 0;
    bool precise = true;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++fractionDigits) {
            if (fractionDigits < 2) {
                fraction = fraction * 10 + (text[i] - '0');
            } else if (text[i] != '0') {
                precise = false;
            }
        }
    }
    if (i != text.size() || wholeDigits + fractionDigits == 0) {
        return failed(Fault::NotANumber);
    }
    if (!precise) {
        return failed(Fault::TooPrecise);
    }
    if (fractionDigits == 1) {
        fraction *= 10;
    }
    if (tooLarge || whole > kLimit / 100 || whole * 100 + fraction >= kLimit) {
        return failed(Fault::OutOfRange);
    }
    const std::int64_t kurus = whole * 100 + fraction;
    return Amount(negative ? -kurus : kurus);
}

std::string Amount::toString() const
{
    const std::uint64_t magnitude = m_kurus < 0 ? std::uint64_t(-m_kurus) : std::uint64_t(m_kurus);
    std::string text = std::to_string(magnitude / 100);
    const unsigned cents = unsigned(magnitude % 100);
    text += '.';
    text += char('0' + cents / 10);
    text += char('0' + cents % 10);
    return m_kurus < 0 ? '-' + text : text;
}

std::optional<Side> sideOf(std::string_view code)
{
    if (code == "D" || code == "debit") {
        return Side::Debit;
    }
    if (code == "C" || code == "credit") {
        return Side::Credit;
    }
    return std::nullopt;
}

bool isImpossibleDate(std::string_view s)
{
    if (s.size() < 10 || s[4] != '-' || s[7] != '-') {
        return false;
    }
    for (size_t at : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!isDigit(s[at])) {
            return false;
        }
    }
    const int year = twoDigits(s, 0) * 100 + twoDigits(s, 2);
    const int month = twoDigits(s, 5);
    const int day = twoDigits(s, 8);
    if (year == 0 || month < 1 || month > 12 || day < 1) {
        return true;
    }
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return day > kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::optional<LineFault> readLine(const HeaderFields& header, const LineFields& line, Amount& amount, Side& side)
{
    Amount::Fault fault = Amount::Fault::None;
    const std::optional<Amount> value = Amount::parse(line.amount, &fault);
    if (!value) {
        switch (fault) {
        case Amount::Fault::TooPrecise:
            return LineFault{QStringLiteral("tutar"), line.amount, QStringLiteral("ikiden çok ondalık basamak")};
        case Amount::Fault::OutOfRange:
            return LineFault{QStringLiteral("tutar"), line.amount, QStringLiteral("çok büyük")};
        default:
            return LineFault{QStringLiteral("tutar"), line.amount, {}};
        }
    }
    const std::optional<Side> code = sideOf(line.debitCreditCode);
    if (!code) {
        return LineFault{QStringLiteral("borç/alacak kodu"), line.debitCreditCode, QStringLiteral("D ya da C olmalı")};
    }
    const QString noDay = QStringLiteral("takvimde böyle bir gün yok");
    if (isImpossibleDate(header.enteredDate)) {
        return LineFault{QStringLiteral("madde tarihi"), header.enteredDate, noDay};
    }
    if (isImpossibleDate(line.postingDate)) {
        return LineFault{QStringLiteral("kayıt tarihi"), line.postingDate, noDay};
    }
    if (isImpossibleDate(line.documentDate)) {
        return LineFault{QStringLiteral("belge tarihi"), line.documentDate, noDay};
    }
    amount = *value;
    side = *code;
    return std::nullopt;
}

} // namespace ledger
