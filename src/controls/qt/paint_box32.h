// A widget that owns a 32-bit back buffer the size of the widget and shows it in one block.
#pragma once

#include <QRegion>
#include <QWidget>

#include <vector>

#include "controls/bitmap32.h"

namespace orvimo {

class TPaintBox32 : public QWidget {
  Q_OBJECT

 public:
  explicit TPaintBox32(QWidget* parent = nullptr);

  TBitmap32& Buffer();  // resized with the widget
  // The buffer to the screen now: only the pixels that differ from what the screen shows are sent,
  // so a meter frame that moves a bar by a few pixels costs a few pixels.
  void Flush();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitBuffer(const QSize& size);
  QRegion ChangedSinceShown() const;

  TBitmap32 buffer_;
  // What the screen shows of the buffer: the pixels as the last paint of each place left them.
  std::vector<TColor32> shown_;
};

}  // namespace orvimo
