#include "controls/tambor_button_core.h"

#include <gtest/gtest.h>

#include "controls/record_glyph.h"

namespace orvimo {
namespace {

constexpr TColor32 kBackdrop = 0xFF336699;
constexpr TColor32 kFrame = 0xFF000000;
constexpr TColor32 kWhite = 0x00FFFFFF, kBlack = 0x00000000;

TColor32 Grey(int v) { return Color32(v, v, v); }
TColor32 Over(TColor32 p, TColor32 colour, int alpha) { return BlendPixel(p, WithAlpha(colour, alpha)); }

// Every dither draw is 0, so a ramp level with a fraction is always raised by one.
class ButtonPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDitherSource({[](int) { return 0; }, nullptr});
    SetSystemColorTable(nullptr);  // button face 192
    glyph_ = MakeRecordButtonGlyph();
    b_.SetSize(42, 40);
    b_.SetContrastGradient(15);
    b_.SetColorDown(12);
    b_.SetRounded(false);
    b_.SetGlyph(&glyph_);
    b_.SetNumGlyphs(2);
    b_.SetImageIndex_Hover(1);
    b_.SetImageIndex_Pressed(1);
  }
  void TearDown() override { SetDitherSource({}); }

  const TBitmap32& Paint() {
    buffer_.SetSize(42, 40);
    buffer_.Clear(kBackdrop);
    b_.Paint(buffer_, nullptr);
    return buffer_;
  }
  TColor32 GlyphPixel(int cell, int x, int y) const { return glyph_.Pixel(cell * 24 + x, y); }

  TBitmap32 glyph_;
  TamborButtonCore b_;
  TBitmap32 buffer_;
};

TEST_F(ButtonPaintTest, AtRest) {
  const TBitmap32& p = Paint();
  for (auto [x, y] : {std::pair{0, 0}, {41, 0}, {0, 39}, {41, 39}, {20, 0}, {0, 20}, {41, 20}, {20, 39}})
    EXPECT_EQ(p.Pixel(x, y), kFrame) << x << "," << y;
  // Face (1, 1, 41, 39) ramps from 207 down over 38 rows; the outer bevel lies on it.
  EXPECT_EQ(p.Pixel(1, 1), Over(Grey(207), kWhite, 179));
  EXPECT_EQ(p.Pixel(20, 1), Over(Grey(207), kWhite, 179));
  EXPECT_EQ(p.Pixel(1, 20), Over(Grey(192), kWhite, 179));  // row 20 sits at 207 - 15
  EXPECT_EQ(p.Pixel(20, 38), Over(Grey(178), kBlack, 89));  // 177.79 rounds to 178
  EXPECT_EQ(p.Pixel(40, 20), Over(Grey(192), kBlack, 89));
  // Inner bevel on (2, 2, 40, 38).
  EXPECT_EQ(p.Pixel(20, 2), Over(Grey(207), kWhite, 25));  // 206.21 raised by the draw
  EXPECT_EQ(p.Pixel(2, 20), Over(Grey(192), kWhite, 25));
  EXPECT_EQ(p.Pixel(20, 37), Over(Grey(179), kBlack, 12));
  EXPECT_EQ(p.Pixel(39, 20), Over(Grey(192), kBlack, 12));
  EXPECT_EQ(p.Pixel(3, 3), Grey(206));
  // The red cell lands at (9, 8).
  EXPECT_EQ(p.Pixel(9 + 11, 8 + 12), GlyphPixel(0, 11, 12));
  EXPECT_EQ(p.Pixel(9 + 0, 8 + 12), BlendPixel(Grey(192), GlyphPixel(0, 0, 12)));
  EXPECT_EQ(p.Pixel(9, 8), Grey(202));  // transparent corner of the cell
  EXPECT_EQ(p.Pixel(8, 20), Grey(192));
  EXPECT_EQ(p.Pixel(33, 20), Grey(192));
}

TEST_F(ButtonPaintTest, HoveredBrightensAndShowsTheGreenCell) {
  b_.MouseEnter();
  const TBitmap32& p = Paint();
  EXPECT_EQ(p.Pixel(20, 1), Over(Grey(232), kWhite, 179));  // 192 + 25 + 15
  EXPECT_EQ(p.Pixel(3, 20), Grey(217));
  EXPECT_EQ(p.Pixel(9 + 11, 8 + 12), GlyphPixel(1, 11, 12));
  EXPECT_EQ(p.Pixel(0, 0), kFrame);
}

TEST_F(ButtonPaintTest, PressedShiftsEverythingOnePixel) {
  b_.MouseEnter();
  b_.MouseDown(MouseButton::kLeft);
  const TBitmap32& p = Paint();
  EXPECT_EQ(p.Pixel(0, 0), kBackdrop);
  EXPECT_EQ(p.Pixel(20, 0), kBackdrop);
  EXPECT_EQ(p.Pixel(0, 20), kBackdrop);
  EXPECT_EQ(p.Pixel(1, 1), kFrame);
  EXPECT_EQ(p.Pixel(41, 39), kFrame);
  EXPECT_EQ(p.Pixel(1, 20), kFrame);
  // Face (2, 2, 41, 39): down colour 204, filled at 189, ramped from 204 over 37 rows.
  EXPECT_EQ(p.Pixel(20, 2), Over(Grey(204), kWhite, 179));
  EXPECT_EQ(p.Pixel(2, 20), Over(Grey(190), kWhite, 179));  // 189.41 raised
  EXPECT_EQ(p.Pixel(20, 38), Over(Grey(175), kBlack, 89));  // 174.81
  EXPECT_EQ(p.Pixel(10 + 11, 9 + 12), GlyphPixel(1, 11, 12));
  EXPECT_EQ(p.Pixel(10, 9), p.Pixel(9, 9));  // transparent cell corner over the face
}

TEST_F(ButtonPaintTest, ToggledDownLooksPressedUntilHovered) {
  b_.SetToggle(true);
  b_.SetDown(true);
  const TBitmap32 resting = Paint();
  EXPECT_EQ(resting.Pixel(0, 0), kBackdrop);
  EXPECT_EQ(resting.Pixel(20, 2), Over(Grey(204), kWhite, 179));
  EXPECT_EQ(resting.Pixel(10 + 11, 9 + 12), GlyphPixel(0, 11, 12));

  b_.MouseEnter();  // hovered, not pressed: the hover colour, still shifted
  const TBitmap32& hovered = Paint();
  EXPECT_EQ(hovered.Pixel(0, 0), kBackdrop);
  EXPECT_EQ(hovered.Pixel(1, 1), kFrame);
  EXPECT_EQ(hovered.Pixel(20, 2), Over(Grey(232), kWhite, 179));
  EXPECT_EQ(hovered.Pixel(10 + 11, 9 + 12), GlyphPixel(1, 11, 12));
}

TEST_F(ButtonPaintTest, DisabledIsTranslucentWithHalvedBevelsAndFadedGlyph) {
  b_.SetEnabled(false);
  const TBitmap32& p = Paint();
  const auto face = [](int level) {
    const TColor32 fill = Over(kBackdrop, Grey(192), 30);
    return Over(fill, Grey(level), 30);
  };
  EXPECT_EQ(p.Pixel(0, 0), kFrame);
  EXPECT_EQ(p.Pixel(20, 1), Over(face(207), kWhite, 87));
  EXPECT_EQ(p.Pixel(20, 38), Over(face(178), kBlack, 43));
  EXPECT_EQ(p.Pixel(20, 2), Over(face(207), kWhite, 10));
  EXPECT_EQ(p.Pixel(20, 37), Over(face(179), kBlack, 5));
  EXPECT_EQ(p.Pixel(9 + 11, 8 + 12), MixColors(GlyphPixel(0, 11, 12), face(192), 102));
  EXPECT_EQ(glyph_.MasterAlpha(), 255);
  EXPECT_EQ(b_.Glyph().MasterAlpha(), 255);  // given back after the transfer
}

TEST_F(ButtonPaintTest, DisabledHalvesNegativeContrastsTowardZero) {
  b_.SetContrastOuterBorder(-35);
  b_.SetContrastInnerBorder(-5);
  b_.SetEnabled(false);
  const TBitmap32& p = Paint();
  const TColor32 top = Over(Over(kBackdrop, Grey(192), 30), Grey(207), 30);
  EXPECT_EQ(p.Pixel(20, 1), Over(top, kBlack, 43));  // -17: black at 17 * 255 / 100
}

TEST_F(ButtonPaintTest, WithoutBorderTheFaceFillsTheButtonAndCornersStayUntinted) {
  b_.SetBorderColor(clNone);
  b_.SetRounded(true);
  const TBitmap32& p = Paint();
  EXPECT_EQ(p.Pixel(0, 0), Over(Grey(207), kWhite, 179));
  EXPECT_EQ(p.Pixel(20, 0), p.Pixel(0, 0));
  EXPECT_EQ(p.Pixel(0, 39), Over(Grey(178), kBlack, 89));  // 177.75 over 40 rows
  EXPECT_EQ(p.Pixel(41, 39), p.Pixel(0, 39));
}

TEST_F(ButtonPaintTest, RoundedBorderSoftensBothCornerRings) {
  b_.SetRounded(true);
  const TBitmap32& p = Paint();
  EXPECT_EQ(p.Pixel(0, 0), MixColors(kBackdrop, kFrame, 160));
  EXPECT_EQ(p.Pixel(41, 39), MixColors(kBackdrop, kFrame, 160));
  EXPECT_EQ(p.Pixel(1, 0), kFrame);
  EXPECT_EQ(p.Pixel(1, 1), Over(Over(Grey(207), kWhite, 179), kBlack, 85));
  EXPECT_EQ(p.Pixel(40, 38), Over(Over(Grey(178), kBlack, 89), kBlack, 85));
  EXPECT_EQ(p.Pixel(2, 1), Over(Grey(207), kWhite, 179));
}

TEST_F(ButtonPaintTest, SunkenBevelKeepsTheBackdropCorners) {
  b_.SetSunken(true);
  const TBitmap32& p = Paint();
  EXPECT_EQ(p.Pixel(0, 0), kBackdrop);
  EXPECT_EQ(p.Pixel(41, 39), kBackdrop);
  EXPECT_EQ(p.Pixel(20, 0), Over(kBackdrop, kBlack, 51));
  EXPECT_EQ(p.Pixel(0, 20), Over(kBackdrop, kBlack, 51));
  EXPECT_EQ(p.Pixel(20, 39), Over(kBackdrop, kWhite, 102));
  EXPECT_EQ(p.Pixel(41, 20), Over(kBackdrop, kWhite, 102));
  EXPECT_EQ(p.Pixel(1, 1), kFrame);
  EXPECT_EQ(p.Pixel(20, 40 - 2), kFrame);

  b_.SetEnabled(false);  // no sunken bevel, but its inset stays
  const TBitmap32& disabled = Paint();
  EXPECT_EQ(disabled.Pixel(20, 0), kBackdrop);
  EXPECT_EQ(disabled.Pixel(1, 1), kFrame);
}

TEST_F(ButtonPaintTest, SunkenGradientIsDarkestAtTheSplit) {
  b_.SetGradient(gsSunken);
  b_.SetImageIndex_Normal(-1);
  const TBitmap32& p = Paint();
  // Face rows 1..38: the split lies at 1 + round(38 / 2.8) = 15.
  EXPECT_EQ(p.Pixel(20, 15), Grey(177));
  EXPECT_EQ(p.Pixel(20, 14), Grey(179));  // 197 - 20 * 13 / 14 = 178.43, raised
  EXPECT_EQ(p.Pixel(20, 16), Grey(178));  // 177 + 22 / 24 = 177.92 rounds up
}

TEST_F(ButtonPaintTest, FlatFaceIsThePlainColour) {
  b_.SetGradient(gsFlat);
  const TBitmap32& p = Paint();
  EXPECT_EQ(p.Pixel(5, 5), Grey(192));
  EXPECT_EQ(p.Pixel(5, 30), Grey(192));
}

TEST_F(ButtonPaintTest, CellsOutsideTheStripOrANegativeNormalIndexDrawNoGlyph) {
  b_.SetImageIndex_Normal(-1);
  const TBitmap32 none = Paint();
  EXPECT_EQ(none.Pixel(20, 20), Grey(192));
  b_.MouseEnter();  // even with hover and pressed indices set
  b_.MouseDown(MouseButton::kLeft);
  EXPECT_EQ(Paint().Pixel(21, 21), Paint().Pixel(5, 21));

  b_.SetImageIndex_Normal(0);
  b_.MouseUp(MouseButton::kLeft);
  b_.SetImageIndex_Hover(5);
  b_.MouseLeave();
  b_.MouseEnter();
  EXPECT_EQ(b_.CurrentImage(), 5);
  EXPECT_EQ(Paint().Pixel(20, 20), Grey(217));
}

TEST_F(ButtonPaintTest, TooSmallButtonsDrawOnlyWhatFits) {
  b_.SetImageIndex_Normal(-1);  // a glyph would still land, clipped, on the content
  for (auto [w, h] : {std::pair{0, 0}, {1, 1}, {2, 2}, {3, 40}}) {
    b_.SetSize(w, h);
    buffer_.SetSize(w, h);
    buffer_.Clear(kBackdrop);
    b_.Paint(buffer_, nullptr);
    if (w == 2) {
      EXPECT_EQ(buffer_.Pixel(0, 0), kFrame);
      EXPECT_EQ(buffer_.Pixel(1, 1), kFrame);
    }
  }
}

class RecordingCaptions : public CaptionPainter {
 public:
  TextSize MeasureCaption(const std::string&) override { return {20, 13}; }
  void DrawCaption(TBitmap32&, int x, int y, const std::string& text, TColor32 colour) override {
    calls.push_back({x, y, text, colour});
  }
  struct Call {
    int x, y;
    std::string text;
    TColor32 colour;
  };
  std::vector<Call> calls;
};

TEST_F(ButtonPaintTest, SystemFontCaptionIsCentredAndFollowsTheDownLook) {
  RecordingCaptions captions;
  buffer_.SetSize(42, 40);
  b_.Paint(buffer_, &captions);
  EXPECT_TRUE(captions.calls.empty());  // no caption, no text

  b_.SetCaption("Rec");
  b_.SetFontColor(0x000000FF);
  b_.SetOffsetX(2);
  b_.SetOffsetY(-1);
  b_.Paint(buffer_, &captions);
  b_.MouseEnter();
  b_.MouseDown(MouseButton::kLeft);
  b_.Paint(buffer_, &captions);
  ASSERT_EQ(captions.calls.size(), 2u);
  EXPECT_EQ(captions.calls[0].x, 21 - 10 + 2);
  EXPECT_EQ(captions.calls[0].y, 20 - 6 - 1 - 1);
  EXPECT_EQ(captions.calls[0].text, "Rec");
  EXPECT_EQ(captions.calls[0].colour, 0xFFFF0000u);
  EXPECT_EQ(captions.calls[1].x, captions.calls[0].x + 1);
  EXPECT_EQ(captions.calls[1].y, captions.calls[0].y + 1);
}

TEST_F(ButtonPaintTest, BitmapFontCaptionIsCentredOnTheFace) {
  TVellFontContainer container;
  TVellFont& font = container.BitmapFont();
  font.LineHeight = 4;
  font.GlyphCount = 1;
  font.CharMap = "W";
  font.Glyphs = {VellGlyph{4, {0}, std::vector<std::vector<Nybble>>(4, std::vector<Nybble>(4, 15))}};
  font.Opacity = 255;
  font.LevelAlpha[15] = 255;
  b_.SetVellFont(&container);
  b_.SetCaption("W");
  b_.SetFontColor(0x000000FF);
  const TBitmap32& p = Paint();
  // Text rectangle (2, 2, 42, 40): x = 2 + 20 - 2, y = 2 + 19 - 2.
  EXPECT_EQ(p.Pixel(20, 19), 0xFFFF0000u);
  EXPECT_EQ(p.Pixel(23, 22), 0xFFFF0000u);
  EXPECT_NE(p.Pixel(19, 19), 0xFFFF0000u);
  EXPECT_NE(p.Pixel(20, 18), 0xFFFF0000u);
  b_.SetVellFont(nullptr);
}

TEST(TamborButtonCoreTest, StartsWithTheDesignDefaults) {
  const TamborButtonCore b;
  EXPECT_EQ(b.BorderColor(), clBlack);
  EXPECT_EQ(b.ContrastGradient(), 15);
  EXPECT_EQ(b.ContrastOuterBorder(), 35);
  EXPECT_EQ(b.ContrastInnerBorder(), 5);
  EXPECT_EQ(b.ContrastSunkenBorder(), -20);
  EXPECT_EQ(b.Color(), clBtnFace);
  EXPECT_EQ(b.ColorDown(), -15);
  EXPECT_EQ(b.ColorHover(), 25);
  EXPECT_EQ(b.Gradient(), gsRaised);
  EXPECT_EQ(b.ImageIndex_Hover(), -1);
  EXPECT_EQ(b.ImageIndex_Pressed(), -1);
  EXPECT_EQ(b.NumGlyphs(), 1);
  EXPECT_TRUE(b.Rounded());
  EXPECT_TRUE(b.Enabled());
  EXPECT_EQ(b.Width(), 32);
  EXPECT_EQ(b.CellWidth(), 0);
}

TEST(TamborButtonCoreTest, CellWidthFollowsGlyphNumGlyphsAndSize) {
  TamborButtonCore b;
  TBitmap32 strip(50, 10);
  b.SetGlyph(&strip);
  EXPECT_EQ(b.CellWidth(), 50);
  b.SetNumGlyphs(3);
  EXPECT_EQ(b.CellWidth(), 16);  // the last two columns are never shown
  for (int bad : {0, -4}) {
    b.SetNumGlyphs(bad);
    EXPECT_EQ(b.NumGlyphs(), 1);
  }
  b.Glyph().SetSize(30, 10);  // loaded straight into the strip
  b.SetSize(40, 40);
  EXPECT_EQ(b.CellWidth(), 30);
  b.SetGlyph(nullptr);  // copies nothing
  EXPECT_EQ(b.Glyph().Width(), 30);
}

TEST(TamborButtonCoreTest, SettersRepaintAndCaptionOnlyWhenItChanges) {
  TamborButtonCore b;
  int repaints = 0;
  b.SetChangeHandler([&] { ++repaints; });
  b.SetColorHover(25);
  EXPECT_EQ(repaints, 1);  // no test for an unchanged value
  b.SetCaption("A");
  b.SetCaption("A");
  EXPECT_EQ(repaints, 2);
  b.SetDown(true);  // not a toggle: ignored
  EXPECT_FALSE(b.Down());
  b.SetToggle(true);
  b.SetDown(true);
  EXPECT_TRUE(b.Down());
  b.SetToggle(false);
  EXPECT_FALSE(b.Down());
}

TEST(TamborButtonCoreTest, ImageIndicesFollowTheMouse) {
  TamborButtonCore b;
  b.SetImageIndex_Normal(2);
  EXPECT_EQ(b.CurrentImage(), 2);
  b.MouseEnter();
  EXPECT_EQ(b.CurrentImage(), 2);  // no hover index: the normal cell
  b.MouseDown(MouseButton::kLeft);
  EXPECT_EQ(b.CurrentImage(), 2);  // no pressed index: the cell shown before the press
  b.SetImageIndex_Normal(4);
  EXPECT_EQ(b.CurrentImage(), 2);  // hovered: the new resting cell waits for the leave
  b.MouseLeave();
  EXPECT_EQ(b.CurrentImage(), 4);
  b.MouseUp(MouseButton::kLeft);
  b.SetImageIndex_Hover(7);
  b.MouseEnter();
  EXPECT_EQ(b.CurrentImage(), 7);
  TBitmap32 strip(8, 8);
  b.SetGlyph(&strip);
  EXPECT_EQ(b.CurrentImage(), 0);
}

struct MouseCase {
  const char* events;  // E enter, L leave, D/U left down/up, R/r right down/up
  int clicks;
  bool down, hovered, pressed;
  int image;
};

class MouseSequenceTest : public ::testing::TestWithParam<MouseCase> {};

TEST_P(MouseSequenceTest, EndsInTheExpectedState) {
  const MouseCase& c = GetParam();
  TamborButtonCore b;
  b.SetToggle(true);
  b.SetImageIndex_Hover(1);
  b.SetImageIndex_Pressed(2);
  int clicks = 0;
  for (const char* e = c.events; *e; ++e) {
    switch (*e) {
      case 'E':
        b.MouseEnter();
        break;
      case 'L':
        b.MouseLeave();
        break;
      case 'D':
        b.MouseDown(MouseButton::kLeft);
        break;
      case 'R':
        b.MouseDown(MouseButton::kRight);
        break;
      case 'U':
      case 'r': {
        const MouseButton button = *e == 'U' ? MouseButton::kLeft : MouseButton::kRight;
        if (b.ReleaseClicks(button)) {
          ++clicks;
          EXPECT_TRUE(b.Pressed());  // the click sees the state from before the release
        }
        b.MouseUp(button);
        break;
      }
    }
  }
  EXPECT_EQ(clicks, c.clicks);
  EXPECT_EQ(b.Down(), c.down);
  EXPECT_EQ(b.Hovered(), c.hovered);
  EXPECT_EQ(b.Pressed(), c.pressed);
  EXPECT_EQ(b.CurrentImage(), c.image);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, MouseSequenceTest,
    ::testing::Values(MouseCase{"EDU", 1, true, true, false, 1},     // click toggles, hover cell
                      MouseCase{"EDUDU", 2, false, true, false, 1},  // twice toggles back
                      MouseCase{"ED", 0, false, true, true, 2},      // pressed cell
                      MouseCase{"EDL", 0, false, false, true, 0},    // dragged out: normal cell
                      MouseCase{"EDLE", 0, false, true, true, 2},    // back in: pressed cell again
                      MouseCase{"EDLU", 0, false, false, false, 0},  // released outside: nothing
                      MouseCase{"EDLEU", 1, true, true, false, 1},
                      MouseCase{"ERr", 0, true, true, false, 1},  // right release toggles, no click
                      MouseCase{"EU", 0, false, true, false, 0},  // release without a press
                      MouseCase{"D", 0, false, true, true, 2}));  // a press also sets Hovered

}  // namespace
}  // namespace orvimo
