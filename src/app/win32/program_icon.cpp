#include "app/win32/program_icon.h"

#include <algorithm>

#include "controls/record_glyph.h"

namespace orvimo::win32 {

HICON CreateProgramIcon() {
  const TBitmap32 glyph = MakeRecordButtonGlyph();
  constexpr int kSize = kRecordGlyphCell;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kSize;
  info.bmiHeader.biHeight = -kSize;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  // The colour bitmap's alpha is the icon's transparency; the mask only has to exist.
  const HBITMAP mask = CreateBitmap(kSize, kSize, 1, 1, nullptr);
  HICON icon = nullptr;
  if (colour != nullptr && mask != nullptr) {
    auto* pixels = static_cast<TColor32*>(bits);
    for (int y = 0; y < kSize; ++y) {
      std::copy_n(glyph.Bits() + y * glyph.Width(), kSize, pixels + y * kSize);  // the first cell
    }
    ICONINFO parts{TRUE, 0, 0, mask, colour};
    icon = CreateIconIndirect(&parts);
  }
  if (colour != nullptr) DeleteObject(colour);
  if (mask != nullptr) DeleteObject(mask);
  return icon;
}

}  // namespace orvimo::win32
