#include <langinfo.h>
#include <locale.h>

#include <string>

#include "base/date_time.h"
#include "base/strftime_format.h"

namespace orvimo {
namespace {

// A locale object of the user's environment for the given categories; the process's global locale is
// left alone. Null when the environment names a locale that is not installed.
class UserLocale {
 public:
  explicit UserLocale(int categoryMask) : locale_(newlocale(categoryMask, "", static_cast<locale_t>(0))) {}
  ~UserLocale() {
    if (locale_ != static_cast<locale_t>(0)) freelocale(locale_);
  }
  UserLocale(const UserLocale&) = delete;
  UserLocale& operator=(const UserLocale&) = delete;

  bool IsValid() const { return locale_ != static_cast<locale_t>(0); }
  std::string Item(nl_item item) const {
    const char* text = nl_langinfo_l(item, locale_);
    return text != nullptr ? text : "";
  }

 private:
  locale_t locale_;
};

void SetIfNotEmpty(std::string& target, const std::string& value) {
  if (!value.empty()) target = value;
}

void ReadNames(const UserLocale& locale, FormatSettings& settings) {
  for (int i = 0; i < 12; ++i) {
    SetIfNotEmpty(settings.shortMonthNames[i], locale.Item(static_cast<nl_item>(ABMON_1 + i)));
    SetIfNotEmpty(settings.longMonthNames[i], locale.Item(static_cast<nl_item>(MON_1 + i)));
  }
  for (int i = 0; i < 7; ++i) {  // DAY_1 is Sunday, as in the settings
    SetIfNotEmpty(settings.shortDayNames[i], locale.Item(static_cast<nl_item>(ABDAY_1 + i)));
    SetIfNotEmpty(settings.longDayNames[i], locale.Item(static_cast<nl_item>(DAY_1 + i)));
  }
  SetIfNotEmpty(settings.timeAMString, locale.Item(AM_STR));
  SetIfNotEmpty(settings.timePMString, locale.Item(PM_STR));
}

void ReadFormats(const UserLocale& locale, FormatSettings& settings) {
  StrftimeFormat::LocaleFormats formats;
  SetIfNotEmpty(formats.date, locale.Item(D_FMT));
  SetIfNotEmpty(formats.time, locale.Item(T_FMT));
  SetIfNotEmpty(formats.dateTime, locale.Item(D_T_FMT));
  SetIfNotEmpty(formats.time12, locale.Item(T_FMT_AMPM));

  const StrftimeFormat shortDate(formats.date, formats);
  const StrftimeFormat longTime(formats.time, formats);
  StrftimeFormat longDate = StrftimeFormat(formats.dateTime, formats).DateFieldsOnly();
  if (!longDate.HasDateFields()) longDate = shortDate;

  settings.dateSeparator = shortDate.FirstSeparator(settings.dateSeparator);
  settings.timeSeparator = longTime.FirstSeparator(settings.timeSeparator);
  const auto translate = [&settings](const StrftimeFormat& format) {
    return format.ToDateTimeFormat(settings.dateSeparator, settings.timeSeparator);
  };
  SetIfNotEmpty(settings.shortDateFormat, translate(shortDate));
  SetIfNotEmpty(settings.longDateFormat, translate(longDate));
  SetIfNotEmpty(settings.shortTimeFormat, translate(longTime.WithoutSeconds()));
  SetIfNotEmpty(settings.longTimeFormat, translate(longTime));
}

void ReadDecimalSeparator(FormatSettings& settings) {
  const UserLocale numeric(LC_NUMERIC_MASK);
  if (!numeric.IsValid()) return;
  // A multi-byte decimal sign (some locales use U+066B) has no single-character form: keep ".".
  const std::string radix = numeric.Item(RADIXCHAR);
  if (radix.size() == 1) settings.decimalSeparator = radix[0];
}

}  // namespace

FormatSettings FormatSettings::FromSystem() {
  FormatSettings settings;
  const UserLocale time(LC_TIME_MASK);
  if (time.IsValid()) {
    ReadNames(time, settings);
    ReadFormats(time, settings);
  }
  ReadDecimalSeparator(settings);
  return settings;
}

}  // namespace orvimo
