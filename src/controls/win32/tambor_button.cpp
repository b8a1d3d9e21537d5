#include "controls/win32/tambor_button.h"

#include <windowsx.h>

#include "controls/win32/gdi_caption_painter.h"
#include "controls/win32/gdi_surface.h"

namespace orvimo::win32 {

TTamborButton::TTamborButton(HWND parent, int x, int y, int width, int height)
    : TPaintBox32(L"TTamborButton", parent, x, y, width, height) {
  core_.SetChangeHandler([this] {
    if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, FALSE);
  });
  core_.SetSize(width, height);
}

void TTamborButton::PaintBackdrop() {
  const HWND parent = GetParent(Handle());
  if (parent == nullptr) return;  // without a parent the buffer keeps what it held
  TBitmap32& buffer = Buffer();
  GdiSurface surface(buffer.Width(), buffer.Height());
  if (!surface.Valid()) return;
  // The parent erases and paints itself into the buffer, moved so that the button's place is at 0, 0.
  const RECT place = ChildRect(Handle());
  SetViewportOrgEx(surface.Dc(), -place.left, -place.top, nullptr);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.Dc()), 0);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.Dc()), PRF_CLIENT);
  surface.StoreAll(buffer);
}

const TBitmap32& TTamborButton::RenderBuffer() {
  RECT client{};
  GetClientRect(Handle(), &client);
  if (core_.Width() != client.right || core_.Height() != client.bottom)
    core_.SetSize(client.right, client.bottom);
  TBitmap32& buffer = Buffer();
  if (buffer.Width() != client.right || buffer.Height() != client.bottom)
    buffer.SetSize(client.right, client.bottom);
  PaintBackdrop();
  GdiCaptionPainter captions(font_);
  core_.Paint(buffer, &captions);
  return buffer;
}

bool TTamborButton::Inside(POINT at) const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return PtInRect(&client, at) != FALSE;
}

void TTamborButton::Press(MouseButton button) {
  SetCapture(Handle());
  core_.MouseDown(button);
  if (OnMouseDown) OnMouseDown(button);
}

void TTamborButton::Release(MouseButton button, POINT at) {
  const bool clicks = core_.ReleaseClicks(button) && Inside(at);
  // The capture goes before the click: a message box opened by the click must get the mouse.
  if (core_.Pressed() && GetCapture() == Handle()) ReleaseCapture();
  if (clicks && OnClick) OnClick();
  core_.MouseUp(button);
  if (OnMouseUp) OnMouseUp(button);
  if (!Inside(at) && core_.Hovered()) core_.MouseLeave();
}

// Dragging out of a pressed button shows the resting look at once; the capture keeps the moves coming.
void TTamborButton::Move(POINT at) {
  const bool inside = Inside(at);
  if (inside && !core_.Hovered()) core_.MouseEnter();
  if (!inside && core_.Hovered()) core_.MouseLeave();
  if (inside) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
    TrackMouseEvent(&track);
  }
}

LRESULT TTamborButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_SIZE:
      core_.SetSize(LOWORD(lParam), HIWORD(lParam));
      return TPaintBox32::HandleMessage(message, wParam, lParam);
    case WM_ENABLE:
      core_.SetEnabled(wParam != FALSE);
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam) != 0) InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_LBUTTONDOWN:
      Press(MouseButton::kLeft);
      return 0;
    case WM_RBUTTONDOWN:
      Press(MouseButton::kRight);
      return 0;
    case WM_MBUTTONDOWN:
      Press(MouseButton::kMiddle);
      return 0;
    case WM_LBUTTONUP:
      Release(MouseButton::kLeft, at);
      return 0;
    case WM_RBUTTONUP:
      Release(MouseButton::kRight, at);
      return 0;
    case WM_MBUTTONUP:
      Release(MouseButton::kMiddle, at);
      return 0;
    case WM_MOUSEMOVE:
      Move(at);
      return 0;
    case WM_MOUSELEAVE:
      if (GetCapture() != Handle() && core_.Hovered()) core_.MouseLeave();
      return 0;
    default:
      return TPaintBox32::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace orvimo::win32
