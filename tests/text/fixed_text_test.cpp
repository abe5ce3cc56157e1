#include "text_test_util.h"

using namespace kt::text_test;

namespace {

TEST(FixedText, SignificantLengthAndReverseSearch) {
    EXPECT_EQ(SIGLEN("     ", 5), 0);
    EXPECT_EQ(SIGLEN("AB  ", 4), 2);
    EXPECT_EQ(SIGLEN("", 0), 0);
    EXPECT_EQ(SIGLEN("a\tb\t", 4), 4) << "only the blank pads";
    EXPECT_EQ(KTRIDX("a.b.c", ".", 5, 1), 4);
    EXPECT_EQ(KTRIDX("abc", ".", 3, 1), 0);
    EXPECT_EQ(KTRIDX(".bc", ".", 3, 1), 1);
    EXPECT_EQ(KTRIDX("a.b", "", 3, 0), 0) << "no character to look for";
}

TEST(FixedText, OneCharacterCaseMapping) {
    struct Case {
        char in, up, low;
    } cases[] = {{'1', '1', '1'}, {'z', 'Z', 'z'},          {'A', 'A', 'a'}, {'m', 'M', 'm'},
                 {'_', '_', '_'}, {'\xe9', '\xe9', '\xe9'}, {'[', '[', '['}, {'@', '@', '@'}};
    for (const Case &c : cases) {
        char up[3] = {'x', 'x', 'x'}, low = 'x';
        UPCASE(up, 3, &c.in, 1);
        LOCASE(&low, 1, &c.in, 1);
        EXPECT_EQ(up[0], c.up) << c.in;
        EXPECT_EQ(up[1], ' ') << "a longer result is blank-filled";
        EXPECT_EQ(low, c.low) << c.in;
    }
}

TEST(FixedText, WordPositions) {
    const std::string text = " ab  cde";
    int32_t n = len(text), starts[4] = {}, ends[4] = {}, count = -1;
    int32_t max = 10;
    EXPECT_EQ(VBTOKP(text.data(), &n, starts, ends, &max, &count, n), 2);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(starts[0], 2);
    EXPECT_EQ(ends[0], 3);
    EXPECT_EQ(starts[1], 6);
    EXPECT_EQ(ends[1], 8);

    max = 1;
    int32_t one_start[1] = {}, one_end[1] = {};
    EXPECT_EQ(VBTOKP(text.data(), &n, one_start, one_end, &max, &count, n), 1);
    EXPECT_EQ(one_start[0], 2);
    EXPECT_EQ(one_end[0], 3);

    // A maximum below 1 still takes the first word, and only that one.
    for (int32_t below : {0, -5}) {
        int32_t start[2] = {}, end[2] = {};
        EXPECT_EQ(VBTOKP(text.data(), &n, start, end, &below, &count, n), 1);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(start[0], 2);
        EXPECT_EQ(end[0], 3);
        EXPECT_EQ(start[1], 0);
        char word[3] = "##";
        EXPECT_EQ(VBTOKS(text.data(), &n, word, &below, &count, n, 1), 1);
        EXPECT_STREQ(word, "a#");
    }

    // The count bounds the scan: the word ends at position n.
    n = 6;
    max = 10;
    EXPECT_EQ(VBTOKP(text.data(), &n, starts, ends, &max, &count, 8), 2);
    EXPECT_EQ(ends[1], 6);
    n = 0;
    EXPECT_EQ(VBTOKP(text.data(), &n, starts, ends, &max, &count, 8), 0);
}

TEST(FixedText, WordsCopiedIntoElements) {
    const std::string text = "ab cde f";
    int32_t n = len(text), max = 3, count = 0;
    char words[3 * 2 + 1];
    std::memset(words, '#', sizeof words);
    EXPECT_EQ(VBTOKS(text.data(), &n, words, &max, &count, n, 2), 3);
    EXPECT_EQ(std::string(words, 6), "abcdf ");
    EXPECT_EQ(words[6], '#') << "nothing written past the third element";

    // Stops after the maximum: the third word is not touched.
    max = 2;
    std::memset(words, '#', sizeof words);
    EXPECT_EQ(VBTOKS(text.data(), &n, words, &max, &count, n, 2), 2);
    EXPECT_EQ(std::string(words, 7), "abcd###");

    char wide[2 * 5];
    max = 2;
    EXPECT_EQ(VBTOKS(text.data(), &n, wide, &max, &count, n, 5), 2);
    EXPECT_EQ(std::string(wide, 10), "ab   cde  ");
}

struct ExtensionCase {
    std::string name;
    int32_t area; // length of the name argument
    std::string extension;
    int32_t status, name_length;
    std::string after;
};

TEST(FixedText, FileExtension) {
    const ExtensionCase cases[] = {
        {"top", 10, ".cir", 1, 7, "top.cir   "},
        {"top.cir", 10, ".cir", 0, 7, "top.cir   "},
        {"top.CIR", 10, ".cir", 0, 7, "top.CIR   "},
        {"top.cirx", 10, ".cir", 0, 8, "top.cirx  "},
        {"top.net", 10, ".cir", -1, 7, "top.net   "},
        {"top", 4, ".cir", -2, 3, "top "},
        {"top", 7, ".cir", 1, 7, "top.cir"},
        {"top.c", 5, ".cir", -1, 5, "top.c"},
        {"./top", 12, ".cir", 1, 9, "./top.cir   "},
        {"a.d/top", 12, ".cir", 1, 11, "a.d/top.cir "},
        {"a.d/top.cir", 12, ".cir", 0, 11, "a.d/top.cir "},
        {"a.d/top.net", 12, ".cir", -1, 11, "a.d/top.net "},
        {"top", 6, ".cir  ", -2, 3, "top   "}, // the extension's trailing blanks do not count
        {"top", 9, ".cir  ", 1, 7, "top.cir  "},
    };
    for (const ExtensionCase &c : cases) {
        SCOPED_TRACE(c.name + " area " + std::to_string(c.area));
        std::string area = c.name + std::string(static_cast<size_t>(c.area) - c.name.size(), ' ');
        Exact name(area);
        int32_t length = -1, status = 9;
        EXPECT_EQ(SFNEXT(c.extension.data(), name.get(), &length, &status, len(c.extension), name.n), c.status);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(length, c.name_length);
        EXPECT_EQ(name.str(), c.after);
    }
}

// Characters past the new length stay as they were.
TEST(FixedText, SqueezeAgreesWithTheModelOnRandomTexts) {
    std::mt19937 rng(5);
    for (int i = 0; i < 5000; ++i) {
        std::string text = random_text(rng, "  \t\taZz9.", 23);
        std::string expected = kt::text_test::reference_squeeze(text);
        Exact e(text);
        int32_t n = e.n;
        ASSERT_EQ(S2SCN(e.get(), &n, n), len(expected)) << text;
        ASSERT_EQ(e.str(), expected + text.substr(expected.size())) << text;
    }
    // Only the first n characters take part.
    std::string text = "a  b  C";
    int32_t n = 4;
    EXPECT_EQ(S2SCN(text.data(), &n, 7), 3);
    EXPECT_EQ(text, "a bb  C");
}

} // namespace
