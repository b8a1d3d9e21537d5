// The containers of a window: a panel and a group box, each a parent of its controls. The controls'
// notifications (commands, notifications, colours, owner drawing) go on to the top-level window, which
// handles them all in one place.
#pragma once

#include <windows.h>

namespace orvimo::win32 {

// A panel with a raised inner and a lowered outer bevel.
HWND CreatePanel(HWND parent, int x, int y, int width, int height);
// The system's group box with its caption.
HWND CreateGroupBox(HWND parent, const wchar_t* caption, int x, int y, int width, int height);

// Repaints a control when the mouse comes onto it and when it leaves, for a flat button that shows its
// edge only under the mouse (see UnderMouse).
void RepaintOnHover(HWND control);
bool UnderMouse(HWND control);

}  // namespace orvimo::win32
