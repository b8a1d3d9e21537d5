#include "monitor/size_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace orvimo {
namespace {

TEST(FormatSizeTest, TruncatesToHundredthsOfTheLargestFittingUnit) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0 B"},
      {1023, "1,023 B"},
      {1024, "1 KB"},
      {1075, "1.04 KB"},
      {1536, "1.50 KB"},
      {1034, "1 KB"},  // 1.0097...: the hundredths are 0, so no point
      {1035, "1.01 KB"},
      {1048575, "1,023.99 KB"},
      {1048576, "1 MB"},
      {734003200, "700 MB"},
      {1073741823, "1,023.99 MB"},
      {5000000000, "4.65 GB"},
      {1099511627776, "1,024 GB"},
      {std::numeric_limits<int64_t>::max(), "8,589,934,591.99 GB"},
  };
  for (const auto& [bytes, expected] : cases) EXPECT_EQ(FormatSize(bytes), expected) << bytes;
}

TEST(FormatSizeTest, NegativeCountsShowAsSignedBytes) {
  EXPECT_EQ(FormatSize(-1), "-1 B");
  EXPECT_EQ(FormatSize(-1234567), "-1,234,567 B");
  EXPECT_EQ(FormatSize(std::numeric_limits<int64_t>::min()), "-9,223,372,036,854,775,808 B");
}

TEST(FormatDurationTest, RoundsHalvesToEvenAndCountsHoursPastADay) {
  constexpr int64_t kCd = 176400;
  struct Case {
    int64_t bytes, rate;
    const char* expected;
  };
  const Case cases[] = {
      {0, kCd, " 00 : 00 : 00"},
      {kCd, kCd, " 00 : 00 : 01"},
      {1, 2, " 00 : 00 : 00"},  // 0.5 s
      {3, 2, " 00 : 00 : 02"},  // 1.5 s
      {5, 2, " 00 : 00 : 02"},  // 2.5 s
      {7, 2, " 00 : 00 : 04"},  // 3.5 s
      {kCd * 3661, kCd, " 01 : 01 : 01"},
      {kCd * 86399, kCd, " 23 : 59 : 59"},
      {kCd * 86400, kCd, " 24 : 00 : 00"},
      {kCd * 90000, kCd, " 25 : 00 : 00"},
      {kCd * (119 * 3600 + 4 * 60 + 37), kCd, " 119 : 04 : 37"},
      {std::numeric_limits<int64_t>::max(), 1, " 2562047788015215 : 30 : 08"},  // 2^63 s as a double
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDuration(c.bytes, c.rate), c.expected) << c.bytes << "/" << c.rate;
    // The console's text is the same time without the blanks.
    std::string compact = c.expected + 1;
    std::erase(compact, ' ');
    EXPECT_EQ(FormatCompactDuration(c.bytes, c.rate), compact) << c.bytes << "/" << c.rate;
  }
}

TEST(FormatDurationTest, FailedQueriesAndMissingRates) {
  EXPECT_EQ(FormatDuration(-1, 176400), " 00 : 00 : 00");
  EXPECT_EQ(FormatDuration(std::numeric_limits<int64_t>::min(), 1), " 00 : 00 : 00");
  EXPECT_EQ(FormatDuration(176400, 0), " -- : -- : --");
  EXPECT_EQ(FormatDuration(176400, -44100), " -- : -- : --");
  EXPECT_EQ(FormatCompactDuration(-1, 176400), "00:00:00");
  EXPECT_EQ(FormatCompactDuration(176400, 0), "--:--:--");
}

}  // namespace
}  // namespace orvimo
