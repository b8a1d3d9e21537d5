#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orvimo
