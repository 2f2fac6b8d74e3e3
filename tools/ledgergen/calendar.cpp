#include "calendar.h"

#include "text.h"

namespace ledgergen {

namespace {

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

Date addDays(Date date, int days)
{
    date.day += days;
    while (date.day > daysInMonth(date.year, date.month)) {
        date.day -= daysInMonth(date.year, date.month);
        if (++date.month > 12) {
            date.month = 1;
            ++date.year;
        }
    }
    while (date.day < 1) {
        if (--date.month < 1) {
            date.month = 12;
            --date.year;
        }
        date.day += daysInMonth(date.year, date.month);
    }
    return date;
}

void appendIsoDate(std::string& out, Date date)
{
    appendNumber(out, uint64_t(date.year), 4);
    out += '-';
    appendNumber(out, uint64_t(date.month), 2);
    out += '-';
    appendNumber(out, uint64_t(date.day), 2);
}

std::string isoDate(Date date)
{
    std::string s;
    appendIsoDate(s, date);
    return s;
}

std::string dottedDate(Date date)
{
    std::string s;
    appendNumber(s, uint64_t(date.day), 2);
    s += '.';
    appendNumber(s, uint64_t(date.month), 2);
    s += '.';
    appendNumber(s, uint64_t(date.year), 4);
    return s;
}

std::string_view turkishMonthName(int month)
{
    static constexpr std::string_view names[] = {"Ocak",   "Şubat",   "Mart",  "Nisan", "Mayıs", "Haziran",
                                                 "Temmuz", "Ağustos", "Eylül", "Ekim",  "Kasım", "Aralık"};
    return names[month - 1];
}

} // namespace ledgergen
