#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "base/date_time.h"
#include "recording/output_file.h"
#include "recording/wave_header.h"

namespace orvimo {

// The state of the one recording a process can have. Everything but Paused and BytesWritten belongs
// to the GUI thread; those two are shared with the capture thread without a lock.
struct RecordingState {
  bool Recording = false;
  std::atomic<bool> Paused{false};
  std::atomic<int64_t> BytesWritten{0};
  std::unique_ptr<OutputFile> OutStream;
  uint32_t CaptureChannel = 0;
  int64_t MaxBytes = 0;
  TDateTime StopTime = 0;
  int64_t BytesPerSec = 0;
  uint16_t FileCounter = 0;
  uint8_t DiskDrive = 0;
  std::array<uint32_t, 3> MessageColors{};  // 0x00BBGGRR
  uint32_t VuColor = 0xFFFFFFFF;            // 0xAARRGGBB
  WaveHeader Header{};
};

static_assert(std::atomic<int64_t>::is_always_lock_free, "the byte counter must be read whole");

// Capture callbacks; user is the RecordingState. They run on the capture thread and always return true.
// RecordCallback: a flag test, one write, one atomic add. MonitorCallback ignores the data.
bool RecordCallback(uint32_t channel, const void* buffer, uint32_t length, void* user);
bool MonitorCallback(uint32_t channel, const void* buffer, uint32_t length, void* user);

}  // namespace orvimo
