#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "base/float_text.h"

namespace orvimo {
namespace {

struct GeneralCase {
  double value;
  int digits;
  const char* expected;
};

class FloatToStrGeneralTest : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(FloatToStrGeneralTest, WritesShortestPlainText) {
  EXPECT_EQ(FloatToStrGeneral(GetParam().value, GetParam().digits), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Plain, FloatToStrGeneralTest,
    ::testing::Values(
        GeneralCase{46362.92335648148, 15, "46362.9233564815"}, GeneralCase{44100, 18, "44100"},
        GeneralCase{5, 18, "5"}, GeneralCase{0.5, 15, "0.5"}, GeneralCase{0, 15, "0"},
        GeneralCase{-0.0, 15, "0"}, GeneralCase{-2.25, 15, "-2.25"}, GeneralCase{0.1, 18, "0.1"},
        GeneralCase{0.1 + 0.2, 15, "0.3"}, GeneralCase{0.1 + 0.2, 18, "0.30000000000000004"},
        GeneralCase{1.0 / 3.0, 15, "0.333333333333333"}, GeneralCase{2.0 / 3.0, 15, "0.666666666666667"},
        GeneralCase{999999999999999.9, 15, "1000000000000000"}, GeneralCase{1e18, 18, "1000000000000000000"},
        GeneralCase{-1e18, 15, "-1000000000000000000"},
        GeneralCase{123456789012345678.0, 15, "123456789012346000"}, GeneralCase{0.0001, 15, "0.0001"},
        GeneralCase{0.00012345, 15, "0.00012345"}, GeneralCase{-0.0001, 15, "-0.0001"},
        GeneralCase{46363.5, 15, "46363.5"}, GeneralCase{-693593.999988426, 15, "-693593.999988426"},
        GeneralCase{1.5, 1, "2"}, GeneralCase{2.5, 1, "2"}, GeneralCase{3.5, 1, "4"},
        GeneralCase{12345, 2, "12000"}));

INSTANTIATE_TEST_SUITE_P(
    Exponent, FloatToStrGeneralTest,
    ::testing::Values(GeneralCase{1e19, 15, "1E19"}, GeneralCase{-2.5e20, 15, "-2.5E20"},
                      GeneralCase{0.00001, 15, "1E-5"}, GeneralCase{1.5e-300, 15, "1.5E-300"},
                      GeneralCase{std::numeric_limits<double>::max(), 15, "1.79769313486231E308"},
                      GeneralCase{std::numeric_limits<double>::max(), 1, "1E308"},
                      GeneralCase{std::numeric_limits<double>::denorm_min(), 18, "5E-324"},
                      GeneralCase{std::numeric_limits<double>::quiet_NaN(), 15, "NAN"},
                      GeneralCase{std::numeric_limits<double>::infinity(), 15, "INF"},
                      GeneralCase{-std::numeric_limits<double>::infinity(), 15, "-INF"}));

TEST(FloatTextTest, WrittenValuesReadBack) {
  std::mt19937_64 random(46362);
  std::uniform_real_distribution<double> exponent(-320, 308);
  for (int i = 0; i < 20000; ++i) {
    const double value = (i % 2 ? -1 : 1) * std::pow(10.0, exponent(random));
    if (!std::isfinite(value)) continue;
    const std::string text = FloatToStrGeneral(value, 18);
    const std::optional<double> back = TextToFloat(text);
    ASSERT_TRUE(back.has_value()) << text;
    ASSERT_EQ(*back, value) << text;
    const std::string rounded = FloatToStrGeneral(value, 15);
    ASSERT_TRUE(TextToFloat(rounded).has_value()) << rounded;
    ASSERT_EQ(FloatToStrGeneral(*TextToFloat(rounded), 15), rounded);
  }
}

struct ReadCase {
  std::string text;
  std::optional<double> expected;
};

class TextToFloatTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TextToFloatTest, ReadsOnlyPlainDecimals) {
  EXPECT_EQ(TextToFloat(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, TextToFloatTest,
    ::testing::Values(ReadCase{"0", 0.0}, ReadCase{"46363.5", 46363.5}, ReadCase{"+1.5", 1.5},
                      ReadCase{"-1.5", -1.5}, ReadCase{".5", 0.5}, ReadCase{"5.", 5.0},
                      ReadCase{"1e3", 1000.0}, ReadCase{"1E+3", 1000.0}, ReadCase{"2.5E-3", 0.0025},
                      ReadCase{"-0", -0.0}, ReadCase{"0e999999", 0.0},
                      ReadCase{"1.7976931348623157E308", std::numeric_limits<double>::max()},
                      ReadCase{std::string(10000, '0') + "7", 7.0},
                      ReadCase{"0." + std::string(10000, '0'), 0.0}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, TextToFloatTest,
    ::testing::Values(
        ReadCase{"", std::nullopt}, ReadCase{" ", std::nullopt}, ReadCase{" 1", std::nullopt},
        ReadCase{"1 ", std::nullopt}, ReadCase{"+", std::nullopt}, ReadCase{"-", std::nullopt},
        ReadCase{".", std::nullopt}, ReadCase{"-.", std::nullopt}, ReadCase{"e5", std::nullopt},
        ReadCase{"1e", std::nullopt}, ReadCase{"1e+", std::nullopt}, ReadCase{"1,5", std::nullopt},
        ReadCase{"1.2.3", std::nullopt}, ReadCase{"nan", std::nullopt}, ReadCase{"NAN", std::nullopt},
        ReadCase{"inf", std::nullopt}, ReadCase{"-INF", std::nullopt}, ReadCase{"infinity", std::nullopt},
        ReadCase{"0x1p3", std::nullopt}, ReadCase{"1e309", std::nullopt}, ReadCase{"-1e309", std::nullopt},
        ReadCase{"1e-400", std::nullopt}, ReadCase{"1e99999999999999999999", std::nullopt},
        ReadCase{"++1", std::nullopt}, ReadCase{"1d", std::nullopt}, ReadCase{"1f", std::nullopt},
        ReadCase{std::string("1\0", 2), std::nullopt}, ReadCase{std::string(10000, '9'), std::nullopt}));

}  // namespace
}  // namespace orvimo
