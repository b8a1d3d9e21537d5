#include "app/win32/screen_snap.h"

#include <cstdlib>

namespace orvimo::win32 {
namespace {

// The new start of a span [start, end) near the span [low, high).
LONG SnapSpan(LONG start, LONG end, LONG low, LONG high, int distance) {
  if (std::labs(start - low) <= distance) return low;
  if (std::labs(end - high) <= distance) return high - (end - start);
  return start;
}

}  // namespace

POINT SnapToEdges(const RECT& proposed, const RECT& workArea, int distance) {
  return {SnapSpan(proposed.left, proposed.right, workArea.left, workArea.right, distance),
          SnapSpan(proposed.top, proposed.bottom, workArea.top, workArea.bottom, distance)};
}

}  // namespace orvimo::win32
