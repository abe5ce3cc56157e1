// The calendar: INTTIM (seconds since 1970 of the host's date and time)
// and WEEKDY (day of the week, Julian before 14 September 1752, the days
// 3..13 September 1752 not existing).
#include "calendar.h"

#include "common/fortran_alias.h"
#include "kt/host.h"
#include "kt/system.h"

namespace kt::system {
namespace {

constexpr int32_t kMonthDays[4][12] = {
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

int32_t mod4(int32_t y) { return ((y % 4) + 4) % 4; }

int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

int32_t month_length(int32_t month, int32_t year, bool gregorian) {
    bool leap = mod4(year) == 0 && (!gregorian || year % 100 != 0 || year % 400 == 0);
    return month == 2 ? (leap ? 29 : 28) : kMonthDays[1][month - 1];
}

} // namespace

int32_t seconds_since_1970(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second) {
    if (year < 70)
        year += 100;
    int64_t days = day - 1;
    for (int32_t m = 1; m < month && m <= 12; ++m)
        days += kMonthDays[mod4(year)][m - 1];
    for (int32_t y = 70; y < year; ++y)
        days += mod4(y) == 0 ? 366 : 365;
    int64_t s = days * 86400 + int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
    return static_cast<int32_t>(static_cast<uint32_t>(s));
}

int32_t day_of_week(int32_t day, int32_t month, int32_t year) {
    if (month < 1 || month > 12 || day < 1)
        return 0;
    bool julian = year < 1752 || (year == 1752 && (month < 9 || (month == 9 && day <= 2)));
    if (year == 1752 && month == 9 && day >= 3 && day <= 13)
        return 0;
    if (day > month_length(month, year, !julian))
        return 0;
    int64_t m = month, y = year;
    if (month <= 2) {
        m += 12;
        y -= 1;
    }
    // Zeller's congruence for each calendar. The Julian sum is the Gregorian
    // one without the century terms, so the two meet at 2/14 September 1752
    // and Julian dates of every century come out right.
    int64_t w = day + 2 * m + (6 * m + 6) / 10 + y + floor_div(y, 4);
    w += julian ? 0 : 2 - floor_div(y, 100) + floor_div(y, 400);
    w %= 7;
    if (w < 0)
        w += 7;
    return w == 0 ? 7 : static_cast<int32_t>(w);
}

} // namespace kt::system

extern "C" {

int32_t INTTIM(void) {
    int32_t year, month, day, hour, minute, second;
    YMDHMS(&year, &month, &day, &hour, &minute, &second);
    return kt::system::seconds_since_1970(year, month, day, hour, minute, second);
}
KT_FORTRAN_ALIAS(INTTIM, inttim_);

int32_t WEEKDY(const int32_t *day, const int32_t *month, const int32_t *year) {
    return kt::system::day_of_week(*day, *month, *year);
}
KT_FORTRAN_ALIAS(WEEKDY, weekdy_);

int32_t c_weekdy(int32_t day, int32_t month, int32_t year) { return kt::system::day_of_week(day, month, year); }

} // extern "C"
