// A 32-bit off-screen bitmap and the drawing operations the custom controls are built from.
// Pixels are 0xAARRGGBB words, rows top to bottom with no padding: the same memory layout as
// QImage::Format_ARGB32, so a widget can show the bits without converting them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "controls/color32.h"

namespace orvimo {

struct Rect {
  int left, top, right, bottom;  // right and bottom exclusive
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return left >= right || top >= bottom; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const Rect&) const = default;
};

Rect Intersect(const Rect& a, const Rect& b);
Rect Inflate(const Rect& r, int by);  // negative shrinks

// Draws the dither's random number in 0..steps-1. The default reseeds a generator of its own from
// the clock at every gradient, so two paints may differ by a level; tests pin it.
using DitherDraw = std::function<int(int steps)>;
struct DitherSource {
  DitherDraw draw;               // used when set
  std::function<void()> reseed;  // called once per gradient before the first draw
};
void SetDitherSource(DitherSource source);  // an empty source restores the clock-seeded generator
void SetDitherSeed(uint32_t seed);          // fixed seed for every gradient (reproducible pictures)

class TBitmap32 {
 public:
  explicit TBitmap32(int width = 0, int height = 0);

  void SetSize(int width, int height);  // content is cleared to 0; the clip becomes the whole bitmap
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rect BoundsRect() const { return {0, 0, width_, height_}; }

  TColor32 Pixel(int x, int y) const;       // 0 outside the bitmap
  void SetPixel(int x, int y, TColor32 c);  // ignored outside the bitmap
  TColor32* Bits() { return pixels_.data(); }
  const TColor32* Bits() const { return pixels_.data(); }

  uint8_t MasterAlpha() const { return master_alpha_; }
  void SetMasterAlpha(uint8_t a) { master_alpha_ = a; }
  Rect ClipRect() const { return clip_; }
  void SetClipRect(const Rect& r) { clip_ = Intersect(r, BoundsRect()); }

  void Clear(TColor32 c);
  void FillRect(const Rect& r, TColor32 c);
  void FillRectPlain(const Rect& r, TColor32 c);
  void FrameRect(const Rect& r, TColor32 c);
  void BevelFrame(const Rect& r, int contrast);
  void DitherGradient(const Rect& r, TColor32 start, TColor32 end, int steps);
  void DrawCellTo(TBitmap32& target, int x, int y, const Rect& source, const Rect& clip) const;

  // The stored glyph block: 32-bit little-endian width and height, then BGRA pixels row by row.
  // Malformed data leaves the bitmap as it was and returns false.
  bool LoadStoredPixels(const std::vector<uint8_t>& data);
  std::vector<uint8_t> StoredPixels() const;

 private:
  void BlendAt(int x, int y, TColor32 c);  // blended, limited to the clip rectangle
  void WriteAt(int x, int y, TColor32 c);  // plain, limited to the clip rectangle
  void BlendRow(int y, int x1, int x2, TColor32 c);
  void BlendColumn(int x, int y1, int y2, TColor32 c);

  int width_ = 0;
  int height_ = 0;
  std::vector<TColor32> pixels_;
  uint8_t master_alpha_ = 255;
  Rect clip_{0, 0, 0, 0};
};

}  // namespace orvimo
