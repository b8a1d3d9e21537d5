#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <random>
#include <string>

#include "base/date_time.h"

namespace orvimo {
namespace {

struct Parts {
  int year, month, day, hour, minute, second, msec;
  bool operator==(const Parts&) const = default;
};

Parts Decode(TDateTime value) {
  Parts p{};
  DecodeDateTime(value, p.year, p.month, p.day, p.hour, p.minute, p.second, p.msec);
  return p;
}

std::ostream& operator<<(std::ostream& os, const Parts& p) {
  return os << p.year << '-' << p.month << '-' << p.day << ' ' << p.hour << ':' << p.minute << ':' << p.second
            << '.' << p.msec;
}

struct KnownValue {
  Parts parts;
  TDateTime value;
};

class KnownValueTest : public ::testing::TestWithParam<KnownValue> {};

TEST_P(KnownValueTest, EncodesAndDecodes) {
  const Parts& p = GetParam().parts;
  EXPECT_DOUBLE_EQ(EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, p.msec),
                   GetParam().value);
  EXPECT_EQ(Decode(GetParam().value), p);
}

INSTANTIATE_TEST_SUITE_P(Calendar, KnownValueTest,
                         ::testing::Values(KnownValue{{1899, 12, 30, 0, 0, 0, 0}, 0.0},
                                           KnownValue{{1899, 12, 31, 0, 0, 0, 0}, 1.0},
                                           KnownValue{{1899, 12, 29, 6, 0, 0, 0}, -1.25},
                                           KnownValue{{1899, 12, 30, 6, 0, 0, 0}, 0.25},
                                           KnownValue{{1900, 1, 1, 12, 0, 0, 0}, 2.5},
                                           KnownValue{{1900, 3, 1, 0, 0, 0, 0}, 61.0},
                                           KnownValue{{2000, 2, 29, 0, 0, 0, 0}, 36585.0},
                                           KnownValue{{2026, 12, 7, 12, 0, 0, 0}, 46363.5},
                                           KnownValue{{1, 1, 1, 0, 0, 0, 0}, -693593.0},
                                           KnownValue{{9999, 12, 31, 0, 0, 0, 0}, 2958465.0},
                                           KnownValue{{1800, 1, 1, 0, 0, 0, 0}, -36522.0}));

TEST(DecodeDateTimeTest, RoundsToTheNearestMillisecond) {
  EXPECT_EQ(Decode(46362.9233564815), (Parts{2026, 12, 6, 22, 9, 38, 0}));
  EXPECT_EQ(Decode(46362.92335648148), (Parts{2026, 12, 6, 22, 9, 38, 0}));
  // Half a millisecond before midnight rounds into the next day.
  EXPECT_EQ(Decode(46363.0 - 0.4 / 86400000.0), (Parts{2026, 12, 7, 0, 0, 0, 0}));
  // Before day zero too: the last moment of 29 December 1899 rounds into the 30th, not back to the 28th.
  EXPECT_EQ(Decode(-1.0 - (86399999.6 / 86400000.0)), (Parts{1899, 12, 30, 0, 0, 0, 0}));
  EXPECT_EQ(Decode(-1.0 - (86399999.4 / 86400000.0)), (Parts{1899, 12, 29, 23, 59, 59, 999}));
  EXPECT_EQ(Decode(9999.0 + 0.4 / 86400000.0), Decode(9999.0));
}

TEST(DecodeDateTimeTest, ClampsValuesOutsideTheCalendar) {
  EXPECT_EQ(Decode(1e300), (Parts{9999, 12, 31, 23, 59, 59, 999}));
  EXPECT_EQ(Decode(-1e300), (Parts{1, 1, 1, 23, 59, 59, 999}));
  EXPECT_EQ(Decode(std::numeric_limits<double>::infinity()), (Parts{9999, 12, 31, 23, 59, 59, 999}));
  EXPECT_EQ(Decode(std::numeric_limits<double>::quiet_NaN()), (Parts{1899, 12, 30, 0, 0, 0, 0}));
}

TEST(EncodeDateTimeTest, RoundTripsOverTheWholeRange) {
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> year(1, 9999), month(1, 12), day(1, 31), hour(0, 23), minute(0, 59),
      msec(0, 999);
  int checked = 0;
  while (checked < 100000) {
    const Parts p{year(random),   month(random),  day(random), hour(random),
                  minute(random), minute(random), msec(random)};
    TDateTime value;
    try {
      value = EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, p.msec);
    } catch (const DateTimeError&) {
      ASSERT_GT(p.day, 28) << p;
      continue;
    }
    ASSERT_EQ(Decode(value), p) << value;
    ++checked;
  }
}

TEST(EncodeDateTimeTest, ConsecutiveDaysAreConsecutiveNumbers) {
  TDateTime previous = EncodeDateTime(1, 1, 1, 0, 0, 0, 0);
  int year = 1, month = 1, day = 1;
  for (int step = 0; step < 3652058; step += 1) {
    const TDateTime next = previous + 1.0;
    Parts p = Decode(next);
    if (p.year == 10000) break;
    ASSERT_TRUE(p.day == day + 1 ||
                (p.day == 1 && (p.month == month + 1 || (p.month == 1 && p.year == year + 1))))
        << p;
    year = p.year, month = p.month, day = p.day;
    previous = next;
  }
  EXPECT_EQ(Decode(previous), (Parts{9999, 12, 31, 0, 0, 0, 0}));
}

struct InvalidCase {
  Parts parts;
  const char* message;
};

class InvalidDateTimeTest : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidDateTimeTest, ThrowsWithTheAttemptedValue) {
  const Parts& p = GetParam().parts;
  try {
    EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, p.msec);
    ADD_FAILURE() << "accepted " << p;
  } catch (const DateTimeError& error) {
    EXPECT_EQ(std::string(error.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rejected, InvalidDateTimeTest,
    ::testing::Values(
        InvalidCase{{2026, 13, 1, 0, 0, 0, 0}, "''2026/13/1 0:0:0.0'' is not a valid date and time"},
        InvalidCase{{2026, 4, 31, 20, 0, 0, 0}, "''2026/4/31 20:0:0.0'' is not a valid date and time"},
        InvalidCase{{2026, 12, 6, 24, 0, 0, 0}, "''2026/12/6 24:0:0.0'' is not a valid date and time"},
        InvalidCase{{2026, 12, 6, 22, 60, 0, 0}, "''2026/12/6 22:60:0.0'' is not a valid date and time"},
        InvalidCase{{2026, 12, 6, 22, 9, 60, 0}, "''2026/12/6 22:9:60.0'' is not a valid date and time"},
        InvalidCase{{2026, 12, 6, 22, 9, 38, 1000},
                    "''2026/12/6 22:9:38.1000'' is not a valid date and time"},
        InvalidCase{{2025, 2, 29, 0, 0, 0, 0}, "''2025/2/29 0:0:0.0'' is not a valid date and time"},
        InvalidCase{{1900, 2, 29, 0, 0, 0, 0}, "''1900/2/29 0:0:0.0'' is not a valid date and time"},
        InvalidCase{{0, 1, 1, 0, 0, 0, 0}, "''0/1/1 0:0:0.0'' is not a valid date and time"},
        InvalidCase{{10000, 1, 1, 0, 0, 0, 0}, "''10000/1/1 0:0:0.0'' is not a valid date and time"},
        InvalidCase{{2026, 0, 1, 0, 0, 0, 0}, "''2026/0/1 0:0:0.0'' is not a valid date and time"},
        InvalidCase{{2026, 1, 0, 0, 0, 0, 0}, "''2026/1/0 0:0:0.0'' is not a valid date and time"},
        InvalidCase{{2026, 1, 1, -1, 0, 0, 0}, "''2026/1/1 -1:0:0.0'' is not a valid date and time"},
        InvalidCase{{-2147483647 - 1, 2147483647, 1, 0, 0, 0, 0},
                    "''-2147483648/2147483647/1 0:0:0.0'' is not a valid date and time"}));

TEST(EncodeDateTimeTest, MessageUsesTheGivenSeparators) {
  FormatSettings german;
  german.dateSeparator = '.';
  german.timeSeparator = ':';
  german.decimalSeparator = ',';
  EXPECT_THROW(
      {
        try {
          EncodeDateTime(2026, 4, 31, 20, 0, 0, 0, german);
        } catch (const DateTimeError& error) {
          EXPECT_STREQ(error.what(), "''2026.4.31 20:0:0,0'' is not a valid date and time");
          throw;
        }
      },
      DateTimeError);
  EXPECT_DOUBLE_EQ(EncodeDateTime(2026, 12, 7, 12, 0, 0, 0, german), 46363.5);
}

TEST(DayOfWeekTest, CountsFromSunday) {
  EXPECT_EQ(DayOfWeek(EncodeDateTime(2026, 12, 6, 22, 9, 38, 0)), 0);  // a Sunday
  EXPECT_EQ(DayOfWeek(0.0), 6);                                        // 30 December 1899, a Saturday
  EXPECT_EQ(DayOfWeek(-1.25), 5);
  EXPECT_EQ(DayOfWeek(EncodeDateTime(1, 1, 1, 0, 0, 0, 0)), 1);  // a Monday
}

TEST(NowTest, MatchesTheLocalClock) {
  const std::time_t before = std::time(nullptr);
  const TDateTime now = Now();
  const std::time_t after = std::time(nullptr);
  // The test runs on one thread, so the standard's shared result buffer is safe here.
  const std::tm low = *std::localtime(&before);
  const std::tm high = *std::localtime(&after);
  const TDateTime lowest =
      EncodeDateTime(low.tm_year + 1900, low.tm_mon + 1, low.tm_mday, low.tm_hour, low.tm_min, low.tm_sec, 0);
  const TDateTime highest = EncodeDateTime(high.tm_year + 1900, high.tm_mon + 1, high.tm_mday, high.tm_hour,
                                           high.tm_min, high.tm_sec, 999);
  // time() may read a coarser clock than Now(), so allow it a second either way.
  const TDateTime second = 1.0 / 86400.0;
  EXPECT_GE(now, lowest - second);
  EXPECT_LE(now, highest + second);
}

}  // namespace
}  // namespace orvimo
