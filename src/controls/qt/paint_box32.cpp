#include "controls/qt/paint_box32.h"

#include <QPainter>
#include <QResizeEvent>

#include "controls/qt/buffer_image.h"

namespace orvimo {

TPaintBox32::TPaintBox32(QWidget* parent) : QWidget(parent) {
  // Every pixel comes from the buffer, so Qt need not erase the background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  buffer_.SetSize(width(), height());
}

void TPaintBox32::Flush() { repaint(); }

void TPaintBox32::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, WrapBuffer(std::as_const(buffer_)));
}

void TPaintBox32::resizeEvent(QResizeEvent* event) {
  if (event->size() != QSize(buffer_.Width(), buffer_.Height()))
    buffer_.SetSize(event->size().width(), event->size().height());
  QWidget::resizeEvent(event);
}

}  // namespace orvimo
