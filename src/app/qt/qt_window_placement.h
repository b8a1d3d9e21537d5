#pragma once

#include "app/window_placement.h"

class QWidget;

namespace orvimo {

// The placement of a Qt top-level window: its client area, which Qt both reports and sets exactly before
// a window manager has framed the window (its frame is known only after that). Qt tells the show state
// but no minimised or maximised positions, so those are written as -1 and ignored when applied.
class QtWindowPlacement : public WindowPlacementAccess {
 public:
  // keepReachable: the control a user needs most, kept on a screen with the title bar.
  explicit QtWindowPlacement(QWidget* window, QWidget* keepReachable = nullptr);

  WindowPlacement Get() const override;
  void Set(const WindowPlacement& placement) override;
  void SetPositionDesigned() override;
  int PixelsPerInch() const override;
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  bool ApplicationMinimized() const override;
  bool KnowsPosition() const override;
  std::vector<ScreenRect> Screens() const override;
  std::vector<ScreenRect> VitalParts() const override;

 private:
  QWidget* window_;
  QWidget* keepReachable_;
};

}  // namespace orvimo
