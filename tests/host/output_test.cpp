// Line output: verbatim text, numbers that read back exactly, tabs, lines
// diverted into files through pushed units and the journal, and what
// refused memory or a failing standard output leave.
#include <gtest/gtest.h>

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "host/host_test_util.h"

using namespace kt_host_test;

namespace {

class Output : public ::testing::Test {
protected:
    void SetUp() override {
        kt_host_capture_output(1);
        c_oowrit(); // drop whatever an earlier test left on the line
        kt_host_clear_output();
    }
    void TearDown() override {
        c_ooseto("nsig", 0);
        c_oowrit();
        kt_host_clear_output();
        kt_host_capture_output(0);
    }
    // The line the calls so far built, as OOWRIT writes it.
    static std::string written() {
        OOWRIT();
        std::string s = kt_host_output();
        kt_host_clear_output();
        EXPECT_TRUE(!s.empty() && s.back() == '\n') << s;
        return s.empty() ? s : s.substr(0, s.size() - 1);
    }
    static std::string line(const std::function<void()> &fn) {
        fn();
        return written();
    }
    static void put(const char *text) {
        c_oocs(text);
        OOWRIT();
    }
};

// Significant digits in a number's text ("0.0120" -> 2, "1e+22" -> 1).
int significant(const std::string &t) {
    std::string d;
    for (char c : t.substr(0, t.find_first_of("eE")))
        if (c >= '0' && c <= '9')
            d += c;
    size_t first = d.find_first_not_of('0');
    return first == std::string::npos ? 1 : static_cast<int>(d.find_last_not_of('0') - first + 1);
}

template <typename T> T parse(const std::string &t) {
    if constexpr (std::is_same_v<T, float>)
        return std::strtof(t.c_str(), nullptr);
    else
        return std::strtod(t.c_str(), nullptr);
}

// The text reads back bit for bit (so -0 differs from 0), and one digit
// fewer would not (but for a whole number written out, which is shorter
// so than with an exponent: it spells out every digit).
template <typename T> void expect_shortest(T v, const std::string &t) {
    T back = parse<T>(t);
    EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << t;
    int d = significant(t);
    if (d > 1 && std::isfinite(v) && t.find_first_of(".e") != std::string::npos) {
        char shorter[400];
        std::snprintf(shorter, sizeof shorter, "%.*g", d - 1, static_cast<double>(v));
        EXPECT_NE(parse<T>(shorter), v) << t << " is not the shortest";
    }
}

TEST_F(Output, TextAndIntegersAreAppendedVerbatimAndWritten) {
    const int32_t three = 3, none = 0;
    OOCS("ab  ", 4);
    OOCV("|cd", 3);
    OOC(" e", 2);
    OOCS("no", 0);
    OOCA("abcdef", &three, 6);
    OOCA("xyz", &none, 3);
    c_oocs("x");
    c_oocv(" y ");
    c_ooc("z");
    c_ooca("12345", 2);
    c_ooi(-5);
    c_oocs(nullptr);
    c_oocv(nullptr);
    c_ooc(nullptr);
    EXPECT_EQ(written(), "ab  |cd eabcx y z12-5");
    for (int32_t v : {0, 7, -1, 1000000, INT32_MAX, INT32_MIN})
        EXPECT_EQ(line([v] { OOI(&v); }), std::to_string(v));
    put("one");
    OOWRIT();
    EXPECT_STREQ(kt_host_output(), "one\n\n") << "an empty line is still a line";
    EXPECT_GT(OOQUER("bsize   ", 8), 0);
}

// Values at the edges of the formats, random bit patterns and random values
// of everyday size.
TEST_F(Output, RealsAreShortestTextsThatReadBack) {
    std::vector<double> doubles = {0.1 + 0.2,          -0.0,    5e-324, DBL_MIN, DBL_MAX, 1e21, 1e22, 1e23,
                                   9007199254740993.0, HUGE_VAL};
    std::vector<float> floats = {0.1f, 16777217.0f, FLT_MAX, FLT_MIN, 1e-45f, -0.0f};
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> everyday(-1e4, 1e4);
    for (int k = 0; k < 400; ++k) {
        const uint64_t bits = rng();
        double d;
        float f;
        std::memcpy(&d, &bits, sizeof d);
        std::memcpy(&f, &bits, sizeof f);
        doubles.insert(doubles.end(), {std::isnan(d) ? 1.0 : d, everyday(rng)});
        floats.insert(floats.end(), {std::isnan(f) ? 1.0f : f, static_cast<float>(everyday(rng))});
    }
    for (double v : doubles)
        expect_shortest(v, line([v] { OOD(&v); }));
    for (float v : floats)
        expect_shortest(v, line([v] { OOS(&v); }));
    EXPECT_TRUE(std::isnan(parse<double>(line([] { c_ood(std::nan("")); }))));
}

TEST_F(Output, DigitCountsCanBeLimited) {
    int32_t three = 3;
    OOSETO("nsig    ", &three, 8); // blank-padded, as a Fortran caller passes it
    EXPECT_EQ(c_ooquer("nsig"), 3);
    EXPECT_EQ(parse<float>(line([] { c_oos(2.71828f); })), 2.72f);
    // OOD with three digits set (digits 0 below), OODB with the digits it is given.
    const struct {
        int32_t digits;
        double v;
        const char *reads_as;
    } cases[] = {
        {0, 3.14159265, "3.14"},   {0, -0.000123456, "-0.000123"}, {0, 1234567.0, "1.23e6"},   {0, 0.999999, "1"},
        {5, 3.14159265, "3.1416"}, {2, 1234.5678, "1200"},         {1, -0.0001234, "-0.0001"}, {10, 2.5, "2.5"},
        {-3, 0.1, "0.1"}};
    for (const auto &c : cases) {
        std::string t = c.digits ? line([&] { OODB(&c.v, &c.digits); }) : line([&] { OOD(&c.v); });
        EXPECT_EQ(parse<double>(t), std::strtod(c.reads_as, nullptr)) << t;
        EXPECT_LE(significant(t), c.digits > 0 ? c.digits : c.digits < 0 ? 17 : 3) << t;
    }
    c_ooseto("nsig", 0);
    expect_shortest(1.0 / 3, line([] { c_ood(1.0 / 3); }));
    EXPECT_EQ(parse<double>(line([] { c_oodb(M_PI, 0); })), M_PI);
}

TEST_F(Output, ComplexValuesReadBackPartByPart) {
    auto check = [](const std::string &t, auto re, auto im) {
        ASSERT_TRUE(t.size() > 2 && t.front() == '(' && t.back() == ')') << t;
        size_t comma = t.find(',');
        ASSERT_NE(comma, std::string::npos) << t;
        expect_shortest(re, t.substr(1, comma - 1));
        expect_shortest(im, t.substr(comma + 1, t.size() - comma - 2));
    };
    float x[2] = {1.5f, -0.1f};
    double z[2] = {1e300, -1.0 / 3};
    check(line([&] { OOX(x); }), x[0], x[1]);
    check(line([&] { OOZ(z); }), z[0], z[1]);
    check(line([] { c_ooz(0.1, 2.0); }), 0.1, 2.0);
    check(line([] { c_oox(0.1f, -3.5f); }), 0.1f, -3.5f);
    expect_shortest(0.1f, line([] { c_oos(0.1f); }));
}

TEST_F(Output, TabPadsSoTheNextCharacterLandsInTheColumnAfter) {
    const struct {
        const char *before;
        int32_t column;
        const char *after;
    } cases[] = {{"abc", 10, "abc       |"}, {"", 4, "    |"},    {"abcdefghij", 5, "abcdefghij|"},
                 {"abc", 3, "abc|"},         {"abc", 4, "abc |"}, {"abc", 0, "abc|"},
                 {"abc", -2, "abc|"}};
    for (const auto &c : cases) {
        c_oocs(c.before);
        OOTAB(&c.column);
        c_oocs("|");
        EXPECT_EQ(written(), c.after) << c.column;
    }
    c_oocs("ab");
    c_ootab(6);
    EXPECT_EQ(c_ooquer("column"), 6);
    EXPECT_EQ(written(), "ab    ");
}

// A closed unit is never written again: closing the current one returns
// output to the one below, and popping passes over one closed further down.
TEST_F(Output, LinesGoToPushedUnitsAndBack) {
    TempFile f1("out1"), f2("out2"), f3("out3");
    std::string padded = f1.path + "    ";
    int32_t u1 = OOOPEN(padded.c_str(), static_cast<int32_t>(padded.size())), u2 = c_ooopen(f2.c_str());
    ASSERT_TRUE(u1 >= 1 && u2 >= 1 && u1 != u2);
    EXPECT_EQ(OOPUSH(&u1), u1);
    EXPECT_EQ(c_ooquer("unit"), u1);
    put("first");
    EXPECT_EQ(c_oopush(u2), u2);
    put("nested");
    OOPOP();
    put("second");
    c_oopop();
    put("screen");
    c_oopush(u2);
    c_ooclos(u2);
    put("back");
    const int32_t u3 = c_ooopen(f3.c_str());
    c_oopush(u1);
    c_oopush(u3);
    OOCLOS(&u1);
    c_oopop();
    put("over");
    EXPECT_STREQ(kt_host_output(), "screen\nback\nover\n");
    c_ooclos(u3);
    EXPECT_EQ(c_ooquer("unit"), 6);
    EXPECT_EQ(slurp(f1.path), "first\nsecond\n");
    EXPECT_EQ(slurp(f2.path), "nested\n");
}

TEST_F(Output, UnusableUnitsAreNotPushed) {
    TempFile closed("closed"), bin("bin");
    int32_t gone = c_ooopen(closed.c_str()), binary = kt_host_open_unit(bin.c_str(), "w");
    ASSERT_TRUE(gone >= 1 && binary >= 1);
    c_ooclos(gone);
    for (int32_t unit : {0, -3, 2, 99, gone, binary}) {
        EXPECT_LT(OOPUSH(&unit), 0) << unit;
        EXPECT_EQ(c_ooquer("unit"), 6);
    }
    kt_host_close_unit(binary);
    // Popping an empty stack and closing standard output or the journal leave
    // output where it was.
    c_oopop();
    for (int32_t unit : {6, 1, 0})
        c_ooclos(unit);
    put("still here");
    EXPECT_STREQ(kt_host_output(), "still here\n");
    EXPECT_EQ(c_ooquer("width"), -1);
    EXPECT_EQ(c_ooquer(nullptr), -1);
    // Settings out of range, or of no name, are ignored.
    const int32_t width = c_ooquer("bsize");
    c_ooseto("bsize", 0);
    c_ooseto(nullptr, 5);
    EXPECT_EQ(c_ooquer("bsize"), width);
    EXPECT_LT(c_ooopen("/nonexistent-dir/x.lis"), 0);
    EXPECT_LT(OOOPEN("    ", 4), 0);
}

TEST_F(Output, RecordsToStandardOutputAndTheJournal) {
    EXPECT_EQ(kt_host_write_record(6, "abcdef", 3), 0);
    EXPECT_EQ(kt_host_write_record(6, "", 0), 0);
    EXPECT_EQ(kt_host_write_record(1, "nobody listens", 14), 0);
    ASSERT_EQ(c_oopush(1), 1); // no journal: the line goes nowhere
    put("nor here");
    OOPOP();
    TempFile j("journal");
    ASSERT_EQ(kt_host_journal(j.c_str()), 0);
    EXPECT_EQ(kt_host_write_record(1, "j1 and more", 2), 0);
    ASSERT_EQ(c_oopush(1), 1);
    put("via output");
    OOPOP();
    EXPECT_EQ(kt_host_journal(nullptr), 0);
    EXPECT_EQ(slurp(j.path), "j1\nvia output\n");
    EXPECT_STREQ(kt_host_output(), "abc\n\n");
    EXPECT_LT(kt_host_write_record(77, "x", 1), 0);
    EXPECT_NE(kt_host_journal("/nonexistent-dir/journal"), 0);
    EXPECT_EQ(kt_host_journal(nullptr), 0);
}

// Output that needs memory which is refused changes nothing: the line, the
// unit stack and the capture stay as they were, and error 2012 names the
// routine (the capture, which has no routine, fails with ENOMEM).
TEST_F(Output, UnderRefusalChangesNothingAndSaysWhere) {
    const std::string long_text(100000, 'x');
    const int32_t column = 200000, stdout_unit = 6;
    kt_host_reset_errors();
    testing::internal::CaptureStderr();
    kt_host_fail_alloc_after(0);
    c_oocs(long_text.c_str());
    OOTAB(&column);
    int32_t pushed = 0; // the stack may have room left from earlier pushes
    while (pushed < 64 && OOPUSH(&stdout_unit) == stdout_unit)
        ++pushed;
    EXPECT_LT(pushed, 64);
    EXPECT_EQ(kt_host_write_record(stdout_unit, long_text.data(), 100000), -1);
    EXPECT_EQ(errno, ENOMEM);
    kt_host_fail_alloc_after(-1);
    testing::internal::GetCapturedStderr();
    while (pushed-- > 0)
        OOPOP();
    EXPECT_EQ(c_ooquer("column"), 0);
    EXPECT_STREQ(kt_host_output(), "");
    const char *const routines[] = {"(oocs)", "(ootab)", "(oopush)"};
    ASSERT_EQ(kt_host_error_count(), 3);
    for (int32_t k = 1; k <= 3; ++k) {
        EXPECT_EQ(kt_host_error_number(k), 2012);
        EXPECT_NE(std::string(kt_host_error_text(k)).find(routines[k - 1]), std::string::npos) << k;
    }
    kt_host_reset_errors();
}

// Standard output that fails is reported once, by name, and takes no more
// records; an interrupted write is retried. Its failure lasts for the
// process, so the test runs in a child (exit, not _Exit: coverage counts).
TEST(StandardOutput, AFailedWriteIsReportedOnceAndSticks) {
    const int32_t kStdout = 6;
    EXPECT_EXIT(
        {
            kt_host_capture_output(0);
            kt_host_reset_errors();
            kt_host_fail_io_after(KT_IO_WRITE, 0, KT_IO_EINTR);
            bool ok = kt_host_write_record(kStdout, "a", 1) == 0;
            kt_host_fail_io_after(KT_IO_WRITE, 0, KT_IO_FAIL);
            c_oocs("b");
            OOWRIT();
            kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
            ok = ok && kt_host_error_number(1) == 2064 &&
                 std::string(kt_host_error_text(1)).find("standard output") != std::string::npos;
            ok = ok && kt_host_write_record(kStdout, "c", 1) == -1 && errno == EIO;
            OOWRIT();
            ok = ok && kt_host_error_count() == 1;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
