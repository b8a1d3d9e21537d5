#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

#include "base/date_time.h"

namespace orvimo {
namespace {

// 6 December 2026, 22:09:38.000 (a Sunday).
TDateTime Evening() { return EncodeDateTime(2026, 12, 6, 22, 9, 38, 0); }

struct FormatCase {
  const char* format;
  const char* expected;
};

class FormatEveningTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatEveningTest, GivesExpectedText) {
  EXPECT_EQ(FormatDateTime(GetParam().format, Evening()), GetParam().expected) << GetParam().format;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FormatEveningTest,
    ::testing::Values(
        FormatCase{"yyyy-mm-dd", "2026-12-06"}, FormatCase{"hh-nn-ss", "22-09-38"},
        FormatCase{"hh-mm", "22-09"}, FormatCase{"hh'h'nn", "22h09"}, FormatCase{"d", "6"},
        FormatCase{"yy", "26"}, FormatCase{"y", "26"}, FormatCase{"yyy", "2026"}, FormatCase{"yyyyy", "2026"},
        FormatCase{"YyYy", "2026"}, FormatCase{"", "12/6/2026 10:09:38 PM"}, FormatCase{"m", "12"},
        FormatCase{"mmm", "Dec"}, FormatCase{"mmmm", "December"}, FormatCase{"MMMMMMM", "December"},
        FormatCase{"dd", "06"}, FormatCase{"ddd", "Sun"}, FormatCase{"dddd", "Sunday"},
        FormatCase{"ddddd", "12/6/2026"}, FormatCase{"dddddd", "Sunday, December 6, 2026"},
        FormatCase{"ddddddd", "Sunday, December 6, 2026"}, FormatCase{"h", "22"}, FormatCase{"hhh", "22"},
        FormatCase{"h am/pm", "10 pm"}, FormatCase{"h AM/pm", "10 pm"}, FormatCase{"h am/PM", "10 PM"},
        FormatCase{"h:mm A/P", "10:09 P"}, FormatCase{"h:mm ampm", "10:09 PM"},
        FormatCase{"AMPM h:mm", "PM 10:09"}, FormatCase{"h 'am/pm'", "22 am/pm"}, FormatCase{"n", "9"},
        FormatCase{"nnn", "09"}, FormatCase{"s", "38"}, FormatCase{"z", "0"}, FormatCase{"zzz", "000"},
        FormatCase{"t", "10:09 PM"}, FormatCase{"tt", "10:09:38 PM"},
        FormatCase{"c", "12/6/2026 10:09:38 PM"}, FormatCase{"\"yyyy\"", "yyyy"},
        FormatCase{"'unterminated yyyy", "unterminated yyyy"}, FormatCase{"\"", ""},
        FormatCase{"h mm", "22 09"}, FormatCase{"h x mm", "22 x 12"}, FormatCase{"hh:mmm", "22:Dec"},
        FormatCase{"mm:hh", "12:22"}, FormatCase{"yyyy/mm/dd hh:nn", "2026/12/06 22:09"},
        FormatCase{"a", "a"}, FormatCase{"bgijklopqruvwx", "bgijklopqruvwx"}));

TEST(FormatDateTimeTest, MorningAndMidnightVariants) {
  const TDateTime morning = EncodeDateTime(2026, 12, 6, 0, 5, 7, 45);
  EXPECT_EQ(FormatDateTime("h:nn am/pm", morning), "12:05 am");
  EXPECT_EQ(FormatDateTime("AM/pm", morning), "AM");
  EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", morning), "00:05:07.045");
  EXPECT_EQ(FormatDateTime("z", morning), "45");
  const TDateTime midnight = EncodeDateTime(2026, 12, 6, 0, 0, 0, 0);
  EXPECT_EQ(FormatDateTime("c", midnight), "12/6/2026");
  EXPECT_EQ(FormatDateTime("", midnight), "12/6/2026");
  const TDateTime noon = EncodeDateTime(2026, 12, 6, 12, 0, 0, 0);
  EXPECT_EQ(FormatDateTime("h a/p", noon), "12 p");
}

TEST(FormatDateTimeTest, LettersOutsideTheLanguageAreCopied) {
  for (const char* letters : {"BEFGIJKLOPQRUVWX", "befgijklopqruvwx"}) {
    for (const char* letter = letters; *letter != '\0'; ++letter) {
      for (std::size_t run = 1; run <= 8; ++run) {
        const std::string format(run, *letter);
        EXPECT_EQ(FormatDateTime(format, Evening()), format);
      }
    }
  }
}

TEST(FormatDateTimeTest, LongFormatsStayLinear) {
  EXPECT_EQ(FormatDateTime(std::string(10000, 'y'), Evening()), "2026");
  EXPECT_EQ(FormatDateTime(std::string(10000, 'd'), Evening()), "Sunday, December 6, 2026");
  EXPECT_EQ(FormatDateTime(std::string(10000, 'c'), Evening()), "12/6/2026 10:09:38 PM");
  EXPECT_EQ(FormatDateTime("'" + std::string(10000, 'y'), Evening()), std::string(10000, 'y'));
  EXPECT_EQ(FormatDateTime(std::string(10000, '/'), Evening()), std::string(10000, '/'));
  std::string markers;
  for (int i = 0; i < 2000; ++i) markers += "am/pm";
  EXPECT_EQ(FormatDateTime(markers, Evening()).size(), 4000u);
  std::string fields;
  for (int i = 0; i < 5000; ++i) fields += "h ";
  EXPECT_EQ(FormatDateTime(fields, Evening()).size(), 15000u);
}

TEST(FormatDateTimeTest, SelfReferringLocaleFormatsStop) {
  FormatSettings looping;
  looping.shortDateFormat = "ddddd/";
  looping.longDateFormat = "dddddd c t";
  looping.shortTimeFormat = "t c";
  looping.longTimeFormat = "tt dddddd c";
  EXPECT_EQ(FormatDateTime("ddddd", Evening(), looping), "//");
  for (const char* format : {"c", "t", "tt", "dddddd", ""}) {
    EXPECT_LT(FormatDateTime(format, Evening(), looping).size(), 1000u) << format;
  }
}

TEST(FormatDateTimeTest, UsesTheGivenSettings) {
  FormatSettings german;
  german.dateSeparator = '.';
  german.timeSeparator = '\0';  // no separator at all
  german.shortDateFormat = "dd/mm/yyyy";
  german.longTimeFormat = "hh:nn:ss";
  german.longMonthNames[11] = "Dezember";
  german.shortDayNames[0] = "So";
  EXPECT_EQ(FormatDateTime("c", Evening(), german), "06.12.2026 220938");
  EXPECT_EQ(FormatDateTime("ddd d. mmmm", Evening(), german), "So 6. Dezember");
}

TEST(FormatDateTimeTest, ValuesOutsideTheCalendarAreClamped) {
  const char* full = "yyyy-mm-dd hh:nn:ss.zzz";
  EXPECT_EQ(FormatDateTime(full, 1e300), "9999-12-31 23:59:59.999");
  EXPECT_EQ(FormatDateTime(full, -std::numeric_limits<double>::infinity()), "0001-01-01 23:59:59.999");
  EXPECT_EQ(FormatDateTime(full, std::numeric_limits<double>::quiet_NaN()), "1899-12-30 00:00:00.000");
  EXPECT_EQ(FormatDateTime(full, -1.25), "1899-12-29 06:00:00.000");
  EXPECT_EQ(FormatDateTime("dddd", -1.25), "Friday");
}

TEST(FormatDateTimeTest, CopiesBytesOutsideAscii) {
  EXPECT_EQ(FormatDateTime("\xC3\xA9t\xC3\xA9 yyyy", Evening()),
            "\xC3\xA9"
            "10:09 PM\xC3\xA9 2026");
}

TEST(FormatDateTimeTest, RandomFormatsNeverFail) {
  static constexpr char kAlphabet[] = "yYmMdDhHnNsSzZtTcCaApP/:'\" -x";
  std::mt19937 random(2026);
  std::uniform_int_distribution<std::size_t> length(0, 40), pick(0, sizeof kAlphabet - 2);
  for (int i = 0; i < 20000; ++i) {
    std::string format(length(random), ' ');
    for (char& c : format) c = kAlphabet[pick(random)];
    // Each format character can expand at most to a long date and a long time.
    EXPECT_LE(FormatDateTime(format, Evening()).size(), 60 * format.size() + 60) << format;
  }
}

}  // namespace
}  // namespace orvimo
