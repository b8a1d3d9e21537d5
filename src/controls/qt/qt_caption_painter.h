// Measures and draws a button caption with a QFont through QPainter, straight onto the buffer.
#pragma once

#include <QFont>

#include "controls/caption_painter.h"

namespace orvimo {

class QtCaptionPainter : public CaptionPainter {
 public:
  explicit QtCaptionPainter(const QFont& font) : font_(font) {}
  TextSize MeasureCaption(const std::string& text) override;
  void DrawCaption(TBitmap32& buffer, int x, int y, const std::string& text, TColor32 colour) override;

 private:
  QFont font_;
};

}  // namespace orvimo
