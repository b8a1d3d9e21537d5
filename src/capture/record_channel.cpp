#include "capture/record_channel.h"

#include <algorithm>

namespace orvimo::capture {

namespace {

// The level meter reads fifty times a second; its slices are that long, in whole frames.
uint32_t MeterSliceFrames(const SampleFormat& format) {
  return std::max<uint32_t>(1, (format.rate + 25) / 50);
}

}  // namespace

RecordChannel::RecordChannel(uint32_t handle, SampleFormat format, CaptureCallback callback, void* user)
    : handle_(handle), format_(format), callback_(callback), user_(user), meter_(MeterSliceFrames(format)) {}

void RecordChannel::HandOver(const uint8_t* buffer, uint32_t length) {
  if (CallbackEnded()) {
    return;
  }
  meter_.Measure(buffer, length, format_.bits, format_.channels);
  if (callback_ != nullptr && !callback_(handle_, buffer, length, user_)) {
    callback_ended_.store(true, std::memory_order_release);
  }
}

// The bytes are added first, so a reader that sees the new count sees at least its bytes.
void RecordChannel::ReportDropout(uint64_t bytes_lost) {
  bytes_lost_.fetch_add(bytes_lost, std::memory_order_relaxed);
  dropouts_.fetch_add(1, std::memory_order_release);
}

DropoutCount RecordChannel::Dropouts() const {
  const uint64_t count = dropouts_.load(std::memory_order_acquire);
  return DropoutCount{count, bytes_lost_.load(std::memory_order_relaxed)};
}

}  // namespace orvimo::capture
