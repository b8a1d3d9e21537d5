// A bitmap font of 16 grey levels: each level maps to an alpha, and the text colour is blended
// onto a TBitmap32 with it. Fonts may be filled inconsistently by whoever loads them, so every
// lookup tolerates short kern tables, short columns and glyph indices beyond the glyphs present.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/bitmap32.h"

namespace orvimo {

using Nybble = uint8_t;

struct VellGlyph {
  int32_t Width = 0;
  std::vector<int16_t> KernTable;            // advance added when the glyph with that index follows
  std::vector<std::vector<Nybble>> Columns;  // Width columns of LineHeight levels, top row first
};

// Alignment codes of PaintText, the same for both axes; any other value is an offset in pixels.
constexpr int kAlignCentre = -1, kAlignStart = -2, kAlignEnd = -3;

class TVellFont {
 public:
  uint8_t Spacing = 0;
  bool KerningOn = false;
  int32_t LineHeight = 0;
  int32_t GlyphCount = 0;
  std::string CharMap;
  std::vector<VellGlyph> Glyphs;
  int32_t Opacity = 0;
  std::array<uint8_t, 16> LevelAlpha{};

  int GlyphIndex(char c) const;  // position of the first occurrence in CharMap, -1 when absent
  std::string KeepKnownChars(const std::string& text) const;
  int MeasureHeight(const std::string& text) const;
  int MeasureWidth(const std::string& text) const;
  std::string WrapText(const std::string& text, int maxWidth) const;
  void PaintGlyph(TBitmap32& bitmap, int x, int y, int index, TColor32 colour) const;
  void PaintLine(TBitmap32& bitmap, int x, int y, const std::string& line, TColor32 colour) const;
  void PaintText(TBitmap32& bitmap, const Rect& rect, const std::string& text, int alignH, int alignV,
                 TColor32 colour) const;

 private:
  const VellGlyph* GlyphAt(int index) const;  // nullptr for an index with no glyph behind it
  int GlyphWidth(int index) const;
  int Advance(int previous, int next) const;  // pen movement from one glyph to the next
};

}  // namespace orvimo
