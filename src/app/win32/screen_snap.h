#pragma once

#include <windows.h>

namespace orvimo::win32 {

constexpr int kSnapDistance = 8;

// Where a window moved to `proposed` goes: an edge that comes within `distance` pixels of the same
// edge of the work area lands on it. Left beats right and top beats bottom in a work area too small
// for the window. Returns the new top left corner.
POINT SnapToEdges(const RECT& proposed, const RECT& workArea, int distance = kSnapDistance);

}  // namespace orvimo::win32
