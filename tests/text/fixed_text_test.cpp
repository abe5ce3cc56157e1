#include <algorithm>
#include <random>
#include <vector>

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

// Every byte: only ASCII letters change case; a longer result is
// blank-filled.
TEST(FixedText, OneCharacterCaseMapping) {
    for (int i = 0; i < 256; ++i) {
        const char c = static_cast<char>(i);
        char up[3] = {'x', 'x', 'x'}, low = 'x';
        UPCASE(up, 3, &c, 1);
        LOCASE(&low, 1, &c, 1);
        EXPECT_EQ(std::string(up, 3), std::string(1, c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c) + "  ") << i;
        EXPECT_EQ(low, c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) << i;
    }
}

// Words are the blank-separated runs of the first n characters (a tab is
// no blank): at most `maximum` of them, and the first one when the maximum
// is below 1, as callers that leave room for one rely on.
TEST(FixedText, WordsAgainstAPlainScan) {
    std::mt19937 rng(17);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = random_text(rng, "  ab\t", 12);
        int32_t n = static_cast<int32_t>(rng() % (text.size() + 1));
        int32_t maximum = static_cast<int32_t>(rng() % 7) - 2;
        const int32_t width = 1 + static_cast<int32_t>(rng() % 4);
        std::vector<int32_t> starts, ends;
        for (int32_t i = 0; i < n; ++i) {
            if (text[i] == ' ')
                continue;
            if (i == 0 || text[i - 1] == ' ')
                starts.push_back(i + 1);
            if (i == n - 1 || text[i + 1] == ' ')
                ends.push_back(i + 1);
        }
        const size_t words = std::min(starts.size(), static_cast<size_t>(std::max(maximum, 1)));
        starts.resize(words);
        ends.resize(words);
        std::string expect;
        for (size_t k = 0; k < words; ++k) {
            std::string word = text.substr(starts[k] - 1, ends[k] - starts[k] + 1);
            word.resize(width, ' ');
            expect += word;
        }
        SCOPED_TRACE("'" + text + "' n " + std::to_string(n) + " maximum " + std::to_string(maximum));
        Exact e(text);
        std::vector<int32_t> s(8, -1), f(8, -1);
        int32_t count = -1;
        const int32_t want = static_cast<int32_t>(words);
        ASSERT_EQ(VBTOKP(e.get(), &n, s.data(), f.data(), &maximum, &count, e.n), want);
        ASSERT_EQ(count, want);
        ASSERT_EQ(std::vector<int32_t>(s.begin(), s.begin() + words), starts);
        ASSERT_EQ(std::vector<int32_t>(f.begin(), f.begin() + words), ends);
        ASSERT_EQ(s[words], -1) << "nothing past the last word";
        std::string elements(8 * static_cast<size_t>(width), '#');
        expect.resize(elements.size(), '#');
        ASSERT_EQ(VBTOKS(e.get(), &n, elements.data(), &maximum, &count, e.n, width), want);
        ASSERT_EQ(elements, expect);
    }
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

// Squeezing against the model is the s2scn fuzz target's, replayed over its
// corpus; here only the first n characters take part.
TEST(FixedText, SqueezeTakesTheFirstNCharacters) {
    std::string text = "a  b  C";
    int32_t n = 4;
    EXPECT_EQ(S2SCN(text.data(), &n, 7), 3);
    EXPECT_EQ(text, "a bb  C");
}

} // namespace
