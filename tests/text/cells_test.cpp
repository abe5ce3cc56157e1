#include "text_test_util.h"

using namespace kt::text_test;

namespace {

std::string cell_bytes(double d) {
    char b[8];
    std::memcpy(b, &d, 8);
    return std::string(b, 8);
}

TEST(Cells, PackAndUnpack) {
    struct Case {
        std::string text;
        int32_t n;
        std::string cell;
    } cases[] = {
        {"ABC", 3, "ABC     "}, {"NODE1234XYZ", 12, "NODE1234"}, {"", 0, "        "},
        {"AB", -4, "        "}, {"A B ", 4, "A B     "},         {"12345678", 8, "12345678"},
    };
    for (const auto &c : cases) {
        std::string padded = c.text + std::string(12, '#');
        double d = VBS2D(padded.data(), &c.n, len(padded));
        EXPECT_EQ(cell_bytes(d), c.cell) << c.text;
        char back[8];
        VBD2C(back, 8, &d);
        EXPECT_EQ(std::string(back, 8), c.cell) << "round trip keeps blanks";
        char s2c[8];
        VBS2C(s2c, 8, padded.data(), &c.n, len(padded));
        EXPECT_EQ(std::string(s2c, 8), c.cell);
    }
    // Results of other lengths are cut or blank-filled like any text result.
    double d = 0;
    int32_t n = 8;
    d = VBS2D("ABCDEFGH", &n, 8);
    char shorter[3], longer[10];
    VBD2C(shorter, 3, &d);
    VBD2C(longer, 10, &d);
    EXPECT_EQ(std::string(shorter, 3), "ABC");
    EXPECT_EQ(std::string(longer, 10), "ABCDEFGH  ");
}

TEST(Cells, CopyIntoAField) {
    struct Case {
        std::string text;
        int32_t n, width;
        std::string field;
    } cases[] = {
        {"ABCDEF", 6, 4, "ABCD"}, {"AB", 2, 5, "AB   "}, {"AB", 0, 3, "   "}, {"AB", -2, 3, "   "}, {"AB", 2, 0, ""},
    };
    for (const auto &c : cases) {
        std::string field(static_cast<size_t>(c.width) + 1, '#');
        VBC2S(c.text.data(), &c.n, field.data(), len(c.text), c.width);
        EXPECT_EQ(field, c.field + "#") << c.text << " into " << c.width;
    }
    // Overlapping source and destination.
    std::string s = "xyzABC";
    int32_t n = 3;
    VBC2S(s.data() + 3, &n, s.data(), 3, 5);
    EXPECT_EQ(s, "ABC  C");
}

struct Formatted {
    int32_t value, width, count;
    std::string field;
};

TEST(IntegerText, Signed) {
    const Formatted cases[] = {
        {0, 3, 1, "0  "},          {-45, 5, 3, "-45  "},     {-45, 2, 0, ""},         {-45, 3, 3, "-45"},
        {12345, 5, 5, "12345"},    {12345, 4, 0, ""},        {7, 1, 1, "7"},          {INT32_MAX, 10, 10, "2147483647"},
        {INT32_MIN, 11, 11, "-2147483648"}, {INT32_MIN, 12, 11, "-2147483648 "}, {INT32_MIN, 10, 0, ""},
        {0, 0, 0, ""},             {5, -1, 0, ""},
    };
    for (const Formatted &c : cases) {
        std::string field(static_cast<size_t>(c.width > 0 ? c.width : 0) + 1, '#');
        EXPECT_EQ(VBCI2C(&c.value, field.data(), c.width), c.count) << c.value << " in " << c.width;
        if (c.count > 0) {
            EXPECT_EQ(field, c.field + "#");
        }
        EXPECT_EQ(field.back(), '#') << "nothing written past the field";
    }
}

TEST(IntegerText, Unsigned) {
    const Formatted cases[] = {
        {-1, 10, 10, "4294967295"}, {-1, 9, 0, ""}, {0, 2, 1, "0 "}, {INT32_MIN, 10, 10, "2147483648"},
        {42, 4, 2, "42  "},         {0, 0, 0, ""},
    };
    for (const Formatted &c : cases) {
        std::string field(static_cast<size_t>(c.width) + 1, '#');
        EXPECT_EQ(VBCU2C(&c.value, field.data(), c.width), c.count) << c.value << " in " << c.width;
        if (c.count > 0) {
            EXPECT_EQ(field, c.field + "#");
        }
        EXPECT_EQ(field.back(), '#');
    }
}

TEST(IntegerText, RoundTripsThroughTheValidatingReader) {
    for (int64_t v = INT32_MIN; v <= INT32_MAX; v += 104729 * 13) {
        int32_t value = static_cast<int32_t>(v), back = 0;
        char field[12];
        int32_t n = VBCI2C(&value, field, 12);
        ASSERT_GT(n, 0);
        ASSERT_EQ(VBCS2I(field, &n, &back, n), 0);
        ASSERT_EQ(back, value);
    }
}

} // namespace
