#include "capture/capture_library_core.h"

#include <algorithm>
#include <climits>
#include <new>

namespace orvimo::capture {

// The stream is declared after the channel it feeds, so it is closed before the channel goes.
struct CaptureLibraryCore::OpenChannel {
  OpenChannel(int device, uint32_t handle, const SampleFormat& format, CaptureCallback proc, void* user)
      : device(device), channel(handle, format, proc, user) {}

  const int device;
  RecordChannel channel;
  std::unique_ptr<CaptureStream> stream;
};

namespace {

bool IsUsableFormat(uint32_t frequency, uint32_t channels) {
  return frequency > 0 && frequency <= INT_MAX && (channels == 1 || channels == 2);
}

}  // namespace

CaptureLibraryCore::CaptureLibraryCore() = default;
CaptureLibraryCore::~CaptureLibraryCore() = default;

bool CaptureLibraryCore::Init(int device, uint32_t /*frequency*/, uint32_t /*flags*/, void* /*window*/,
                              void* /*clsid*/) {
  if (initialized_) {
    return Fail(CaptureErrorCode::Already) != 0;
  }
  if (device < kDefaultDevice || !OpenLibrary(device)) {
    return Fail(CaptureErrorCode::NotAvailable) != 0;
  }
  initialized_ = true;
  last_error_ = 0;
  return true;
}

bool CaptureLibraryCore::Start() { return initialized_; }

std::optional<std::string> CaptureLibraryCore::RecordGetDeviceDescription(int device) {
  if (!initialized_ || device < 0) {
    return std::nullopt;
  }
  return DeviceDescription(device);
}

bool CaptureLibraryCore::RecordInit(int device) {
  selected_device_.reset();
  if (!initialized_) {
    return Fail(CaptureErrorCode::NotInitialized) != 0;
  }
  if (device < kDefaultDevice || !SelectDevice(device)) {
    return Fail(CaptureErrorCode::NotAvailable) != 0;
  }
  selected_device_ = device;
  last_error_ = 0;
  return true;
}

bool CaptureLibraryCore::RecordFree() {
  CloseAllChannels();
  selected_device_.reset();
  return true;
}

std::optional<std::string> CaptureLibraryCore::RecordGetInputName(int input) {
  if (!initialized_ || input < 0) {
    return std::nullopt;
  }
  return InputName(input);
}

uint32_t CaptureLibraryCore::RecordStart(uint32_t frequency, uint32_t channels, uint32_t flags,
                                         CaptureCallback proc, void* user) {
  if (!initialized_ || !selected_device_) {
    return Fail(CaptureErrorCode::NotInitialized);
  }
  if (!IsUsableFormat(frequency, channels)) {
    return Fail(CaptureErrorCode::Format);
  }
  if (HasOpenChannelOn(*selected_device_)) {
    return Fail(CaptureErrorCode::Already);
  }
  const SampleFormat format{frequency, static_cast<uint16_t>(channels),
                            static_cast<uint16_t>((flags & kRecord8Bits) != 0 ? 8 : 16)};
  try {
    return OpenOn(*selected_device_, format, proc, user);
  } catch (const std::bad_alloc&) {
    return Fail(CaptureErrorCode::Memory);
  } catch (...) {
    return Fail(CaptureErrorCode::Unknown);
  }
}

// The channel exists at its final address before the stream opens: the stream may hand its first
// buffer over before OpenStream has returned.
uint32_t CaptureLibraryCore::OpenOn(int device, const SampleFormat& format, CaptureCallback proc,
                                    void* user) {
  const uint32_t handle = NextHandle();
  auto open = std::make_unique<OpenChannel>(device, handle, format, proc, user);
  StreamOpening opening = OpenStream(device, format, open->channel);
  if (!opening.stream) {
    return Fail(opening.error);
  }
  open->stream = std::move(opening.stream);
  channels_.emplace(handle, std::move(open));
  last_error_ = 0;
  return handle;
}

uint32_t CaptureLibraryCore::NextHandle() {
  if (++last_handle_ == 0) {
    ++last_handle_;
  }
  return last_handle_;
}

bool CaptureLibraryCore::HasOpenChannelOn(int device) const {
  return std::any_of(channels_.begin(), channels_.end(),
                     [device](const auto& entry) { return entry.second->device == device; });
}

bool CaptureLibraryCore::ChannelStop(uint32_t handle) {
  const auto found = channels_.find(handle);
  if (found == channels_.end()) {
    return false;
  }
  channels_.erase(found);
  return true;
}

void CaptureLibraryCore::ChannelFlush(uint32_t handle) {
  const auto found = channels_.find(handle);
  if (found != channels_.end() && found->second->stream) found->second->stream->Flush();
}

int CaptureLibraryCore::ErrorGetCode() { return last_error_; }

uint32_t CaptureLibraryCore::ChannelGetLevel(uint32_t handle) {
  RecordChannel* channel = FindChannel(handle);
  return channel != nullptr ? channel->TakeLevel() : 0;
}

bool CaptureLibraryCore::ChannelIsActive(uint32_t handle) {
  const auto found = channels_.find(handle);
  return found != channels_.end() && !found->second->channel.CallbackEnded() &&
         found->second->stream->IsAlive();
}

DropoutCount CaptureLibraryCore::ChannelGetDropouts(uint32_t handle) {
  RecordChannel* channel = FindChannel(handle);
  return channel != nullptr ? channel->Dropouts() : DropoutCount{};
}

void CaptureLibraryCore::SetLowPower(bool relaxed) {
  low_power_ = relaxed;
  for (auto& entry : channels_) {
    entry.second->stream->SetLowPower(relaxed);
  }
}

bool CaptureLibraryCore::Stop() {
  CloseAllChannels();
  return true;
}

bool CaptureLibraryCore::Free() {
  Shutdown();
  return true;
}

void CaptureLibraryCore::Shutdown() {
  CloseAllChannels();
  selected_device_.reset();
  if (initialized_) {
    CloseLibrary();
    initialized_ = false;
  }
}

void CaptureLibraryCore::CloseAllChannels() { channels_.clear(); }

RecordChannel* CaptureLibraryCore::FindChannel(uint32_t handle) {
  const auto found = channels_.find(handle);
  return found == channels_.end() ? nullptr : &found->second->channel;
}

CaptureStream* CaptureLibraryCore::FindStream(uint32_t handle) {
  const auto found = channels_.find(handle);
  return found == channels_.end() ? nullptr : found->second->stream.get();
}

uint32_t CaptureLibraryCore::Fail(int code) {
  last_error_ = code;
  return 0;
}

}  // namespace orvimo::capture
