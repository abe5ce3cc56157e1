// Listings through the host's output: line lengths and values per line,
// the notation of each listing, the dumps' layout, columns, interrupts.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "kt/host.h"
#include "kt/numerics.h"

namespace {

class ListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        kt_host_capture_output(1);
        kt_host_clear_output();
    }
    void TearDown() override {
        kt_host_set_interrupt(0);
        set_width(80);
        kt_host_clear_output();
        kt_host_capture_output(0);
    }
    static void set_width(int32_t width) { OOSETO("bsize", &width, 5); }
    // The output written since the last call.
    static std::string taken() {
        std::string out = kt_host_output();
        kt_host_clear_output();
        return out;
    }
};

TEST_F(ListingTest, ValuesPerLineAndTheirNotation) {
    const std::vector<double> a{1.5, -2.25e-7, 0, 123456.789, -1e100, 3};
    int32_t n = 6;
    VOUT(a.data(), &n);
    EXPECT_EQ(taken(), "  1.500000000000E+00 -2.250000000000E-07  0.000000000000E+00  1.234567890000E+05\n"
                       "-1.000000000000E+100  3.000000000000E+00\n")
        << "a three-digit exponent fills the field";

    std::vector<float> f(11);
    for (int i = 0; i < 11; ++i)
        f[i] = static_cast<float>(i) * 0.5f - 1;
    n = 11;
    VOUTS(f.data(), &n);
    EXPECT_EQ(taken(), " -1.00000E+00 -5.00000E-01  0.00000E+00  5.00000E-01  1.00000E+00\n"
                       "  1.50000E+00  2.00000E+00  2.50000E+00  3.00000E+00  3.50000E+00\n"
                       "  4.00000E+00\n");

    const std::vector<double> z{1, -2, 0.5, 0.25, -3e-3, 4e10}, re{1, 0.5, -3e-3}, im{-2, 0.25, 4e10};
    const std::string pairs = "  ( 1.00000E+00,-2.00000E+00)( 5.00000E-01, 2.50000E-01)\n"
                              "  (-3.00000E-03, 4.00000E+10)\n";
    n = 3;
    VOUTZ(z.data(), &n);
    EXPECT_EQ(taken(), pairs);
    VOUTZ2(re.data(), im.data(), &n);
    EXPECT_EQ(taken(), pairs);
    kt_host_set_interrupt(1);
    VOUTZ2(re.data(), im.data(), &n);
    EXPECT_EQ(taken(), "") << "VOUTZ2 stops on an interrupt";
    kt_host_set_interrupt(0);

    const std::vector<double> x{0.1, 2, 1.0 / 3, -4, 5};
    n = 5;
    VOUTX(x.data(), &n);
    EXPECT_EQ(taken(), "  0.1  2  0.3333333333333333  -4\n  5\n") << "the host's sixteen digits";

    const std::vector<double> odd{std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()};
    n = 2;
    VOUT(odd.data(), &n);
    const std::string line = taken();
    EXPECT_EQ(line.size(), 41u) << "non-finite values keep their field";
    EXPECT_NE(line.find("NAN"), std::string::npos);
    EXPECT_NE(line.find("-INF"), std::string::npos);

    for (int32_t none : {0, -2}) {
        VOUT(a.data(), &none);
        VOUTS(f.data(), &none);
        VOUTZ(a.data(), &none);
        VOUTZ2(a.data(), a.data(), &none);
        VOUTX(a.data(), &none);
    }
    EXPECT_EQ(taken(), "") << "nothing for no values";
}

// Column-major storage: element (i, j) of an m-by-n matrix is a[i + j*m].
TEST_F(ListingTest, Dumps) {
    const std::vector<double> d{1.5, -2, 3, 4, 5, 6}, z{1, -1, 2, -2, 3, -3, 4, -4};
    const std::vector<float> f{0.25f, 2, 3, 4, 5, 6}, c{1, -1, 2, -2, 3, -3, 4, -4};
    const int32_t zero = 0, one = 1, two = 2, three = 3, no = 0;
    DMPD1("vec", &one, d.data(), &two, 3);
    DMPR1("ignored", &no, f.data(), &two, 7);
    DMPDC1("z  ", &one, z.data(), &two, 3);
    EXPECT_EQ(taken(), "vec:\n  1.5  -2  \n  0.25  2  \nz  :\n  (1,-1)  (2,-2)  \n") << "the title keeps its length";

    DMPD2("m", &one, d.data(), &two, &three, 1);
    DMPR2("", &no, f.data(), &three, &two, 0);
    DMPC2("", &no, c.data(), &two, &two, 0);
    DMPDC2("", &no, z.data(), &two, &two, 0);
    EXPECT_EQ(taken(), "m:\n  1.5  3  5  \n  -2  4  6  \n"
                       "  0.25  4  \n  2  5  \n  3  6  \n"
                       "  (1,-1)  (3,-3)  \n  (2,-2)  (4,-4)  \n"
                       "  (1,-1)  (3,-3)  \n  (2,-2)  (4,-4)  \n");

    DMPD1("", &no, d.data(), &zero, 0);
    DMPD2("", &no, d.data(), &zero, &two, 0);
    DMPD2("", &no, d.data(), &two, &zero, 0);
    EXPECT_EQ(taken(), "  \n  \n  \n");
}

// With width 80 and W = 10, P = 7: texts go 4 to a line (slots 1, 3, 5, 7).
TEST_F(ListingTest, ColumnsAcrossTheOutputWidth) {
    std::string texts;
    for (int i = 1; i <= 9; ++i)
        texts += "name" + std::to_string(i) + "     ";
    const int32_t n = 9, w = 10, two = 2, zero = 0;
    WRCOL(texts.data(), &n, &w, static_cast<int32_t>(texts.size()));
    const std::string gap(10, ' ');
    EXPECT_EQ(taken(), "name1     " + gap + "name2     " + gap + "name3     " + gap + "name4     \n" + "name5     " +
                           gap + "name6     " + gap + "name7     " + gap + "name8     \n" + "name9     " + gap + "\n");

    set_width(30);
    WRCOL(texts.data(), &two, &w, static_cast<int32_t>(texts.size()));
    EXPECT_EQ(taken(), "name1     \nname2     \n\n") << "P = 2: one text to a line, and the final line comes out empty";

    WRCOL("abcd", &zero, &w, 4);
    WRCOL("abcd", &n, &zero, 4);
    EXPECT_EQ(taken(), "\n\n") << "columns of nothing";
}

} // namespace
