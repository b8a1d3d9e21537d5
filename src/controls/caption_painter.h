// Draws a button caption in an ordinary system font. The pure button core knows no fonts; the
// widget that hosts it measures and renders text with its toolkit.
#pragma once

#include <string>

#include "controls/bitmap32.h"

namespace orvimo {

struct TextSize {
  int width = 0, height = 0;
};

class CaptionPainter {
 public:
  virtual ~CaptionPainter() = default;
  virtual TextSize MeasureCaption(const std::string& text) = 0;
  // One line with its top left corner at (x, y), transparent background, not clipped to the face.
  virtual void DrawCaption(TBitmap32& buffer, int x, int y, const std::string& text, TColor32 colour) = 0;
};

}  // namespace orvimo
