#pragma once

#include <windows.h>

#include <functional>

namespace orvimo::win32 {

// A call for a window's own thread, from any thread: the window's message loop runs it. A window that
// is gone by then drops it.
constexpr UINT kPostedCallMessage = WM_APP + 1;
bool PostCallToWindow(HWND window, std::function<void()> call);
// For the window procedure: runs the call of a kPostedCallMessage and frees it.
void RunPostedCall(LPARAM lParam);

}  // namespace orvimo::win32
