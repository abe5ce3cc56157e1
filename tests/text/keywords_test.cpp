// Keyword matching where the fuzz targets cannot see: reserved words,
// packed names and the order of names and numbers are the keywords fuzz
// target's, replayed over its corpus.
#include "text_test_util.h"

using namespace kt::text_test;

namespace {

TEST(Keywords, AbbreviationLongerThanTheKeywordIsANonMatch) {
    // The keyword lives in a block of exactly its size: a read past it
    // would be caught by the sanitizer.
    Exact keyword("DEFine"), text("DEFINED");
    int32_t r = KWACMP(keyword.get(), text.get(), &text.n, keyword.n, text.n);
    EXPECT_NE(r, 0);
    EXPECT_LT(r, 0) << "the shorter keyword orders first";
    Exact empty("");
    EXPECT_NE(KWACMP(empty.get(), text.get(), &text.n, 0, text.n), 0);
    int32_t zero = 0;
    EXPECT_EQ(KWACMP(empty.get(), text.get(), &zero, 0, text.n), 0) << "nothing typed for nothing";
    // Matching against the model, KEYWSC's included, is the kwacmp fuzz
    // target's, replayed over its corpus; here the C twin of KEYWSC.
    EXPECT_EQ(c_keywsc("AC LIN", "ac", 2), 0);
    EXPECT_NE(c_keywsc("TRAN", "TRA", 3), 0);
}

} // namespace
