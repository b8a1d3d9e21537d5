#include "capture/record_channel.h"

namespace orvimo::capture {

RecordChannel::RecordChannel(uint32_t handle, CaptureFormat format, CaptureCallback callback, void* user)
    : handle_(handle), format_(format), callback_(callback), user_(user) {}

void RecordChannel::HandOver(const uint8_t* buffer, uint32_t length) {
  if (CallbackEnded()) {
    return;
  }
  meter_.Measure(buffer, length, format_.bits, format_.channels);
  if (callback_ != nullptr && !callback_(handle_, buffer, length, user_)) {
    callback_ended_.store(true, std::memory_order_release);
  }
}

}  // namespace orvimo::capture
