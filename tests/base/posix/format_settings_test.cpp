#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "base/date_time.h"

namespace orvimo {
namespace {

// Sets LC_ALL for one test and puts the old value back afterwards.
class ScopedLcAll {
 public:
  explicit ScopedLcAll(const char* value) {
    if (const char* old = std::getenv("LC_ALL")) saved_ = old;
    setenv("LC_ALL", value, 1);
  }
  ~ScopedLcAll() {
    if (saved_) {
      setenv("LC_ALL", saved_->c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }

 private:
  std::optional<std::string> saved_;
};

TEST(FormatSettingsTest, ReadsTheCLocale) {
  const ScopedLcAll c("C");
  const FormatSettings settings = FormatSettings::FromSystem();
  EXPECT_EQ(settings.dateSeparator, '/');
  EXPECT_EQ(settings.timeSeparator, ':');
  EXPECT_EQ(settings.decimalSeparator, '.');
  EXPECT_EQ(settings.shortDateFormat, "mm/dd/yy");
  EXPECT_EQ(settings.longDateFormat, "ddd mmm d yyyy");
  EXPECT_EQ(settings.shortTimeFormat, "hh:nn");
  EXPECT_EQ(settings.longTimeFormat, "hh:nn:ss");
  EXPECT_EQ(settings.timeAMString, "AM");
  EXPECT_EQ(settings.timePMString, "PM");
  EXPECT_EQ(settings.shortMonthNames[11], "Dec");
  EXPECT_EQ(settings.longMonthNames[0], "January");
  EXPECT_EQ(settings.shortDayNames[0], "Sun");
  EXPECT_EQ(settings.longDayNames[6], "Saturday");

  const TDateTime evening = EncodeDateTime(2026, 12, 6, 22, 9, 38, 0);
  EXPECT_EQ(FormatDateTime("c", evening, settings), "12/06/26 22:09:38");
  EXPECT_EQ(FormatDateTime("dddddd t", evening, settings), "Sun Dec 6 2026 22:09");
}

TEST(FormatSettingsTest, UnknownLocaleGivesTheDefaults) {
  const ScopedLcAll bogus("xx_NOWHERE.bogus");
  const FormatSettings settings = FormatSettings::FromSystem();
  const FormatSettings defaults;
  EXPECT_EQ(settings.shortDateFormat, defaults.shortDateFormat);
  EXPECT_EQ(settings.longDateFormat, defaults.longDateFormat);
  EXPECT_EQ(settings.shortTimeFormat, defaults.shortTimeFormat);
  EXPECT_EQ(settings.longTimeFormat, defaults.longTimeFormat);
  EXPECT_EQ(settings.dateSeparator, defaults.dateSeparator);
  EXPECT_EQ(settings.decimalSeparator, defaults.decimalSeparator);
  EXPECT_EQ(settings.longMonthNames, defaults.longMonthNames);
}

}  // namespace
}  // namespace orvimo
