// The custom push/toggle button as a Qt widget: it feeds the pure core its mouse events, size and
// enabled state, renders the parent's background as the backdrop and shows the core's picture.
#pragma once

#include <QWidget>

#include "controls/bitmap32.h"
#include "controls/tambor_button_core.h"

namespace orvimo {

MouseButton ToCoreButton(Qt::MouseButton button);

class TTamborButton : public QWidget {
  Q_OBJECT

 public:
  explicit TTamborButton(QWidget* parent = nullptr);

  TamborButtonCore& Core() { return core_; }  // every setter repaints the widget
  const TamborButtonCore& Core() const { return core_; }
  void SetImageIndex_Normal(int index) { core_.SetImageIndex_Normal(index); }
  int ImageIndex_Normal() const { return core_.ImageIndex_Normal(); }

  // Draws the button into its back buffer exactly as the next paint shows it.
  const TBitmap32& RenderBuffer();

  // Assistive technology can press the button (clicked, as a left click) and do a second action by the
  // name given here (secondAction; none while the name is empty).
  void SetSecondActionName(const QString& name) { secondActionName_ = name; }
  const QString& SecondActionName() const { return secondActionName_; }
  void Press() { emit clicked(); }
  void DoSecondAction() { emit secondAction(); }

 signals:
  void clicked();
  void secondAction();
  void mouseDown(Qt::MouseButton button);
  void mouseUp(Qt::MouseButton button);
  void mouseEntered();
  void mouseLeft();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void PaintBackdrop();
  void DrawFocusMark();
  void Enter();
  void Leave();

  TamborButtonCore core_;
  TBitmap32 buffer_;
  QString secondActionName_;
};

}  // namespace orvimo
