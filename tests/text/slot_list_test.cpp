// Real and string slot lists: handles, their reuse, the pool overflow stop
// and the slot list's number reader.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "kt/slot_list.h"
#include "text_test_util.h"

using namespace kt::text_test;

namespace {

// A text held one character per word, with junk in the upper bytes that
// the reader must ignore.
std::vector<int32_t> words(const std::string &text) {
    std::vector<int32_t> w;
    for (unsigned char c : text)
        w.push_back(static_cast<int32_t>(0x5A5A5A00u | c));
    return w;
}

double read(const std::string &text) {
    std::vector<int32_t> w = words(text);
    int32_t n = len(text);
    return RLCNVR(w.data(), &n);
}

TEST(RealSlots, HandlesAreTheLowestFreeSlots) {
    RLINIT();
    double a = 1.5, b = 2.5, c = -3.5;
    EXPECT_EQ(RLPUT(&a), 1);
    EXPECT_EQ(RLPUT(&b), 2);
    EXPECT_EQ(RLPUT(&c), 3);
    int32_t two = 2, minus_three = -3;
    EXPECT_EQ(RLGET(&two), 2.5);
    EXPECT_EQ(RLPUT(&c), 2);
    EXPECT_EQ(RLGET(&minus_three), 3.5); // negated, and slot 3 freed
    int32_t seven = 7;
    EXPECT_EQ(RLCONV(&seven), 3);
    int32_t three = 3;
    EXPECT_EQ(RLGET(&three), 7.0);
    for (int32_t outside : {0, 11, -11, INT32_MIN})
        EXPECT_EQ(RLGET(&outside), 0.0) << outside;
    std::vector<int32_t> text = words("4.7K");
    int32_t n = 4;
    EXPECT_EQ(RLSAVE(text.data(), &n), 3);
    EXPECT_EQ(RLGET(&three), 4.7 * 1000);
    RLINIT();
    EXPECT_EQ(RLPUT(&a), 1);
}

// Only M turns mega before an E; without a table letter the digits before
// anything else count; a scale letter without digits before it reads as
// 0, and a trailing exponent letter adds nothing.
TEST(RealSlots, ReadsNumbersWithScaleLetters) {
    struct Case {
        const char *text;
        double value;
    } cases[] = {
        {"4.7K", 4.7 * 1e3},   {"100n", 100 * 1e-9},
        {"3.3MEG", 3.3 * 1e6}, {"3.3meg", 3.3 * 1e6},
        {"1ME", 1e6},          {"3.3M", 3.3 * 1e-3},
        {"1.5E3", 1500},       {"22", 22},
        {"10PF", 10 * 1e-12},  {"1KOHM", 1000},
        {"2.5e 3", 2500},      {"2.5d-3", 2.5e-3},
        {"1a", 1e-18},         {"2f", 2 * 1e-15},
        {"5u", 5 * 1e-6},      {"2G", 2 * 1e9},
        {"7t", 7 * 1e12},      {"-4.7k", -4.7 * 1e3},
        {"  +.5", 0.5},        {"12.", 12},
        {"1Ke", 1e3},          {"10V", 10},
        {"1.2.3", 1.2},        {"1.5E", 1.5},
        {"1.5E+", 1.5},        {"2e", 2},
    };
    for (const Case &c : cases)
        EXPECT_EQ(read(c.text), c.value) << c.text;
    for (const char *nothing : {"", "V", ".", "-", "K", "meg", "e5"})
        EXPECT_EQ(read(nothing), 0.0) << nothing;
    EXPECT_EQ(read("1e400"), HUGE_VAL);
}

TEST(RealSlots, ReadsTextsOfAnyLength) {
    // Longer than any fixed work buffer: every character is read.
    std::string digits(70, '1');
    EXPECT_EQ(read(digits), std::stod(digits));
    EXPECT_EQ(read(std::string(60, ' ') + "2.5K"), 2500);
    EXPECT_EQ(read("0." + std::string(50, '0') + "1E52"), 10);
    EXPECT_EQ(read("1" + std::string(45, '0') + "p"), 1e45 * 1e-12);
    int32_t zero = 0, negative = -5;
    EXPECT_EQ(RLCNVR(nullptr, &zero), 0.0);
    EXPECT_EQ(RLCNVR(nullptr, &negative), 0.0);
}

TEST(StringSlots, ParkTakeAndTerminate) {
    SLINIT();
    const int64_t baseline = kt_host_store_bytes_in_use();
    int32_t a = kt::test::make_string("one"), b = kt::test::make_string("two");
    EXPECT_EQ(SLSAVE(&a), 1);
    EXPECT_EQ(SLSAVE(&b), 2);
    int32_t one = 1;
    EXPECT_EQ(SLGET(&one), a);
    EXPECT_EQ(SLGET(&one), -1); // taken already
    for (int32_t outside : {0, 11, -1})
        EXPECT_EQ(SLGET(&outside), 0);
    int32_t c = kt::test::make_string("three");
    EXPECT_EQ(SLSAVE(&c), 1);
    SLTERM(); // frees b and c, still parked; a was taken back
    STRFS(&a);
    EXPECT_EQ(kt_host_store_bytes_in_use(), baseline);
    EXPECT_EQ(SLSAVE(&one), 1);
    SLINIT();
}

TEST(SlotDeathTest, FullPoolsStopTheProcess) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            RLINIT();
            double v = 1;
            for (int k = 0; k < 11; ++k)
                RLPUT(&v);
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "error 1000: rlput: ptlist overflow");
    EXPECT_EXIT(
        {
            SLINIT();
            int32_t s = 0;
            for (int k = 0; k < 11; ++k)
                SLSAVE(&s);
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "error 1000: slsave: ptlist overflow");
    // Before RLINIT no slot is free; a fresh process is needed to see it.
    EXPECT_EXIT(
        {
            int32_t n = 1;
            RLCONV(&n);
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "rlput: ptlist overflow");
}

} // namespace
