#include <algorithm>
#include <random>

#include "text_test_util.h"

using namespace kt::text_test;
using kt::test::string_length;
using kt::test::string_terminator;
using kt::test::string_text;

namespace {

class StringEdits : public StoreTest {};

// Deleting a range of positions, or every copy of a character, against
// std::string: a range that starts outside the string or ends before it
// starts deletes nothing, and one that ends past the string stops there.
TEST_F(StringEdits, DeletionsAgainstStdString) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        const std::string before = random_text(rng, "abAB.", 8);
        const int32_t size = len(before);
        int32_t from = static_cast<int32_t>(rng() % 12) - 2, to = static_cast<int32_t>(rng() % 12) - 2;
        int32_t count = -1;
        SCOPED_TRACE(before + " " + std::to_string(from) + ".." + std::to_string(to));
        std::string range = before;
        if (from >= 1 && from <= size && to >= from)
            range.erase(static_cast<size_t>(from - 1), static_cast<size_t>(std::min(to, size) - from + 1));
        int32_t s = keep(before);
        ASSERT_EQ(STRDLR(&s, &from, &to, &count), size - len(range));
        ASSERT_EQ(count, size - len(range));
        ASSERT_EQ(string_text(s), range);
        ASSERT_EQ(string_terminator(s), '\0');
        const char ch = "aB."[rng() % 3];
        std::string without = before;
        without.erase(std::remove(without.begin(), without.end(), ch), without.end());
        int32_t t = keep(before);
        ASSERT_EQ(STRDLC(&t, &ch, &count, 1), size - len(without));
        ASSERT_EQ(count, size - len(without));
        ASSERT_EQ(string_text(t), without);
        ASSERT_EQ(string_terminator(t), '\0');
    }
    int32_t none = 0, from = 1, to = 2, count = -1;
    EXPECT_EQ(STRDLR(&none, &from, &to, &count), 0);
}

TEST_F(StringEdits, Substitute) {
    int32_t s = keep("%{X}+abcdefghij");
    int32_t count = 0;
    // The value is the string's own tail, which moves when the string grows.
    EXPECT_EQ(STRSUB(&s, "X", cstrp(s) + 5, &count, 1, 10), 1);
    EXPECT_EQ(string_text(s), "abcdefghij+abcdefghij");
    // Either entry against the documented scan is the strsub fuzz target's,
    // replayed over its corpus; here the C twin.
    int32_t t = keep("a%{x}b%{X}"), c_count = -9, none = 0;
    EXPECT_EQ(c_strsub(t, "X", "vv", &c_count), 2);
    EXPECT_EQ(c_count, 2);
    EXPECT_EQ(string_text(t), "avvbvv");
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
