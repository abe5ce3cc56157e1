#include <gtest/gtest.h>

#include "support/store_view.h"

using namespace kt::test;

namespace {

class StringTest : public ::testing::Test {
protected:
    void SetUp() override { baseline_ = kt_host_store_bytes_in_use(); }
    void TearDown() override {
        for (int32_t &s : strings_)
            STRFS(&s);
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline_) << "word store blocks leaked";
    }
    int32_t keep(int32_t s) {
        strings_.push_back(s);
        return s;
    }
    int32_t &kept(size_t i) { return strings_[i]; }
    int64_t baseline_ = 0;
    std::vector<int32_t> strings_;
};

// Allocates a small block so that the block before it cannot grow in place.
struct Blocker {
    Blocker() {
        int32_t one = 1, size = 1, cls = 0, st = 0;
        GSTORE(&one, &index, &size, &cls, &st);
    }
    ~Blocker() {
        int32_t one = 1, size = 1;
        FSTORE(&one, &index, &size);
    }
    int32_t index = 0;
};

TEST_F(StringTest, CreateHoldsTerminatorAndClass) {
    struct Case {
        int32_t n, length;
        bool volatile_class;
    } cases[] = {{0, 0, false}, {5, 5, false}, {-2, 0, false}, {0, 0, true}, {7, 7, true}};
    for (const Case &c : cases) {
        int32_t s = 0;
        int32_t r = c.volatile_class ? STRGSV(&c.n, &s) : STRGS(&c.n, &s);
        keep(s);
        ASSERT_NE(s, 0);
        EXPECT_EQ(r, s);
        EXPECT_EQ(string_length(s), c.length);
        EXPECT_EQ(string_terminator(s), '\0');
        int32_t cls = c.volatile_class ? -1 : 0;
        EXPECT_EQ(kt_store_class(s, 4), cls);
        EXPECT_EQ(kt_store_class(kt_icell(s + 1), 1), cls);
    }
    EXPECT_GE(kt_store_capacity(kt_icell(strings_[0] + 1), 1), 1) << "length 0 still holds its zero byte";
}

TEST_F(StringTest, FromTextAndDuplicate) {
    int32_t s = keep(make_string("ohm's law"));
    EXPECT_EQ(string_text(s), "ohm's law");
    EXPECT_EQ(string_terminator(s), '\0');
    int32_t copy = 0;
    EXPECT_EQ(STRDUPR(&s, &copy), copy);
    keep(copy);
    EXPECT_NE(copy, s);
    EXPECT_NE(kt_icell(copy + 1), kt_icell(s + 1));
    EXPECT_EQ(string_text(copy), "ohm's law");
    *kt_cptr(kt_icell(s + 1) + 1) = 'O';
    EXPECT_EQ(string_text(copy), "ohm's law") << "a copy shares no characters";
}

TEST_F(StringTest, AppendCreatesExtendsAndIgnoresEmpty) {
    int32_t s = 0, three = 3, zero = 0;
    EXPECT_NE(STRAPA("abcdef", &three, &s, 6), 0);
    keep(s);
    EXPECT_EQ(string_text(s), "abc");
    int32_t before = s;
    EXPECT_EQ(STRAPA("xyz", &zero, &kept(0), 3), before);
    EXPECT_EQ(string_text(s), "abc");
    int32_t neg = -4;
    EXPECT_EQ(STRAPA("xyz", &neg, &kept(0), 3), before);
    EXPECT_EQ(string_text(s), "abc");
    EXPECT_EQ(STRAPA("defg", &three, &kept(0), 4), before);
    EXPECT_EQ(string_text(s), "abcdef");
    EXPECT_EQ(string_terminator(s), '\0');
}

TEST_F(StringTest, AppendFromOwnCharactersWhileMoving) {
    struct Case {
        int32_t from, n;
        const char *expected;
    } cases[] = {{0, 8, "resistorresistor"}, {3, 3, "resistorist"}, {7, 1, "resistorr"}, {0, 0, "resistor"}};
    for (const Case &c : cases) {
        int32_t s = make_string("resistor");
        Blocker behind;
        const char *own = kt_cptr(kt_icell(s + 1) + 1) + c.from;
        EXPECT_EQ(STRAPA(own, &c.n, &s, c.n), s);
        EXPECT_EQ(string_text(s), c.expected);
        EXPECT_EQ(string_terminator(s), '\0');
        STRFS(&s);
    }
}

TEST_F(StringTest, ResizeKeepsLeadingCharacters) {
    int32_t s = keep(make_string("capacitor"));
    int32_t four = 4;
    EXPECT_EQ(STRXS(&four, &kept(0)), s);
    EXPECT_EQ(string_text(s), "capa");
    EXPECT_EQ(string_terminator(s), '\0');
    Blocker behind;
    int32_t twelve = 12;
    EXPECT_NE(STRXS(&twelve, &kept(0)), 0);
    s = kept(0);
    EXPECT_EQ(string_length(s), 12);
    EXPECT_EQ(string_text(s).substr(0, 4), "capa");
    EXPECT_EQ(string_terminator(s), '\0');
    int32_t neg = -1;
    EXPECT_EQ(STRXS(&neg, &kept(0)), s);
    EXPECT_EQ(string_length(s), 0);
}

TEST_F(StringTest, WriteInPlace) {
    struct Case {
        int32_t position, n;
        int32_t result;
        const char *text;
    } cases[] = {
        {2, 5, 4, "abXY"},  {4, 5, 4, "abcd"}, {0, 2, 2, "XYcd"}, {1, 2, 3, "aXYd"},
        {0, 0, 0, "abcd"},  {-3, 2, 2, "XYcd"}, {9, 1, 4, "abcd"},
    };
    for (const Case &c : cases) {
        int32_t s = make_string("abcd");
        EXPECT_EQ(STREA("XYZWV", &c.n, &s, &c.position, 5), c.result) << "position " << c.position;
        EXPECT_EQ(string_text(s), c.text) << "position " << c.position;
        EXPECT_EQ(string_length(s), 4);
        STRFS(&s);
    }
    int32_t zero = 0, p = 0, n = 1;
    EXPECT_EQ(STREA("x", &n, &zero, &p, 1), -1);
}

TEST_F(StringTest, FreeClearsVariableAndIgnoresZero) {
    int32_t s = make_string("x"), zero = 0;
    STRFS(&s);
    EXPECT_EQ(s, 0);
    STRFS(&zero);
    EXPECT_EQ(zero, 0);
}

TEST_F(StringTest, DuplicateOfZeroIsZero) {
    int32_t zero = 0, copy = -1;
    EXPECT_EQ(STRDUPR(&zero, &copy), 0);
    EXPECT_EQ(copy, 0);
}

} // namespace
