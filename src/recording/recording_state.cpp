#include "recording/recording_state.h"

namespace orvimo {

bool RecordCallback(uint32_t /*channel*/, const void* buffer, uint32_t length, void* user) {
  auto* state = static_cast<RecordingState*>(user);
  if (state == nullptr || state->Paused.load(std::memory_order_acquire)) return true;  // dropped, not counted
  if (state->OutStream) state->OutStream->Append(buffer, length);
  // The delivered length is counted whatever the write achieved; the disk-space guard catches a full disk.
  state->BytesWritten.fetch_add(length, std::memory_order_relaxed);
  return true;
}

bool MonitorCallback(uint32_t /*channel*/, const void* /*buffer*/, uint32_t /*length*/, void* /*user*/) {
  return true;
}

}  // namespace orvimo
