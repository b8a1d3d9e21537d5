#include "controls/bitmap32.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvimo {
namespace {

constexpr TColor32 kGrey = 0xFF808080;
constexpr TColor32 kWhite = 0x00FFFFFF, kBlack = 0x00000000;

// Pins the dither's random draw for one test.
class PinnedDither {
 public:
  explicit PinnedDither(int (*draw)(int steps)) { SetDitherSource({draw, nullptr}); }
  ~PinnedDither() { SetDitherSource({}); }
};

TBitmap32 Filled(int w, int h, TColor32 c) {
  TBitmap32 b(w, h);
  b.Clear(c);
  return b;
}

TEST(Bitmap32Test, PixelAccessOutsideTheBitmapIsHarmless) {
  TBitmap32 b(3, 2);
  b.SetPixel(-1, 0, 1);
  b.SetPixel(3, 0, 1);
  b.SetPixel(0, 2, 1);
  EXPECT_EQ(b.Pixel(-1, 0), 0u);
  EXPECT_EQ(b.Pixel(5, 5), 0u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.Bits()[i], 0u);
  b.SetPixel(2, 1, 0xABCDEF01);
  EXPECT_EQ(b.Bits()[5], 0xABCDEF01u);  // rows top to bottom, no padding
}

TEST(Bitmap32Test, FillBlendsAndClipsToBitmapAndClipRect) {
  TBitmap32 b = Filled(4, 4, kGrey);
  b.FillRect({-2, -2, 2, 1}, 0xFF102030);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF102030u);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF102030u);
  EXPECT_EQ(b.Pixel(2, 0), kGrey);
  EXPECT_EQ(b.Pixel(0, 1), kGrey);

  b.FillRect({0, 0, 4, 4}, 0x00FF0000);  // alpha 0 changes nothing
  EXPECT_EQ(b.Pixel(3, 3), kGrey);
  b.FillRect({3, 3, 4, 4}, WithAlpha(0xFFFFFF, 128));
  EXPECT_EQ(b.Pixel(3, 3), MixColors(WithAlpha(0xFFFFFF, 128), kGrey, 128));

  b.SetClipRect({1, 1, 3, 3});
  b.FillRectPlain({0, 0, 4, 4}, 0x11223344);  // plain: the alpha is written as it is
  EXPECT_EQ(b.Pixel(1, 1), 0x11223344u);
  EXPECT_EQ(b.Pixel(2, 2), 0x11223344u);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF102030u);
  EXPECT_EQ(b.Pixel(3, 2), kGrey);
}

TEST(Bitmap32Test, FrameWritesTheOutlineOnly) {
  TBitmap32 b = Filled(5, 4, kGrey);
  b.FrameRect({0, 0, 5, 4}, 0x40000000);  // plain writes even for a translucent colour
  int framed = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool edge = x == 0 || y == 0 || x == 4 || y == 3;
      EXPECT_EQ(b.Pixel(x, y), edge ? 0x40000000u : kGrey) << x << "," << y;
      framed += edge;
    }
  EXPECT_EQ(framed, 14);

  TBitmap32 thin = Filled(3, 3, kGrey);
  thin.FrameRect({1, 0, 2, 3}, 1);  // one column wide: no separate right column
  EXPECT_EQ(thin.Pixel(1, 0), 1u);
  EXPECT_EQ(thin.Pixel(1, 1), 1u);
  EXPECT_EQ(thin.Pixel(1, 2), 1u);
  EXPECT_EQ(thin.Pixel(0, 1), kGrey);
  thin.FrameRect({2, 2, 2, 3}, 7);  // empty
  EXPECT_EQ(thin.Pixel(2, 2), kGrey);
}

TEST(Bitmap32Test, BevelAlphasFollowTheContrast) {
  struct Case {
    int k;
    TColor32 top_left, bottom_right;
  } cases[] = {
      {35, WithAlpha(kWhite, 179), WithAlpha(kBlack, 89)},
      {5, WithAlpha(kWhite, 25), WithAlpha(kBlack, 12)},
      {17, WithAlpha(kWhite, 87), WithAlpha(kBlack, 43)},
      {-20, WithAlpha(kBlack, 51), WithAlpha(kWhite, 102)},
      {50, WithAlpha(kWhite, 255), WithAlpha(kBlack, 127)},
      {120, WithAlpha(kWhite, 255), WithAlpha(kBlack, 255)},
  };
  for (const Case& c : cases) {
    TBitmap32 b = Filled(6, 5, kGrey);
    b.BevelFrame({1, 1, 5, 4}, c.k);
    const TColor32 light = BlendPixel(kGrey, c.top_left), dark = BlendPixel(kGrey, c.bottom_right);
    SCOPED_TRACE(c.k);
    EXPECT_EQ(b.Pixel(1, 1), light);  // top row owns both top corners
    EXPECT_EQ(b.Pixel(4, 1), light);
    EXPECT_EQ(b.Pixel(1, 2), light);  // left column
    EXPECT_EQ(b.Pixel(1, 3), dark);   // bottom row owns both bottom corners
    EXPECT_EQ(b.Pixel(4, 3), dark);
    EXPECT_EQ(b.Pixel(4, 2), dark);  // right column
    EXPECT_EQ(b.Pixel(2, 2), kGrey);
    EXPECT_EQ(b.Pixel(0, 0), kGrey);
    EXPECT_EQ(b.Pixel(5, 4), kGrey);
  }
  TBitmap32 b = Filled(3, 3, kGrey);
  b.BevelFrame({0, 0, 3, 3}, 0);
  b.BevelFrame({1, 1, 1, 3}, 35);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(b.Bits()[i], kGrey);
}

TEST(Bitmap32Test, CellTransferHonoursMasterAlphaAndClips) {
  TBitmap32 source(4, 2);
  source.SetPixel(2, 0, 0xFFFF0000);                // opaque
  source.SetPixel(3, 0, WithAlpha(0x0000FF, 128));  // translucent
  source.SetPixel(2, 1, 0x0000FF00);                // alpha 0
  const Rect cell{2, 0, 4, 2};

  struct Case {
    int master;
    TColor32 opaque, translucent;
  } cases[] = {
      {255, 0xFFFF0000, MixColors(WithAlpha(0x0000FF, 128), kGrey, 128)},
      {102, MixColors(0xFFFF0000, kGrey, 102), MixColors(WithAlpha(0x0000FF, 128), kGrey, (129 * 102) >> 8)},
      {0, kGrey, kGrey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.master);
    source.SetMasterAlpha(uint8_t(c.master));
    TBitmap32 target = Filled(5, 5, kGrey);
    source.DrawCellTo(target, 1, 2, cell, target.BoundsRect());
    EXPECT_EQ(target.Pixel(1, 2), c.opaque);
    EXPECT_EQ(target.Pixel(2, 2), c.translucent);
    EXPECT_EQ(target.Pixel(1, 3), kGrey);  // alpha 0 leaves the pixel
    EXPECT_EQ(target.Pixel(0, 2), kGrey);
    EXPECT_EQ(target.Pixel(3, 2), kGrey);
  }

  source.SetMasterAlpha(255);
  TBitmap32 target = Filled(5, 5, kGrey);
  source.DrawCellTo(target, 1, 2, cell, {2, 0, 5, 5});  // clip cuts the first column
  EXPECT_EQ(target.Pixel(1, 2), kGrey);
  EXPECT_NE(target.Pixel(2, 2), kGrey);
  // A source reaching above the strip keeps its offset: strip pixel (2, 0) lands one row down.
  source.DrawCellTo(target, 0, 0, {1, -1, 3, 1}, target.BoundsRect());
  EXPECT_EQ(target.Pixel(1, 1), 0xFFFF0000u);
  EXPECT_EQ(target.Pixel(1, 0), kGrey);
  source.DrawCellTo(target, 0, 0, {2, 0, 4, 2}, {0, 0, 100, 100});  // clip larger than the target
  EXPECT_EQ(target.Pixel(0, 0), 0xFFFF0000u);
}

TEST(Bitmap32Test, DitherWithPinnedDrawsFollowsTheRamp) {
  // start 0, end 100 over 8 rows: row v sits at 12.5 * v.
  const TColor32 start = Color32(0, 0, 0, 255), end = Color32(100, 100, 100, 255);
  struct Case {
    int (*draw)(int);
    int expected[8];
  } cases[] = {
      // w = 0 raises every fraction: 0, 12.5 -> 12 (to even) + 1, 25, 37.5 -> 38 (to even), 50, ...
      {[](int) { return 0; }, {0, 13, 25, 38, 50, 63, 75, 88}},
      // w = 89/90 raises nothing below .989: halves go to the even neighbour.
      {[](int steps) { return steps - 1; }, {0, 12, 25, 38, 50, 62, 75, 88}},
  };
  for (const Case& c : cases) {
    PinnedDither pin(c.draw);
    TBitmap32 b = Filled(3, 10, kGrey);
    b.DitherGradient({1, 1, 3, 9}, start, end, 90);
    for (int v = 0; v < 8; ++v) {
      EXPECT_EQ(b.Pixel(1, 1 + v), Color32(c.expected[v], c.expected[v], c.expected[v])) << v;
      EXPECT_EQ(b.Pixel(2, 1 + v), b.Pixel(1, 1 + v));
    }
    EXPECT_EQ(b.Pixel(1, 0), kGrey);
    EXPECT_EQ(b.Pixel(1, 9), kGrey);
    EXPECT_EQ(b.Pixel(0, 4), kGrey);
  }
}

TEST(Bitmap32Test, DitherNeverReachesTheEndColour) {
  const TColor32 start = Color32(200, 40, 0), end = Color32(20, 240, 255);
  for (int (*draw)(int) : {+[](int) { return 0; }, +[](int s) { return s - 1; }}) {
    PinnedDither pin(draw);
    TBitmap32 b(4, 38);
    b.DitherGradient(b.BoundsRect(), start, end, 90);
    const TColor32 last = b.Pixel(0, 37);
    EXPECT_GT(RedOf(last), 20);
    EXPECT_LT(GreenOf(last), 240);
    EXPECT_LT(BlueOf(last), 255);
    EXPECT_EQ(b.Pixel(0, 0), 0xFFC82800u);
  }
}

TEST(Bitmap32Test, DitherIsRandomButBoundedWithTheClockGenerator) {
  TBitmap32 b(20, 20);
  b.DitherGradient(b.BoundsRect(), Color32(100, 100, 100), Color32(120, 120, 120), 90);
  for (int y = 0; y < 20; ++y) {
    const int n = RedOf(b.Pixel(0, y));
    EXPECT_GE(n, 100 + y - 1);  // 100 + y exactly on the ramp, possibly raised by one
    EXPECT_LE(n, 100 + y + 1);
  }
  b.DitherGradient({-5, -5, 30, 30}, 0xFF000000, 0xFFFFFFFF, 90);  // outside parts are skipped
}

TEST(Bitmap32Test, DitherWithAFixedSeedRepeatsItself) {
  SetDitherSeed(1234);
  TBitmap32 first(30, 30), second(30, 30);
  first.DitherGradient(first.BoundsRect(), Color32(0, 0, 0), Color32(10, 10, 10), 90);
  second.DitherGradient(second.BoundsRect(), Color32(0, 0, 0), Color32(10, 10, 10), 90);
  SetDitherSource({});
  int raised = 0;
  for (int i = 0; i < 900; ++i) {
    EXPECT_EQ(first.Bits()[i], second.Bits()[i]);
    raised += RedOf(first.Bits()[i]) != int(std::nearbyint(10.0 / 30 * (i / 30)));
  }
  EXPECT_GT(raised, 0);  // the draws really are random within a gradient
}

TEST(Bitmap32Test, DitherBlendsTranslucentRampsAlphaIncluded) {
  PinnedDither pin([](int) { return 0; });
  TBitmap32 b = Filled(1, 1, kGrey);
  b.DitherGradient({0, 0, 1, 1}, WithAlpha(0xFFFFFF, 30), WithAlpha(0, 30), 90);
  EXPECT_EQ(b.Pixel(0, 0), MixColors(WithAlpha(0xFFFFFF, 30), kGrey, 30));
}

TEST(Bitmap32Test, StoredPixelsRoundTripAndRejectMalformedData) {
  TBitmap32 b(2, 1);
  b.SetPixel(0, 0, 0x11223344);
  b.SetPixel(1, 0, 0xAABBCCDD);
  const std::vector<uint8_t> data = b.StoredPixels();
  const std::vector<uint8_t> expected = {2,    0,    0,    0,    1,    0,    0,    0,
                                         0x44, 0x33, 0x22, 0x11, 0xDD, 0xCC, 0xBB, 0xAA};
  EXPECT_EQ(data, expected);

  TBitmap32 loaded(7, 7);
  ASSERT_TRUE(loaded.LoadStoredPixels(data));
  EXPECT_EQ(loaded.Width(), 2);
  EXPECT_EQ(loaded.Height(), 1);
  EXPECT_EQ(loaded.Pixel(1, 0), 0xAABBCCDDu);

  std::vector<uint8_t> short_data(data.begin(), data.end() - 1);
  std::vector<uint8_t> negative = {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
  std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
  for (const auto& bad : {short_data, negative, huge, std::vector<uint8_t>{1, 2, 3}}) {
    EXPECT_FALSE(loaded.LoadStoredPixels(bad));
    EXPECT_EQ(loaded.Width(), 2);  // unchanged
  }
}

}  // namespace
}  // namespace orvimo
