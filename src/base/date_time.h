#pragma once

#include <array>
#include <stdexcept>
#include <string>

namespace orvimo {

// Whole days since 1899-12-30, time of day as the fraction.
using TDateTime = double;

class DateTimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The locale data the date/time formatting language reads.
struct FormatSettings {
  char dateSeparator = '/', timeSeparator = ':', decimalSeparator = '.';
  std::string shortDateFormat = "M/d/yyyy", longDateFormat = "dddd, MMMM d, yyyy";
  std::string shortTimeFormat = "h:mm AMPM", longTimeFormat = "h:mm:ss AMPM";
  std::string timeAMString = "AM", timePMString = "PM";
  std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> longMonthNames{"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};
  std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};

  // From the user's locale (POSIX: nl_langinfo of LC_TIME; Windows: GetLocaleInfoEx).
  static FormatSettings FromSystem();
};

// Throws DateTimeError when the parts make no real date or time.
// The message writes the attempted parts with the default separators ("''2026/4/31 20:0:0.0'' is not a
// valid date and time"); the overload taking FormatSettings uses that locale's separators instead.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                         const FormatSettings& settings);
// Rounds to the nearest millisecond. Values outside 0001-01-01 .. 9999-12-31 23:59:59.999 decode as the
// nearest end of that range; NaN decodes as 1899-12-30 00:00:00.000.
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& msec);
// 0 for Sunday .. 6 for Saturday, the index into the day-name arrays.
int DayOfWeek(TDateTime value);

// Formats with the date/time formatting language; an empty format means "c".
std::string FormatDateTime(const std::string& format, TDateTime value, const FormatSettings& settings = {});

// The local date and time.
TDateTime Now();

}  // namespace orvimo
