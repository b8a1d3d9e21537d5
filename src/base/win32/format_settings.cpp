#include <windows.h>

#include <string>
#include <string_view>

#include "base/date_time.h"
#include "base/win32/wide_text.h"

namespace orvimo {
namespace {

std::string LocaleText(LCTYPE item) {
  wchar_t buffer[128];
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer, 128);
  return length > 1 ? win32::Utf8FromWide(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)))
                    : "";
}

void SetIfNotEmpty(std::string& target, const std::string& value) {
  if (!value.empty()) target = value;
}

void SetSeparator(char& target, LCTYPE item) {
  // A multi-byte sign has no single-character form: keep the default.
  const std::string text = LocaleText(item);
  if (text.size() == 1) target = text[0];
}

// Windows' picture language is close to ours: "tt" (or "t") is the am/pm marker, "H" the 24-hour clock
// (ours is 24-hour unless a marker is present) and "g" the era, which has no counterpart. Quoted text
// stays as it is.
std::string FromWindowsFormat(std::string_view format) {
  std::string converted;
  for (std::size_t pos = 0; pos < format.size(); ++pos) {
    const char c = format[pos];
    if (c == '\'') {
      const std::size_t close = format.find('\'', pos + 1);
      const std::size_t end = close == std::string_view::npos ? format.size() : close + 1;
      converted.append(format.substr(pos, end - pos));
      pos = end - 1;
    } else if (c == 't' || c == 'g') {
      while (pos + 1 < format.size() && format[pos + 1] == c) ++pos;
      if (c == 't') converted += "AMPM";
    } else {
      converted += c == 'H' ? 'h' : c;
    }
  }
  return converted;
}

}  // namespace

FormatSettings FormatSettings::FromSystem() {
  FormatSettings settings;
  for (int i = 0; i < 12; ++i) {
    SetIfNotEmpty(settings.shortMonthNames[i], LocaleText(LOCALE_SABBREVMONTHNAME1 + i));
    SetIfNotEmpty(settings.longMonthNames[i], LocaleText(LOCALE_SMONTHNAME1 + i));
  }
  for (int i = 0; i < 7; ++i) {  // Windows counts from Monday, the settings from Sunday
    const int windowsDay = (i + 6) % 7;
    SetIfNotEmpty(settings.shortDayNames[i], LocaleText(LOCALE_SABBREVDAYNAME1 + windowsDay));
    SetIfNotEmpty(settings.longDayNames[i], LocaleText(LOCALE_SDAYNAME1 + windowsDay));
  }
  SetIfNotEmpty(settings.timeAMString, LocaleText(LOCALE_S1159));
  SetIfNotEmpty(settings.timePMString, LocaleText(LOCALE_S2359));
  SetSeparator(settings.dateSeparator, LOCALE_SDATE);
  SetSeparator(settings.timeSeparator, LOCALE_STIME);
  SetSeparator(settings.decimalSeparator, LOCALE_SDECIMAL);
  SetIfNotEmpty(settings.shortDateFormat, FromWindowsFormat(LocaleText(LOCALE_SSHORTDATE)));
  SetIfNotEmpty(settings.longDateFormat, FromWindowsFormat(LocaleText(LOCALE_SLONGDATE)));
  SetIfNotEmpty(settings.shortTimeFormat, FromWindowsFormat(LocaleText(LOCALE_SSHORTTIME)));
  SetIfNotEmpty(settings.longTimeFormat, FromWindowsFormat(LocaleText(LOCALE_STIMEFORMAT)));
  return settings;
}

}  // namespace orvimo
