#include "services/status_texts.h"

#include <algorithm>

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

std::string LostAudioText(uint64_t bytesLost, int64_t bytesPerSecond) {
  const uint64_t rate = static_cast<uint64_t>(std::max<int64_t>(bytesPerSecond, 1));
  const uint64_t ms = std::max<uint64_t>((bytesLost * 1000 + rate / 2) / rate, 1);
  if (ms < 1000) return std::to_string(ms) + " ms";
  const uint64_t tenths = (bytesLost * 10 + rate / 2) / rate;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

std::string DropoutText(uint64_t count, uint64_t bytesLost, int64_t bytesPerSecond) {
  if (count == 0) return {};
  std::string text = std::to_string(count) + (count == 1 ? " dropout" : " dropouts");
  if (bytesLost == 0 || bytesPerSecond <= 0) return text;
  return text + " (about " + LostAudioText(bytesLost, bytesPerSecond) + " lost)";
}

}  // namespace orvimo
