#pragma once

#include <string>
#include <string_view>

namespace ledgergen {

struct Date
{
    int year = 2024;
    int month = 1;
    int day = 1;
};

int daysInMonth(int year, int month);
Date addDays(Date date, int days);
// YYYY-MM-DD, as every date in the files.
void appendIsoDate(std::string& out, Date date);
std::string isoDate(Date date);
// DD.MM.YYYY, as people write dates in comments.
std::string dottedDate(Date date);
std::string_view turkishMonthName(int month);

} // namespace ledgergen
