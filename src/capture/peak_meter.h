#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace orvimo::capture {

// The peaks of each side of a PCM stream, kept per slice of time so that a meter reading at the
// slice's pace replays them in order even when the audio comes in large deliveries. Measure runs on
// the capture thread and Take on the GUI thread; both are lock-free, so the capture thread never waits
// for the meter.
class PeakMeter {
 public:
  static constexpr uint32_t kFullScale = 32768;
  // Slices kept for the reader; older ones are overwritten. More than a second at the meter's pace,
  // so the largest delivery fits.
  static constexpr uint32_t kKeptSlices = 128;

  // slice_frames: frames per slice (the meter's 20 ms at the stream's rate); 0 makes every measured
  // buffer one slice.
  explicit PeakMeter(uint32_t slice_frames = 0) : slice_frames_(slice_frames) {}

  // bits: 8 (unsigned) or 16 (signed little-endian); channels: 1 or 2, interleaved left first. A mono
  // stream counts as both sides. A trailing partial frame is ignored; a partial slice waits for the
  // next buffer.
  void Measure(const uint8_t* buffer, uint32_t length, uint32_t bits, uint32_t channels);

  // The peak of the oldest slice not read yet, left in the low 16 bits, right in the high 16 bits,
  // each 0 to 32768. Each read moves on by one slice; once more slices wait than the last buffer
  // brought, the oldest of them are merged into this read, so the meter lags the audio by at most one
  // delivery. Reads that find no new slice repeat the previous level, at most kHeldReads times in a
  // row, as buffers come at their own pace and a meter that drops to zero between two of them
  // flickers; the next read without a slice gives silence.
  uint32_t Take();

  static constexpr int kHeldReads = 2;

 private:
  void Publish(uint32_t level);

  const uint32_t slice_frames_;
  // Capture side: the slice being filled.
  uint32_t partial_level_ = 0;
  uint32_t partial_frames_ = 0;
  uint64_t published_ = 0;
  // Shared: the slices, how many were ever published, and how many the last buffer completed.
  std::array<std::atomic<uint32_t>, kKeptSlices> slices_{};
  std::atomic<uint64_t> written_{0};
  std::atomic<uint32_t> last_batch_{1};
  // Read side only.
  uint64_t read_ = 0;
  uint32_t lastLevel_ = 0;
  int emptyTakes_ = 0;
};

}  // namespace orvimo::capture
