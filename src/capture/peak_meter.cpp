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

// A level word: left in the low 16 bits, right in the high 16 bits.
uint32_t Pack(const Peaks& peaks) { return peaks.left | (peaks.right << 16); }

uint32_t Louder(uint32_t a, uint32_t b) {
  return std::max(a & 0xFFFF, b & 0xFFFF) | (std::max(a >> 16, b >> 16) << 16);
}

}  // namespace

void PeakMeter::Measure(const uint8_t* buffer, uint32_t length, uint32_t bits, uint32_t channels) {
  if (buffer == nullptr || (channels != 1 && channels != 2)) {
    return;
  }
  const uint32_t frame_size = channels * (bits == 8 ? 1 : 2);
  uint32_t frames = length / frame_size;
  const uint64_t before = published_;
  while (frames > 0) {
    const uint32_t room = slice_frames_ == 0 ? frames : slice_frames_ - partial_frames_;
    const uint32_t scanned = std::min(frames, room);
    const Peaks peaks = bits == 8 ? Scan8(buffer, scanned, channels) : Scan16(buffer, scanned, channels);
    partial_level_ = Louder(partial_level_, Pack(peaks));
    partial_frames_ += scanned;
    if (scanned == room) {
      Publish(partial_level_);
      partial_level_ = 0;
      partial_frames_ = 0;
    }
    buffer += uint64_t{scanned} * frame_size;
    frames -= scanned;
  }
  if (published_ > before) {
    last_batch_.store(static_cast<uint32_t>(published_ - before), std::memory_order_relaxed);
    written_.store(published_, std::memory_order_release);
  }
}

void PeakMeter::Publish(uint32_t level) {
  slices_[published_ % kKeptSlices].store(level, std::memory_order_relaxed);
  ++published_;
}

uint32_t PeakMeter::Take() {
  const uint64_t written = written_.load(std::memory_order_acquire);
  if (written - read_ > kKeptSlices) read_ = written - kKeptSlices;  // the older ones are overwritten
  const uint64_t waiting = written - read_;
  if (waiting == 0) {
    if (++emptyTakes_ > kHeldReads) lastLevel_ = 0;
    return lastLevel_;
  }
  emptyTakes_ = 0;
  const uint64_t batch = std::max<uint32_t>(1, last_batch_.load(std::memory_order_relaxed));
  const uint64_t taken = waiting > batch ? waiting - batch + 1 : 1;
  uint32_t level = 0;
  for (uint64_t slice = read_; slice < read_ + taken; ++slice) {
    level = Louder(level, slices_[slice % kKeptSlices].load(std::memory_order_relaxed));
  }
  read_ += taken;
  lastLevel_ = level;
  return lastLevel_;
}

}  // namespace orvimo::capture
