#include "controls/win32/containers.h"

#include <commctrl.h>

#include "controls/win32/message_window.h"

namespace orvimo::win32 {
namespace {

constexpr DWORD kContainerStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;

// What a control tells its parent; true when it went on to the top-level window.
bool ForwardToTopLevel(HWND container, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      result = SendMessageW(GetAncestor(container, GA_ROOT), message, wParam, lParam);
      return true;
    default:
      return false;
  }
}

void PaintPanel(HWND panel, HDC dc) {
  RECT client{};
  GetClientRect(panel, &client);
  DrawEdge(dc, &client, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
}

LRESULT CALLBACK PanelProcedure(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ForwardToTopLevel(panel, message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(panel, &paint);
      PaintPanel(panel, dc);
      EndPaint(panel, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintPanel(panel, reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      return DefWindowProcW(panel, message, wParam, lParam);
  }
}

LRESULT CALLBACK GroupBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR) {
  LRESULT result = 0;
  if (ForwardToTopLevel(box, message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_ERASEBKGND: {
      // The system's group box leaves its inside to the parent, which clips its children away.
      RECT client{};
      GetClientRect(box, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCHITTEST:
      return HTCLIENT;  // a group box is see-through for the mouse; this one holds controls
    default:
      return DefSubclassProc(box, message, wParam, lParam);
  }
}

LRESULT CALLBACK HoverProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR tracking) {
  if (message == WM_MOUSEMOVE && tracking == 0) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, control, 0};
    TrackMouseEvent(&track);
    SetWindowSubclass(control, HoverProcedure, 0, 1);
    InvalidateRect(control, nullptr, FALSE);
  } else if (message == WM_MOUSELEAVE) {
    SetWindowSubclass(control, HoverProcedure, 0, 0);
    InvalidateRect(control, nullptr, FALSE);
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

void RepaintOnHover(HWND control) { SetWindowSubclass(control, HoverProcedure, 0, 0); }

bool UnderMouse(HWND control) {
  POINT cursor{};
  return GetCursorPos(&cursor) && WindowFromPoint(cursor) == control;
}

HWND CreatePanel(HWND parent, int x, int y, int width, int height) {
  constexpr const wchar_t* kClassName = L"TPanel";
  RegisterWindowClass(kClassName, PanelProcedure);
  return CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", kContainerStyle, x, y, width, height, parent,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND CreateGroupBox(HWND parent, const wchar_t* caption, int x, int y, int width, int height) {
  const HWND box = CreateWindowExW(WS_EX_CONTROLPARENT, L"BUTTON", caption, kContainerStyle | BS_GROUPBOX, x,
                                   y, width, height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (box != nullptr) SetWindowSubclass(box, GroupBoxProcedure, 0, 0);
  return box;
}

}  // namespace orvimo::win32
