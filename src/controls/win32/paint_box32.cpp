#include "controls/win32/paint_box32.h"

#include "controls/win32/gdi_surface.h"

namespace orvimo::win32 {

TPaintBox32::TPaintBox32(const wchar_t* className, HWND parent, int x, int y, int width, int height,
                         DWORD style)
    : buffer_(width, height) {
  Create(className, 0, WS_CHILD | WS_VISIBLE | style, L"", x, y, width, height, parent);
}

void TPaintBox32::Flush() {
  if (Handle() == nullptr) return;
  const HDC dc = GetDC(Handle());
  Present(dc);
  ReleaseDC(Handle(), dc);
}

void TPaintBox32::Present(HDC dc) {
  if (!stretched_) {
    PresentBuffer(dc, 0, 0, buffer_);
    return;
  }
  RECT client{};
  GetClientRect(Handle(), &client);
  PresentBufferStretched(dc, client, buffer_);
}

LRESULT TPaintBox32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // every pixel comes from the buffer
    case WM_PAINT: {
      Render();
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(Handle(), &paint);
      Present(dc);
      EndPaint(Handle(), &paint);
      return 0;
    }
    case WM_SIZE:
      if (!stretched_) buffer_.SetSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    default:
      return MessageWindow::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace orvimo::win32
