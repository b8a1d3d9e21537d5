// Pixels per inch of a window, and the system measures at that density. The functions of Windows 10
// that know a window's own density are looked up at run time; before them every window has the
// system's density.
#pragma once

#include <windows.h>

namespace orvimo::win32 {

constexpr int kDesignDpi = 96;

// The window's density, or the system's where the system cannot tell a window's.
int DpiOfWindow(HWND window);
// Design pixels (at 96 dpi) at that density, rounded to the nearest pixel.
inline int ScaledForDpi(int designPixels, int dpi) { return MulDiv(designPixels, dpi, kDesignDpi); }
// GetSystemMetrics at that density.
int SystemMetricForDpi(int index, int dpi);
// The window rectangle around a client rectangle at that density.
void AdjustFrameForDpi(RECT& frame, DWORD style, DWORD exStyle, int dpi);

}  // namespace orvimo::win32
