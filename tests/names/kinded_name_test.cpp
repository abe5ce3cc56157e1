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
    for (int32_t kind : {4, 5, 7}) {
        int32_t r = record(kind, "out1");
        OOCS("[", 1);
        RSCO(&r);
        OOWRIT();
        RSCD(&r);
    }
    EXPECT_STREQ(kt_host_output(), "[of out1\n[file out1\n[out1\n");
    kt_host_capture_output(0);
    int32_t none = 0;
    RSCD(&none);
    EXPECT_EQ(none, 0);
}

} // namespace
