#include "base/date_time.h"

#include <cmath>
#include <cstdint>

namespace orvimo {
namespace {

constexpr int64_t kMsecPerDay = 86400000;
constexpr int64_t kFirstDay = -693593;  // 0001-01-01
constexpr int64_t kLastDay = 2958465;   // 9999-12-31

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Day count of the proleptic Gregorian calendar, day 0 being 1970-01-01 (valid for years 1..9999).
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = year / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const int64_t era = days / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

constexpr int64_t kDayZero = DaysFromCivil(1899, 12, 30);

bool IsValidDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59 && msec >= 0 &&
         msec <= 999;
}

std::string InvalidDateTimeMessage(int year, int month, int day, int hour, int minute, int second, int msec,
                                   const FormatSettings& settings) {
  const auto n = [](int value) { return std::to_string(value); };
  const std::string attempted = n(year) + settings.dateSeparator + n(month) + settings.dateSeparator +
                                n(day) + " " + n(hour) + settings.timeSeparator + n(minute) +
                                settings.timeSeparator + n(second) + settings.decimalSeparator + n(msec);
  return "''" + attempted + "'' is not a valid date and time";
}

// A value as its day number and the milliseconds of that day. The two are split before rounding, so
// rounding up at the end of a day before day zero moves to the next calendar day, as it does after it.
// Values beyond the calendar's range are clamped, so no input can overflow.
struct DayAndTime {
  int64_t day = 0;
  int64_t msec = 0;
};

DayAndTime SplitDayAndTime(TDateTime value) {
  constexpr DayAndTime kLast{kLastDay, kMsecPerDay - 1};
  constexpr DayAndTime kFirst{kFirstDay, kMsecPerDay - 1};
  if (std::isnan(value)) return {};
  if (value >= static_cast<double>(kLastDay + 1)) return kLast;
  if (value <= static_cast<double>(kFirstDay - 1)) return kFirst;
  const double whole = std::trunc(value);
  DayAndTime result{static_cast<int64_t>(whole),
                    std::llround(std::fabs(value - whole) * static_cast<double>(kMsecPerDay))};
  if (result.msec >= kMsecPerDay) {
    result.msec -= kMsecPerDay;
    ++result.day;
  }
  return result.day > kLastDay ? kLast : result;
}

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
  return EncodeDateTime(year, month, day, hour, minute, second, msec, FormatSettings{});
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                         const FormatSettings& settings) {
  if (!IsValidDateTime(year, month, day, hour, minute, second, msec)) {
    throw DateTimeError(InvalidDateTimeMessage(year, month, day, hour, minute, second, msec, settings));
  }
  const double days = static_cast<double>(DaysFromCivil(year, month, day) - kDayZero);
  const double time = static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + msec) /
                      static_cast<double>(kMsecPerDay);
  // Before day zero the time of day counts away from zero: -1.25 is 29 December 1899, 06:00.
  return days < 0 ? days - time : days + time;
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& msec) {
  const DayAndTime split = SplitDayAndTime(value);
  CivilFromDays(split.day + kDayZero, year, month, day);
  int64_t time = split.msec;
  msec = static_cast<int>(time % 1000);
  time /= 1000;
  second = static_cast<int>(time % 60);
  time /= 60;
  minute = static_cast<int>(time % 60);
  hour = static_cast<int>(time / 60);
}

int DayOfWeek(TDateTime value) {
  // Day zero, 30 December 1899, was a Saturday.
  const int64_t index = (SplitDayAndTime(value).day + 6) % 7;
  return static_cast<int>(index < 0 ? index + 7 : index);
}

}  // namespace orvimo
