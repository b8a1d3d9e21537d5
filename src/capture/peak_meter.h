#pragma once

#include <atomic>
#include <cstdint>

namespace orvimo::capture {

// The peak of each side of a PCM stream since the last read. Measure runs on the capture thread and
// Take on the GUI thread; both are lock-free, so the capture thread never waits for the meter.
class PeakMeter {
 public:
  static constexpr uint32_t kFullScale = 32768;

  // bits: 8 (unsigned) or 16 (signed little-endian); channels: 1 or 2, interleaved left first. A mono
  // stream counts as both sides. A trailing partial frame is ignored.
  void Measure(const uint8_t* buffer, uint32_t length, uint32_t bits, uint32_t channels);

  // The peaks since the previous call, left in the low 16 bits, right in the high 16 bits, each 0 to
  // 32768; the meter starts again from silence. Reads that find no new buffer repeat the previous
  // level, at most kHeldReads times in a row: buffers may come at up to three times the pace of the
  // reads (a 20 ms meter over 20 to 60 ms buffers), and a meter that drops to zero between two buffers
  // flickers. The next read without a buffer gives silence.
  uint32_t Take();

  static constexpr int kHeldReads = 2;

 private:
  static void RaiseTo(std::atomic<uint32_t>& peak, uint32_t value);

  std::atomic<uint32_t> left_{0};
  std::atomic<uint32_t> right_{0};
  std::atomic<bool> measured_{false};
  uint32_t lastLevel_ = 0;  // read side only
  int emptyTakes_ = 0;      // read side only
};

}  // namespace orvimo::capture
