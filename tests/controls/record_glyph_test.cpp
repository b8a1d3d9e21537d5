#include "controls/record_glyph.h"

#include <gtest/gtest.h>

namespace orvimo {
namespace {

struct MaskCounts {
  int opaque = 0, rim = 0, transparent = 0, min_rim_alpha = 256, max_rim_alpha = -1;
};

MaskCounts CountMask(const TBitmap32& strip, int cell) {
  MaskCounts c;
  for (int y = 0; y < kRecordGlyphCell; ++y)
    for (int x = 0; x < kRecordGlyphCell; ++x) {
      const TColor32 p = strip.Pixel(cell * kRecordGlyphCell + x, y);
      const int a = AlphaOf(p);
      if (a == 255) {
        ++c.opaque;
      } else if (a == 0) {
        EXPECT_EQ(p, 0u) << "transparent pixels are all zero";
        ++c.transparent;
      } else {
        ++c.rim;
        c.min_rim_alpha = std::min(c.min_rim_alpha, a);
        c.max_rim_alpha = std::max(c.max_rim_alpha, a);
      }
    }
  return c;
}

TEST(RecordGlyphTest, StripHoldsTwoCellsWithTheSameDiscMask) {
  const TBitmap32 strip = MakeRecordButtonGlyph();
  ASSERT_EQ(strip.Width(), 48);
  ASSERT_EQ(strip.Height(), 24);
  EXPECT_EQ(strip.StoredPixels().size(), 4616u);
  for (int cell = 0; cell < 2; ++cell) {
    SCOPED_TRACE(cell);
    const MaskCounts c = CountMask(strip, cell);
    EXPECT_EQ(c.opaque, 376);
    EXPECT_EQ(c.rim, 92);
    EXPECT_EQ(c.transparent, 108);
    EXPECT_EQ(c.min_rim_alpha, 11);
    EXPECT_EQ(c.max_rim_alpha, 252);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x) EXPECT_EQ(AlphaOf(strip.Pixel(x, y)), AlphaOf(strip.Pixel(24 + x, y)));
  }
}

TEST(RecordGlyphTest, DiscTouchesAllFourEdgesAndLeavesTheCornersClear) {
  const TBitmap32 strip = MakeRecordButtonGlyph();
  EXPECT_GT(AlphaOf(strip.Pixel(0, 12)), 0);
  EXPECT_GT(AlphaOf(strip.Pixel(23, 11)), 0);
  EXPECT_GT(AlphaOf(strip.Pixel(12, 0)), 0);
  EXPECT_GT(AlphaOf(strip.Pixel(11, 23)), 0);
  for (auto [x, y] : {std::pair{0, 0}, {23, 0}, {0, 23}, {23, 23}, {2, 2}}) EXPECT_EQ(strip.Pixel(x, y), 0u);
}

TEST(RecordGlyphTest, RedBallIsBrightestLeftOfCentre) {
  const TBitmap32 strip = MakeRecordButtonGlyph();
  EXPECT_EQ(strip.Pixel(11, 12), Color32(255, 87, 87));
  int body = 0, outline = 0, min_v = 255;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      const TColor32 p = strip.Pixel(x, y);
      if (AlphaOf(p) != 255) {
        if (AlphaOf(p) > 0) {
          EXPECT_LT(RedOf(p), 128) << "the rim is very dark red";
        }
        continue;
      }
      ASSERT_GE(RedOf(p), 228);
      if (GreenOf(p) == 0 && BlueOf(p) == 0) {
        ++outline;
        EXPECT_LE(RedOf(p), 252);
        continue;
      }
      ++body;
      EXPECT_EQ(RedOf(p), 255);
      EXPECT_EQ(GreenOf(p), BlueOf(p));
      EXPECT_LE(GreenOf(p), 87);
      if (x != 11 || y != 12) {
        EXPECT_LT(GreenOf(p), 87) << x << "," << y;
      }
      min_v = std::min(min_v, GreenOf(p));
    }
  EXPECT_EQ(body + outline, 376);
  EXPECT_EQ(outline, 17);
  EXPECT_NEAR(min_v, 32, 3);
  EXPECT_NEAR(GreenOf(strip.Pixel(12, 12)), 82, 1);  // the centre
}

TEST(RecordGlyphTest, GreenBallMatchesTheRedOneInGreen) {
  const TBitmap32 strip = MakeRecordButtonGlyph();
  EXPECT_EQ(strip.Pixel(24 + 11, 12), Color32(47, 232, 47));
  int darkest_outline = 255;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      const TColor32 red = strip.Pixel(x, y), green = strip.Pixel(24 + x, y);
      if (AlphaOf(green) != 255) continue;
      if (GreenOf(red) == 0) {
        darkest_outline = std::min(darkest_outline, GreenOf(green));
      } else {
        EXPECT_EQ(RedOf(green), 47);
        EXPECT_EQ(BlueOf(green), 47);
        EXPECT_GE(GreenOf(green), 150);
      }
    }
  EXPECT_NEAR(darkest_outline, 143, 6);
}

}  // namespace
}  // namespace orvimo
