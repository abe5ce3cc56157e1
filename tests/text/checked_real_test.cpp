#include <cmath>
#include <cstdlib>
#include <random>

#include "text_test_util.h"

using namespace kt::text_test;

namespace {

TEST(CheckedReader, RejectsAtTheFirstCharacterItCannotTake) {
    struct Bad {
        std::string text;
        int32_t position;
    } cases[] = {
        {"1.5KOHM", 5},
        {"1MIL", 3},
        {"+", 2},
        {"1E+", 4},
        {"1MEGA", 5},
        {"1\xb5", 2},
        {"1MU5", 4},
        // A rejected scale word is reported where the reader stands after it.
        {"1KMEG", 5},
        {"MU", 2},
        {"1E5MEG", 6},
        {"1KME", 4},
        {"1KMU", 4},
    };
    for (const auto &c : cases) {
        double v = 42.0;
        EXPECT_EQ(checked(c.text, v), c.position) << c.text;
        EXPECT_EQ(v, 42.0) << "the value is left alone on failure: " << c.text;
    }
}

TEST(CheckedReader, LengthLimits) {
    // 50 and 51 digits are the Python binding's test.
    double v = 42.0;
    EXPECT_EQ(checked(std::string(51, 'x'), v), 51) << "not looked at";
    EXPECT_EQ(v, 42.0);

    // The empty text is accepted and reads as 0.
    v = 42.0;
    EXPECT_EQ(checked("", v), 0);
    EXPECT_EQ(v, 0.0);
    int32_t negative = -3;
    v = 42.0;
    EXPECT_EQ(VBCS2D("junk", &negative, &v, 4), 0);
    EXPECT_EQ(v, 0.0);

    // Long numeric parts followed by a scale word: the expanded literal is
    // longer than the text, and must still convert exactly.
    for (int digits = 44; digits <= 49; ++digits) {
        const std::pair<const char *, const char *> scales[] = {
            {"K", "E3"}, {"MEG", "E6"}, {"F", "E-15"}, {"MU", "E-6"}};
        for (const auto &[scale, exponent] : scales) {
            std::string mantissa = "1." + std::string(static_cast<size_t>(digits - 2), '7');
            std::string text = mantissa + scale;
            if (text.size() > 50)
                continue;
            ASSERT_EQ(checked(text, v), 0) << text;
            EXPECT_EQ(v, std::strtod((mantissa + exponent).c_str(), nullptr)) << text;
        }
    }
}

TEST(CheckedReader, TwinTakesPlainValues) {
    double v = 0;
    EXPECT_EQ(c_vbcs2d("10KOHM", 2, &v), 0) << "only the first n characters";
    EXPECT_EQ(v, 10.0);
    EXPECT_EQ(c_vbcs2d("10KOHM", 6, &v), 4);
    EXPECT_EQ(c_vbcs2d("10K", 3, &v), 0);
    EXPECT_EQ(v, 10000.0);
}

// ---- generated numbers ------------------------------------------------------

const char *const kScaleWords[][2] = {{"A", "E-18"}, {"F", "E-15"}, {"P", "E-12"}, {"N", "E-9"},
                                      {"U", "E-6"},  {"MU", "E-6"}, {"M", "E-3"},  {"K", "E3"},
                                      {"ME", "E6"},  {"MEG", "E6"}, {"G", "E9"},   {"T", "E12"}};

std::string digits(std::mt19937 &rng, size_t n) {
    std::string d(n, '0');
    for (char &c : d)
        c = static_cast<char>('0' + rng() % 10);
    return d;
}

std::string mixed_case(std::mt19937 &rng, std::string s) {
    for (char &c : s)
        if (rng() % 2)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A valid text and the same number as a plain literal for strtod.
std::pair<std::string, std::string> random_number(std::mt19937 &rng) {
    std::string text, literal;
    switch (rng() % 3) {
    case 0:
        text = "+";
        break;
    case 1:
        text = literal = "-";
        break;
    default:
        break;
    }
    size_t before = rng() % 18, after = rng() % 18;
    std::string mantissa = digits(rng, before);
    switch (rng() % 3) {
    case 0:
        mantissa += "." + digits(rng, after);
        break;
    case 1:
        mantissa += ".";
        break;
    default:
        break;
    }
    if (mantissa.empty() || mantissa == ".")
        mantissa = "." + digits(rng, after + 1);
    text += mantissa;
    literal += mantissa;
    switch (rng() % 3) {
    case 0: {
        std::string sign = rng() % 3 == 0 ? "" : rng() % 2 ? "+" : "-";
        std::string exponent = digits(rng, 1 + rng() % 3);
        text += (rng() % 2 ? "E" : "D") + sign + exponent;
        literal += "E" + sign + exponent;
        break;
    }
    case 1: {
        const auto &w = kScaleWords[rng() % 12];
        text += w[0];
        literal += w[1];
        break;
    }
    default:
        break;
    }
    return {mixed_case(rng, text), literal};
}

// Where random texts are rejected, against a model of the grammar, is the
// Python binding's test; here long mantissas and exponents, exactly.
TEST(CheckedReader, MatchesACorrectConversionOnRandomNumbers) {
    std::mt19937 rng(4711);
    for (int i = 0; i < 200000; ++i) {
        auto [text, literal] = random_number(rng);
        if (text.size() > 50)
            continue;
        double v = 0, expected = std::strtod(literal.c_str(), nullptr);
        ASSERT_EQ(checked(text, v), 0) << text;
        ASSERT_EQ(std::memcmp(&v, &expected, sizeof v), 0)
            << text << " read as " << v << ", " << literal << " is " << expected;
        ASSERT_EQ(lenient(text), expected) << text << ": the lenient reader means the same number";
    }
}

} // namespace
