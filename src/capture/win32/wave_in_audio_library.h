#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "capture/capture_library_core.h"

namespace orvimo::capture {

// Capture through the Win32 waveIn API. Devices are numbered as waveIn numbers them and named by their
// product names; the default device is the wave mapper's. The wave mapper converts from whatever the
// device runs, so every buffer is in the format asked for.
//
// Each channel keeps kBuffers buffers of about kBufferMilliseconds queued at the device, and a thread
// of its own hands the filled ones to the channel in order and queues them again. A device that refuses
// a buffer, or delivers nothing for kSilentLimitMilliseconds, is taken as gone. Dropouts are told from
// the pace of the buffers (DropoutClock), as waveIn reports none.
class WaveInAudioLibrary : public CaptureLibraryCore {
 public:
  static constexpr int kBuffers = 4;
  static constexpr uint32_t kBufferMilliseconds = 30;
  static constexpr uint32_t kSilentLimitMilliseconds = 2000;

  WaveInAudioLibrary() = default;
  ~WaveInAudioLibrary() override;

  // Bytes of one buffer: whole sample frames of about kBufferMilliseconds.
  static uint32_t BufferBytes(const SampleFormat& format);

 protected:
  bool OpenLibrary(int output_device) override;
  void CloseLibrary() override {}
  std::optional<std::string> DeviceDescription(int device) override;
  bool SelectDevice(int device) override;
  StreamOpening OpenStream(int device, const SampleFormat& format, RecordChannel& channel) override;
};

}  // namespace orvimo::capture
