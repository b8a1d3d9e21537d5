#pragma once

#include <array>
#include <cstdint>

#include "base/date_time.h"
#include "base/sample_format.h"

namespace orvimo {

// The figures of the one recording a process can have, as the window shows and the scheduler sets
// them. All of it belongs to the GUI thread; what the capture and writer threads share lives in
// RecordingWriter.
struct RecordingState {
  bool Recording = false;
  bool Paused = false;
  uint32_t CaptureChannel = 0;
  int64_t MaxBytes = 0;
  TDateTime StopTime = 0;
  int64_t BytesPerSec = 0;  // of the selected format
  uint16_t FileCounter = 0;
  uint8_t DiskDrive = 0;
  std::array<uint32_t, 3> MessageColors{};  // 0x00BBGGRR
  uint32_t VuColor = 0xFFFFFFFF;            // 0xAARRGGBB
  SampleFormat Format{};                    // of the recording that runs or ran last
};

// The monitor channel's callback: the data only moves the meter, which the capture layer measures.
bool MonitorCallback(uint32_t channel, const void* buffer, uint32_t length, void* user);

}  // namespace orvimo
