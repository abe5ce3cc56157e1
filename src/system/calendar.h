// Calendar arithmetic behind INTTIM and WEEKDY, apart from the host's clock
// so that it can be checked on any date.
#ifndef KT_SRC_SYSTEM_CALENDAR_H
#define KT_SRC_SYSTEM_CALENDAR_H

#include <cstdint>

namespace kt::system {

// Seconds since 1970-01-01 00:00:00 of a date given as the host gives it:
// the year counts from 1900, and a year below 70 means 2000 + year. The
// result wraps to 32 bits as the callers expect.
int32_t seconds_since_1970(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second);

// 1 Sunday .. 7 Saturday; 0 for a date that does not exist.
int32_t day_of_week(int32_t day, int32_t month, int32_t year);

} // namespace kt::system

#endif
