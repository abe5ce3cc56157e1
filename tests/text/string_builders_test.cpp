// String builders: strings from texts, cells and other strings, extension
// in place, and freeing.
#include "text_test_util.h"

using namespace kt::text_test;
using kt::test::string_length;
using kt::test::string_terminator;
using kt::test::string_text;

namespace {

class StringBuilders : public StoreTest {
protected:
    void expect_string(int32_t s, const std::string &text) {
        ASSERT_NE(s, 0);
        EXPECT_EQ(string_text(s), text);
        EXPECT_EQ(string_terminator(s), '\0');
        EXPECT_EQ(kt_store_class(s, 4), 0);
        EXPECT_EQ(kt_store_class(kt_icell(s + 1), 1), 0);
    }
};

double packed(const std::string &text) {
    int32_t n = len(text);
    return VBS2D(text.data(), &n, n);
}

// The plain case of each builder is the reliability table's; here the
// edges.
TEST_F(StringBuilders, FromTextsCellsAndStrings) {
    int32_t zero = 0, four = 4, many = 99, none = 0, s = keep("hello");
    const double blank = packed(""), full = packed("ABCDEFGH");
    const std::pair<int32_t, std::string> built[] = {
        {UIESTR("abc", &zero, 3), ""},  {UIESTR("a  ", &four, 4), std::string("a  \0", 4)}, // exactly n characters
        {UIMSTR("     ", 5), " "},      {UIMSTR("", 0), ""},
        {UIMSTR(" A ", 3), " A"},       {UINSTR("AB", &zero, 2), ""},
        {UIRSTR(&blank), " "},          {UIRSTR(&full), "ABCDEFGH"},
        {UITSTR(&s, &many), "hello"},   {UITSTR(&s, &zero), ""},
        {UIASTR(&none, "XY", 2), "XY"}, {UIASTR(&s, "", 0), "hello"},
    };
    for (const auto &[made, text] : built)
        expect_string(keep(made), text);
    EXPECT_EQ(UICSTR(&none), 0);
    EXPECT_EQ(UITSTR(&none, &zero), 0);
}

TEST_F(StringBuilders, ExtendInPlaceAndFree) {
    int32_t s = keep("abcde"), n = 0;
    EXPECT_EQ(UIXSTR(&s, "zz", &n, 2), s);
    expect_string(s, "abcde");
    // Extending by the string's own characters.
    n = 5;
    EXPECT_EQ(UIXSTR(&s, cstrp(s), &n, 5), s);
    expect_string(s, "abcdeabcde");
    EXPECT_EQ(kt_ccell(kt_icell(s + 1) + 11), '\0');
    int32_t none = 0;
    n = 2;
    expect_string(keep(UIXSTR(&none, "xy", &n, 2)), "xy");
    // Freeing clears the variable; string 0 is left alone.
    int32_t temp = UIMSTR("temp", 4);
    EXPECT_EQ(UIDSTR(&temp), 0);
    EXPECT_EQ(temp, 0);
    EXPECT_EQ(UIDSTR(&temp), 0);
}

} // namespace
