#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "capture/audio_library.h"
#include "capture/record_channel.h"

namespace orvimo::capture {

// One open SDL capture device and the channel it feeds; defined with the backend.
struct SdlChannel;

// Capture through SDL2's audio subsystem (PulseAudio, PipeWire or ALSA on Linux; WASAPI or DirectSound
// on Windows). Nothing is ever played. SDL's audio state is global to the process, so only one instance
// may be initialised at a time. Every method runs on the GUI thread; SDL calls back on its own audio
// thread, one per channel.
//
// Capture devices are numbered in SDL's order and include the monitors of the outputs, so a user can
// record what the computer plays. A backend that names no capture device offers its default one as
// device 0.
//
// Handles are the library's own, counted up from 1 and never reused while the library lives, so a
// stale handle can never stop a newer channel (SDL reuses its device ids).
//
// Once SDL reports the device lost, nothing more is handed over: SDL would go on calling back with
// silence that was never captured.
//
// A channel is "already in progress" (error 14) when the selected device, identified by the index
// given to RecordInit, has an open channel that ChannelStop has not closed yet, even one whose device
// went away: the program stops its channel before it starts the next one.
class SdlAudioLibrary : public AudioLibrary {
 public:
  SdlAudioLibrary();
  SdlAudioLibrary(const SdlAudioLibrary&) = delete;
  SdlAudioLibrary& operator=(const SdlAudioLibrary&) = delete;
  ~SdlAudioLibrary() override;

  bool Init(int device, uint32_t frequency, uint32_t flags, void* window, void* clsid) override;
  bool Start() override;
  std::optional<std::string> RecordGetDeviceDescription(int device) override;
  bool RecordInit(int device) override;
  bool RecordFree() override;
  std::optional<std::string> RecordGetInputName(int input) override;
  uint32_t RecordStart(uint32_t frequency, uint32_t channels, uint32_t flags, CaptureCallback proc,
                       void* user) override;
  bool ChannelStop(uint32_t handle) override;
  int ErrorGetCode() override;
  uint32_t ChannelGetLevel(uint32_t handle) override;
  bool ChannelIsActive(uint32_t handle) override;
  bool Stop() override;
  bool Free() override;

  // Sample frames per SDL buffer for a rate: the power of two nearest to 20 ms.
  static uint16_t BufferFrames(uint32_t frequency);

 private:
  static constexpr int kDefaultDevice = -1;

  int CaptureDeviceCount() const;
  bool HasOpenChannelOn(int device_index) const;
  uint32_t Fail(CaptureErrorCode code);
  uint32_t OpenCapture(const CaptureFormat& format, CaptureCallback proc, void* user);
  uint32_t NextHandle();
  void CloseAllChannels();
  void Shutdown();

  bool initialized_ = false;
  std::optional<int> selected_device_;
  std::map<uint32_t, std::unique_ptr<SdlChannel>> channels_;
  uint32_t last_handle_ = 0;
  int last_error_ = 0;
};

}  // namespace orvimo::capture
