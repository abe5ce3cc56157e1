#include <cmath>

#include "text_test_util.h"

using namespace kt::text_test;

namespace {

// The validating reader's codes and values, its twin and the unchecked
// reader on valid texts are the integer fuzz target's, against its model,
// replayed over its corpus; here the unchecked readers on the rest.
TEST(IntegerReaders, Unchecked) {
    struct Case {
        std::string text;
        int32_t value;
    } cases[] = {{"", 0},   {"-", 0}, {"123", 123}, {"-77", -77}, {"+9", 9}, {"2147483648", INT32_MIN},
                 {"1:", 20}}; // ':' counts as code 58 - 48 = 10
    for (const auto &c : cases) {
        Exact e(c.text);
        EXPECT_EQ(S2ICNV(e.get(), &e.n, e.n), c.value) << c.text;
        std::vector<int32_t> words(c.text.begin(), c.text.end());
        words.push_back(0);
        EXPECT_EQ(INCONV(words.data(), &e.n), c.value) << c.text;
    }
    // INCONV takes the sign from the low byte and each digit from the whole word.
    int32_t words[] = {0x100 + '-', '4', '2'}, n = 3;
    EXPECT_EQ(INCONV(words, &n), -42);
    int32_t wide[] = {'1', 0x10000 + '0'};
    n = 2;
    EXPECT_EQ(INCONV(wide, &n), 10 + 0x10000);
}

TEST(HexImage, RejectsABadDigitWhereItStands) {
    for (int32_t at = 1; at <= 16; ++at) {
        for (char bad : {'g', 'G', ' ', '-', 'x', '\0'}) {
            std::string text(16, '0');
            text[static_cast<size_t>(at - 1)] = bad;
            double v = 5.0;
            EXPECT_EQ(CNSX2D(text.data(), &v, 16), at) << text;
            EXPECT_EQ(v, 5.0);
        }
    }
    // A short text is rejected where its characters run out.
    Exact shorter("3FF00");
    double v = 5.0;
    EXPECT_EQ(CNSX2D(shorter.get(), &v, shorter.n), 6);
    EXPECT_EQ(v, 5.0);
}

TEST(HexImage, FollowsTheHostByteOrderWord) {
    // A host that says 1 puts the first eight digits in the lower-addressed word.
    int32_t saved = MACHC.i[18];
    MACHC.i[18] = 1;
    double v = 0;
    EXPECT_EQ(CNSX2D("000000003FF00000", &v, 16), 0);
    MACHC.i[18] = saved;
    EXPECT_EQ(v, 1.0);
}

TEST(HexImage, RoundTripsRandomBitPatterns) {
    ASSERT_NE(MACHC.i[18], 1) << "this host puts the high word first";
    uint64_t x = 0x9e3779b97f4a7c15u;
    for (int i = 0; i < 2000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        char text[17];
        std::snprintf(text, sizeof text, i % 2 ? "%016llX" : "%016llx", static_cast<unsigned long long>(x));
        double v = 0;
        ASSERT_EQ(CNSX2D(text, &v, 16), 0);
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        ASSERT_EQ(bits, x) << text;
    }
}

} // namespace
