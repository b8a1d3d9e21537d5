// A widget that owns a 32-bit back buffer the size of the widget and shows it in one block.
#pragma once

#include <QRegion>
#include <QWidget>

#include <memory>
#include <vector>

#include "controls/bitmap32.h"
#include "controls/qt/x11_image_putter.h"

namespace orvimo {

class TPaintBox32 : public QWidget {
  Q_OBJECT

 public:
  explicit TPaintBox32(QWidget* parent = nullptr);
  ~TPaintBox32() override;

  TBitmap32& Buffer();  // resized with the widget
  // The buffer to the screen now: only the pixels that differ from what the screen shows are sent,
  // so a meter frame that moves a bar by a few pixels costs a few pixels.
  void Flush();

  QPaintEngine* paintEngine() const override;

  // What the box shows as a number from 0 to 100 (a meter's level), for assistive technology; a
  // change is announced.
  void SetAccessibleValue(int value);
  int AccessibleValue() const { return accessibleValue_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitBuffer(const QSize& size);
  QRegion ChangedSinceShown() const;
  void MarkShown(const QRegion& region);
  bool PutOnScreen(const QRegion& region);
  void PaintThroughQt();

  TBitmap32 buffer_;
  // What the screen shows of the buffer: the pixels as the last paint of each place left them.
  std::vector<TColor32> shown_;
  // On X the box has a window of its own and puts its pixels there itself: a frame then costs one
  // small request, not a pass through Qt's painter and the whole window's backing store.
  std::unique_ptr<X11ImagePutter> putter_;
  int accessibleValue_ = 0;
};

}  // namespace orvimo
