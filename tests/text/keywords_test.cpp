#include <algorithm>
#include <random>

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
}

int32_t alscmp(const std::string &a, const std::string &b) {
    Exact x(a), y(b);
    return ALSCMP(x.get(), &x.n, y.get(), &y.n, x.n, y.n);
}

// Reserved words, packed names and the order of any names against their
// models are the keywords fuzz target's, replayed over its corpus.
TEST(Keywords, NamesThatMayBeNumbers) {
    std::vector<std::string> names = {"10", "b", "2", "a10", "ab", "abc", "-3", "B2"};
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) { return alscmp(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"a10", "ab", "abc", "b", "B2", "-3", "2", "10"}));
}

// A text matches when it is at least the marked minimum long, no longer
// than the keyword, and equal to the keyword's beginning ignoring case;
// KEYWSC wants all of the keyword up to its first blank.
TEST(Keywords, AbbreviationAgreesWithTheModelOnRandomWords) {
    std::mt19937 rng(8);
    const std::string alphabet = "aAbB_ 1";
    for (int i = 0; i < 20000; ++i) {
        std::string keyword = random_text(rng, alphabet, 6), text = random_text(rng, alphabet, 8);
        if (rng() % 2) {
            text = keyword.substr(0, std::min(text.size(), keyword.size()));
            for (char &c : text) // typed in either case
                c = rng() % 2 ? lower(c) : upper(c);
        }
        Exact k(keyword), t(text);
        bool expected = kt::text_test::reference_abbreviation(keyword, text);
        ASSERT_EQ(KWACMP(k.get(), t.get(), &t.n, k.n, t.n) == 0, expected) << "'" << keyword << "' '" << text << "'";
        ASSERT_EQ(c_kwacmp(keyword.c_str(), t.get(), t.n) == 0, expected) << "'" << keyword << "' '" << text << "'";
        const bool whole = same_ignoring_case(keyword.substr(0, keyword.find(' ')), text);
        ASSERT_EQ(KEYWSC(k.get(), t.get(), &t.n, k.n, t.n) == 0, whole) << "'" << keyword << "' '" << text << "'";
        ASSERT_EQ(c_keywsc(keyword.c_str(), t.get(), t.n) == 0, whole) << "'" << keyword << "' '" << text << "'";
    }
}

} // namespace
