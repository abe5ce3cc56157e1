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

// Where a bad or missing digit is rejected and the bits of valid texts are
// the cnsx2d fuzz target's, replayed over its corpus; here the host's word
// order, which that target leaves as it is.
TEST(HexImage, FollowsTheHostByteOrderWord) {
    // A host that says 1 puts the first eight digits in the lower-addressed word.
    int32_t saved = MACHC.i[18];
    MACHC.i[18] = 1;
    double v = 0;
    EXPECT_EQ(CNSX2D("000000003FF00000", &v, 16), 0);
    MACHC.i[18] = saved;
    EXPECT_EQ(v, 1.0);
}

} // namespace
