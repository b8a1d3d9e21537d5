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

}  // namespace orvimo::win32
