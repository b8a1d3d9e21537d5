#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace orvimo::capture {

// Tells lost stretches of a capture from its pace. A device delivers its rate in bytes per second, so
// the bytes handed over trail a steady clock by a lag that only jitters with the deliveries. A stretch
// that the server or the device drops never arrives: the lag then rises by its length and stays
// there. A reader held back without loss raises the lag too, but the queued audio arrives after it
// and the lag falls back.
//
// So the lowest lag of each window of deliveries is taken, and a rise of that floor by more than the
// jitter, lasting two windows, is a dropout of that many bytes. A slow drift between the device's
// clock and the system's is followed, not counted. Stretches shorter than the threshold are not
// told from jitter. Used on the capture thread only: no lock, no allocation, no system call.
class DropoutClock {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kWindow = std::chrono::seconds(1);
  static constexpr Clock::duration kThreshold = std::chrono::milliseconds(100);

  explicit DropoutClock(int64_t bytes_per_second);

  // At each delivery: the bytes delivered since the capture started, this delivery included. Returns
  // the bytes of a stretch found lost, 0 when none.
  uint64_t Observe(uint64_t bytes_delivered, Clock::time_point now);
  // Forgets the lag learnt so far, from the next delivery on: a new delivery size moves the lag's
  // floor, and that move is no loss.
  void Restart();

 private:
  int64_t Lag(uint64_t bytes_delivered, Clock::time_point now) const;
  uint64_t CloseWindow();

  const int64_t bytes_per_second_;
  const int64_t threshold_bytes_;
  std::optional<Clock::time_point> start_;
  Clock::time_point window_end_;
  int64_t window_floor_ = 0;
  std::optional<int64_t> previous_floor_;
  std::optional<int64_t> baseline_;
};

}  // namespace orvimo::capture
