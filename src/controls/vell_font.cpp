#include "controls/vell_font.h"

#include <algorithm>

namespace orvimo {
namespace {

constexpr char kCR = '\r', kLF = '\n';

// LF CR pairs count as one line break; CR LF is left as it is.
std::string JoinLfCr(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kLF && i + 1 < text.size() && text[i + 1] == kCR) continue;
    result.push_back(text[i]);
  }
  return result;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Trim(const std::string& s) {
  size_t first = 0, last = s.size();
  while (first < last && IsBlank(s[first])) ++first;
  while (last > first && IsBlank(s[last - 1])) --last;
  return s.substr(first, last - first);
}

int AlignedStart(int align, int start, int end, int extent) {
  switch (align) {
    case kAlignEnd:
      return end - extent;
    case kAlignStart:
      return start;
    case kAlignCentre:
      return start + ((end - start) / 2 - extent / 2);
    default:
      return start + align;
  }
}

}  // namespace

int TVellFont::GlyphIndex(char c) const {
  const size_t at = CharMap.find(c);
  return at == std::string::npos ? -1 : int(at);
}

const VellGlyph* TVellFont::GlyphAt(int index) const {
  if (index < 0 || index >= GlyphCount || size_t(index) >= Glyphs.size()) return nullptr;
  return &Glyphs[size_t(index)];
}

int TVellFont::GlyphWidth(int index) const {
  const VellGlyph* glyph = GlyphAt(index);
  return glyph ? glyph->Width : 0;
}

int TVellFont::Advance(int previous, int next) const {
  int advance = GlyphWidth(previous) + Spacing;
  const VellGlyph* glyph = GlyphAt(previous);
  if (KerningOn && glyph && next >= 0 && size_t(next) < glyph->KernTable.size())
    advance += glyph->KernTable[size_t(next)];
  return advance;
}

std::string TVellFont::KeepKnownChars(const std::string& text) const {
  std::string kept;
  for (char c : text)
    if (GlyphIndex(c) >= 0) kept.push_back(c);
  return kept;
}

int TVellFont::MeasureHeight(const std::string& text) const {
  const std::string joined = JoinLfCr(text);
  return LineHeight * int(1 + std::count(joined.begin(), joined.end(), kCR));
}

int TVellFont::MeasureWidth(const std::string& text) const {
  const std::string kept = KeepKnownChars(text);
  if (kept.empty()) return 0;
  int width = 0;
  for (size_t i = 0; i + 1 < kept.size(); ++i) width += Advance(GlyphIndex(kept[i]), GlyphIndex(kept[i + 1]));
  return width + GlyphWidth(GlyphIndex(kept.back()));
}

std::string TVellFont::WrapText(const std::string& text, int maxWidth) const {
  const std::string t = JoinLfCr(KeepKnownChars(text)) + kCR;
  std::string result, line;
  size_t at = 0;
  while (at < t.size()) {
    const size_t separator = t.find_first_of(std::string(" ") + kCR, at);
    const size_t end = separator == std::string::npos ? t.size() : separator;
    const std::string word = t.substr(at, end - at);
    at = end + 1;
    // Words are joined by one blank; a blank the font lacks measures and draws as nothing.
    const std::string candidate = line.empty() ? word : line + ' ' + word;
    if (MeasureWidth(candidate) > maxWidth) {
      result += Trim(line) + kCR;
      line = word;
    } else {
      line = candidate;
    }
  }
  return result + Trim(line);
}

void TVellFont::PaintGlyph(TBitmap32& bitmap, int x, int y, int index, TColor32 colour) const {
  const VellGlyph* glyph = GlyphAt(index);
  if (!glyph) return;
  const Rect clip = bitmap.ClipRect();
  const size_t columns = std::min(glyph->Columns.size(), size_t(std::max(glyph->Width, 0)));
  for (size_t j = 0; j < columns; ++j) {
    const std::vector<Nybble>& column = glyph->Columns[j];
    const size_t rows = std::min(column.size(), size_t(std::max(LineHeight, 0)));
    for (size_t i = 0; i < rows; ++i) {
      const Nybble level = column[i];
      if (level == 0 || level >= LevelAlpha.size()) continue;
      const int64_t alpha = std::clamp<int64_t>(int64_t(LevelAlpha[level]) + Opacity - 255, 0, 255);
      const int px = x + int(j), py = y + int(i);
      if (!clip.Contains(px, py)) continue;
      bitmap.SetPixel(px, py, BlendPixel(bitmap.Pixel(px, py), WithAlpha(colour, int(alpha))));
    }
  }
}

void TVellFont::PaintLine(TBitmap32& bitmap, int x, int y, const std::string& line, TColor32 colour) const {
  int pen = x, previous = -1;
  for (char c : line) {
    const int glyph = GlyphIndex(c);
    if (glyph < 0) continue;  // a character the font lacks takes no room
    if (previous >= 0) pen += Advance(previous, glyph);
    PaintGlyph(bitmap, pen, y, glyph, colour);
    previous = glyph;
  }
}

void TVellFont::PaintText(TBitmap32& bitmap, const Rect& rect, const std::string& text, int alignH,
                          int alignV, TColor32 colour) const {
  const std::string wrapped = JoinLfCr(WrapText(text, rect.right - rect.left));
  int y = AlignedStart(alignV, rect.top, rect.bottom, MeasureHeight(wrapped));
  size_t start = 0;
  while (start <= wrapped.size()) {
    size_t end = wrapped.find(kCR, start);
    if (end == std::string::npos) end = wrapped.size();
    const std::string line = wrapped.substr(start, end - start);
    PaintLine(bitmap, AlignedStart(alignH, rect.left, rect.right, MeasureWidth(line)), y, line, colour);
    y += LineHeight;
    start = end + 1;
  }
}

}  // namespace orvimo
