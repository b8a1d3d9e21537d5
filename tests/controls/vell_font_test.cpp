#include "controls/vell_font.h"

#include <gtest/gtest.h>

#include "controls/vell_font_container.h"

namespace orvimo {
namespace {

constexpr TColor32 kPaper = 0xFF000000;
constexpr TColor32 kInk = 0xFFFFFFFF;

VellGlyph SolidGlyph(int width, int height, Nybble level, std::vector<int16_t> kern) {
  VellGlyph g;
  g.Width = width;
  g.KernTable = std::move(kern);
  g.Columns.assign(size_t(width), std::vector<Nybble>(size_t(height), level));
  return g;
}

// 'a' is 3 wide at full level, 'b' 2 wide at a half level, ' ' 2 wide and blank; 'a' before 'b'
// kerns by -1.
TVellFont SmallFont() {
  TVellFont f;
  f.Spacing = 1;
  f.LineHeight = 4;
  f.GlyphCount = 3;
  f.CharMap = "ab ";
  f.Glyphs = {SolidGlyph(3, 4, 15, {0, -1, 0}), SolidGlyph(2, 4, 8, {0, 0, 0}),
              SolidGlyph(2, 4, 0, {0, 0, 0})};
  f.Opacity = 255;
  f.LevelAlpha[8] = 128;
  f.LevelAlpha[15] = 255;
  return f;
}

// One glyph 'W' of the given width and height, fully inked.
TVellFont BlockFont(int width, int height) {
  TVellFont f;
  f.LineHeight = height;
  f.GlyphCount = 1;
  f.CharMap = "W";
  f.Glyphs = {SolidGlyph(width, height, 15, {0})};
  f.Opacity = 255;
  f.LevelAlpha[15] = 255;
  return f;
}

TBitmap32 Paper(int w, int h) {
  TBitmap32 b(w, h);
  b.Clear(kPaper);
  return b;
}

int InkedPixels(const TBitmap32& b) {
  int n = 0;
  for (int i = 0; i < b.Width() * b.Height(); ++i) n += b.Bits()[i] != kPaper;
  return n;
}

TEST(VellFontTest, KeepsOnlyCharactersOfTheMap) {
  const TVellFont f = SmallFont();
  EXPECT_EQ(f.KeepKnownChars("xa-b c!"), "ab ");
  EXPECT_EQ(f.GlyphIndex('b'), 1);
  EXPECT_EQ(f.GlyphIndex('z'), -1);
}

TEST(VellFontTest, MeasuresWidthWithSpacingAndKerning) {
  TVellFont f = SmallFont();
  struct Case {
    const char* text;
    int width, kerned;
  } cases[] = {{"", 0, 0},   {"zz", 0, 0},  {"a", 3, 3},  {"ab", 6, 5},
               {"ba", 6, 6}, {"a?b", 6, 5}, {"a b", 9, 9}};
  for (const Case& c : cases) {
    f.KerningOn = false;
    EXPECT_EQ(f.MeasureWidth(c.text), c.width) << c.text;
    f.KerningOn = true;
    EXPECT_EQ(f.MeasureWidth(c.text), c.kerned) << c.text;
  }
}

TEST(VellFontTest, MeasuresHeightByLineBreaks) {
  const TVellFont f = SmallFont();
  EXPECT_EQ(f.MeasureHeight("ab"), 4);
  EXPECT_EQ(f.MeasureHeight("a\rb\r"), 12);
  EXPECT_EQ(f.MeasureHeight("a\n\rb"), 8);  // LF CR is one break
  EXPECT_EQ(f.MeasureHeight("a\r\nb"), 8);  // CR LF is a CR and a stray LF
}

TEST(VellFontTest, WrapsAtTheWidth) {
  const TVellFont f = SmallFont();  // "aa" is 7 wide, "aa bb" 16
  EXPECT_EQ(f.WrapText("aa bb", 16), "aa bb");
  EXPECT_EQ(f.WrapText("aa bb", 15), "aa\rbb");
  EXPECT_EQ(f.WrapText("aa bb", 2), "\raa\rbb");  // a first word too wide gets an empty line before it
  EXPECT_EQ(f.WrapText("  a  ", 50), "a");
  EXPECT_EQ(f.WrapText("a\rb", 50), "ab");  // CR is not in the map: dropped with the break
  TVellFont with_cr = SmallFont();
  with_cr.CharMap = "ab\r";
  EXPECT_EQ(with_cr.WrapText("a\rb", 50), "a b");  // a known CR ends a word but breaks no line
}

TEST(VellFontTest, EmptyFontDropsEverything) {
  const TVellFont f;
  EXPECT_EQ(f.MeasureWidth("hello"), 0);
  EXPECT_EQ(f.WrapText("hello world", 10), "");
  TBitmap32 b = Paper(10, 10);
  f.PaintText(b, {0, 0, 10, 10}, "hello", kAlignCentre, kAlignCentre, kInk);
  EXPECT_EQ(InkedPixels(b), 0);
}

TEST(VellFontTest, PaintsGlyphLevelsWithOpacity) {
  TVellFont f = SmallFont();
  TBitmap32 b = Paper(8, 6);
  f.PaintLine(b, 1, 1, "ab", 0x12FF0000);  // the colour's own alpha is ignored
  EXPECT_EQ(b.Pixel(1, 1), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(3, 4), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(4, 1), kPaper);  // the spacing column
  EXPECT_EQ(b.Pixel(5, 1), BlendPixel(kPaper, WithAlpha(0xFF0000, 128)));
  EXPECT_EQ(b.Pixel(7, 1), kPaper);
  EXPECT_EQ(b.Pixel(1, 5), kPaper);

  f.Opacity = 200;  // every level loses 55
  TBitmap32 faded = Paper(8, 6);
  f.PaintGlyph(faded, 0, 0, 1, kInk);
  EXPECT_EQ(faded.Pixel(0, 0), BlendPixel(kPaper, WithAlpha(kInk, 73)));
  f.Opacity = 0;
  TBitmap32 none = Paper(8, 6);
  f.PaintLine(none, 0, 0, "ab", kInk);
  EXPECT_EQ(InkedPixels(none), 0);
}

TEST(VellFontTest, KerningMovesTheNextGlyph) {
  TVellFont f = SmallFont();
  f.KerningOn = true;
  TBitmap32 b = Paper(8, 4);
  f.PaintLine(b, 0, 0, "ab", kInk);
  EXPECT_NE(b.Pixel(3, 0), kPaper);  // 'b' starts at 3 + 1 - 1
  EXPECT_EQ(b.Pixel(5, 0), kPaper);
}

TEST(VellFontTest, PaintingStopsAtTheClipRectangle) {
  const TVellFont f = BlockFont(4, 4);
  TBitmap32 b = Paper(8, 8);
  b.SetClipRect({2, 2, 8, 8});
  f.PaintGlyph(b, 0, 0, 0, kInk);
  EXPECT_EQ(InkedPixels(b), 4);
  f.PaintGlyph(b, 0, 0, 1, kInk);   // beyond GlyphCount
  f.PaintGlyph(b, 0, 0, -1, kInk);  // no glyph
  EXPECT_EQ(InkedPixels(b), 4);
}

TEST(VellFontTest, AlignsTextInTheRectangle) {
  const TVellFont f = BlockFont(30, 8);
  struct Case {
    int align_h, align_v, x, y;
  } cases[] = {
      {kAlignCentre, kAlignCentre, 45, 26},  // 10 + 50 - 15, 20 + 10 - 4
      {kAlignStart, kAlignStart, 10, 20},
      {kAlignEnd, kAlignEnd, 80, 32},  // ends on rect.right and rect.bottom
      {5, 3, 15, 23},
  };
  for (const Case& c : cases) {
    TBitmap32 b = Paper(120, 50);
    f.PaintText(b, {10, 20, 110, 40}, "W", c.align_h, c.align_v, kInk);
    SCOPED_TRACE(c.align_h);
    EXPECT_EQ(b.Pixel(c.x, c.y), kInk);
    EXPECT_EQ(b.Pixel(c.x - 1, c.y), kPaper);
    EXPECT_EQ(b.Pixel(c.x, c.y - 1), kPaper);
    EXPECT_EQ(b.Pixel(c.x + 29, c.y + 7), kInk);
    EXPECT_EQ(InkedPixels(b), 30 * 8);
  }
}

TEST(VellFontTest, WrappedLinesStackAndAlignEachOnItsOwn) {
  TVellFont f = SmallFont();  // "aa" and "b" on two lines of a 10-wide rectangle
  f.LevelAlpha[8] = 255;
  TBitmap32 b = Paper(30, 30);
  f.PaintText(b, {0, 0, 10, 20}, "aa b", kAlignEnd, kAlignEnd, kInk);
  // "aa b" is 13 wide: wraps. Lines end on x = 10, the last line's bottom on y = 20.
  EXPECT_EQ(b.Pixel(3, 12), kInk);  // "aa" spans 3..9
  EXPECT_EQ(b.Pixel(2, 12), kPaper);
  EXPECT_EQ(b.Pixel(9, 15), kInk);
  EXPECT_EQ(b.Pixel(8, 16), kInk);  // "b" spans 8..9 on rows 16..19
  EXPECT_EQ(b.Pixel(9, 19), kInk);
  EXPECT_EQ(b.Pixel(7, 16), kPaper);
  EXPECT_EQ(InkedPixels(b), 6 * 4 + 2 * 4);
}

TEST(VellFontTest, InconsistentFontsNeverReadOutOfRange) {
  TVellFont f = SmallFont();
  f.KerningOn = true;
  f.GlyphCount = 6;  // more than there are glyphs
  f.CharMap = "ab cde";
  f.Glyphs[0].KernTable.clear();     // kern table too short
  f.Glyphs[1].Columns[1].resize(1);  // column shorter than the line
  f.Glyphs[1].Columns.resize(1);     // fewer columns than Width
  f.Glyphs[0].Columns[0][0] = 99;    // a level beyond the table
  EXPECT_EQ(f.MeasureWidth("abd"), 3 + 1 + 2 + 1);
  TBitmap32 b = Paper(20, 10);
  f.PaintText(b, {0, 0, 20, 10}, "abdca", kAlignStart, kAlignStart, kInk);
  EXPECT_EQ(b.Pixel(0, 0), kPaper);  // the bad level is skipped
  EXPECT_EQ(b.Pixel(0, 1), kInk);
  f.LineHeight = -3;
  EXPECT_NO_FATAL_FAILURE(f.PaintText(b, {0, 0, 20, 10}, "ab", kAlignCentre, kAlignCentre, kInk));
}

TEST(VellFontTest, ContainerOwnsItsFont) {
  TVellFontContainer container;
  container.BitmapFont().LineHeight = 7;
  const TVellFontContainer& view = container;
  EXPECT_EQ(view.BitmapFont().MeasureHeight("x"), 7);
}

}  // namespace
}  // namespace orvimo
