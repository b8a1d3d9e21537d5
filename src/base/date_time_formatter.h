#pragma once

#include <string>
#include <string_view>

#include "base/date_time.h"

namespace orvimo {

// Expands one date and time with the date/time formatting language. The value is decoded once, so every
// field of one format shows the same instant.
class DateTimeFormatter {
 public:
  DateTimeFormatter(TDateTime value, const FormatSettings& settings);

  std::string Format(std::string_view format);

 private:
  // Formats that expand to other formats (c, ddddd, dddddd, t, tt) may nest this deep and no deeper, so
  // a locale format that names itself cannot recurse without end.
  static constexpr int kMaxDepth = 2;

  void Append(std::string_view format, int depth);
  void AppendNested(const std::string& format, int depth);
  void AppendNumber(int value, int minDigits);
  void AppendHour(int run, bool twelveHour);
  void AppendDayLetters(int run, int depth);
  void AppendMonthLetters(int run);
  // Returns the number of format characters used: a marker's length, or 1 for a plain "a".
  std::size_t AppendAmPm(std::string_view rest);
  void AppendQuoted(std::string_view format, std::size_t& pos);
  void AppendShortDateAndLongTime(int depth);

  const FormatSettings& settings_;
  int year_, month_, day_, hour_, minute_, second_, msec_;
  int dayOfWeek_;
  std::string out_;
};

}  // namespace orvimo
