#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace orvimo::capture {

// Collects what a capture channel delivers into room reserved up front (the callback runs on the
// capture thread and must not allocate) and notes when the first buffer came.
class CaptureRecorder {
 public:
  explicit CaptureRecorder(size_t capacity) : bytes_(capacity) {}

  static bool Collect(uint32_t channel, const void* buffer, uint32_t length, void* user);

  // Waits, at most timeout, until at least the given number of bytes arrived.
  bool WaitForBytes(size_t count, std::chrono::milliseconds timeout) const;
  size_t Size() const { return used_.load(std::memory_order_acquire); }
  int Callbacks() const { return callbacks_; }
  uint32_t LargestBuffer() const { return largest_; }
  // The bytes collected so far.
  std::vector<uint8_t> Bytes() const;
  std::chrono::steady_clock::time_point FirstBufferTime() const;

 private:
  std::vector<uint8_t> bytes_;
  std::atomic<size_t> used_{0};
  std::atomic<int> callbacks_{0};
  std::atomic<uint32_t> largest_{0};
  std::atomic<int64_t> first_buffer_ns_{0};
};

}  // namespace orvimo::capture
