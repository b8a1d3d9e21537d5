#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/audio_library.h"
#include "capture/record_channel.h"

struct pa_threaded_mainloop;
struct pa_context;

namespace orvimo::capture {

// One record stream and the channel it feeds; defined with the backend.
struct PulseChannel;

// Capture straight from a PulseAudio (or PipeWire-Pulse) server through libpulse. Every method runs on
// the GUI thread; libpulse calls back on the thread of its threaded main loop, one per library.
//
// Each chunk the server delivers is taken in the same wake-up (peek until the queue is empty), so the
// capture keeps real time however small the chunks are that the server sends: a source fed in small
// pieces, such as the monitor of a sink that a low-latency player writes to, loses nothing.
//
// Capture devices are the server's sources in its own order, monitors of the outputs included, named
// by their descriptions. The list is read at Init and again whenever device 0 is asked for, which is
// where every enumeration starts.
//
// Handles are counted up from 1 and never reused while the library lives. A channel is "already in
// progress" (error 14) when the device selected by RecordInit has a channel that ChannelStop has not
// closed yet, even one whose stream failed. A stream that fails, or a server that goes away, turns the
// channel inactive and hands nothing more over; the next RecordStart connects to the server anew.
class PulseAudioLibrary : public AudioLibrary {
 public:
  // How long Init, RecordStart and the device list wait for the server to answer.
  static constexpr std::chrono::milliseconds kServerTimeout{3000};

  PulseAudioLibrary();
  PulseAudioLibrary(const PulseAudioLibrary&) = delete;
  PulseAudioLibrary& operator=(const PulseAudioLibrary&) = delete;
  ~PulseAudioLibrary() override;

  // True when a server answers a connection within the timeout; nothing is kept.
  static bool IsServerReachable(std::chrono::milliseconds timeout = kServerTimeout);

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

 private:
  static constexpr int kDefaultDevice = -1;

  struct Source {
    std::string name;
    std::string description;
  };

  // The calls below that end in Locked expect the main loop's lock to be held.
  bool ConnectLocked(std::chrono::milliseconds timeout);
  bool EnsureConnectedLocked();
  bool ContextReadyLocked() const;
  template <typename Done>
  bool WaitLocked(Done done, std::chrono::milliseconds timeout);
  bool RefreshSourcesLocked();
  std::optional<uint32_t> CountSinksLocked();
  uint32_t OpenStreamLocked(const CaptureFormat& format, CaptureCallback proc, void* user);
  void CloseChannelLocked(PulseChannel& open);
  bool HasOpenChannelOn(int device_index) const;
  uint32_t Fail(CaptureErrorCode code);
  uint32_t NextHandle();
  void CloseAllChannels();
  void Disconnect();
  void Shutdown();

  pa_threaded_mainloop* mainloop_ = nullptr;
  pa_context* context_ = nullptr;
  bool initialized_ = false;
  std::vector<Source> sources_;
  std::optional<int> selected_device_;
  std::string selected_source_;  // empty: the server's default source
  std::map<uint32_t, std::unique_ptr<PulseChannel>> channels_;
  uint32_t last_handle_ = 0;
  int last_error_ = 0;
};

}  // namespace orvimo::capture
