#include "export/tablewriter.h"

#include <QDate>

#include <charconv>

namespace ledgerexport {

namespace {

bool digits(std::string_view s)
{
    if (s.empty()) {
        return false;
    }
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

Value dateValue(std::string_view text)
{
    const bool shaped = text.size() >= 10 && text[4] == '-' && text[7] == '-' && digits(text.substr(0, 4)) &&
                        digits(text.substr(5, 2)) && digits(text.substr(8, 2));
    const std::string_view rest = shaped ? text.substr(10) : std::string_view();
    const bool zone = rest.empty() || rest == "Z" || (rest.size() == 6 && (rest[0] == '+' || rest[0] == '-'));
    if (!shaped || !zone) {
        return Value::ofText(text);
    }
    Value v;
    std::from_chars(text.data(), text.data() + 4, v.year);
    std::from_chars(text.data() + 5, text.data() + 7, v.month);
    std::from_chars(text.data() + 8, text.data() + 10, v.day);
    // Spreadsheet dates start in 1900.
    if (!QDate::isValid(v.year, v.month, v.day) || v.year < 1900) {
        return Value::ofText(text);
    }
    v.kind = Value::Date;
    return v;
}

Value integerValue(std::string_view text)
{
    // Leading zeros carry meaning in texts like voucher numbers; only plain numbers convert.
    if (!digits(text) || text.size() > 15 || (text.size() > 1 && text[0] == '0')) {
        return Value::ofText(text);
    }
    long long n = 0;
    std::from_chars(text.data(), text.data() + text.size(), n);
    return Value::ofNumber(double(n));
}

} // namespace ledgerexport
