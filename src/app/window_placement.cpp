#include "app/window_placement.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace orvimo {

namespace {

int64_t Area(const ScreenRect& r) {
  return r.right > r.left && r.bottom > r.top ? int64_t{r.right - r.left} * (r.bottom - r.top) : 0;
}

ScreenRect Moved(const ScreenRect& r, ScreenPoint by) {
  return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

// Screens do not overlap, so a part lies wholly on them when its pieces on each add up to all of it.
bool OnScreens(const ScreenRect& part, const std::vector<ScreenRect>& screens) {
  int64_t covered = 0;
  for (const ScreenRect& screen : screens) covered += Area(Intersection(part, screen));
  return covered >= Area(part);
}

ScreenRect Bounds(const std::vector<ScreenRect>& parts) {
  ScreenRect bounds = parts.front();
  for (const ScreenRect& part : parts) {
    bounds = {std::min(bounds.left, part.left), std::min(bounds.top, part.top),
              std::max(bounds.right, part.right), std::max(bounds.bottom, part.bottom)};
  }
  return bounds;
}

// The corner nearest to `wanted` within [low, high]; a window larger than the screen keeps its start
// (left or top edge) on it.
int Clamp(int wanted, int low, int high) { return std::max(low, std::min(wanted, high)); }

}  // namespace

ScreenPoint KeepOnScreens(ScreenPoint corner, const std::vector<ScreenRect>& vitalParts,
                          const std::vector<ScreenRect>& screens) {
  if (vitalParts.empty() || screens.empty()) return corner;
  const bool reachable = std::all_of(vitalParts.begin(), vitalParts.end(), [&](const ScreenRect& part) {
    return OnScreens(Moved(part, corner), screens);
  });
  if (reachable) return corner;

  const ScreenRect bounds = Bounds(vitalParts);
  ScreenPoint best = corner;
  int64_t bestDistance = std::numeric_limits<int64_t>::max();
  for (const ScreenRect& screen : screens) {
    const ScreenPoint candidate{Clamp(corner.x, screen.left - bounds.left, screen.right - bounds.right),
                                Clamp(corner.y, screen.top - bounds.top, screen.bottom - bounds.bottom)};
    const int64_t dx = candidate.x - corner.x, dy = candidate.y - corner.y;
    if (dx * dx + dy * dy < bestDistance) {
      bestDistance = dx * dx + dy * dy;
      best = candidate;
    }
  }
  return best;
}

}  // namespace orvimo
