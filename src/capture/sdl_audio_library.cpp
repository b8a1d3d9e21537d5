#include "capture/sdl_audio_library.h"

#include <SDL.h>

#include <climits>
#include <cstring>
#include <new>

namespace orvimo::capture {

namespace {

constexpr int kCapture = 1;
constexpr int kOutput = 0;
// What a backend that names no capture device calls its default one.
constexpr const char* kDefaultCaptureName = "Default recording device";

}  // namespace

struct SdlChannel {
  SdlChannel(uint32_t handle, int device_index, const CaptureFormat& format, CaptureCallback callback,
             void* user)
      : device_index(device_index), channel(handle, format, callback, user) {}

  // Set before the capture is unpaused and only read after, so the audio thread needs no lock.
  SDL_AudioDeviceID device_id = 0;
  const int device_index;
  RecordChannel channel;
};

namespace {

// On SDL's audio thread. A lost device is marked stopped, and SDL then fills the buffers with silence
// of its own: those never reach the program.
void SDLCALL OnCapturedBuffer(void* userdata, Uint8* stream, int length) {
  auto* open = static_cast<SdlChannel*>(userdata);
  if (length > 0 && SDL_GetAudioDeviceStatus(open->device_id) != SDL_AUDIO_STOPPED) {
    open->channel.HandOver(stream, static_cast<uint32_t>(length));
  }
}

bool IsUsableRate(uint32_t frequency) { return frequency > 0 && frequency <= INT_MAX; }

}  // namespace

SdlAudioLibrary::SdlAudioLibrary() = default;

SdlAudioLibrary::~SdlAudioLibrary() { Shutdown(); }

bool SdlAudioLibrary::Init(int device, uint32_t /*frequency*/, uint32_t /*flags*/, void* /*window*/,
                           void* /*clsid*/) {
  if (initialized_) {
    last_error_ = static_cast<int>(CaptureErrorCode::Already);
    return false;
  }
  if (device < kDefaultDevice) {
    last_error_ = static_cast<int>(CaptureErrorCode::NotAvailable);
    return false;
  }
  // The program handles SIGINT and SIGTERM itself; SDL would otherwise turn them into quit events.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_AUDIO_INCLUDE_MONITORS, "1");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Orvimo");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    last_error_ = static_cast<int>(CaptureErrorCode::NotAvailable);
    return false;
  }
  // Nothing is played, but a named output device must exist, as the command line promises.
  if (device >= 1 && SDL_GetNumAudioDevices(kOutput) < device) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    last_error_ = static_cast<int>(CaptureErrorCode::NotAvailable);
    return false;
  }
  initialized_ = true;
  last_error_ = 0;
  return true;
}

bool SdlAudioLibrary::Start() { return initialized_; }

int SdlAudioLibrary::CaptureDeviceCount() const {
  return initialized_ ? SDL_GetNumAudioDevices(kCapture) : 0;
}

std::optional<std::string> SdlAudioLibrary::RecordGetDeviceDescription(int device) {
  if (!initialized_ || device < 0) {
    return std::nullopt;
  }
  const int count = CaptureDeviceCount();
  if (count < 0) {
    // SDL knows a default device but cannot list any.
    return device == 0 ? std::optional<std::string>(kDefaultCaptureName) : std::nullopt;
  }
  if (device >= count) {
    return std::nullopt;
  }
  const char* name = SDL_GetAudioDeviceName(device, kCapture);
  return name != nullptr ? std::optional<std::string>(name) : std::nullopt;
}

bool SdlAudioLibrary::RecordInit(int device) {
  selected_device_.reset();
  if (!initialized_) {
    last_error_ = static_cast<int>(CaptureErrorCode::NotInitialized);
    return false;
  }
  if (device != kDefaultDevice && !RecordGetDeviceDescription(device)) {
    last_error_ = static_cast<int>(CaptureErrorCode::NotAvailable);
    return false;
  }
  selected_device_ = device;
  last_error_ = 0;
  return true;
}

bool SdlAudioLibrary::RecordFree() {
  CloseAllChannels();
  selected_device_.reset();
  return true;
}

std::optional<std::string> SdlAudioLibrary::RecordGetInputName(int /*input*/) { return std::nullopt; }

uint16_t SdlAudioLibrary::BufferFrames(uint32_t frequency) {
  const double wanted = frequency / 50.0;
  uint32_t frames = 16;
  while (frames < 32768 && frames * 2 <= wanted) {
    frames *= 2;
  }
  // frames <= wanted < 2 * frames here (unless clamped): take the nearer of the two.
  if (frames < 32768 && wanted - frames > 2.0 * frames - wanted) {
    frames *= 2;
  }
  return static_cast<uint16_t>(frames);
}

uint32_t SdlAudioLibrary::Fail(CaptureErrorCode code) {
  last_error_ = static_cast<int>(code);
  return 0;
}

bool SdlAudioLibrary::HasOpenChannelOn(int device_index) const {
  for (const auto& [handle, open] : channels_) {
    if (open->device_index == device_index) {
      return true;
    }
  }
  return false;
}

uint32_t SdlAudioLibrary::RecordStart(uint32_t frequency, uint32_t channels, uint32_t flags,
                                      CaptureCallback proc, void* user) {
  if (!initialized_ || !selected_device_) {
    return Fail(CaptureErrorCode::NotInitialized);
  }
  if (!IsUsableRate(frequency) || (channels != 1 && channels != 2)) {
    return Fail(CaptureErrorCode::Format);
  }
  if (HasOpenChannelOn(*selected_device_)) {
    return Fail(CaptureErrorCode::Already);
  }
  const uint32_t bits = (flags & kRecord8Bits) != 0 ? 8 : 16;
  try {
    return OpenCapture(CaptureFormat{frequency, channels, bits}, proc, user);
  } catch (const std::bad_alloc&) {
    return Fail(CaptureErrorCode::Memory);
  } catch (...) {
    return Fail(CaptureErrorCode::Unknown);
  }
}

uint32_t SdlAudioLibrary::NextHandle() {
  if (++last_handle_ == 0) {
    ++last_handle_;
  }
  return last_handle_;
}

uint32_t SdlAudioLibrary::OpenCapture(const CaptureFormat& format, CaptureCallback proc, void* user) {
  const int device_index = *selected_device_;
  const char* device_name = nullptr;  // the default device
  if (device_index != kDefaultDevice && CaptureDeviceCount() >= 0) {
    device_name = SDL_GetAudioDeviceName(device_index, kCapture);
    if (device_name == nullptr) {
      return Fail(CaptureErrorCode::NotAvailable);  // the device list changed since RecordInit
    }
  }
  const uint32_t handle = NextHandle();
  auto open = std::make_unique<SdlChannel>(handle, device_index, format, proc, user);

  SDL_AudioSpec wanted;
  std::memset(&wanted, 0, sizeof wanted);
  wanted.freq = static_cast<int>(format.frequency);
  wanted.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  wanted.channels = static_cast<Uint8>(format.channels);
  wanted.samples = BufferFrames(format.frequency);
  wanted.callback = OnCapturedBuffer;
  wanted.userdata = open.get();
  SDL_AudioSpec obtained;
  // No allowed changes: SDL converts from whatever the device runs, so buffers are always as asked.
  const SDL_AudioDeviceID device_id = SDL_OpenAudioDevice(device_name, kCapture, &wanted, &obtained, 0);
  if (device_id == 0) {
    const bool out_of_memory = std::strstr(SDL_GetError(), "Out of memory") != nullptr;
    return Fail(out_of_memory ? CaptureErrorCode::Memory : CaptureErrorCode::NotAvailable);
  }
  open->device_id = device_id;
  channels_.emplace(handle, std::move(open));
  SDL_PauseAudioDevice(device_id, 0);
  last_error_ = 0;
  return handle;
}

bool SdlAudioLibrary::ChannelStop(uint32_t handle) {
  const auto found = channels_.find(handle);
  if (found == channels_.end()) {
    return false;
  }
  // Closing joins SDL's audio thread: no callback of this channel runs once it returns, and only then
  // is its state freed.
  SDL_CloseAudioDevice(found->second->device_id);
  channels_.erase(found);
  return true;
}

int SdlAudioLibrary::ErrorGetCode() { return last_error_; }

uint32_t SdlAudioLibrary::ChannelGetLevel(uint32_t handle) {
  const auto found = channels_.find(handle);
  return found == channels_.end() ? 0 : found->second->channel.TakeLevel();
}

bool SdlAudioLibrary::ChannelIsActive(uint32_t handle) {
  const auto found = channels_.find(handle);
  if (found == channels_.end() || found->second->channel.CallbackEnded()) {
    return false;
  }
  // SDL marks a device that disconnected (unplugged, sound server gone) as stopped.
  return SDL_GetAudioDeviceStatus(found->second->device_id) != SDL_AUDIO_STOPPED;
}

void SdlAudioLibrary::CloseAllChannels() {
  for (auto& [handle, open] : channels_) {
    SDL_CloseAudioDevice(open->device_id);
  }
  channels_.clear();
}

void SdlAudioLibrary::Shutdown() {
  CloseAllChannels();
  selected_device_.reset();
  if (initialized_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    initialized_ = false;
  }
}

bool SdlAudioLibrary::Stop() {
  Shutdown();
  return true;
}

bool SdlAudioLibrary::Free() {
  Shutdown();
  return true;
}

}  // namespace orvimo::capture
