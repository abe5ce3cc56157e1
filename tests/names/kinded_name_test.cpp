// Kinded name records: exact comparison, printing and freeing.
#include <gtest/gtest.h>

#include "kt/names.h"
#include "support/store_view.h"

using namespace kt::test;

namespace {

int32_t record(int32_t kind, const std::string &name) {
    int32_t s = name.empty() ? 0 : make_string(name), r = 0;
    RSCIEA(&kind, &s, &r);
    STRFS(&s);
    return r;
}

TEST(KindedNameTest, ComparisonIsExact) {
    const struct {
        int32_t ka;
        const char *a;
        int32_t kb;
        const char *b;
        int32_t result;
    } cases[] = {
        {5, "abc", 5, "abc", 0}, {5, "abc", 5, "ABC", 1}, {1, "x", 2, "x", 1},
        {5, "abc", 5, "ab", 1},  {3, "", 3, "", 0},       {3, "", 3, "a", 1},
    };
    for (const auto &c : cases) {
        int32_t a = record(c.ka, c.a), b = record(c.kb, c.b);
        ASSERT_NE(a, 0);
        EXPECT_EQ(RSCCMP(&a, &b), c.result) << c.a << " " << c.b;
        RSCD(&a);
        RSCD(&b);
        EXPECT_EQ(a, 0);
    }
}

TEST(KindedNameTest, PrintsPrefixAndName) {
    kt_host_capture_output(1);
    kt_host_clear_output();
    int32_t none = 0;
    const std::pair<int32_t, const char *> records[] = {{4, "out1"}, {5, "out1"}, {7, "out1"}, {0, "x"}, {7, ""}};
    for (const auto &k : records) {
        int32_t r = record(k.first, k.second);
        OOCS("[", 1);
        RSCO(&r);
        RSCO(&none);
        OOWRIT();
        RSCD(&r);
    }
    EXPECT_STREQ(kt_host_output(), "[of out1\n[file out1\n[out1\n[x\n[\n");
    kt_host_capture_output(0);
    RSCD(&none);
    EXPECT_EQ(none, 0);
    int32_t a = record(1, "a");
    EXPECT_EQ(RSCCMP(&a, &none), 1);
    EXPECT_EQ(RSCCMP(&none, &none), 0);
    RSCD(&a);
}

} // namespace
