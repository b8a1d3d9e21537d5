#include "app/status_texts.h"

namespace orvimo {

std::string DiskFullWarning(int64_t freeBytes) {
  return "Recording was paused due to\n\rinsufficient disk space. (" + std::to_string(freeBytes / 1024) +
         " KBytes left.)";
}

int64_t BytesPerSecondOf(int channelsIndex, int sampleRate, int bitsIndex) {
  // Unsigned arithmetic wraps like the 32-bit product without the undefined behaviour of signed overflow.
  const uint32_t product = static_cast<uint32_t>(channelsIndex + 1) * static_cast<uint32_t>(sampleRate) *
                           static_cast<uint32_t>(bitsIndex + 1);
  return static_cast<int32_t>(product);
}

}  // namespace orvimo
