#include "model/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <string>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ParseCase {
    const char* text;
    double expected;
};

void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class ParseNumberTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, FollowsAtofRules) {
    const ParseCase& c = GetParam();
    const double value = zrb::ParseNumber(c.text);
    EXPECT_EQ(value, c.expected) << "text: \"" << c.text << "\"";
    EXPECT_EQ(std::signbit(value), std::signbit(c.expected)) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseNumberTest,
    testing::Values(ParseCase{"12abc", 12.0}, ParseCase{"abc", 0.0}, ParseCase{"", 0.0},
                    ParseCase{" 3.5e2", 350.0}, ParseCase{"\t\n\v\f\r 7", 7.0},
                    ParseCase{"0x10", 0.0}, ParseCase{"inf", 0.0}, ParseCase{"nan", 0.0},
                    ParseCase{"-inf", 0.0}, ParseCase{"1e999", kInf}, ParseCase{"-1e999", -kInf},
                    ParseCase{"1e-999", 0.0}, ParseCase{"-1e-999", -0.0}, ParseCase{"-0.5", -0.5},
                    ParseCase{".5", 0.5}, ParseCase{"5.", 5.0}, ParseCase{"+4", 4.0},
                    ParseCase{"-", 0.0}, ParseCase{".", 0.0}, ParseCase{"+.e3", 0.0},
                    ParseCase{"1e", 1.0}, ParseCase{"1e+", 1.0}, ParseCase{"2E3x", 2000.0},
                    ParseCase{"1.5.5", 1.5}, ParseCase{"1,5", 1.0}, ParseCase{"- 1", 0.0},
                    ParseCase{"0.3x", 0.3},
                    // Denormals survive; only what is below them underflows to zero.
                    ParseCase{"4.9406564584124654e-324", 4.9406564584124654e-324},
                    ParseCase{"0.000000000000000000001e-300", 1e-321},
                    ParseCase{"123456789012345678901234567890", 1.2345678901234568e29},
                    ParseCase{"0.00000000000000000000000000000000000000001e330", 1e289},
                    ParseCase{"100000000000000000000000e300", kInf},
                    ParseCase{"1e99999999999999999999999", kInf}, ParseCase{"950.00", 950.0},
                    ParseCase{"00", 0.0}));

struct PlainCase {
    const char* text;
    bool accepted;
    double value;
};

void PrintTo(const PlainCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class PlainNumberTest : public testing::TestWithParam<PlainCase> {};

TEST_P(PlainNumberTest, AcceptsOnlyPlainNumbers) {
    const PlainCase& c = GetParam();
    double value = -12345.0;
    EXPECT_EQ(zrb::ParsePlainNumber(c.text, value), c.accepted) << "text: \"" << c.text << "\"";
    EXPECT_EQ(value, c.accepted ? c.value : -12345.0) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Table, PlainNumberTest,
                         testing::Values(PlainCase{"", false, 0}, PlainCase{"-", false, 0},
                                         PlainCase{".", false, 0}, PlainCase{"-0", false, 0},
                                         PlainCase{".0", false, 0}, PlainCase{"0", true, 0},
                                         PlainCase{"0.", true, 0}, PlainCase{"  12 \t", true, 12},
                                         PlainCase{"\t-1.5e2", true, -150},
                                         PlainCase{"12abc", false, 0}, PlainCase{"1,5", false, 0},
                                         PlainCase{"1.", true, 1}, PlainCase{"0x10", false, 0},
                                         PlainCase{"abc", false, 0}, PlainCase{"1 2", false, 0},
                                         // Only the first 31 characters count.
                                         PlainCase{"1                              x", true, 1},
                                         PlainCase{"1                             x", false, 0}));

struct FormatCase {
    double value;
    const char* fixed4;
    const char* fixed2;
    const char* fixed1;
    const char* exponent1;
};

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.fixed4;
}

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, MatchesPrintfWithThreeDigitExponent) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(zrb::FormatFixed(c.value, 4), c.fixed4);
    EXPECT_EQ(zrb::FormatFixed(c.value, 2), c.fixed2);
    EXPECT_EQ(zrb::FormatFixed(c.value, 1), c.fixed1);
    EXPECT_EQ(zrb::FormatExponent1(c.value), c.exponent1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatTest,
    testing::Values(FormatCase{0.123456, "0.1235", "0.12", "0.1", "1.2e-001"},
                    FormatCase{1e20, "100000000000000000000.0000", "100000000000000000000.00",
                               "100000000000000000000.0", "1.0e+020"},
                    FormatCase{123, "123.0000", "123.00", "123.0", "1.2e+002"},
                    FormatCase{0.004, "0.0040", "0.00", "0.0", "4.0e-003"},
                    FormatCase{0, "0.0000", "0.00", "0.0", "0.0e+000"},
                    FormatCase{-150, "-150.0000", "-150.00", "-150.0", "-1.5e+002"},
                    FormatCase{75, "75.0000", "75.00", "75.0", "7.5e+001"},
                    FormatCase{0.02, "0.0200", "0.02", "0.0", "2.0e-002"},
                    FormatCase{1e-300, "0.0000", "0.00", "0.0", "1.0e-300"}));

TEST(FormatTest, FixedNotationOfTheLargestNumbersIsComplete) {
    const std::string text = zrb::FormatFixed(1e308, 4);
    EXPECT_EQ(text.size(), 309u + 5u);
    EXPECT_EQ(text.substr(0, 5), "10000");
    EXPECT_EQ(text.substr(text.size() - 5), ".0000");
    EXPECT_EQ(zrb::FormatFixed(-1.7976931348623157e308, 2).size(), 1u + 309u + 3u);
}

TEST(FormatTest, GeneralFormatOfTheBoxes) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{0.25, "0.25"},
                 {120, "120"},
                 {0.1, "0.1"},
                 {1e-5, "1e-005"},
                 {0, "0"},
                 {-2.5, "-2.5"},
                 {1e15, "1e+015"},
                 {123456789012345, "123456789012345"},
                 {779.5794999999999, "779.5795"},
                 {1.0 / 3.0, "0.333333333333333"},
                 {1e300, "1e+300"}};
    for (const auto& c : cases) {
        EXPECT_EQ(zrb::FormatGeneral15(c.value), c.text) << c.value;
    }
}

// The pull refuses "-0", so no box may show it; other values keep their sign.
TEST(FormatTest, BoxesNeverShowANegativeZero) {
    const struct {
        double value;
        const char* box;
        const char* whole;
    } cases[] = {{-0.0, "0", "0"},       {0.0, "0", "0"},
                 {-0.4, "-0.4", "0"},    {-0.5, "-0.5", "0"},
                 {-0.6, "-0.6", "-1"},   {-1e-20, "-1e-020", "0"},
                 {-120, "-120", "-120"}, {-1.5e15, "-1.5e+015", "-1500000000000000"}};
    for (const auto& c : cases) {
        EXPECT_EQ(zrb::FormatBoxNumber(c.value), c.box) << c.value;
        EXPECT_EQ(zrb::FormatWholeNumber(c.value), c.whole) << c.value;
    }
}

TEST(FormatTest, SpeedText) {
    const struct {
        double gas;
        const char* text;
    } cases[] = {{0.1, "60"}, {-0.5, "-300"}, {1.5, "900"}, {0.2, "120"}, {0.25, "150"}, {0, "0"}};
    for (const auto& c : cases) {
        EXPECT_EQ(zrb::SpeedText(c.gas), c.text) << c.gas;
    }
}

// Qt calls setlocale(); under a German locale printf would write 0,2500.
TEST(LocaleTest, NumbersIgnoreTheLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    // The name on Linux, then Windows's names for it.
    bool german = false;
    for (const char* name : {"de_DE.UTF-8", "de-DE", "German_Germany.1252", "German"}) {
        german = german || std::setlocale(LC_ALL, name) != nullptr;
    }
    if (!german) {
        // The setup command generates the locale, so CI must have it.
        if (std::getenv("CI") != nullptr) {
            FAIL() << "no German locale is installed";
        }
        GTEST_SKIP() << "no German locale is installed";
    }
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_STREQ(probe, "0,5") << "the locale did not take effect";
    EXPECT_EQ(zrb::FormatFixed(0.25, 4), "0.2500");
    EXPECT_EQ(zrb::FormatExponent1(75), "7.5e+001");
    EXPECT_EQ(zrb::FormatGeneral15(0.25), "0.25");
    EXPECT_EQ(zrb::ParseNumber("0.25"), 0.25);
    double value = 0;
    EXPECT_TRUE(zrb::ParsePlainNumber("1.5", value));
    EXPECT_EQ(value, 1.5);
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
