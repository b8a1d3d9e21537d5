// Button captions in an ordinary system font, measured and drawn by GDI into the button's buffer.
#pragma once

#include <windows.h>

#include "controls/caption_painter.h"

namespace orvimo::win32 {

class GdiCaptionPainter : public CaptionPainter {
 public:
  explicit GdiCaptionPainter(HFONT font) : font_(font) {}
  TextSize MeasureCaption(const std::string& text) override;
  void DrawCaption(TBitmap32& buffer, int x, int y, const std::string& text, TColor32 colour) override;

 private:
  HFONT font_;  // not owned; null: the system font
};

}  // namespace orvimo::win32
