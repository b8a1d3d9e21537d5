#pragma once

#include <atomic>
#include <cstdint>

#include "base/sample_format.h"
#include "capture/audio_library.h"
#include "capture/peak_meter.h"

namespace orvimo::capture {

// One running capture channel as the capture thread sees it: where its buffers go and how loud they
// were, and what was lost on the way. Made on the GUI thread before the capture starts and destroyed only
// after it has stopped, so the capture thread may use it without a lock; the capture thread changes only the
// atomics.
class RecordChannel {
 public:
  RecordChannel(uint32_t handle, SampleFormat format, CaptureCallback callback, void* user);
  RecordChannel(const RecordChannel&) = delete;
  RecordChannel& operator=(const RecordChannel&) = delete;

  // The work done for every captured buffer, on the capture thread: measure its peaks and hand it,
  // unchanged and whole, to the program's callback. Once the callback has returned false no further
  // buffer is handed over.
  void HandOver(const uint8_t* buffer, uint32_t length);

  // The peaks of the next 20 ms of audio the meter has not shown, as ChannelGetLevel reports them.
  uint32_t TakeLevel() { return meter_.Take(); }
  // True once the program's callback asked to end the capture.
  bool CallbackEnded() const { return callback_ended_.load(std::memory_order_acquire); }

  // On the capture thread: the device or the server dropped a stretch of audio (bytes 0: unknown).
  void ReportDropout(uint64_t bytes_lost);
  // On any thread: what was reported so far.
  DropoutCount Dropouts() const;

  uint32_t handle() const { return handle_; }
  const SampleFormat& format() const { return format_; }

 private:
  const uint32_t handle_;
  const SampleFormat format_;
  const CaptureCallback callback_;
  void* const user_;
  PeakMeter meter_;
  std::atomic<bool> callback_ended_{false};
  std::atomic<uint64_t> dropouts_{0};
  std::atomic<uint64_t> bytes_lost_{0};
};

}  // namespace orvimo::capture
