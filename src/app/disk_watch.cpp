#include "app/disk_watch.h"

#include <algorithm>

#include "services/status_texts.h"

namespace orvimo {

namespace {

// One status tick, one relaxed delivery (a second) and two seconds to spare.
constexpr int64_t kWatchLeadSeconds = 4;

}  // namespace

bool DiskWatchNeeded(int64_t bytesToNextCheck, int64_t bytesPerSecond) {
  if (bytesPerSecond <= 0) return true;
  return bytesToNextCheck / kWatchLeadSeconds <= bytesPerSecond;
}

std::chrono::milliseconds DiskWatchInterval(int64_t bytesPerSecond) {
  constexpr int64_t kSlowest = 250;
  constexpr int64_t kFastest = 20;
  if (bytesPerSecond <= 0) return std::chrono::milliseconds(kSlowest);
  const int64_t quarterReserve = kDiskReserveBytes / 4 * 1000 / bytesPerSecond;
  return std::chrono::milliseconds(std::clamp(quarterReserve, kFastest, kSlowest));
}

}  // namespace orvimo
