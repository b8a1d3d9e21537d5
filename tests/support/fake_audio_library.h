#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "capture/capture_library_core.h"

namespace orvimo::capture {

// A deterministic stand-in for the capture library, for tests of everything that records.
//
// Configure it before the code under test runs:
//   FakeAudioLibrary audio;
//   audio.SetDevices({"Microphone", "Line in"});   // what RecordGetDeviceDescription lists; by
//                                                  // default one device, "Fake recording device"
//   audio.SetInputs({"Master", "Mic"});            // what RecordGetInputName lists; none by default
//   audio.RefuseInit();                            // Init fails (start-up must end)
//   audio.RefuseRecordStart(37);                   // every RecordStart fails with 37 until cleared
//   audio.SetLevel(1000, 32768);                   // ChannelGetLevel of a running channel
//
// It is one more backend on the capture core, so its handles, error codes and argument checks are
// those of the real backends (see CaptureLibraryCore): RecordStart fails with 8 before Init or
// RecordInit, with 6 for a bad rate or channel count, with 14 while the selected device has a channel
// running (stop it first), else it returns a new handle (1, 2, 3 ...; never reused) that becomes the
// current channel. Besides:
//   - RefuseRecordStart makes the device refuse to open with any code, once the core's checks passed.
//   - ChannelStop ends the channel; after it returns no delivery to that channel runs. 0 or an unknown
//     or stopped handle does nothing and returns false.
//   - ChannelGetLevel is the SetLevel value for a running channel, 0 otherwise.
//   - ChannelIsActive is true for a running channel until SetChannelLost(handle) or a callback that
//     returned false.
//   - ChannelGetDropouts counts what ReportDropout(handle, bytes) reported for a running channel.
//   - RecordFree and Stop stop every channel; Free also forgets the selection and undoes Init.
//
// Deliver buffers to the current channel with Deliver or DeliverSilence. Each runs the channel's
// callback on a thread of its own (never the caller's), like the capture thread of the real library,
// and returns when the callback has returned. They may be called from any thread; a ChannelStop made
// meanwhile waits for the delivery to end. The callback must not call back into the library.
//
// Every call made through AudioLibrary is recorded, with its arguments, for assertions on order and
// arguments: Calls(), CallNames(), CallsNamed("RecordStart"). Thread-safe throughout.
class FakeAudioLibrary : public CaptureLibraryCore {
 public:
  // One call through AudioLibrary: its name without the prefix ("Init", "RecordStart", "ChannelStop")
  // and its integer arguments in order (pointers are left out):
  //   Init {device, frequency, flags}; RecordGetDeviceDescription {device}; RecordInit {device};
  //   RecordGetInputName {input}; RecordStart {frequency, channels, flags}; ChannelStop {handle};
  //   ChannelGetLevel {handle}; ChannelIsActive {handle}; ChannelGetDropouts {handle};
  //   SetLowPower {1 relaxed, 0 not}; the others {}.
  struct Call {
    std::string name;
    std::vector<int64_t> args;
    bool operator==(const Call&) const = default;
  };

  // A channel that RecordStart opened, running or stopped.
  struct Channel {
    uint32_t handle = 0;
    uint32_t frequency = 0;
    uint32_t channels = 0;
    uint32_t flags = 0;
    CaptureCallback callback = nullptr;
    void* user = nullptr;
    bool stopped = false;
    bool lost = false;
    bool callback_ended = false;  // the callback returned false
    uint64_t bytes_delivered = 0;

    uint32_t BytesPerSecond() const;
  };

  FakeAudioLibrary();
  ~FakeAudioLibrary() override;

  // --- configuration ---
  void SetDevices(std::vector<std::string> names);
  void SetInputs(std::vector<std::string> names);
  void RefuseInit(bool refuse = true);
  // Every RecordStart from now on fails with this code; std::nullopt lets them succeed again.
  void RefuseRecordStart(std::optional<int> error_code);
  void SetLevel(uint16_t left, uint16_t right);
  // The channel's device went away: ChannelIsActive turns false; deliveries to it are dropped.
  void SetChannelLost(uint32_t handle);
  // The device dropped a stretch of the running channel's audio (bytes 0: it cannot tell how much), as
  // a backend reports it from its capture thread. False when the channel does not run.
  bool ReportDropout(uint32_t handle, uint64_t bytes_lost);

  // --- delivery ---
  // Hands bytes, as one buffer, to the current channel's callback. False (and nothing delivered) for no
  // bytes, or when no channel runs, it is lost or its callback ended it.
  bool Deliver(std::span<const uint8_t> bytes);
  // Hands the given duration of silence in the current channel's format (128 for 8-bit samples, 0 for
  // 16-bit) in buffers of 20 ms (the last one shorter). Returns the bytes delivered; 0 when none runs.
  uint64_t DeliverSilence(double seconds);

  // --- inspection ---
  std::vector<Call> Calls() const;
  std::vector<std::string> CallNames() const;
  std::vector<Call> CallsNamed(const std::string& name) const;
  void ClearCalls();
  bool IsInitialized() const;
  std::optional<int> SelectedDevice() const;  // set by RecordInit, cleared by RecordFree
  // The handle of the running channel; 0 when none runs.
  uint32_t CurrentChannel() const;
  std::optional<Channel> ChannelInfo(uint32_t handle) const;
  std::vector<Channel> Channels() const;  // every channel ever started, in order

  // --- AudioLibrary ---
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
  DropoutCount ChannelGetDropouts(uint32_t handle) override;
  void SetLowPower(bool relaxed) override;
  bool Stop() override;
  bool Free() override;

 protected:
  // The device steps, called by the core with mutex_ held.
  bool OpenLibrary(int output_device) override;
  void CloseLibrary() override {}
  std::optional<std::string> DeviceDescription(int device) override;
  bool SelectDevice(int device) override;
  std::optional<std::string> InputName(int input) override;
  StreamOpening OpenStream(int device, const SampleFormat& format, RecordChannel& channel) override;

 private:
  class Stream;

  void Record(std::string name, std::vector<int64_t> args = {});
  Channel* Running(uint32_t handle);
  void MarkAllStopped();
  // Runs the current channel's callback on a thread of its own for each buffer; called with
  // delivery_mutex_ held.
  uint64_t DeliverBuffers(const std::vector<std::vector<uint8_t>>& buffers);

  // Held for the whole of a delivery, so ChannelStop cannot return while one runs. Taken before mutex_.
  std::mutex delivery_mutex_;
  mutable std::mutex mutex_;
  std::vector<std::string> devices_;
  std::vector<std::string> inputs_;
  bool refuse_init_ = false;
  std::optional<int> refuse_record_start_;
  uint32_t level_ = 0;
  std::map<uint32_t, Channel> channels_;  // every channel ever started
  std::map<uint32_t, Stream*> streams_;   // of the running ones; the core owns them
  uint32_t current_ = 0;
  std::vector<Call> calls_;
};

}  // namespace orvimo::capture
