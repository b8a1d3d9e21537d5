#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "capture/capture_library_core.h"

namespace orvimo::capture {

// Capture through SDL2's audio subsystem (PulseAudio, PipeWire or ALSA on Linux; WASAPI or DirectSound
// on Windows). Nothing is ever played. SDL's audio state is global to the process, so only one instance
// may be initialised at a time. Every method runs on the GUI thread; SDL calls back on its own audio
// thread, one per channel.
//
// Capture devices are numbered in SDL's order and include the monitors of the outputs, so a user can
// record what the computer plays. A backend that names no capture device offers its default one as
// device 0.
//
// Handles are the core's own, never SDL's device ids, which SDL reuses.
//
// Once SDL reports the device lost, nothing more is handed over: SDL would go on calling back with
// silence that was never captured.
//
// SDL tells nothing of audio its driver dropped (an overrun of the device or the sound server looks
// like any other buffer), so dropouts are told from the pace of the buffers alone (DropoutClock).
class SdlAudioLibrary : public CaptureLibraryCore {
 public:
  SdlAudioLibrary() = default;
  ~SdlAudioLibrary() override;

  // Sample frames per SDL buffer for a rate: the power of two nearest to 20 ms.
  static uint16_t BufferFrames(uint32_t frequency);

 protected:
  bool OpenLibrary(int output_device) override;
  void CloseLibrary() override;
  std::optional<std::string> DeviceDescription(int device) override;
  bool SelectDevice(int device) override;
  StreamOpening OpenStream(int device, const SampleFormat& format, RecordChannel& channel) override;

 private:
  int CaptureDeviceCount() const;
};

}  // namespace orvimo::capture
