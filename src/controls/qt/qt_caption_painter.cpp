#include "controls/qt/qt_caption_painter.h"

#include <QFontMetrics>
#include <QPainter>

#include "controls/qt/buffer_image.h"

namespace orvimo {
namespace {

// Captions are single-byte text.
QString ToQString(const std::string& text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

}  // namespace

TextSize QtCaptionPainter::MeasureCaption(const std::string& text) {
  const QFontMetrics metrics(font_);
  return {metrics.horizontalAdvance(ToQString(text)), metrics.height()};
}

void QtCaptionPainter::DrawCaption(TBitmap32& buffer, int x, int y, const std::string& text,
                                   TColor32 colour) {
  if (buffer.Width() == 0 || buffer.Height() == 0) return;
  QImage image = WrapBuffer(buffer);
  QPainter painter(&image);
  painter.setFont(font_);
  painter.setPen(QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)));
  painter.drawText(x, y + QFontMetrics(font_).ascent(), ToQString(text));
}

}  // namespace orvimo
