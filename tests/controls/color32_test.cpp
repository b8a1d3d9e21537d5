#include "controls/color32.h"

#include <gtest/gtest.h>

namespace orvimo {
namespace {

TEST(Color32Test, ToColor32SwapsRedAndBlueAndMakesOpaque) {
  struct Case {
    TColor in;
    TColor32 out;
  } cases[] = {
      {0x000000FF, 0xFFFF0000},                            // red
      {0x00800000, 0xFF000080},                            // navy
      {0x00FFBB1B, 0xFF1BBBFF}, {0x12345678, 0xFF785634},  // the top byte of an ordinary colour is dropped
      {clNone, 0xFFFFFFFF},                                // not a system colour: converts like any other
      {clBtnFace, 0xFFC0C0C0},                             // classic button face
      {0xFF0000FF, 0xFF000000},                            // an index past the table resolves to black
  };
  for (const Case& c : cases) EXPECT_EQ(ToColor32(c.in), c.out) << std::hex << c.in;
}

TEST(Color32Test, SystemColoursGoThroughTheInstalledTable) {
  SetSystemColorTable([](int index) -> TColor { return index == 15 ? 0x00332211 : 0x00000001; });
  EXPECT_EQ(ToColor32(clBtnFace), 0xFF112233u);
  EXPECT_EQ(ToColor32(0x80000008), 0xFF010000u);  // only the low byte picks the entry
  SetSystemColorTable(nullptr);
  EXPECT_EQ(ToColor32(clBtnFace), 0xFFC0C0C0u);
}

TEST(Color32Test, ShiftBrightnessClampsEachChannelAndKeepsAlpha) {
  const TColor32 grey = Color32(192, 192, 192, 77);
  EXPECT_EQ(ShiftBrightness(grey, 90), Color32(255, 255, 255, 77));
  EXPECT_EQ(ShiftBrightness(grey, -200), Color32(0, 0, 0, 77));
  EXPECT_EQ(ShiftBrightness(Color32(10, 128, 250), 12), Color32(22, 140, 255));
  EXPECT_EQ(ShiftBrightness(Color32(10, 128, 250), -15), Color32(0, 113, 235));
}

TEST(Color32Test, WithAlphaClampsTheAlpha) {
  EXPECT_EQ(WithAlpha(0x12345678, 30), 0x1E345678u);
  EXPECT_EQ(WithAlpha(0x12345678, -5), 0x00345678u);
  EXPECT_EQ(WithAlpha(0x12345678, 300), 0xFF345678u);
}

TEST(Color32Test, MixColorsWeighsEveryChannelIncludingAlpha) {
  const TColor32 x = Color32(200, 100, 0, 255), y = Color32(0, 50, 255, 0);
  EXPECT_EQ(MixColors(x, y, 0), y);
  const TColor32 nearly_x = MixColors(x, y, 255);
  EXPECT_NEAR(RedOf(nearly_x), 200, 1);
  EXPECT_NEAR(GreenOf(nearly_x), 100, 1);
  EXPECT_NEAR(BlueOf(nearly_x), 0, 1);
  EXPECT_NEAR(AlphaOf(nearly_x), 255, 1);
  // (200 * 160 + 0 * 96 + 128) >> 8 = 125, (100 * 160 + 50 * 96 + 128) >> 8 = 81, ...
  EXPECT_EQ(MixColors(x, y, 160), Color32(125, 81, 96, 159));
}

TEST(Color32Test, BlendPixelUsesTheColoursAlpha) {
  const TColor32 p = Color32(10, 20, 30, 40);
  EXPECT_EQ(BlendPixel(p, 0x00FFFFFF), p);
  EXPECT_EQ(BlendPixel(p, 0xFF123456), 0xFF123456u);
  const TColor32 c = Color32(255, 255, 255, 179);
  EXPECT_EQ(BlendPixel(p, c), MixColors(c, p, 179));
  EXPECT_EQ(RedOf(BlendPixel(Color32(192, 192, 192), c)), (255 * 179 + 192 * 77 + 128) >> 8);
}

}  // namespace
}  // namespace orvimo
