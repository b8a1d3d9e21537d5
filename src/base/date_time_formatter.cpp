#include "base/date_time_formatter.h"

#include <algorithm>

namespace orvimo {
namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsAsciiLetter(char c) {
  const char upper = AsciiUpper(c);
  return upper >= 'A' && upper <= 'Z';
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiUpper(text[i]) != AsciiUpper(prefix[i])) return false;
  }
  return true;
}

std::size_t AmPmMarkerLength(std::string_view text) {
  if (StartsWithNoCase(text, "am/pm")) return 5;
  if (StartsWithNoCase(text, "a/p")) return 3;
  if (StartsWithNoCase(text, "ampm")) return 4;
  return 0;
}

// The hour is shown on the 12-hour clock when the same format carries an am/pm marker outside quotes.
// A marker in front of the hour counts too, since some locales write the marker first ("AMPM h:mm").
bool HasAmPmMarker(std::string_view format) {
  for (std::size_t pos = 0; pos < format.size(); ++pos) {
    const char c = format[pos];
    if (c == '\'' || c == '"') {
      const std::size_t close = format.find(c, pos + 1);
      if (close == std::string_view::npos) return false;
      pos = close;
    } else if (AmPmMarkerLength(format.substr(pos)) > 0) {
      return true;
    }
  }
  return false;
}

// Length of the run of the letter at pos, letter case ignored ("YyYy" is one run of four).
int RunLength(std::string_view format, std::size_t pos) {
  const char upper = AsciiUpper(format[pos]);
  std::size_t end = pos + 1;
  while (end < format.size() && AsciiUpper(format[end]) == upper) ++end;
  return static_cast<int>(std::min<std::size_t>(end - pos, 1 << 30));
}

}  // namespace

DateTimeFormatter::DateTimeFormatter(TDateTime value, const FormatSettings& settings)
    : settings_(settings), dayOfWeek_(DayOfWeek(value)) {
  DecodeDateTime(value, year_, month_, day_, hour_, minute_, second_, msec_);
}

std::string DateTimeFormatter::Format(std::string_view format) {
  out_.clear();
  Append(format.empty() ? std::string_view("c") : format, 0);
  return std::move(out_);
}

void DateTimeFormatter::Append(std::string_view format, int depth) {
  if (depth > kMaxDepth) return;
  const bool twelveHour = HasAmPmMarker(format);
  char lastLetter = ' ';
  std::size_t pos = 0;
  while (pos < format.size()) {
    const char c = format[pos];
    const char letter = AsciiUpper(c);
    const int run = IsAsciiLetter(c) ? RunLength(format, pos) : 1;
    std::size_t used = static_cast<std::size_t>(run);
    switch (letter) {
      case 'Y':
        if (run <= 2) {
          AppendNumber(year_ % 100, 2);
        } else {
          AppendNumber(year_, 4);
        }
        break;
      case 'M':
        // "m" or "mm" right after an hour field means minutes ("hh:mm").
        if (lastLetter == 'H' && run <= 2) {
          AppendNumber(minute_, run);
          lastLetter = 'N';
          pos += used;
          continue;
        }
        AppendMonthLetters(run);
        break;
      case 'D':
        AppendDayLetters(run, depth);
        break;
      case 'H':
        AppendHour(run, twelveHour);
        break;
      case 'N':
        AppendNumber(minute_, std::min(run, 2));
        break;
      case 'S':
        AppendNumber(second_, std::min(run, 2));
        break;
      case 'Z':
        AppendNumber(msec_, std::min(run, 3));
        break;
      case 'T':
        AppendNested(run == 1 ? settings_.shortTimeFormat : settings_.longTimeFormat, depth);
        break;
      case 'C':
        AppendShortDateAndLongTime(depth);
        break;
      case 'A':
        used = AppendAmPm(format.substr(pos));
        break;
      case '/':
        if (settings_.dateSeparator != '\0') out_ += settings_.dateSeparator;
        break;
      case ':':
        if (settings_.timeSeparator != '\0') out_ += settings_.timeSeparator;
        break;
      case '\'':
      case '"':
        AppendQuoted(format, pos);
        continue;
      default:
        out_ += c;
        used = 1;
        break;
    }
    if (IsAsciiLetter(c)) lastLetter = letter;
    pos += used;
  }
}

void DateTimeFormatter::AppendNested(const std::string& format, int depth) { Append(format, depth + 1); }

void DateTimeFormatter::AppendNumber(int value, int minDigits) {
  const std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < minDigits) out_.append(minDigits - digits.size(), '0');
  out_ += digits;
}

void DateTimeFormatter::AppendHour(int run, bool twelveHour) {
  int hour = hour_;
  if (twelveHour) {
    if (hour == 0) {
      hour = 12;
    } else if (hour > 12) {
      hour -= 12;
    }
  }
  AppendNumber(hour, std::min(run, 2));
}

// d, dd: day; ddd, dddd: day name; ddddd: short date; six or more: long date.
void DateTimeFormatter::AppendDayLetters(int run, int depth) {
  switch (run) {
    case 1:
    case 2:
      AppendNumber(day_, run);
      break;
    case 3:
      out_ += settings_.shortDayNames[dayOfWeek_];
      break;
    case 4:
      out_ += settings_.longDayNames[dayOfWeek_];
      break;
    case 5:
      AppendNested(settings_.shortDateFormat, depth);
      break;
    default:
      AppendNested(settings_.longDateFormat, depth);
      break;
  }
}

// m, mm: month number; mmm: short name; four or more: long name.
void DateTimeFormatter::AppendMonthLetters(int run) {
  if (run <= 2) {
    AppendNumber(month_, run);
  } else if (run == 3) {
    out_ += settings_.shortMonthNames[month_ - 1];
  } else {
    out_ += settings_.longMonthNames[month_ - 1];
  }
}

std::size_t DateTimeFormatter::AppendAmPm(std::string_view rest) {
  const bool afternoon = hour_ >= 12;
  const std::size_t marker = AmPmMarkerLength(rest);
  if (marker == 5) {
    // "am/pm" copies the letters as written: "AM/pm" gives "AM" or "pm".
    out_ += rest.substr(afternoon ? 3 : 0, 2);
  } else if (marker == 3) {
    out_ += rest[afternoon ? 2 : 0];
  } else if (marker == 4) {
    out_ += afternoon ? settings_.timePMString : settings_.timeAMString;
  } else {
    out_ += rest[0];
    return 1;
  }
  return marker;
}

// Copies the text up to the matching quote; an unterminated quote runs to the end of the format.
void DateTimeFormatter::AppendQuoted(std::string_view format, std::size_t& pos) {
  const char quote = format[pos];
  const std::size_t close = format.find(quote, pos + 1);
  const std::size_t end = close == std::string_view::npos ? format.size() : close;
  out_.append(format.substr(pos + 1, end - pos - 1));
  pos = close == std::string_view::npos ? format.size() : close + 1;
}

// The time is left out at exactly midnight, so a plain date shows as a date.
void DateTimeFormatter::AppendShortDateAndLongTime(int depth) {
  AppendNested(settings_.shortDateFormat, depth);
  if (hour_ != 0 || minute_ != 0 || second_ != 0 || msec_ != 0) {
    out_ += ' ';
    AppendNested(settings_.longTimeFormat, depth);
  }
}

std::string FormatDateTime(const std::string& format, TDateTime value, const FormatSettings& settings) {
  return DateTimeFormatter(value, settings).Format(format);
}

}  // namespace orvimo
