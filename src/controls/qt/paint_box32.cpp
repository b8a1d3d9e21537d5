#include "controls/qt/paint_box32.h"

#include <QPainter>
#include <QResizeEvent>

#include "controls/qt/buffer_image.h"

namespace orvimo {

TPaintBox32::TPaintBox32(QWidget* parent) : QWidget(parent) {
  // Every pixel comes from the buffer, so Qt need not erase the background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TBitmap32& TPaintBox32::Buffer() {
  FitBuffer(size());
  return buffer_;
}

void TPaintBox32::FitBuffer(const QSize& size) {
  // A hidden widget gets its resize event only when shown; the buffer follows the size at once.
  if (size != QSize(buffer_.Width(), buffer_.Height())) buffer_.SetSize(size.width(), size.height());
}

void TPaintBox32::Flush() { repaint(); }

void TPaintBox32::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  FitBuffer(size());
  painter.drawImage(0, 0, ScreenView(buffer_));
}

void TPaintBox32::resizeEvent(QResizeEvent* event) {
  FitBuffer(event->size());
  QWidget::resizeEvent(event);
}

}  // namespace orvimo
