// Operating-system services: calendar, timing lines, byte swaps, the
// environment, host name, finite checks, sleeping and the fatal reports.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <limits>
#include <regex>
#include <sstream>
#include <string>

#include "kt/host.h"
#include "kt/system.h"

namespace {

// Days that do not exist, the Gregorian calendar's gap of 1752 among them,
// have no weekday; the days around them do.
TEST(Weekday, DaysThatDoNotExist) {
    struct Case {
        int32_t d, m, y, expected;
    } cases[] = {
        {2, 9, 1752, 4},  {3, 9, 1752, 0}, {13, 9, 1752, 0}, {14, 9, 1752, 5}, {29, 2, 1900, 0}, {29, 2, 2023, 0},
        {31, 4, 2020, 0}, {0, 1, 2020, 0}, {1, 0, 2020, 0},  {1, 13, 2020, 0}, {32, 1, 2020, 0}, {1, 10, 1752, 1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c_weekdy(c.d, c.m, c.y), c.expected) << c.d << "." << c.m << "." << c.y;
        EXPECT_EQ(WEEKDY(&c.d, &c.m, &c.y), c.expected);
    }
}

// Every Gregorian day from 1753 to 2100 agrees with the C library's count.
TEST(Weekday, AgreesWithTheCalendarOfTheCLibrary) {
    std::tm t{};
    t.tm_year = 1753 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 1;
    t.tm_hour = 12;
    time_t start = timegm(&t);
    for (int64_t day = 0; day < 127000; day += 1) {
        time_t when = start + day * 86400;
        std::tm d{};
        gmtime_r(&when, &d);
        ASSERT_EQ(c_weekdy(d.tm_mday, d.tm_mon + 1, d.tm_year + 1900), d.tm_wday + 1)
            << d.tm_mday << "." << d.tm_mon + 1 << "." << d.tm_year + 1900;
    }
}

// Every Julian day from 1000 BC (year -999) to 2 September 1752 agrees with the weekday
// of its Julian day number.
TEST(Weekday, JulianDatesOfEveryCentury) {
    auto jdn = [](int64_t d, int64_t m, int64_t y) {
        int64_t a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
        return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - 32083;
    };
    const int32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int32_t y = -999; y <= 1752; ++y) {
        for (int32_t m = 1; m <= 12; ++m) {
            int32_t last = m == 2 && y % 4 == 0 ? 29 : days[m - 1];
            for (int32_t d = 1; d <= last && !(y == 1752 && (m > 9 || (m == 9 && d > 2))); ++d) {
                ASSERT_EQ(c_weekdy(d, m, y), (jdn(d, m, y) + 1) % 7 + 1) << d << "." << m << "." << y;
            }
            if (m == 2) {
                EXPECT_EQ(c_weekdy(last + 1, 2, y), 0);
            }
        }
    }
}

// INTTIM counts the host's local date and time as if it were UTC.
TEST(Inttim, MatchesTheLocalClock) {
    time_t before = std::time(nullptr);
    int32_t t = INTTIM();
    time_t after = std::time(nullptr);
    std::tm local{};
    localtime_r(&before, &local);
    auto lo = static_cast<int64_t>(before) + local.tm_gmtoff;
    localtime_r(&after, &local);
    auto hi = static_cast<int64_t>(after) + local.tm_gmtoff;
    EXPECT_GE(t, static_cast<int32_t>(lo));
    EXPECT_LE(t, static_cast<int32_t>(hi));
}

// The clock runs on between the calls, so each line is checked for its form
// (three significant digits) and for a value no earlier than asked and only
// a little later.
TEST(Timing, DeltimeLine) {
    kt_host_capture_output(1);
    kt_host_clear_output();
    float now = 0;
    GTIMER(&now);
    double t0 = now - 1.23456;
    DELTIME(&t0);
    c_ooseto("nsig", 5);
    c_deltime(t0 + 1.0);
    EXPECT_EQ(c_ooquer("nsig"), 5); // the caller's setting survives
    c_ooseto("nsig", 0);
    print_elapsed_time("solve", static_cast<float>(t0 + 1.1));
    print_elapsed_time(nullptr, static_cast<float>(t0 + 1.1));
    std::string out = kt_host_output();
    kt_host_capture_output(0);
    const std::regex line(R"(^(|solve, |, )execution time=(\d\.\d\d|0\.\d\d\d) sec\.$)");
    const struct {
        const char *prefix;
        double least;
    } want[] = {{"", 1.23456}, {"", 0.23456}, {"solve, ", 0.13456}, {", ", 0.13456}};
    std::istringstream lines(out);
    std::string text;
    for (const auto &w : want) {
        ASSERT_TRUE(std::getline(lines, text)) << out;
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text, m, line)) << text;
        EXPECT_EQ(m[1].str(), w.prefix) << text;
        double v = std::stod(m[2].str());
        EXPECT_GE(v, w.least - 0.01) << text; // the float of t0 and rounding to 3 digits
        EXPECT_LE(v, w.least + 0.5) << text;
    }
    EXPECT_FALSE(std::getline(lines, text)) << out;
}

TEST(Timing, GetTimeCountsProcessTimeSinceStart) {
    auto cpu = [] {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    };
    double c0 = cpu(); // read before start_time so that spent brackets t
    start_time();
    volatile double sink = 0;
    while (cpu() - c0 < 0.03)
        sink = sink + std::sqrt(sink + 1.0);
    get_time(nullptr); // nowhere to put it: nothing happens
    float t = -1;
    get_time(&t);
    double spent = cpu() - c0;
    EXPECT_GE(t, 0.029f);
    EXPECT_LE(t, spent + 1e-5); // float rounding of both ends
}

// Every entry reverses each of n items in place, at any alignment, against
// std::reverse item by item; no count or size swaps anything.
TEST(ByteSwap, AgreesWithReversingEachItem) {
    using Swap = std::function<void(char *, int32_t, int32_t)>;
    const std::pair<int32_t, Swap> entries[] = {
        {0, [](char *p, int32_t n, int32_t size) { c_bswap(p, n, size); }},
        {0, [](char *p, int32_t n, int32_t size) { BSWAP(p, &n, &size); }},
        {8, [](char *p, int32_t n, int32_t) { c_bswap8(p, n); }},
        {4, [](char *p, int32_t n, int32_t) { c_bswap4(p, n); }},
        {2, [](char *p, int32_t n, int32_t) { c_bswap2(p, n); }},
        {8, [](char *p, int32_t n, int32_t) { BSWAP8(p, &n); }},
        {4, [](char *p, int32_t n, int32_t) { BSWAP4(p, &n); }},
        {2, [](char *p, int32_t n, int32_t) { BSWAP2(p, &n); }},
    };
    for (const auto &[fixed, swap] : entries)
        for (int32_t size = fixed ? fixed : -1; size <= (fixed ? fixed : 9); ++size)
            for (int32_t n = -1; n <= 3; ++n)
                for (size_t at = 0; at < 3; ++at) {
                    std::string buf = "#x1234567887654321abcdefghijklmnopq", want = buf;
                    for (int32_t k = 0; size > 0 && k < n; ++k)
                        std::reverse(want.begin() + at + k * size, want.begin() + at + (k + 1) * size);
                    swap(buf.data() + at, n, size);
                    EXPECT_EQ(buf, want) << "fixed " << fixed << ", n " << n << ", size " << size << ", at " << at;
                }
}

TEST(NotFinite, FirstPosition) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    const double a[] = {1.0, inf, nan};
    EXPECT_EQ(c_notfinite(a, 3), 2);
    EXPECT_EQ(c_notfinite(a, 1), 0);
    EXPECT_EQ(c_notfinite(a, 0), 0);
    EXPECT_EQ(c_notfinite(a, -4), 0);
    const double b[] = {0.0, -1e308, nan};
    int32_t three = 3;
    EXPECT_EQ(NOTFINITE(b, &three), 3);
    const double c[] = {-inf};
    EXPECT_EQ(c_notfinite(c, 1), 1);
}

TEST(Environment, GetEnv) {
    setenv("KT_SYSTEM_TEST_VAR", "value-123", 1);
    unsetenv("KT_SYSTEM_TEST_UNSET");
    char buf[32];
    EXPECT_EQ(c_fgetenv("KT_SYSTEM_TEST_VAR", buf, sizeof buf), 9);
    EXPECT_STREQ(buf, "value-123");
    EXPECT_EQ(c_fgetenv("KT_SYSTEM_TEST_VAR", buf, 6), 5);
    EXPECT_STREQ(buf, "value");
    for (const char *missing : {"KT_SYSTEM_TEST_UNSET", static_cast<const char *>(nullptr)}) {
        EXPECT_EQ(c_fgetenv(missing, buf, sizeof buf), -1);
        EXPECT_STREQ(buf, " ");
    }
    EXPECT_EQ(c_fgetenv("KT_SYSTEM_TEST_VAR", nullptr, 8), -1);
    EXPECT_EQ(c_fgetenv("KT_SYSTEM_TEST_VAR", buf, 0), -1);

    char value[12];
    int32_t len = 12;
    const char name[] = "KT_SYSTEM_TEST_VAR    ";
    EXPECT_EQ(FGETENV(name, value, &len, sizeof name - 1, 12), 9);
    EXPECT_EQ(std::string(value, 12), "value-123   ");
    len = 4;
    FGETENV(name, value, &len, sizeof name - 1, 12);
    EXPECT_EQ(std::string(value, 12), "valu        ");
    len = 12;
    std::memset(value, 'q', sizeof value);
    FGETENV("KT_SYSTEM_TEST_UNSET", value, &len, 20, 12);
    EXPECT_EQ(std::string(value, 12), std::string(12, ' '));
    unsetenv("KT_SYSTEM_TEST_VAR");
}

TEST(Environment, WorkingDirectory) {
    char expected[4096];
    ASSERT_NE(getcwd(expected, sizeof expected), nullptr);
    char buf[4096];
    int32_t n = c_fgetwd(buf, sizeof buf);
    EXPECT_EQ(n, static_cast<int32_t>(std::strlen(expected)));
    EXPECT_STREQ(buf, expected);
    EXPECT_EQ(c_fgetwd(buf, 3), 2);
    EXPECT_EQ(std::string(buf), std::string(expected, 2));
    EXPECT_EQ(c_fgetwd(buf, 0), 0);
    EXPECT_EQ(c_fgetwd(nullptr, 8), 0);

    char dir[200];
    int32_t len = 200;
    EXPECT_EQ(FGETWD(dir, &len, 200), n);
    EXPECT_EQ(std::string(dir, static_cast<size_t>(n)), expected);
    EXPECT_EQ(std::string(dir + n, 200 - static_cast<size_t>(n)), std::string(200 - static_cast<size_t>(n), ' '));
    len = 4;
    EXPECT_EQ(FGETWD(dir, &len, 200), 4);
    EXPECT_EQ(std::string(dir, 5), std::string(expected, 4) + " ");
}

TEST(Environment, ProcessAndHost) {
    EXPECT_EQ(FGETPID(), static_cast<int32_t>(getpid()));
    EXPECT_EQ(GNCPU(), 1);
    char expected[256];
    ASSERT_EQ(gethostname(expected, sizeof expected), 0);
    char name[257];
    EXPECT_EQ(c_gethnm(name, sizeof name), static_cast<int32_t>(std::strlen(expected)));
    EXPECT_STREQ(name, expected);
    char fixed[300];
    std::memset(fixed, 'x', sizeof fixed);
    int32_t len = 300;
    EXPECT_EQ(GETHNM(fixed, &len, 300), static_cast<int32_t>(std::strlen(expected)));
    EXPECT_STREQ(fixed, expected); // zero-terminated, not blank-filled
    EXPECT_EQ(c_gethnm(name, 0), -1);
    EXPECT_EQ(c_gethnm(nullptr, 8), -1);
}

TEST(Environment, Sleep) {
    auto start = std::chrono::steady_clock::now();
    c_fsleep(30);
    int32_t ms = 20;
    FSLEEP(&ms);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(50));
    EXPECT_LT(elapsed, std::chrono::seconds(2));
    // No time at all: well below a busy machine's scheduling delays.
    start = std::chrono::steady_clock::now();
    c_fsleep(0);
    c_fsleep(-5);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST(FatalReports, EndTheProcess) {
    EXPECT_EXIT(assertion_failed(42, "list.c"), testing::ExitedWithCode(1), "error 1008: .*42 list.c");
    EXPECT_EXIT(unanticipated_condition(-17, "odd state"), testing::ExitedWithCode(1), "error 2064: -17 odd state");
    EXPECT_EXIT(unanticipated_condition(5, nullptr), testing::ExitedWithCode(1), "error 2064: 5\n");
    EXPECT_EXIT(assertion_failed(7, nullptr), testing::ExitedWithCode(1), "error 1008: .*7 *\n");
}

} // namespace
