// A child window that owns a 32-bit back buffer as large as itself and shows it in one block.
#pragma once

#include "controls/bitmap32.h"
#include "controls/win32/message_window.h"

namespace orvimo::win32 {

class TPaintBox32 : public MessageWindow {
 public:
  TPaintBox32(HWND parent, int x, int y, int width, int height)
      : TPaintBox32(L"TPaintBox32", parent, x, y, width, height) {}

  TBitmap32& Buffer() { return buffer_; }
  // Puts the buffer on the screen now, not at the next paint.
  void Flush();
  // The buffer keeps its present size and is stretched over the window, pixel by pixel, whatever size
  // the window takes: a picture drawn for 96 dpi shown at any density.
  void StretchOverWindow() { stretched_ = true; }

 protected:
  // For a control that draws itself in the buffer: a window class of its own.
  TPaintBox32(const wchar_t* className, HWND parent, int x, int y, int width, int height, DWORD style = 0);
  // Brings the buffer up to date before a paint shows it.
  virtual void Render() {}
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Present(HDC dc);

  TBitmap32 buffer_;
  bool stretched_ = false;
};

}  // namespace orvimo::win32
