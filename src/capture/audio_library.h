#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvimo::capture {

// Called on the capture thread with each buffer of PCM audio in the format asked for; return true to
// go on. A plain function pointer and a user pointer: nothing that allocates per call.
using CaptureCallback = bool (*)(uint32_t channel, const void* buffer, uint32_t length, void* user);

// Flag of RecordStart: 8-bit unsigned samples (otherwise 16-bit signed little-endian).
constexpr uint32_t kRecord8Bits = 1;

enum class CaptureErrorCode : int {
  Memory = 1,          // "Insufficient memory!"
  Format = 6,          // "File format not supported!"
  NotInitialized = 8,  // "BASS_RecordInit not called!"
  Already = 14,        // "Recording already in progress!"
  NotAvailable = 37,   // "Recording device not available for use!"
  Unknown = -1,        // "Unknown problem!"
};

// Stretches of captured audio that the device or the sound server had to drop, since the channel started.
struct DropoutCount {
  uint64_t count = 0;
  uint64_t bytes_lost = 0;  // 0 when the backend cannot tell how much

  bool operator==(const DropoutCount&) const = default;
};

// The fixed message of an error code; "Unknown error!" for any code not in the table.
std::string CaptureErrorMessage(int code);

// The capture library the program records through. Every call is made on the GUI thread.
class AudioLibrary {
 public:
  virtual ~AudioLibrary() = default;

  // device: -1 default output, 0 no output, n >= 1 an output device. True on success.
  virtual bool Init(int device, uint32_t frequency, uint32_t flags, void* window, void* clsid) = 0;
  virtual bool Start() = 0;
  // Capture device n, in the order RecordInit numbers them; none after the last.
  virtual std::optional<std::string> RecordGetDeviceDescription(int device) = 0;
  // Selects capture device n (-1: the default) for later RecordStart calls.
  virtual bool RecordInit(int device) = 0;
  // Stops every open channel and forgets the selection.
  virtual bool RecordFree() = 0;
  virtual std::optional<std::string> RecordGetInputName(int input) = 0;
  // A channel that captures at once, or 0 with the reason kept for ErrorGetCode.
  virtual uint32_t RecordStart(uint32_t frequency, uint32_t channels, uint32_t flags, CaptureCallback proc,
                               void* user) = 0;
  // When it returns, no callback of that channel runs any more. 0 or a stopped handle does no harm.
  virtual bool ChannelStop(uint32_t handle) = 0;
  // Before a stop: hands over the audio captured up to now that the device or the sound server still
  // holds (with large deliveries, up to a second or two), so a recording keeps its end. It may take as
  // long as the capture's latency. 0 or a stopped handle does no harm.
  virtual void ChannelFlush(uint32_t /*handle*/) {}
  virtual int ErrorGetCode() = 0;
  // The peak of the next 20 ms of captured audio not read yet: left in the low 16 bits, right in the high
  // 16 bits, 0 to 32768 each. Read every 20 ms it replays large deliveries at their own pace, at most one
  // delivery behind; read less often, the older slices merge into one read.
  virtual uint32_t ChannelGetLevel(uint32_t handle) = 0;
  // False once the channel's device has gone away (unplugged, sound server ended); true while it captures.
  virtual bool ChannelIsActive(uint32_t handle) = 0;
  // The dropouts of a channel that has not been stopped; {0, 0} for 0 or a stopped handle, so read it
  // before ChannelStop. A library that cannot tell reports none.
  virtual DropoutCount ChannelGetDropouts(uint32_t /*handle*/) { return {}; }
  // relaxed: nobody looks at the level, so the open channels, and those opened later, may take their
  // audio in large deliveries at a latency that lets the device and the sound server sleep; false
  // brings back the pace the level meter needs. Only the size of the deliveries changes, never the
  // bytes. A library that cannot tell the difference ignores it.
  virtual void SetLowPower(bool /*relaxed*/) {}
  virtual bool Stop() = 0;
  virtual bool Free() = 0;
};

}  // namespace orvimo::capture
