#include "capture/peak_meter.h"

#include <algorithm>
#include <cstdlib>

namespace orvimo::capture {

namespace {

struct Peaks {
  uint32_t left = 0;
  uint32_t right = 0;
};

// 8-bit samples are centred on 128; 256 steps of 8 bits span what 65536 steps of 16 bits do.
uint32_t Magnitude8(uint8_t sample) { return static_cast<uint32_t>(std::abs(int{sample} - 128)) << 8; }

uint32_t Magnitude16(const uint8_t* bytes) {
  const auto sample = static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
  return static_cast<uint32_t>(std::abs(int{sample}));
}

Peaks Scan8(const uint8_t* buffer, uint32_t frames, uint32_t channels) {
  Peaks peaks;
  for (uint32_t frame = 0; frame < frames; ++frame) {
    const uint8_t* at = buffer + frame * channels;
    peaks.left = std::max(peaks.left, Magnitude8(at[0]));
    peaks.right = std::max(peaks.right, Magnitude8(at[channels - 1]));
  }
  return peaks;
}

Peaks Scan16(const uint8_t* buffer, uint32_t frames, uint32_t channels) {
  Peaks peaks;
  const uint32_t frame_size = 2 * channels;
  for (uint32_t frame = 0; frame < frames; ++frame) {
    const uint8_t* at = buffer + frame * frame_size;
    peaks.left = std::max(peaks.left, Magnitude16(at));
    peaks.right = std::max(peaks.right, Magnitude16(at + frame_size - 2));
  }
  return peaks;
}

}  // namespace

void PeakMeter::Measure(const uint8_t* buffer, uint32_t length, uint32_t bits, uint32_t channels) {
  if (buffer == nullptr || (channels != 1 && channels != 2)) {
    return;
  }
  const uint32_t frame_size = channels * (bits == 8 ? 1 : 2);
  const uint32_t frames = length / frame_size;
  const Peaks peaks = bits == 8 ? Scan8(buffer, frames, channels) : Scan16(buffer, frames, channels);
  RaiseTo(left_, peaks.left);
  RaiseTo(right_, peaks.right);
}

uint32_t PeakMeter::Take() {
  const uint32_t left = left_.exchange(0, std::memory_order_relaxed);
  const uint32_t right = right_.exchange(0, std::memory_order_relaxed);
  return left | (right << 16);
}

void PeakMeter::RaiseTo(std::atomic<uint32_t>& peak, uint32_t value) {
  uint32_t current = peak.load(std::memory_order_relaxed);
  while (value > current && !peak.compare_exchange_weak(current, value, std::memory_order_relaxed)) {
  }
}

}  // namespace orvimo::capture
