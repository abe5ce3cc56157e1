// Operating-system services: calendar, timing, byte swaps, environment,
// finite checks, sleeping, fatal reports, and files by path.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
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
#include <vector>

#include "host/host_test_util.h"
#include "kt/host.h"
#include "kt/system.h"

namespace {

// Every day from year -999 to 2100 against its Julian day number (Julian up
// to 2 September 1752, Gregorian from the 14th); days that do not exist give 0.
TEST(Weekday, AgreesWithTheJulianDayNumber) {
    const int32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int32_t y = -999; y <= 2100; ++y) {
        const bool gregorian = y > 1752, leap = y % 4 == 0 && (!gregorian || y % 100 != 0 || y % 400 == 0);
        for (int32_t m = 0; m <= 13; ++m) {
            const int32_t last = m < 1 || m > 12 ? 0 : m == 2 && leap ? 29 : days[m - 1];
            for (int32_t d = 0; d <= last + 1; ++d) {
                const int64_t a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
                int64_t jdn = d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - 32083;
                const bool after = y == 1752 && (m > 9 || (m == 9 && d >= 14));
                if (gregorian || after)
                    jdn += 38 - yy / 100 + yy / 400; // the Gregorian count's -32045
                const bool exists = d >= 1 && d <= last && !(y == 1752 && m == 9 && d > 2 && d < 14);
                const int32_t want = exists ? static_cast<int32_t>((jdn + 1) % 7 + 1) : 0;
                ASSERT_EQ(c_weekdy(d, m, y), want) << d << "." << m << "." << y;
                ASSERT_EQ(WEEKDY(&d, &m, &y), want) << d << "." << m << "." << y;
            }
        }
    }
}

// INTTIM counts the host's local date and time as if it were UTC.
TEST(Inttim, MatchesTheLocalClock) {
    auto local = [](time_t t) {
        std::tm tm{};
        localtime_r(&t, &tm);
        return static_cast<int32_t>(static_cast<int64_t>(t) + tm.tm_gmtoff);
    };
    const time_t before = std::time(nullptr);
    const int32_t t = INTTIM();
    EXPECT_GE(t, local(before));
    EXPECT_LE(t, local(std::time(nullptr)));
}

// The clock runs on between the calls: each line has three significant
// digits and a value no earlier than asked and only a little later.
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
    const double a[] = {1.0, inf, nan, 0.0, -1e308, nan, -inf};
    for (auto [at, n, want] : {std::array{0, 3, 2}, {0, 1, 0}, {0, 0, 0}, {0, -4, 0}, {3, 3, 3}, {6, 1, 1}}) {
        EXPECT_EQ(c_notfinite(a + at, n), want) << at << " " << n;
        EXPECT_EQ(NOTFINITE(a + at, &n), want) << at << " " << n;
    }
}

const char kVar[] = "KT_SYSTEM_TEST_VAR    "; // blank-padded, as Fortran passes it

// The c_ entries cut to len - 1 characters and a zero byte; the upper-case
// ones cut to LEN within the declared length and fill with blanks (the host
// name is zero-terminated instead).
TEST(Environment, TextsInBothForms) {
    setenv("KT_SYSTEM_TEST_VAR", "value-123", 1);
    char cwd[4096], host[256];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(gethostname(host, sizeof host), 0);
    const struct {
        std::string want;
        int32_t (*c)(char *, int32_t);
        int32_t (*f)(char *, const int32_t *, int32_t);
        int32_t refused;
        bool terminated;
    } entries[] = {
        {cwd, c_fgetwd, FGETWD, 0, false},
        {"value-123", [](char *b, int32_t n) { return c_fgetenv("KT_SYSTEM_TEST_VAR", b, n); },
         [](char *v, const int32_t *n, int32_t vn) { return FGETENV(kVar, v, n, sizeof kVar - 1, vn); }, -1, false},
        {host, c_gethnm, GETHNM, -1, true},
    };
    for (const auto &e : entries) {
        const int32_t size = static_cast<int32_t>(e.want.size());
        char buf[4096];
        EXPECT_EQ(e.c(buf, sizeof buf), size);
        EXPECT_STREQ(buf, e.want.c_str());
        EXPECT_EQ(e.c(buf, 3), 2);
        EXPECT_STREQ(buf, e.want.substr(0, 2).c_str());
        EXPECT_EQ(e.c(buf, 0), e.refused);
        EXPECT_EQ(e.c(nullptr, 8), e.refused);
        for (int32_t len : {300, 4}) {
            std::string text(300, 'q');
            const int32_t cut = std::min(len - e.terminated, size);
            EXPECT_EQ(e.f(text.data(), &len, 300), cut) << e.want;
            std::string want = e.want.substr(0, static_cast<size_t>(cut));
            want += e.terminated ? std::string(1, '\0') + text.substr(want.size() + 1)
                                 : std::string(300 - want.size(), ' ');
            EXPECT_EQ(text, want) << e.want;
        }
    }
    // Not set, or no name: -1 and one blank.
    char buf[8], value[12];
    for (const char *missing : {"KT_SYSTEM_TEST_UNSET", static_cast<const char *>(nullptr)}) {
        EXPECT_EQ(c_fgetenv(missing, buf, sizeof buf), -1);
        EXPECT_STREQ(buf, " ");
    }
    int32_t len = 12;
    FGETENV("KT_SYSTEM_TEST_UNSET", value, &len, 20, 12);
    EXPECT_EQ(std::string(value, 12), std::string(12, ' '));
    unsetenv("KT_SYSTEM_TEST_VAR");
    EXPECT_EQ(FGETPID(), static_cast<int32_t>(getpid()));
    EXPECT_EQ(GNCPU(), 1);
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

class Files : public testing::Test {
protected:
    void SetUp() override { kt_host_reset_errors(); }
    std::string path(const std::string &name) const { return dir_.path + "/" + name; }
    static bool exists(const std::string &p) { return access(p.c_str(), F_OK) == 0; }
    // Blank-padded, as a Fortran caller passes it.
    static std::string padded(const std::string &s) { return s + std::string(200 - s.size(), ' '); }
    static int32_t len(const std::string &s) { return static_cast<int32_t>(s.size()); }

    kt_host_test::TempDir dir_{"system_files"};
};

// An absent path or none: -1, outputs alone, nothing reported.
TEST_F(Files, Times) {
    const std::string f = path("timed"), p = padded(f), absent = path("absent"), pabsent = padded(absent);
    kt_host_test::spit(f, "x");
    timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, f.c_str(), times, 0), 0);
    struct stat st;
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    const std::vector<int32_t> want{1000000000, 1234567890, static_cast<int32_t>(st.st_ctime)};
    std::vector<int32_t> t(3, 0), u(3, 0), v(3, 7);
    EXPECT_EQ(c_ftimes(f.c_str(), &t[0], &t[1], &t[2]), 0);
    EXPECT_EQ(FTIMES(p.c_str(), &u[0], &u[1], &u[2], len(p)), 0);
    EXPECT_EQ(t, want);
    EXPECT_EQ(u, want);
    EXPECT_EQ(c_ftimes(absent.c_str(), &v[0], &v[1], &v[2]), -1);
    EXPECT_EQ(FTIMES(pabsent.c_str(), &v[0], &v[1], &v[2], len(pabsent)), -1);
    EXPECT_EQ(c_ftimes(nullptr, &v[0], &v[1], &v[2]), -1);
    EXPECT_EQ(v, std::vector<int32_t>(3, 7));
    EXPECT_EQ(kt_host_error_count(), 0);
}

// A failure is one error with its reason; removing what is not there is a
// quiet non-zero.
TEST_F(Files, RenameAndRemove) {
    const std::string a = path("a"), b = path("b"), d = path("subdir"), pa = padded(a), pb = padded(b), pd = padded(d);
    kt_host_test::spit(a, "x");
    ASSERT_EQ(mkdir(d.c_str(), 0700), 0);
    EXPECT_EQ(c_sfmv(a.c_str(), b.c_str()), 0);
    EXPECT_FALSE(exists(a));
    EXPECT_TRUE(exists(b));
    SFMV(pb.c_str(), pa.c_str(), len(pb), len(pa));
    EXPECT_TRUE(exists(a));
    EXPECT_EQ(c_sfrm(a.c_str()), 0);
    EXPECT_FALSE(exists(a));
    EXPECT_NE(c_sfrm(a.c_str()), 0);
    EXPECT_EQ(c_sfrm(nullptr), -1);
    kt_host_test::spit(a, "x");
    SFRM(pa.c_str(), len(pa));
    EXPECT_FALSE(exists(a));
    ASSERT_EQ(kt_host_error_count(), 0);

    const struct {
        int32_t result, number;
        std::string text;
    } failures[] = {
        {c_sfmv(a.c_str(), b.c_str()), 2013, "sfmv: No such file or directory"},
        {c_sfmv(nullptr, b.c_str()), 2013, "sfmv: Invalid argument"},
        {c_sfmv(b.c_str(), nullptr), 2013, "sfmv: Invalid argument"},
        {c_sfrm(d.c_str()), 2015, d},
        {(SFMV(pa.c_str(), pb.c_str(), len(pa), len(pb)), 1), 2013, "sfmv: No such file or directory"},
        {(SFRM(pd.c_str(), len(pd)), 1), 2015, "Is a directory"},
    };
    ASSERT_EQ(kt_host_error_count(), 6);
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_NE(failures[i].result, 0) << i;
        EXPECT_EQ(kt_host_error_number(i + 1), failures[i].number) << i;
        EXPECT_NE(std::string(kt_host_error_text(i + 1)).find(failures[i].text), std::string::npos) << i;
    }
    EXPECT_TRUE(exists(d));
}

} // namespace
