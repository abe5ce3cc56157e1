#include <random>

#include "text_test_util.h"

using namespace kt::text_test;
using kt::test::string_length;
using kt::test::string_terminator;
using kt::test::string_text;

namespace {

class StringEdits : public StoreTest {};

TEST_F(StringEdits, DeleteRange) {
    struct Case {
        int32_t from, to, count;
        std::string after;
    } cases[] = {
        {2, 3, 2, "adef"}, {5, 99, 2, "abcd"}, {0, 3, 0, "abcdef"}, {-4, 2, 0, "abcdef"}, {1, 6, 6, ""},
        {6, 6, 1, "abcde"}, {7, 9, 0, "abcdef"}, {4, 3, 0, "abcdef"}, {1, 1, 1, "bcdef"},
    };
    for (const Case &c : cases) {
        int32_t s = keep("abcdef"), count = -1;
        EXPECT_EQ(STRDLR(&s, &c.from, &c.to, &count), c.count) << c.from << ".." << c.to;
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(string_text(s), c.after);
        EXPECT_EQ(string_terminator(s), '\0');
    }
    int32_t none = 0, from = 1, to = 2, count = -1;
    EXPECT_EQ(STRDLR(&none, &from, &to, &count), 0);
}

TEST_F(StringEdits, DeleteCharacter) {
    struct Case {
        std::string before;
        char ch;
        int32_t count;
        std::string after;
    } cases[] = {
        {"hello", 'l', 2, "heo"}, {"lllll", 'l', 5, ""}, {"hello", 'z', 0, "hello"}, {"", 'a', 0, ""},
        {"a.b.c.", '.', 3, "abc"}, {"Hello", 'h', 0, "Hello"},
    };
    for (const Case &c : cases) {
        int32_t s = keep(c.before), count = -1;
        EXPECT_EQ(STRDLC(&s, &c.ch, &count, 1), c.count) << c.before;
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(string_text(s), c.after);
        EXPECT_EQ(string_terminator(s), '\0');
    }
}

TEST_F(StringEdits, SubstituteValueTakenFromTheStringItself) {
    int32_t s = keep("%{X}+abcdefghij");
    int32_t count = 0;
    // The value is the string's own tail, which moves when the string grows.
    EXPECT_EQ(STRSUB(&s, "X", cstrp(s) + 5, &count, 1, 10), 1);
    EXPECT_EQ(string_text(s), "abcdefghij+abcdefghij");
}

// Both entries against the documented scan; the count is returned and stored.
TEST_F(StringEdits, SubstituteAgreesWithTheDocumentedScanOnRandomStrings) {
    std::mt19937 rng(31);
    const std::string alphabet = "%{}xXa";
    const std::string names[] = {"x", "xa", "", "X}"};
    for (int round = 0; round < 4000; ++round) {
        std::string before = random_text(rng, alphabet, 30), name = names[rng() % 4], value = random_text(rng, alphabet, 7);
        SCOPED_TRACE(before + " / " + name + " / " + value);
        std::string expected = before;
        int32_t expected_count = reference_substitute(expected, name, value);
        int32_t s = keep(before), t = keep(before), count = -9, c_count = -9;
        ASSERT_EQ(STRSUB(&s, name.data(), value.data(), &count, len(name), len(value)), expected_count);
        ASSERT_EQ(count, expected_count);
        ASSERT_EQ(string_text(s), expected);
        ASSERT_EQ(string_terminator(s), '\0');
        ASSERT_EQ(c_strsub(t, name.c_str(), value.c_str(), &c_count), expected_count);
        ASSERT_EQ(c_count, expected_count);
        ASSERT_EQ(string_text(t), expected);
    }
    int32_t none = 0, count = -9;
    EXPECT_EQ(STRSUB(&none, "X", "v", &count, 1, 1), 0);
    EXPECT_EQ(count, 0);
}

TEST_F(StringEdits, CharacterBlockAccessors) {
    int32_t s = keep("probe");
    EXPECT_EQ(STRAD(&s), kt_icell(s + 1));
    EXPECT_EQ(c_strad(s), kt_icell(s + 1));
    ASSERT_NE(cstrp(s), nullptr);
    EXPECT_EQ(std::string(cstrp(s)), "probe") << "a zero-terminated text";
    EXPECT_EQ(cstrp(s), common_memory_array + STRAD(&s));
    int32_t none = 0;
    EXPECT_EQ(STRAD(&none), 0);
    EXPECT_EQ(c_strad(0), 0);
    EXPECT_EQ(cstrp(0), nullptr);
}

} // namespace
