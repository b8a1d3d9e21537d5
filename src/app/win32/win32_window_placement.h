#pragma once

#include <windows.h>

#include "app/window_placement.h"

namespace orvimo::win32 {

// The settings store's view of a top-level window: GetWindowPlacement and SetWindowPlacement, the
// screen's pixels per inch and size. The rectangles are the placement's own (workspace coordinates),
// so a stored place comes back unchanged.
class Win32WindowPlacement : public WindowPlacementAccess {
 public:
  explicit Win32WindowPlacement(HWND window) : window_(window) {}

  WindowPlacement Get() const override;
  // Moves the window; its size and its show state stay as they are (a hidden window stays hidden).
  void Set(const WindowPlacement& placement) override;
  // Nothing to do: a window placed by the program stays where it was put.
  void SetPositionDesigned() override {}
  int PixelsPerInch() const override;
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  bool ApplicationMinimized() const override;

 private:
  HWND window_;
};

}  // namespace orvimo::win32
