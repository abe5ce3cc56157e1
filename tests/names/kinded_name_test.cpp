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

// Comparison is exact in kind and name; a record prints with its kind's
// prefix; no record (0) prints nothing and differs from every record.
TEST(KindedNameTest, CompareAndPrint) {
    const struct {
        int32_t ka;
        const char *a;
        int32_t kb;
        const char *b;
        int32_t result;
        const char *printed;
    } cases[] = {
        {5, "abc", 5, "abc", 0, "[file abc\n"},
        {5, "abc", 5, "ABC", 1, "[file abc\n"},
        {4, "x", 5, "x", 1, "[of x\n"},
        {7, "abc", 7, "ab", 1, "[abc\n"},
        {7, "", 7, "", 0, "[\n"},
        {0, "", 0, "a", 1, "[\n"},
        {0, "x", 0, "x", 0, "[x\n"},
    };
    int32_t none = 0;
    kt_host_capture_output(1);
    for (const auto &c : cases) {
        kt_host_clear_output();
        int32_t a = record(c.ka, c.a), b = record(c.kb, c.b);
        ASSERT_NE(a, 0);
        EXPECT_EQ(RSCCMP(&a, &b), c.result) << c.a << " " << c.b;
        EXPECT_EQ(RSCCMP(&a, &none), 1) << c.a;
        OOCS("[", 1);
        RSCO(&a);
        RSCO(&none);
        OOWRIT();
        EXPECT_STREQ(kt_host_output(), c.printed);
        RSCD(&a);
        RSCD(&b);
        EXPECT_EQ(a, 0);
    }
    kt_host_capture_output(0);
    RSCD(&none);
    EXPECT_EQ(none, 0);
    EXPECT_EQ(RSCCMP(&none, &none), 0);
}

} // namespace
