#include "capture/peak_meter.h"

#include <algorithm>
#include <limits>

namespace orvimo::capture {

namespace {

struct Peaks {
  uint32_t left = 0;
  uint32_t right = 0;
};

// The scans keep the smallest and largest sample of each side, which compilers turn into vector code,
// and only then work out the magnitude.
template <typename Sample>
struct Range {
  Sample low = std::numeric_limits<Sample>::max();
  Sample high = std::numeric_limits<Sample>::min();

  void Add(Sample sample) {
    low = std::min(low, sample);
    high = std::max(high, sample);
  }
};

// 8-bit samples are centred on 128; 256 steps of 8 bits span what 65536 steps of 16 bits do.
uint32_t Magnitude8(const Range<uint8_t>& range) {
  if (range.low > range.high) {
    return 0;
  }
  return static_cast<uint32_t>(std::max(int{range.high} - 128, 128 - int{range.low})) << 8;
}

uint32_t Magnitude16(const Range<int16_t>& range) {
  if (range.low > range.high) {
    return 0;
  }
  return static_cast<uint32_t>(std::max(int{range.high}, -int{range.low}));
}

int16_t Sample16(const uint8_t* bytes) {
  return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

Peaks Scan8(const uint8_t* buffer, uint32_t frames, uint32_t channels) {
  Range<uint8_t> left;
  Range<uint8_t> right;
  if (channels == 1) {
    for (uint32_t frame = 0; frame < frames; ++frame) {
      left.Add(buffer[frame]);
    }
    return Peaks{Magnitude8(left), Magnitude8(left)};
  }
  for (uint32_t frame = 0; frame < frames; ++frame) {
    left.Add(buffer[2 * frame]);
    right.Add(buffer[2 * frame + 1]);
  }
  return Peaks{Magnitude8(left), Magnitude8(right)};
}

Peaks Scan16(const uint8_t* buffer, uint32_t frames, uint32_t channels) {
  Range<int16_t> left;
  Range<int16_t> right;
  if (channels == 1) {
    for (uint32_t frame = 0; frame < frames; ++frame) {
      left.Add(Sample16(buffer + 2 * frame));
    }
    return Peaks{Magnitude16(left), Magnitude16(left)};
  }
  for (uint32_t frame = 0; frame < frames; ++frame) {
    left.Add(Sample16(buffer + 4 * frame));
    right.Add(Sample16(buffer + 4 * frame + 2));
  }
  return Peaks{Magnitude16(left), Magnitude16(right)};
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
  measured_.store(true, std::memory_order_release);
}

uint32_t PeakMeter::Take() {
  if (!measured_.exchange(false, std::memory_order_acquire)) {
    if (++emptyTakes_ > kHeldReads) lastLevel_ = 0;
    return lastLevel_;
  }
  emptyTakes_ = 0;
  const uint32_t left = left_.exchange(0, std::memory_order_relaxed);
  const uint32_t right = right_.exchange(0, std::memory_order_relaxed);
  lastLevel_ = left | (right << 16);
  return lastLevel_;
}

void PeakMeter::RaiseTo(std::atomic<uint32_t>& peak, uint32_t value) {
  uint32_t current = peak.load(std::memory_order_relaxed);
  while (value > current && !peak.compare_exchange_weak(current, value, std::memory_order_relaxed)) {
  }
}

}  // namespace orvimo::capture
