#include "controls/bitmap32.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <random>
#include <utility>

namespace orvimo {
namespace {

// The process-wide generator of the dither; nothing else draws from it.
struct DitherState {
  DitherSource source;
  std::optional<uint32_t> fixed_seed;
  std::minstd_rand generator;
};

DitherState& Dither() {
  static DitherState state;
  return state;
}

void ReseedDither() {
  DitherState& state = Dither();
  if (state.source.reseed) state.source.reseed();
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  state.generator.seed(state.fixed_seed ? *state.fixed_seed : uint32_t(now) ^ uint32_t(uint64_t(now) >> 32));
}

int DrawDither(int steps) {
  DitherState& state = Dither();
  if (state.source.draw) return std::clamp(state.source.draw(steps), 0, steps - 1);
  return int(state.generator() % uint32_t(steps));
}

int ClampLevel(int v) { return std::clamp(v, 0, 255); }

uint32_t ReadLe32(const std::vector<uint8_t>& data, size_t at) {
  return uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 |
         uint32_t(data[at + 3]) << 24;
}

void WriteLe32(std::vector<uint8_t>& data, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) data.push_back(uint8_t(v >> shift));
}

// Alpha of a bevel line: contrast k in percent of the given full scale, clamped to a level.
int BevelAlpha(int64_t k, int scale) { return int(std::clamp<int64_t>(k * scale / 100, 0, 255)); }

}  // namespace

void SetDitherSource(DitherSource source) {
  Dither().source = std::move(source);
  Dither().fixed_seed.reset();
}

void SetDitherSeed(uint32_t seed) { Dither().fixed_seed = seed; }

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.IsEmpty()) return {0, 0, 0, 0};
  return r;
}

Rect Inflate(const Rect& r, int by) { return {r.left - by, r.top - by, r.right + by, r.bottom + by}; }

TBitmap32::TBitmap32(int width, int height) { SetSize(width, height); }

void TBitmap32::SetSize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(size_t(width_) * size_t(height_), 0);
  clip_ = BoundsRect();
}

TColor32 TBitmap32::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

void TBitmap32::SetPixel(int x, int y, TColor32 c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[size_t(y) * size_t(width_) + size_t(x)] = c;
}

void TBitmap32::BlendAt(int x, int y, TColor32 c) {
  if (!clip_.Contains(x, y)) return;
  TColor32& p = pixels_[size_t(y) * size_t(width_) + size_t(x)];
  p = BlendPixel(p, c);
}

void TBitmap32::WriteAt(int x, int y, TColor32 c) {
  if (!clip_.Contains(x, y)) return;
  pixels_[size_t(y) * size_t(width_) + size_t(x)] = c;
}

void TBitmap32::BlendRow(int y, int x1, int x2, TColor32 c) {
  for (int x = x1; x < x2; ++x) BlendAt(x, y, c);
}

void TBitmap32::BlendColumn(int x, int y1, int y2, TColor32 c) {
  for (int y = y1; y < y2; ++y) BlendAt(x, y, c);
}

void TBitmap32::Clear(TColor32 c) { std::fill(pixels_.begin(), pixels_.end(), c); }

void TBitmap32::FillRect(const Rect& r, TColor32 c) {
  if (AlphaOf(c) == 255) return FillRectPlain(r, c);
  const Rect area = Intersect(r, clip_);
  for (int y = area.top; y < area.bottom; ++y) BlendRow(y, area.left, area.right, c);
}

void TBitmap32::FillRectPlain(const Rect& r, TColor32 c) {
  const Rect area = Intersect(r, clip_);
  for (int y = area.top; y < area.bottom; ++y) {
    TColor32* row = pixels_.data() + size_t(y) * size_t(width_);
    std::fill(row + area.left, row + area.right, c);
  }
}

void TBitmap32::FrameRect(const Rect& r, TColor32 c) {
  if (r.IsEmpty()) return;
  for (int x = r.left; x < r.right; ++x) WriteAt(x, r.top, c);
  if (r.top < r.bottom - 1)
    for (int x = r.left; x < r.right; ++x) WriteAt(x, r.bottom - 1, c);
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    WriteAt(r.left, y, c);
    if (r.left < r.right - 1) WriteAt(r.right - 1, y, c);
  }
}

void TBitmap32::BevelFrame(const Rect& r, int contrast) {
  if (r.IsEmpty() || contrast == 0) return;
  const TColor32 white = 0x00FFFFFF, black = 0x00000000;
  TColor32 light, dark;
  if (contrast > 0) {
    light = WithAlpha(white, BevelAlpha(contrast, 512));
    dark = WithAlpha(black, BevelAlpha(contrast, 255));
  } else {
    const int64_t m = -int64_t(contrast);
    light = WithAlpha(black, BevelAlpha(m, 255));
    dark = WithAlpha(white, BevelAlpha(m, 512));
  }
  BlendRow(r.top, r.left, r.right, light);
  BlendColumn(r.left, r.top + 1, r.bottom - 1, light);
  BlendRow(r.bottom - 1, r.left, r.right, dark);
  BlendColumn(r.right - 1, r.top + 1, r.bottom - 1, dark);
}

void TBitmap32::DitherGradient(const Rect& r, TColor32 start, TColor32 end, int steps) {
  ReseedDither();
  // Callers pass rectangles inside the bitmap; anything outside is skipped rather than trusted.
  const Rect area = Intersect(r, BoundsRect());
  if (area.IsEmpty()) return;
  steps = std::max(steps, 1);
  const double height = double(r.Height());
  for (int x = area.left; x < area.right; ++x) {
    for (int y = area.top; y < area.bottom; ++y) {
      const double v = double(y - r.top);
      const double w = double(DrawDither(steps)) / double(steps);
      TColor32 colour = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        const double from = double((start >> shift) & 0xFF), to = double((end >> shift) & 0xFF);
        const double value = from + (to - from) / height * v;
        int n = int(std::nearbyint(value));
        if (w < value - n) ++n;
        colour |= TColor32(ClampLevel(n)) << shift;
      }
      TColor32& p = pixels_[size_t(y) * size_t(width_) + size_t(x)];
      p = BlendPixel(p, colour);
    }
  }
}

void TBitmap32::DrawCellTo(TBitmap32& target, int x, int y, const Rect& source, const Rect& clip) const {
  const int m = master_alpha_;
  if (m == 0) return;
  const Rect from = Intersect(source, BoundsRect());
  const Rect to = Intersect(clip, target.BoundsRect());
  for (int sy = from.top; sy < from.bottom; ++sy) {
    const int dy = y + (sy - source.top);
    for (int sx = from.left; sx < from.right; ++sx) {
      const int dx = x + (sx - source.left);
      if (!to.Contains(dx, dy)) continue;
      const TColor32 s = Pixel(sx, sy);
      TColor32& d = target.pixels_[size_t(dy) * size_t(target.width_) + size_t(dx)];
      if (m == 255) {
        d = BlendPixel(d, s);
        continue;
      }
      const int a = AlphaOf(s);
      const int w = ((a + 1) * m) >> 8;
      if (a != 0 && w != 0) d = MixColors(s, d, w);
    }
  }
}

bool TBitmap32::LoadStoredPixels(const std::vector<uint8_t>& data) {
  if (data.size() < 8) return false;
  const int32_t width = int32_t(ReadLe32(data, 0)), height = int32_t(ReadLe32(data, 4));
  if (width < 0 || height < 0) return false;
  const uint64_t count = uint64_t(width) * uint64_t(height);
  if (data.size() - 8 != count * 4) return false;
  SetSize(width, height);
  for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = ReadLe32(data, 8 + i * 4);
  return true;
}

std::vector<uint8_t> TBitmap32::StoredPixels() const {
  std::vector<uint8_t> data;
  data.reserve(8 + pixels_.size() * 4);
  WriteLe32(data, uint32_t(width_));
  WriteLe32(data, uint32_t(height_));
  for (TColor32 p : pixels_) WriteLe32(data, p);
  return data;
}

}  // namespace orvimo
