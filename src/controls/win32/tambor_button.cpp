#include "controls/win32/tambor_button.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>

#include "controls/win32/gdi_caption_painter.h"
#include "controls/win32/gdi_surface.h"

namespace orvimo::win32 {
namespace {

// Asks the button for its default action from the message loop.
constexpr UINT kDefaultActionMessage = WM_USER + 1;

// Nearest neighbour: each target pixel takes the source pixel under its centre.
TBitmap32 Resampled(const TBitmap32& source, int width, int height) {
  TBitmap32 target(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      target.SetPixel(x, y,
                      source.Pixel((2 * x + 1) * source.Width() / (2 * width),
                                   (2 * y + 1) * source.Height() / (2 * height)));
    }
  }
  return target;
}

}  // namespace

TTamborButton::TTamborButton(HWND parent, int x, int y, int width, int height)
    : TPaintBox32(L"TTamborButton", parent, x, y, width, height, WS_TABSTOP),
      accessible_(std::make_shared<AccessibleFacts>()) {
  core_.SetChangeHandler([this] {
    if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, FALSE);
  });
  core_.SetSize(width, height);
  accessible_->role = ROLE_SYSTEM_PUSHBUTTON;
  accessible_->extraState = STATE_SYSTEM_FOCUSABLE;
  accessible_->doDefaultAction = [window = Handle()] { PostMessageW(window, kDefaultActionMessage, 0, 0); };
}

void TTamborButton::ScaleGlyph(int dpi) {
  if (designGlyph_.Width() == 0) designGlyph_ = core_.Glyph();
  if (designGlyph_.Width() == 0) return;
  const int restingImage = core_.ImageIndex_Normal();
  const TBitmap32 scaled =
      Resampled(designGlyph_, MulDiv(designGlyph_.Width(), dpi, 96), MulDiv(designGlyph_.Height(), dpi, 96));
  core_.SetGlyph(&scaled);
  core_.SetImageIndex_Normal(restingImage);  // the new glyph starts at the first cell
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
  if (GetFocus() == Handle()) PaintFocusMark(buffer);
  return buffer;
}

// A dotted rectangle round the disc, inside the bevels, as the system draws on its own buttons.
void TTamborButton::PaintFocusMark(TBitmap32& buffer) const {
  const int inset = std::max(3, buffer.Height() * 3 / 40);
  const Rect mark{inset, inset, buffer.Width() - inset, buffer.Height() - inset};
  if (mark.IsEmpty()) return;
  constexpr TColor32 kDot = 0xFF000000;
  for (int x = mark.left; x < mark.right; x += 2) {
    buffer.SetPixel(x, mark.top, kDot);
    buffer.SetPixel(x, mark.bottom - 1, kDot);
  }
  for (int y = mark.top; y < mark.bottom; y += 2) {
    buffer.SetPixel(mark.left, y, kDot);
    buffer.SetPixel(mark.right - 1, y, kDot);
  }
}

// Space and Enter are the button's own keys, with their characters (the same codes); the dialog keys
// (Tab, arrows) move on.
UINT TTamborButton::DialogCode(const MSG* message) const {
  if (message == nullptr) return 0;
  const UINT kind = message->message;
  if (kind != WM_KEYDOWN && kind != WM_KEYUP && kind != WM_CHAR) return 0;
  return message->wParam == VK_SPACE || message->wParam == VK_RETURN ? DLGC_WANTMESSAGE : 0;
}

void TTamborButton::KeyDown(WPARAM key, LPARAM flags) {
  const bool repeated = (flags & (1 << 30)) != 0;
  if ((key == VK_SPACE || key == VK_RETURN) && !repeated) Click();
}

void TTamborButton::Click() {
  if (IsWindowEnabled(Handle()) && OnClick) OnClick();
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
    case WM_GETDLGCODE:
      return DialogCode(reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN:
      KeyDown(wParam, lParam);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case kDefaultActionMessage:
      Click();
      return 0;
    case WM_GETOBJECT:
      return AnswerGetObject(Handle(), wParam, lParam, accessible_);
    default:
      return TPaintBox32::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace orvimo::win32
