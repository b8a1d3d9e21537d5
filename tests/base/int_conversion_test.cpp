#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "base/int_conversion.h"

namespace orvimo {
namespace {

struct ValidCase {
  std::string text;
  int32_t expected;
};

class StrToIntValidTest : public ::testing::TestWithParam<ValidCase> {};

TEST_P(StrToIntValidTest, Converts) { EXPECT_EQ(StrToInt(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Decimal, StrToIntValidTest,
                         ::testing::Values(ValidCase{"0", 0}, ValidCase{"44100", 44100}, ValidCase{"+7", 7},
                                           ValidCase{"-7", -7}, ValidCase{"-0", 0}, ValidCase{"   12", 12},
                                           ValidCase{" -12", -12}, ValidCase{"2147483647", 2147483647},
                                           ValidCase{"-2147483648", INT32_MIN},
                                           ValidCase{"000000000000000000002147483647", 2147483647},
                                           ValidCase{"007", 7}));

INSTANTIATE_TEST_SUITE_P(Hexadecimal, StrToIntValidTest,
                         ::testing::Values(ValidCase{"$FF", 255}, ValidCase{"$ff", 255}, ValidCase{"x1A", 26},
                                           ValidCase{"X1a", 26}, ValidCase{"0x10", 16}, ValidCase{"0X10", 16},
                                           ValidCase{"-$10", -16}, ValidCase{"+0x7FFFFFFF", 2147483647},
                                           ValidCase{"$FFFFFFFF", -1}, ValidCase{"$80000000", INT32_MIN},
                                           ValidCase{"-$80000000", INT32_MIN}, ValidCase{"-$FFFFFFFF", 1},
                                           ValidCase{"  $0000000000001", 1}));

TEST(StrToIntTest, RejectsWithTheTextInTheMessage) {
  const std::string rejected[] = {"",           " ",
                                  "+",          "-",
                                  "$",          "0x",
                                  "x",          "-$",
                                  "1.5",        "12 ",
                                  "1 2",        "\t12",
                                  "12a",        "a12",
                                  "--1",        "+-1",
                                  "$G",         "0x1g",
                                  "2147483648", "-2147483649",
                                  "$100000000", "99999999999999999999",
                                  "1e3",        "0x-1",
                                  "$ 1",        "- 1"};
  for (const std::string& text : rejected) {
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionError& error) {
      EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid integer value");
    }
  }
}

TEST(StrToIntTest, HandlesVeryLongTexts) {
  EXPECT_EQ(StrToInt(std::string(10000, '0') + "42"), 42);
  EXPECT_EQ(StrToInt(std::string(10000, ' ') + "42"), 42);
  EXPECT_EQ(StrToInt("$" + std::string(10000, '0') + "FF"), 255);
  EXPECT_THROW(StrToInt(std::string(10000, '9')), ConversionError);
  EXPECT_THROW(StrToInt("$" + std::string(10000, 'F')), ConversionError);
  EXPECT_THROW(StrToInt(std::string(10000, ' ')), ConversionError);
}

TEST(StrToIntTest, ReadsEveryWrittenFormBack) {
  std::mt19937 random(44100);
  std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
  for (int i = 0; i < 20000; ++i) {
    const int32_t value = any(random);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<uint32_t>(value));
    ASSERT_EQ(StrToInt(std::to_string(value)), value);
    ASSERT_EQ(StrToInt("  " + std::to_string(value)), value);
    ASSERT_EQ(StrToInt(std::string("$") + hex), value);
    ASSERT_EQ(StrToInt(std::string("0x") + hex), value);
    ASSERT_EQ(StrToInt(std::string("-x") + hex), static_cast<int32_t>(0u - static_cast<uint32_t>(value)));
  }
}

}  // namespace
}  // namespace orvimo
