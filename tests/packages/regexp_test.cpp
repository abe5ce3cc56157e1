// Regular expressions: a table of patterns over every operator with the
// expected match and groups, every error message, substitution in both
// forms, long sub-matches and matches too deep for the stack.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kt/regexp.h"

namespace {

struct MatchCase {
    const char *pattern;
    const char *subject;
    bool matches;
    std::vector<const char *> groups; // 0: the match; null: took no part
};

const MatchCase kMatchCases[] = {
    {"abc", "xxabcxx", true, {"abc"}},
    {"a.c", "abc", true, {"abc"}},
    {"a.c", "ac", false, {}},
    {"[abc]+", "xxbcay", true, {"bca"}},
    {"[^abc]+", "abxyzc", true, {"xyz"}},
    {"[a-c]+", "zzabcd", true, {"abc"}},
    {"[]a]+", "x]a]y", true, {"]a]"}},
    {"[^-a]+", "a-bc-", true, {"bc"}},
    {"x[^abc]y", "xay xdy", true, {"xdy"}},
    {"x[^abc]", "xa x", false, {}},
    {"x[abc]", "xd x", false, {}},
    {"^a.", "a", false, {}},
    {"[a-]+", "x-a-y", true, {"-a-"}},
    {"[[]", "a[b", true, {"["}},
    {"[0-9]+\\.[0-9]+", "v=4.75e3", true, {"4.75"}},
    {"^ab", "abab", true, {"ab"}},
    {"^ab", "xab", false, {}},
    {"ab$", "abab", true, {"ab"}},
    {"^$", "", true, {""}},
    {"^.+$", "abc", true, {"abc"}},
    {"$", "abc", true, {""}},
    {"", "", true, {""}},
    {"", "abc", true, {""}},
    {"a*", "bbb", true, {""}},
    {"ba*", "xbaaa", true, {"baaa"}},
    {"a+", "bbaab", true, {"aa"}},
    {"x*y", "xxxz", false, {}},
    {"colou?r", "color", true, {"color"}},
    {"colou?r", "colour", true, {"colour"}},
    {"abc*", "ab", true, {"ab"}},
    {"abc*", "abccc", true, {"abccc"}},
    {"a.*b", "axxbxxb", true, {"axxbxxb"}},
    {".*foo", "xxfooyyfoo", true, {"xxfooyyfoo"}},
    {".*foo", "xxfoyy", false, {}},
    {"cat|dog", "hotdog", true, {"dog"}},
    {"a|b|c", "zzc", true, {"c"}},
    {"(ab)*c", "ababc", true, {"ababc", "ab"}},
    {"(ab)+c", "xababcd", true, {"ababc", "ab"}},
    {"(ab)+c", "xcd", false, {}},
    {"(a|b)?c", "c", true, {"c", nullptr}},
    {"(a|b)?c", "bc", true, {"bc", "b"}},
    {"(x)(y)", "axyb", true, {"xy", "x", "y"}},
    {"((a)(b))+", "abab", true, {"abab", "ab", "a", "b"}},
    {"(a|ab)(c|bcd)(d*)", "abcd", true, {"abcd", "a", "bcd", ""}},
    {"x(a|b)*y", "xababy", true, {"xababy", "b"}},
    {"(a*)b", "aab", true, {"aab", "aa"}},
    {"(|a)b", "ab", true, {"ab", "a"}},
    {"(a)|(b)", "b", true, {"b", nullptr, "b"}},
    {"a\\.b", "a.b", true, {"a.b"}},
    {"a\\.b", "axb", false, {}},
    {"\\(", "f(x)", true, {"("}},
    {"a\\*", "a*", true, {"a*"}},
    {"a\\+b", "a+b", true, {"a+b"}},
    {"(((((((((a)))))))))", "a", true, {"a", "a", "a", "a", "a", "a", "a", "a", "a", "a"}},
};

TEST(RegexpTest, PatternTable) {
    for (const MatchCase &c : kMatchCases) {
        SCOPED_TRACE(std::string(c.pattern) + " on " + c.subject);
        Regexp_scanner re(c.pattern);
        ASSERT_TRUE(re.valid()) << re.error();
        EXPECT_EQ(re.error(), nullptr);
        EXPECT_EQ(re.find_match(c.subject), c.matches ? 1 : 0);
        for (short g = 0; g < 10; ++g) {
            const char *expected = g < static_cast<short>(c.groups.size()) ? c.groups[static_cast<size_t>(g)] : nullptr;
            const char *got = re[g];
            if (!expected)
                EXPECT_EQ(got, nullptr) << "group " << g;
            else
                EXPECT_STREQ(got, expected) << "group " << g;
        }
    }
}

TEST(RegexpTest, FailedMatchForgetsThePreviousOne) {
    Regexp_scanner re("b+");
    ASSERT_EQ(re.find_match("abbc"), 1);
    EXPECT_STREQ(re[0], "bb");
    EXPECT_EQ(re.find_match("xyz"), 0);
    EXPECT_EQ(re[0], nullptr);
    EXPECT_EQ(re[-1], nullptr);
    EXPECT_EQ(re[10], nullptr);
}

TEST(RegexpTest, CompileErrors) {
    struct Case {
        std::string pattern;
        const char *message;
    } cases[] = {
        {"((((((((((a))))))))))", "too many ()"},
        {"(ab", "unmatched ()"},
        {"ab)", "unmatched ()"},
        {"a|b)", "unmatched ()"},
        {"(a*)*", "*+ operand could be empty"},
        {"(a*)+", "*+ operand could be empty"},
        {"()*", "*+ operand could be empty"},
        {"(^)+", "*+ operand could be empty"},
        {"a**", "nested *?+"},
        {"a*?", "nested *?+"},
        {"(ab)+*", "nested *?+"},
        {"*a", "?+* follows nothing"},
        {"a|+b", "?+* follows nothing"},
        {"(?a)", "?+* follows nothing"},
        {"ab\\", "trailing \\"},
        {"[ab", "unmatched []"},
        {"[", "unmatched []"},
        {"[a-", "unmatched []"},
        {"[^]", "unmatched []"},
        {"[z-a]", "invalid [] range"},
        {"x[c-a]", "invalid [] range"},
        {std::string(70000, 'a'), "regexp too big"},
        {[] {
             std::string s;
             for (int i = 0; i < 300; ++i)
                 s += "[\x01-\xff]";
             return s;
         }(),
         "regexp too big"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern.substr(0, 40));
        Regexp_scanner re(c.pattern.c_str());
        EXPECT_FALSE(re.valid());
        ASSERT_NE(re.error(), nullptr);
        EXPECT_STREQ(re.error(), c.message);
        EXPECT_EQ(re.find_match("aaaa"), 0);
    }
    Regexp_scanner none(nullptr);
    EXPECT_FALSE(none.valid());
    EXPECT_STREQ(none.error(), "0 argument");
}

TEST(RegexpTest, LargestProgramsStillLinkAndMatch) {
    std::string literal(65000, 'q');
    Regexp_scanner re((literal + "(x|y)*z").c_str());
    ASSERT_TRUE(re.valid()) << re.error();
    std::string subject = literal + "xyxz";
    EXPECT_EQ(re.find_match(subject.c_str()), 1);
    EXPECT_STREQ(re[1], "x");
    EXPECT_EQ(re.find_match((literal + "xyw").c_str()), 0);
}

TEST(RegexpTest, RuntimeErrors) {
    Regexp_scanner re("a+");
    EXPECT_EQ(re.find_match(nullptr), 0);
    EXPECT_STREQ(re.error(), "0 parameter");
    EXPECT_FALSE(re.valid());
    char dest[16];
    EXPECT_EQ(re.substitute(nullptr, dest, sizeof dest), -1);
    EXPECT_STREQ(re.error(), "NULL parm to sub");
    EXPECT_EQ(re.substitute("&", nullptr, 4), -1);
    EXPECT_STREQ(re.error(), "NULL parm to sub");
    re.substitute(nullptr, dest);
    EXPECT_STREQ(re.error(), "NULL parm to sub");

    char subject[] = "xaaay";
    ASSERT_EQ(re.find_match(subject), 1);
    subject[2] = '\0'; // the subject changes under the recorded match
    EXPECT_EQ(re.substitute("<&>", dest, sizeof dest), -1);
    EXPECT_STREQ(re.error(), "damaged match string");
    EXPECT_STREQ(dest, "<a");
}

// The compiled program is the scanner's first member; these tests damage
// it on purpose to reach the matcher's self-checks.
char *program_of(Regexp_scanner &re) {
    char *p = nullptr;
    std::memcpy(&p, &re, sizeof p);
    return p;
}

TEST(RegexpTest, DamagedProgramsAreReportedNotFollowed) {
    struct Case {
        const char *pattern;
        int byte;      // program byte to overwrite
        char value;
        const char *message;
    } cases[] = {
        // branch @0, exactly @3 "ab" @6, end @9
        {"ab", 3, 99, "memory corruption"},
        {"ab", 3, 20, "memory corruption"}, // no group 0
        {"ab", 5, 0, "corrupted pointers"},
        // branch @0, star @3, exactly @6 "a" @9, end @11
        {"a*", 6, 6, "internal foulup"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        Regexp_scanner re(c.pattern);
        ASSERT_TRUE(re.valid());
        program_of(re)[c.byte] = c.value;
        EXPECT_EQ(re.find_match("ab"), c.message == std::string("internal foulup") ? 1 : 0);
        ASSERT_NE(re.error(), nullptr);
        EXPECT_STREQ(re.error(), c.message);
    }
}

TEST(RegexpTest, Substitution) {
    struct Case {
        const char *pattern, *subject, *templ, *result;
    } cases[] = {
        {"(x)(y)", "axyb", "[\\2\\1&]", "[yxxy]"},
        {"(a)|(b)", "b", "\\1-\\2", "-b"},
        {"b+", "abbc", "\\\\&\\&", "\\bb&"},
        {"b+", "abbc", "\\n\\", "\\n\\"},
        {"b+", "abbc", "", ""},
        {"b+", "abbc", "&&&", "bbbbbb"},
        {"(b)", "abbc", "\\9\\0", "b"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.templ);
        Regexp_scanner re(c.pattern);
        ASSERT_EQ(re.find_match(c.subject), 1);
        char dest[64];
        EXPECT_EQ(re.substitute(c.templ, dest, sizeof dest), static_cast<long>(std::strlen(c.result)));
        EXPECT_STREQ(dest, c.result);
        char unbounded[64];
        re.substitute(c.templ, unbounded);
        EXPECT_STREQ(unbounded, c.result);
    }
}

TEST(RegexpTest, BoundedSubstitutionCutsAndTerminates) {
    Regexp_scanner re("(x)(y)");
    ASSERT_EQ(re.find_match("axyb"), 1);
    struct Case {
        size_t size;
        const char *written;
    } cases[] = {{7, "[yxxy]"}, {6, "[yxxy"}, {3, "[y"}, {1, ""}};
    for (const Case &c : cases) {
        char dest[8];
        std::memset(dest, '#', sizeof dest);
        EXPECT_EQ(re.substitute("[\\2\\1&]", dest, c.size), 6) << c.size;
        EXPECT_STREQ(dest, c.written);
        EXPECT_EQ(dest[c.size], '#') << "wrote past the given size";
    }
    char untouched = '#';
    EXPECT_EQ(re.substitute("&", &untouched, 0), 2);
    EXPECT_EQ(untouched, '#');
    EXPECT_TRUE(re.valid()); // a cut is not an error
}

TEST(RegexpTest, LongSubMatchesComeBackWhole) {
    std::string subject = "<" + std::string(5000, 'k') + ">";
    Regexp_scanner re("<(k*)>");
    ASSERT_EQ(re.find_match(subject.c_str()), 1);
    EXPECT_EQ(std::string(re[1]), std::string(5000, 'k'));
    EXPECT_EQ(std::string(re[0]), subject);
    EXPECT_STREQ(re[1] + 4990, "kkkkkkkkkk");
}

TEST(RegexpTest, MatchesTooDeepFailCleanly) {
    std::string longer;
    for (int i = 0; i < 100000; ++i)
        longer += "ab";
    Regexp_scanner re("(ab)*c");
    std::string subject = longer + "c";
    EXPECT_EQ(re.find_match(subject.c_str()), 0);
    ASSERT_NE(re.error(), nullptr);
    EXPECT_STREQ(re.error(), "match too deep");
    EXPECT_EQ(re[0], nullptr);
    // The program is intact: shorter subjects still match.
    std::string shorter;
    for (int i = 0; i < 1000; ++i)
        shorter += "ab";
    subject = shorter + "c";
    EXPECT_EQ(re.find_match(subject.c_str()), 1);
    EXPECT_EQ(std::strlen(re[0]), shorter.size() + 1);
    EXPECT_STREQ(re[1], "ab");

    Regexp_scanner alternatives("(a|b)+$");
    EXPECT_EQ(alternatives.find_match(longer.c_str()), 0);
    EXPECT_STREQ(alternatives.error(), "match too deep");
}

// Two ways to match each "a" make a failing search exponential in the
// subject; it must give up in bounded time and leave the scanner usable.
TEST(RegexpTest, ExponentialBacktrackingGivesUp) {
    std::string subject;
    for (int i = 0; i < 30; ++i)
        subject += "ab";
    subject += "xc"; // the "c" every match needs is there, but not after the run
    Regexp_scanner re("(a?a?b)*c");
    EXPECT_EQ(re.find_match(subject.c_str()), 0);
    EXPECT_STREQ(re.error(), "match too long");
    EXPECT_EQ(re.find_match("ababc"), 1);
    EXPECT_STREQ(re[0], "ababc");
}

TEST(RegexpTest, SingleCharacterLoopsDoNotRecursePerCharacter) {
    std::string subject(1000000, 'a');
    Regexp_scanner re("^a*[^a]*$");
    EXPECT_EQ(re.find_match(subject.c_str()), 1);
    EXPECT_EQ(re.error(), nullptr);
}

} // namespace
