#include "capture/dropout_clock.h"

#include <algorithm>

namespace orvimo::capture {

namespace {

int64_t BytesIn(DropoutClock::Clock::duration duration, int64_t bytes_per_second) {
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
  // Whole seconds and the rest apart: no overflow in a recording of any length.
  return micros / 1000000 * bytes_per_second + micros % 1000000 * bytes_per_second / 1000000;
}

}  // namespace

DropoutClock::DropoutClock(int64_t bytes_per_second)
    : bytes_per_second_(std::max<int64_t>(bytes_per_second, 1)),
      threshold_bytes_(BytesIn(kThreshold, bytes_per_second_)) {}

int64_t DropoutClock::Lag(uint64_t bytes_delivered, Clock::time_point now) const {
  return BytesIn(now - *start_, bytes_per_second_) - static_cast<int64_t>(bytes_delivered);
}

uint64_t DropoutClock::Observe(uint64_t bytes_delivered, Clock::time_point now) {
  if (!start_) {
    start_ = now;
    window_end_ = now + kWindow;
    window_floor_ = Lag(bytes_delivered, now);
    return 0;
  }
  const int64_t lag = Lag(bytes_delivered, now);
  uint64_t lost = 0;
  if (now >= window_end_) {
    lost = CloseWindow();
    window_end_ = now + kWindow;
    window_floor_ = lag;
  } else {
    window_floor_ = std::min(window_floor_, lag);
  }
  return lost;
}

void DropoutClock::Restart() {
  start_.reset();
  previous_floor_.reset();
  baseline_.reset();
}

// The floor of two windows in a row, so that a backlog drained across one window's end is not
// mistaken for a loss.
uint64_t DropoutClock::CloseWindow() {
  const int64_t floor = previous_floor_ ? std::min(*previous_floor_, window_floor_) : window_floor_;
  previous_floor_ = window_floor_;
  if (!baseline_ || floor <= *baseline_ + threshold_bytes_) {
    baseline_ = floor;  // the first floor, or jitter and drift
    return 0;
  }
  const int64_t lost = floor - *baseline_;
  baseline_ = floor;
  return static_cast<uint64_t>(lost);
}

}  // namespace orvimo::capture
