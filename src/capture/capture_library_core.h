#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "base/sample_format.h"
#include "capture/audio_library.h"
#include "capture/record_channel.h"

namespace orvimo::capture {

// A backend's device stream for one channel. It hands the channel's buffers over from the moment it
// is opened; destroying it closes it, and once its destructor has returned no buffer is handed over.
class CaptureStream {
 public:
  virtual ~CaptureStream() = default;
  // False once the stream's device has gone away (unplugged, sound server ended).
  virtual bool IsAlive() const = 0;
  // Large, rare deliveries (true) or the level meter's pace (false); the bytes stay the same.
  virtual void SetLowPower(bool /*relaxed*/) {}
  // Hands over what the device captured up to now and still holds; a stream that holds nothing back
  // has nothing to do.
  virtual void Flush() {}
};

// What opening a stream gave: the stream, or the error code that says why there is none.
struct StreamOpening {
  std::unique_ptr<CaptureStream> stream;
  int error = static_cast<int>(CaptureErrorCode::Unknown);
};

// What every capture backend shares: Init and Free bookkeeping, the selected device, the handles, the
// open channels, the argument checks and the error codes. A backend supplies only the device steps:
// open and close the library, list devices, select one, and open a stream that feeds a channel.
//
// The rules, the same for every backend:
//   - Init fails with 14 when already initialised and with 37 for a device below -1 or one the backend
//     cannot open. Nothing is listed or selected before Init.
//   - RecordInit fails with 8 before Init and with 37 for a device the backend does not know; a failed
//     RecordInit leaves no device selected. RecordFree closes every channel and forgets the selection.
//   - RecordStart fails with 8 with no device selected, with 6 for a rate of 0 or above INT_MAX or a
//     channel count other than 1 or 2, and with 14 while the selected device has a channel that
//     ChannelStop has not closed, even one whose device went away; else with what the backend says.
//     Handles count up from 1 and are never reused while the library lives, so a stale handle never
//     stops a newer channel.
//   - ChannelStop, ChannelGetLevel, ChannelIsActive and ChannelGetDropouts do no harm with 0 or a
//     stopped handle. Stop closes every channel; Free also forgets the selection and undoes Init.
//
// Every public method runs on the GUI thread; the streams run on threads of their own and touch only
// their RecordChannel. A derived class calls Shutdown in its destructor, while its own state lives.
class CaptureLibraryCore : public AudioLibrary {
 public:
  CaptureLibraryCore();
  CaptureLibraryCore(const CaptureLibraryCore&) = delete;
  CaptureLibraryCore& operator=(const CaptureLibraryCore&) = delete;
  ~CaptureLibraryCore() override;

  bool Init(int device, uint32_t frequency, uint32_t flags, void* window, void* clsid) override;
  bool Start() override;
  std::optional<std::string> RecordGetDeviceDescription(int device) override;
  bool RecordInit(int device) override;
  bool RecordFree() override;
  std::optional<std::string> RecordGetInputName(int input) override;
  uint32_t RecordStart(uint32_t frequency, uint32_t channels, uint32_t flags, CaptureCallback proc,
                       void* user) override;
  bool ChannelStop(uint32_t handle) override;
  void ChannelFlush(uint32_t handle) override;
  int ErrorGetCode() override;
  uint32_t ChannelGetLevel(uint32_t handle) override;
  bool ChannelIsActive(uint32_t handle) override;
  DropoutCount ChannelGetDropouts(uint32_t handle) override;
  // Passed on to every open stream; OpenStream reads LowPower() for the streams opened later.
  void SetLowPower(bool relaxed) override;
  bool Stop() override;
  bool Free() override;

 protected:
  static constexpr int kDefaultDevice = -1;

  // --- the backend's device steps ---
  // Init: make the library usable; output_device is -1 (default), 0 (none) or n >= 1, which must exist.
  virtual bool OpenLibrary(int output_device) = 0;
  // Free: undo OpenLibrary; every stream is closed by then.
  virtual void CloseLibrary() = 0;
  // Capture device n >= 0, in the backend's order; none after the last.
  virtual std::optional<std::string> DeviceDescription(int device) = 0;
  // RecordInit: device n >= 0 or kDefaultDevice; false when there is no such device.
  virtual bool SelectDevice(int device) = 0;
  virtual std::optional<std::string> InputName(int /*input*/) { return std::nullopt; }
  // RecordStart: a stream of the selected device (as SelectDevice last accepted it) that feeds channel.
  virtual StreamOpening OpenStream(int device, const SampleFormat& format, RecordChannel& channel) = 0;

  // Closes every channel and undoes Init.
  void Shutdown();
  bool IsInitialized() const { return initialized_; }
  std::optional<int> SelectedDevice() const { return selected_device_; }
  bool LowPower() const { return low_power_; }
  // The channel of an open handle, or null.
  RecordChannel* FindChannel(uint32_t handle);
  CaptureStream* FindStream(uint32_t handle);
  // Sets the error code of the last call and returns 0, the failed handle.
  uint32_t Fail(int code);
  uint32_t Fail(CaptureErrorCode code) { return Fail(static_cast<int>(code)); }

 private:
  struct OpenChannel;

  bool HasOpenChannelOn(int device) const;
  uint32_t NextHandle();
  uint32_t OpenOn(int device, const SampleFormat& format, CaptureCallback proc, void* user);
  void CloseAllChannels();

  bool initialized_ = false;
  std::optional<int> selected_device_;
  std::map<uint32_t, std::unique_ptr<OpenChannel>> channels_;
  uint32_t last_handle_ = 0;
  int last_error_ = 0;
  bool low_power_ = false;
};

}  // namespace orvimo::capture
