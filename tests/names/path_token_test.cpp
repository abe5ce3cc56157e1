// The token reader over a table of paths and their token sequences and the
// rejected forms. (Every short text: path_compile_test.cpp.)
#include <gtest/gtest.h>

#include "names_test_util.h"

using namespace kt::names_test;

namespace {

struct Case {
    const char *path, *tokens;
};

// Plain forms come with the compiler's short texts; these are the others.
const Case kAccepted[] = {
    {"", "17"},
    {".x", "2 9:x 17"},
    {"...", "4 17"},
    {"bus[,-3]", "9:bus 11:0 11:-3 17"},
    {"bus[1,2]x", "9:bus 11:1 11:2 9:x 17"},
    {"bus[2:*],*]", "9:bus 14:2 12 17"},
    {"x[-2147483648:+02147483647]", "9:x 13:-2147483648,2147483647 17"},
    {"x[+:-]", "9:x 13:0,0 17"},
    {"across(p)", "23:across 9:p 17"},
    {"ACROSS(P)", "23:across 9:p 17"},
    {"through(n1)", "22:through 9:n1 17"},
    {"v(x)", "20:v 9:x 17"},
    {"v(", "20:v 17"},
    {"across(a.b)", "9:across 5:a,b 17"},
    {"v(a/b.c", "9:v 9:a 5:b,c 17"},
    {"f(g(a.b)h(x)", "9:f 9:g 5:a,b 20:h 9:x 17"},
    {"*(f(a.b)", "10 9:f 5:a,b 17"},
    {"*(a)", "21 9:a 17"},
    {"*(a.b)", "10 5:a,b 17"},
    {"@\"A.B\"", "9:@\"A.B\" 17"},
    {"@\"X/(]\".Y", "5:@\"X/(]\",y 17"},
    {"a->b", "9:a 9:b 17"},
    {"->/b", "1: 9:b 17"},
    {"(/a", "1: 9:a 17"},
    {"a)b", "9:a 9:b 17"},
    {"(", "9: 17"},
};

TEST(PathTokenTest, PathsGiveTheirTokenSequences) {
    for (const Case &c : kAccepted)
        EXPECT_EQ(tokens_of(c.path), c.tokens) << c.path;
}

// "2@p": refused at position p, which the reader keeps.
TEST(PathTokenTest, RejectedFormsAreSyntaxErrorsWhereTheyStart) {
    const Case rejected[] = {
        {"a.b.c", "2@1"},
        {"a.b->c", "2@1"},
        {"bus[x]", "9:bus 2@4"},
        {"bus[1:x]", "9:bus 2@4"},
        {"bus[1", "9:bus 2@4"},
        {"bus[", "9:bus 2@4"},
        {"bus[1:", "9:bus 2@4"},
        {"bus[1:2:3]", "9:bus 2@4"},
        {"bus[1-2]", "9:bus 2@4"},
        {"bus[ 1]", "9:bus 2@4"},
        {"bus[*:*]", "9:bus 2@4"},
        {"*x", "2@1"},
        {"x.*y", "2@1"},
        {"**.a", "2@1"},
        {"@x", "2@1"},
        {"@\"abc", "2@1"},
        {"a/@", "9:a 2@3"},
        {"[", "2@1"},
        {")", "2@1"},
        {")/a", "2@1"},
        // Numbers beyond 32 bits are refused, not wrapped.
        {"bus[2147483648]", "9:bus 2@4"},
        {"bus[-2147483649]", "9:bus 2@4"},
        {"bus[1:4294967297]", "9:bus 2@4"},
        {"bus[4294967296:*]", "9:bus 2@4"},
        {"bus[1,00000000004294967296]", "9:bus 11:1 2@6"},
    };
    for (const Case &c : rejected)
        EXPECT_EQ(tokens_of(c.path), c.tokens) << c.path;
}

// Only text(1..n) counts, and a position before the text is refused.
TEST(PathTokenTest, OnlyTheGivenLengthIsRead) {
    char text[] = "../x[7,*]";
    int32_t n = 3, pos = 1, table = fresh_table(), v1 = -1, v2 = -1, code = 0;
    EXPECT_EQ(SEPTH1(text, &n, &pos, &table, &v1, &v2, &code, 9), KT_PATH_UP);
    EXPECT_EQ(SEPTH1(text, &n, &pos, &table, &v1, &v2, &code, 9), KT_PATH_END);
    pos = 0;
    EXPECT_EQ(SEPTH1(text, &n, &pos, &table, &v1, &v2, &code, 9), KT_PATH_SYNTAX_ERROR);
    EXPECT_EQ(pos, 0);
}

} // namespace
