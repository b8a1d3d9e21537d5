#include "controls/qt/paint_box32.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

#include "controls/qt/accessible_controls.h"
#include "controls/qt/buffer_image.h"

namespace orvimo {

TPaintBox32::TPaintBox32(QWidget* parent) : QWidget(parent), putter_(X11ImagePutter::ForThisDisplay()) {
  // Every pixel comes from the buffer, so Qt need not erase the background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  InstallControlsAccessibility();
  if (!putter_) return;
  setAttribute(Qt::WA_NativeWindow);
  setAttribute(Qt::WA_DontCreateNativeAncestors);
  setAttribute(Qt::WA_PaintOnScreen);
}

TPaintBox32::~TPaintBox32() = default;

TBitmap32& TPaintBox32::Buffer() {
  FitBuffer(size());
  return buffer_;
}

void TPaintBox32::FitBuffer(const QSize& size) {
  // A hidden widget gets its resize event only when shown; the buffer follows the size at once.
  if (size == QSize(buffer_.Width(), buffer_.Height())) return;
  buffer_.SetSize(size.width(), size.height());
  shown_.clear();  // nothing of the new size is on the screen yet
}

// Row by row, the span from the first to the last pixel that differs; rows with the same span join.
QRegion TPaintBox32::ChangedSinceShown() const {
  const int width = buffer_.Width();
  if (shown_.size() != static_cast<size_t>(width) * buffer_.Height()) return QRegion(rect());
  QRegion changed;
  const TColor32* now = buffer_.Bits();
  const TColor32* before = shown_.data();
  for (int y = 0; y < buffer_.Height(); ++y, now += width, before += width) {
    const auto first = std::mismatch(now, now + width, before);
    if (first.first == now + width) continue;
    int last = width;
    while (now[last - 1] == before[last - 1]) --last;
    const int left = static_cast<int>(first.first - now);
    changed += QRect(left, y, last - left, 1);
  }
  return changed;
}

// The painted places now show the buffer. Until one paint has covered it all, nothing is known.
void TPaintBox32::MarkShown(const QRegion& region) {
  const int width = buffer_.Width();
  const size_t pixels = static_cast<size_t>(width) * buffer_.Height();
  if (shown_.size() != pixels) {
    if (!(QRegion(rect()) - region).isEmpty()) return;
    shown_.assign(pixels, 0);
  }
  for (const QRect& area : region) {
    const QRect inside = area.intersected(rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
      const size_t at = static_cast<size_t>(y) * width + inside.left();
      std::copy_n(buffer_.Bits() + at, inside.width(), shown_.begin() + static_cast<std::ptrdiff_t>(at));
    }
  }
}

void TPaintBox32::Flush() {
  const QRegion changed = ChangedSinceShown();
  if (changed.isEmpty()) return;
  // Before its window exists the box has nothing on the screen to update; the first expose paints it.
  if (putter_ && !internalWinId()) return;
  if (!PutOnScreen(changed)) repaint(changed);
}

bool TPaintBox32::PutOnScreen(const QRegion& region) {
  if (!putter_) return false;
  // A scaled screen or a window deeper than the screen takes its pixels through Qt from now on.
  if (devicePixelRatio() != 1 || !internalWinId()) {
    PaintThroughQt();
    return false;
  }
  for (const QRect& area : region) {
    if (!putter_->Put(internalWinId(), buffer_, area)) {
      PaintThroughQt();
      return false;
    }
  }
  putter_->Send();
  MarkShown(region);
  return true;
}

void TPaintBox32::PaintThroughQt() {
  putter_.reset();
  setAttribute(Qt::WA_PaintOnScreen, false);
  update();
}

void TPaintBox32::SetAccessibleValue(int value) {
  if (value == accessibleValue_) return;
  accessibleValue_ = value;
  QAccessibleValueChangeEvent event(this, value);
  QAccessible::updateAccessibility(&event);
}

QPaintEngine* TPaintBox32::paintEngine() const { return putter_ ? nullptr : QWidget::paintEngine(); }

void TPaintBox32::paintEvent(QPaintEvent* event) {
  FitBuffer(size());
  if (putter_) {
    PutOnScreen(event->region());  // when that fails, Qt's own paint has been asked for
    return;
  }
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, ScreenView(buffer_));
  MarkShown(event->region());
}

void TPaintBox32::resizeEvent(QResizeEvent* event) {
  FitBuffer(event->size());
  QWidget::resizeEvent(event);
}

}  // namespace orvimo
