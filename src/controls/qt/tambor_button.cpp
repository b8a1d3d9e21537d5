#include "controls/qt/tambor_button.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/qt/accessible_controls.h"
#include "controls/qt/buffer_image.h"
#include "controls/qt/qt_caption_painter.h"

namespace orvimo {

MouseButton ToCoreButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return MouseButton::kLeft;
    case Qt::RightButton:
      return MouseButton::kRight;
    case Qt::MiddleButton:
      return MouseButton::kMiddle;
    default:
      return MouseButton::kOther;
  }
}

TTamborButton::TTamborButton(QWidget* parent) : QWidget(parent) {
  // Reached with Tab, never taken by a click: a click leaves the focus where the user had it.
  setFocusPolicy(Qt::TabFocus);
  InstallControlsAccessibility();
  setAttribute(Qt::WA_OpaquePaintEvent);
  core_.SetChangeHandler([this] { update(); });
  resize(32, 32);
  core_.SetSize(width(), height());
  core_.SetEnabled(isEnabled());
}

void TTamborButton::PaintBackdrop() {
  QWidget* parent = parentWidget();
  if (!parent) return;  // without a parent the buffer keeps what it held
  QImage image = WrapBuffer(buffer_);
  // Only the parent's own background and painting: its children, this button included, stay out.
  parent->render(&image, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
}

const TBitmap32& TTamborButton::RenderBuffer() {
  // A hidden widget hears of its size only when shown; paint at the size it has now.
  if (core_.Width() != width() || core_.Height() != height()) core_.SetSize(width(), height());
  if (buffer_.Width() != width() || buffer_.Height() != height()) buffer_.SetSize(width(), height());
  PaintBackdrop();
  QtCaptionPainter captions(font());
  core_.Paint(buffer_, &captions);
  DrawFocusMark();
  return buffer_;
}

// A dotted frame just inside the inner bevel, as a classic push button marks its focus; it stays
// clear of the glyph.
void TTamborButton::DrawFocusMark() {
  if (!hasFocus() || width() < 8 || height() < 8) return;
  QImage image = WrapBuffer(buffer_);
  QPainter painter(&image);
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  painter.drawRect(3, 3, width() - 7, height() - 7);
}

void TTamborButton::paintEvent(QPaintEvent*) {
  RenderBuffer();
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, ScreenView(buffer_));
}

void TTamborButton::resizeEvent(QResizeEvent* event) {
  core_.SetSize(width(), height());
  QWidget::resizeEvent(event);
}

void TTamborButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) core_.SetEnabled(isEnabled());
  QWidget::changeEvent(event);
}

void TTamborButton::mousePressEvent(QMouseEvent* event) {
  core_.MouseDown(ToCoreButton(event->button()));
  emit mouseDown(event->button());
}

void TTamborButton::mouseReleaseEvent(QMouseEvent* event) {
  const MouseButton button = ToCoreButton(event->button());
  // The click comes first, so its handler still sees the state from before the release.
  if (core_.ReleaseClicks(button) && rect().contains(event->position().toPoint())) emit clicked();
  core_.MouseUp(button);
  emit mouseUp(event->button());
}

void TTamborButton::mouseMoveEvent(QMouseEvent* event) {
  // While a button is held Qt keeps enter and leave back until the release; track them here so
  // dragging out shows the resting look at once.
  const bool inside = rect().contains(event->position().toPoint());
  if (inside && !core_.Hovered()) Enter();
  if (!inside && core_.Hovered()) Leave();
  QWidget::mouseMoveEvent(event);
}

void TTamborButton::enterEvent(QEnterEvent* event) {
  if (!core_.Hovered()) Enter();
  QWidget::enterEvent(event);
}

void TTamborButton::leaveEvent(QEvent* event) {
  if (core_.Hovered()) Leave();
  QWidget::leaveEvent(event);
}

// Space and Enter press the button as a left click does; a held key does not repeat the click.
void TTamborButton::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool pressKey = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
  if (!pressKey || event->modifiers() & ~Qt::KeypadModifier) {
    QWidget::keyPressEvent(event);
    return;
  }
  if (!event->isAutoRepeat()) emit clicked();
  event->accept();
}

void TTamborButton::focusInEvent(QFocusEvent* event) {
  update();
  QWidget::focusInEvent(event);
}

void TTamborButton::focusOutEvent(QFocusEvent* event) {
  update();
  QWidget::focusOutEvent(event);
}

void TTamborButton::Enter() {
  emit mouseEntered();
  core_.MouseEnter();
}

void TTamborButton::Leave() {
  emit mouseLeft();
  core_.MouseLeave();
}

}  // namespace orvimo
