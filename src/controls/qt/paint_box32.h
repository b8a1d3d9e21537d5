// A widget that owns a 32-bit back buffer the size of the widget and shows it in one block.
#pragma once

#include <QWidget>

#include "controls/bitmap32.h"

namespace orvimo {

class TPaintBox32 : public QWidget {
  Q_OBJECT

 public:
  explicit TPaintBox32(QWidget* parent = nullptr);

  TBitmap32& Buffer();  // resized with the widget
  void Flush();         // the whole buffer to the screen now

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitBuffer(const QSize& size);

  TBitmap32 buffer_;
};

}  // namespace orvimo
