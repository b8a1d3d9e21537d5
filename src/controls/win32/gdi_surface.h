// GDI drawing on the custom controls' 32-bit buffers. A TBitmap32 has the memory layout of a top-down
// 32-bit DIB (blue, green, red, alpha bytes; rows without padding), so the screen takes it as it is.
#pragma once

#include <windows.h>

#include "controls/bitmap32.h"

namespace orvimo::win32 {

// Copies the whole buffer to the device context at (x, y) in one block; the alpha byte is ignored.
void PresentBuffer(HDC target, int x, int y, const TBitmap32& buffer);
// The same, stretched over the place by repeating pixels.
void PresentBufferStretched(HDC target, const RECT& place, const TBitmap32& buffer);

// A memory device context over a top-down 32-bit DIB section, for GDI output that ends up in a buffer.
class GdiSurface {
 public:
  GdiSurface(int width, int height);
  ~GdiSurface();
  GdiSurface(const GdiSurface&) = delete;
  GdiSurface& operator=(const GdiSurface&) = delete;

  HDC Dc() const { return dc_; }
  bool Valid() const { return bits_ != nullptr; }
  // GDI writes zero into the alpha byte of every pixel it touches. Load marks all pixels opaque, so
  // after GDI output the touched ones can be told apart and only they are copied back.
  void Load(const TBitmap32& buffer);
  void StoreTouched(TBitmap32& buffer) const;
  // Every pixel, made opaque (a backdrop painted by another window).
  void StoreAll(TBitmap32& buffer) const;

 private:
  SIZE Overlap(const TBitmap32& buffer) const;

  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  TColor32* bits_ = nullptr;
};

}  // namespace orvimo::win32
