#include "capture_recorder.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace orvimo::capture {

bool CaptureRecorder::Collect(uint32_t /*channel*/, const void* buffer, uint32_t length, void* user) {
  auto* recorder = static_cast<CaptureRecorder*>(user);
  if (recorder->callbacks_++ == 0) {
    recorder->first_buffer_ns_ = std::chrono::steady_clock::now().time_since_epoch().count();
  }
  recorder->largest_ = std::max(recorder->largest_.load(), length);
  const size_t used = recorder->used_.load(std::memory_order_relaxed);
  const size_t copied = std::min<size_t>(length, recorder->bytes_.size() - used);
  std::memcpy(recorder->bytes_.data() + used, buffer, copied);
  recorder->used_.store(used + copied, std::memory_order_release);
  return true;
}

bool CaptureRecorder::WaitForBytes(size_t count, std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (Size() < count) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

std::vector<uint8_t> CaptureRecorder::Bytes() const {
  return std::vector<uint8_t>(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(Size()));
}

std::chrono::steady_clock::time_point CaptureRecorder::FirstBufferTime() const {
  return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(first_buffer_ns_.load()));
}

}  // namespace orvimo::capture
