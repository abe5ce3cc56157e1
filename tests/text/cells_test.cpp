#include <algorithm>
#include <random>

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
    int32_t n = 8;
    const double d = VBS2D("ABCDEFGH", &n, 8);
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

// Both writers against std::to_string: left-justified and blank-filled,
// or 0 when the digits do not fit; never a byte past the field.
TEST(IntegerText, AgainstToString) {
    std::mt19937 rng(3);
    const int32_t edges[] = {0, 7, -1, -45, 12345, INT32_MAX, INT32_MIN};
    for (int i = 0; i < 2000; ++i) {
        const int32_t value = i < 7 ? edges[i] : static_cast<int32_t>(rng()) >> (rng() % 32);
        const std::string text[2] = {std::to_string(value), std::to_string(static_cast<uint32_t>(value))};
        for (int32_t width = -1; width <= 12; ++width) {
            for (int is_unsigned = 0; is_unsigned < 2; ++is_unsigned) {
                SCOPED_TRACE(testing::Message() << value << " in " << width << (is_unsigned ? " unsigned" : ""));
                const std::string &d = text[is_unsigned];
                const bool fits = width > 0 && d.size() <= static_cast<size_t>(width);
                std::string field(static_cast<size_t>(std::max(width, 0)) + 1, '#');
                int32_t n = is_unsigned ? VBCU2C(&value, field.data(), width) : VBCI2C(&value, field.data(), width);
                ASSERT_EQ(n, fits ? len(d) : 0);
                ASSERT_EQ(field.back(), '#');
                if (!fits)
                    continue;
                ASSERT_EQ(field, d + std::string(static_cast<size_t>(width) - d.size(), ' ') + "#");
                int32_t back = 0;
                if (!is_unsigned) { // and the validating reader reads it back
                    ASSERT_EQ(VBCS2I(field.data(), &n, &back, n), 0);
                    ASSERT_EQ(back, value);
                }
            }
        }
    }
}

} // namespace
