#include "controls/win32/gdi_caption_painter.h"

#include "base/win32/wide_text.h"
#include "controls/win32/gdi_surface.h"

namespace orvimo::win32 {

TextSize GdiCaptionPainter::MeasureCaption(const std::string& text) {
  const std::wstring wide = WideFromUtf8(text);
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  return {size.cx, size.cy};
}

void GdiCaptionPainter::DrawCaption(TBitmap32& buffer, int x, int y, const std::string& text,
                                    TColor32 colour) {
  GdiSurface surface(buffer.Width(), buffer.Height());
  if (!surface.Valid()) return;
  surface.Load(buffer);
  const std::wstring wide = WideFromUtf8(text);
  const HDC dc = surface.Dc();
  const HGDIOBJ previous = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(RedOf(colour), GreenOf(colour), BlueOf(colour)));
  TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
  SelectObject(dc, previous);
  surface.StoreTouched(buffer);
}

}  // namespace orvimo::win32
