#pragma once

#include "app/window_placement.h"

class QWidget;

namespace orvimo {

// The placement of a Qt top-level window. Qt tells the show state but no minimised or maximised
// positions, so those are written as -1 and ignored when applied.
class QtWindowPlacement : public WindowPlacementAccess {
 public:
  explicit QtWindowPlacement(QWidget* window);

  WindowPlacement Get() const override;
  void Set(const WindowPlacement& placement) override;
  void SetPositionDesigned() override;
  int PixelsPerInch() const override;
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  bool ApplicationMinimized() const override;

 private:
  QWidget* window_;
};

}  // namespace orvimo
