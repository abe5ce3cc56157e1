#include <cmath>

#include "text_test_util.h"

using namespace kt::text_test;

namespace {

// Scale letters, after which anything is ignored (valid numbers are compared
// with the checking reader elsewhere); the longest numeric prefix where the
// text goes on or stops short; out of range; and 0 for nothing numeric.
TEST(LenientReader, ReadsWhatCallersWrite) {
    struct Case {
        std::string text;
        double value;
    } cases[] = {
        {"1.5E 3", 1500.0}, {"10KOHM", 10000.0}, {"1MS", 1e-6},        {"1M", 1e-3},        {"1mil", 1e-6},
        {"1Md", 1e6},       {"2.5-3", 0.0025},   {"1.5+3", 1500.0},    {"1E3,5", 1000.0},   {"1E3 5", 1000.0},
        {"5V", 5.0},        {"5 V", 5.0},        {"1.5e", 1.5},        {"1.5e ", 1.5},      {"1.5E+", 1.5},
        {"1-2-3", 0.01},    {"1.2.3", 1.2},      {"1e5e5", 1e5},       {"1E3X", 1000.0},    {"1.5-3K", 0.0015},
        {"1e  3", 1.0},     {"12/5", 12.0},      {"-1.5E3V", -1500.0}, {"1e400", HUGE_VAL}, {"-1e400", -HUGE_VAL},
        {"1e-400", 0.0},
    };
    for (const auto &c : cases) {
        double v = lenient(c.text);
        EXPECT_EQ(v, c.value) << "'" << c.text << "'";
        EXPECT_EQ(c_s2dcnv(c.text.data(), len(c.text)), c.value) << c.text;
    }
    for (const std::string nothing : {"", "-", "+", "K", "MEG", "E5", " 5", "abc", ".", "-.", "+-1", "\xff"}) {
        EXPECT_EQ(lenient(nothing), 0.0) << "'" << nothing << "'";
        EXPECT_EQ(c_s2dcnv(nothing.data(), len(nothing)), 0.0) << nothing;
    }
    int32_t zero = 0, negative = -5;
    EXPECT_EQ(S2DCNV("123", &zero, 3), 0.0);
    EXPECT_EQ(S2DCNV("123", &negative, 3), 0.0);
}

TEST(LenientReader, ReadsTextsOfAnyLength) {
    std::string digits60 = "1" + std::string(59, '0');
    EXPECT_EQ(lenient(digits60), 1e59);
    EXPECT_EQ(lenient("0." + std::string(45, '0') + "1K"), 1e-43);
    std::string long_tail = "2.5E1" + std::string(100, ' ') + "garbage";
    EXPECT_EQ(lenient(long_tail), 25.0);
    std::string long_exponent = "3e" + std::string(60, '0') + "2";
    EXPECT_EQ(lenient(long_exponent), 300.0);
    std::string huge(100000, '9');
    EXPECT_EQ(lenient(huge), HUGE_VAL);
}

} // namespace
