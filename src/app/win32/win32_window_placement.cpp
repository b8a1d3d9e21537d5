#include "app/win32/win32_window_placement.h"

namespace orvimo::win32 {

WindowPlacement Win32WindowPlacement::Get() const {
  WINDOWPLACEMENT system{};
  system.length = sizeof system;
  GetWindowPlacement(window_, &system);
  const RECT& normal = system.rcNormalPosition;
  return {.flags = static_cast<int>(system.flags),
          .showCmd = static_cast<int>(system.showCmd),
          .minX = system.ptMinPosition.x,
          .minY = system.ptMinPosition.y,
          .maxX = system.ptMaxPosition.x,
          .maxY = system.ptMaxPosition.y,
          .left = normal.left,
          .top = normal.top,
          .right = normal.right,
          .bottom = normal.bottom};
}

void Win32WindowPlacement::Set(const WindowPlacement& placement) {
  WINDOWPLACEMENT system{};
  system.length = sizeof system;
  GetWindowPlacement(window_, &system);
  const LONG width = system.rcNormalPosition.right - system.rcNormalPosition.left;
  const LONG height = system.rcNormalPosition.bottom - system.rcNormalPosition.top;
  system.flags = static_cast<UINT>(placement.flags);
  // Showing is left to the window: a restore before the first show must not show it early.
  if (!IsWindowVisible(window_)) system.showCmd = SW_HIDE;
  system.ptMinPosition = {placement.minX, placement.minY};
  system.ptMaxPosition = {placement.maxX, placement.maxY};
  system.rcNormalPosition = {placement.left, placement.top, placement.left + width, placement.top + height};
  SetWindowPlacement(window_, &system);
}

int Win32WindowPlacement::PixelsPerInch() const {
  const HDC screen = GetDC(nullptr);
  const int pixels = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return pixels;
}

int Win32WindowPlacement::ScreenWidth() const { return GetSystemMetrics(SM_CXSCREEN); }

int Win32WindowPlacement::ScreenHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

bool Win32WindowPlacement::ApplicationMinimized() const { return IsIconic(window_) != FALSE; }

}  // namespace orvimo::win32
