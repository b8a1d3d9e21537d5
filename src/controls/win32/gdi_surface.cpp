#include "controls/win32/gdi_surface.h"

#include <algorithm>

namespace orvimo::win32 {
namespace {

constexpr TColor32 kOpaque = 0xFF000000;

BITMAPINFO TopDownInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// Runs copy(from, to) for each pixel of the overlapping area of two pixel blocks.
template <typename Copy>
void CopyPixels(const TColor32* from, int fromWidth, TColor32* to, int toWidth, SIZE area, Copy copy) {
  for (int y = 0; y < area.cy; ++y) {
    for (int x = 0; x < area.cx; ++x) copy(from[y * fromWidth + x], to[y * toWidth + x]);
  }
}

}  // namespace

void PresentBuffer(HDC target, int x, int y, const TBitmap32& buffer) {
  if (buffer.Width() == 0 || buffer.Height() == 0) return;
  const BITMAPINFO info = TopDownInfo(buffer.Width(), buffer.Height());
  SetDIBitsToDevice(target, x, y, buffer.Width(), buffer.Height(), 0, 0, 0, buffer.Height(), buffer.Bits(),
                    &info, DIB_RGB_COLORS);
}

void PresentBufferStretched(HDC target, const RECT& place, const TBitmap32& buffer) {
  if (buffer.Width() == 0 || buffer.Height() == 0) return;
  const BITMAPINFO info = TopDownInfo(buffer.Width(), buffer.Height());
  const int previous = SetStretchBltMode(target, COLORONCOLOR);
  StretchDIBits(target, place.left, place.top, place.right - place.left, place.bottom - place.top, 0, 0,
                buffer.Width(), buffer.Height(), buffer.Bits(), &info, DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(target, previous);
}

GdiSurface::GdiSurface(int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) return;
  const BITMAPINFO info = TopDownInfo(width, height);
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  dc_ = CreateCompatibleDC(nullptr);
  if (bitmap_ == nullptr || dc_ == nullptr) return;
  previous_ = SelectObject(dc_, bitmap_);
  bits_ = static_cast<TColor32*>(bits);
}

GdiSurface::~GdiSurface() {
  if (dc_ != nullptr) {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

void GdiSurface::Load(const TBitmap32& buffer) {
  if (!Valid()) return;
  GdiFlush();
  CopyPixels(buffer.Bits(), buffer.Width(), bits_, width_, Overlap(buffer),
             [](TColor32 from, TColor32& to) { to = from | kOpaque; });
}

void GdiSurface::StoreTouched(TBitmap32& buffer) const {
  if (!Valid()) return;
  GdiFlush();
  CopyPixels(bits_, width_, buffer.Bits(), buffer.Width(), Overlap(buffer), [](TColor32 from, TColor32& to) {
    if ((from & kOpaque) == 0) to = from | kOpaque;
  });
}

void GdiSurface::StoreAll(TBitmap32& buffer) const {
  if (!Valid()) return;
  GdiFlush();
  CopyPixels(bits_, width_, buffer.Bits(), buffer.Width(), Overlap(buffer),
             [](TColor32 from, TColor32& to) { to = from | kOpaque; });
}

SIZE GdiSurface::Overlap(const TBitmap32& buffer) const {
  return {std::min(width_, buffer.Width()), std::min(height_, buffer.Height())};
}

}  // namespace orvimo::win32
