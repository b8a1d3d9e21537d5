#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "base/date_time.h"
#include "base/strftime_format.h"

namespace orvimo {
namespace {

// The translated format must show what the C library's strftime itself shows in the "C" locale. The
// reference is glibc's: the Windows C runtime knows only part of these conversions (no %e, %r, %T, %-d),
// and the formats translated come from POSIX locales anyway.
class StrftimeAgreementTest : public ::testing::TestWithParam<const char*> {};

TEST_P(StrftimeAgreementTest, FormatsLikeStrftime) {
  const StrftimeFormat::LocaleFormats locale;
  const std::string translated = StrftimeFormat(GetParam(), locale).ToDateTimeFormat('/', ':');
  for (int hour : {0, 9, 12, 22}) {
    std::tm parts{};
    parts.tm_year = 2026 - 1900, parts.tm_mon = 11, parts.tm_mday = 16, parts.tm_hour = hour,
    parts.tm_min = 7, parts.tm_sec = 5, parts.tm_wday = 3;
    char expected[128];
    std::strftime(expected, sizeof expected, GetParam(), &parts);
    EXPECT_EQ(FormatDateTime(translated, EncodeDateTime(2026, 12, 16, hour, 7, 5, 0)), expected)
        << GetParam() << " as " << translated;
  }
}

INSTANTIATE_TEST_SUITE_P(CLocale, StrftimeAgreementTest,
                         ::testing::Values("%m/%d/%y", "%d.%m.%Y", "%a %b %e %H:%M:%S %Y", "%I:%M:%S %p",
                                           "%r", "%D", "%F", "%T", "%Hh%M", "%A, %B %d, %Y",
                                           "%-d/%-m %-H:%-M:%-S", "%p %I", "%y%m%d%H%M%S", "at %H o'clock"));

}  // namespace
}  // namespace orvimo
