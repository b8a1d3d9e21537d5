#include "capture/sdl_audio_library.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstring>

#include "capture/dropout_clock.h"

namespace orvimo::capture {

namespace {

constexpr int kCapture = 1;
constexpr int kOutput = 0;
// What a backend that names no capture device calls its default one.
constexpr const char* kDefaultCaptureName = "Default recording device";

// SDL is loaded the first time this backend opens, not with the program: PulseAudio's own client records
// wherever a server answers, and SDL with the ALSA, X and Wayland libraries it pulls in would cost more
// than a megabyte of memory for nothing. Only the calls below are used; SDL's headers give their types.
struct SdlCalls {
  decltype(&SDL_SetHint) SetHint;
  decltype(&SDL_InitSubSystem) InitSubSystem;
  decltype(&SDL_QuitSubSystem) QuitSubSystem;
  decltype(&SDL_GetNumAudioDevices) GetNumAudioDevices;
  decltype(&SDL_GetAudioDeviceName) GetAudioDeviceName;
  decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
  decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
  decltype(&SDL_GetAudioDeviceStatus) GetAudioDeviceStatus;
  decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
  decltype(&SDL_GetError) GetError;
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

// Loaded once and kept for the rest of the program; null when there is no usable libSDL2.
const SdlCalls* LoadSdl() {
  static const SdlCalls* const loaded = []() -> const SdlCalls* {
    void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    static SdlCalls calls;
    const bool complete = Resolve(library, "SDL_SetHint", calls.SetHint) &&
                          Resolve(library, "SDL_InitSubSystem", calls.InitSubSystem) &&
                          Resolve(library, "SDL_QuitSubSystem", calls.QuitSubSystem) &&
                          Resolve(library, "SDL_GetNumAudioDevices", calls.GetNumAudioDevices) &&
                          Resolve(library, "SDL_GetAudioDeviceName", calls.GetAudioDeviceName) &&
                          Resolve(library, "SDL_OpenAudioDevice", calls.OpenAudioDevice) &&
                          Resolve(library, "SDL_PauseAudioDevice", calls.PauseAudioDevice) &&
                          Resolve(library, "SDL_GetAudioDeviceStatus", calls.GetAudioDeviceStatus) &&
                          Resolve(library, "SDL_CloseAudioDevice", calls.CloseAudioDevice) &&
                          Resolve(library, "SDL_GetError", calls.GetError);
    return complete ? &calls : nullptr;
  }();
  return loaded;
}

// ALSA's own error handler's shape; its header is not needed for this one call.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error,
                                  const char* format, ...);

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// SDL tries ALSA where no sound server answers, and ALSA prints a dozen lines of its own for every device
// it cannot open; the program says once what failed. SDL loads libasound by the same name, so the handler
// set here is the one its calls see. The library stays loaded, and with it the handler.
void SilenceAlsaErrors() {
  static const bool silenced = [] {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (alsa == nullptr) return false;
    using SetHandler = int (*)(AlsaErrorHandler);
    const auto setHandler = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    return setHandler != nullptr && setHandler(IgnoreAlsaError) == 0;
  }();
  (void)silenced;
}

// Every call but OpenLibrary's comes after it has loaded SDL.
const SdlCalls& Sdl() { return *LoadSdl(); }

// One open SDL capture device and the channel it feeds.
class SdlStream : public CaptureStream {
 public:
  SdlStream(RecordChannel& channel) : channel_(channel), pace_(channel.format().BytesPerSecond()) {}
  // Closing joins SDL's audio thread: no callback of this stream runs once it returns.
  ~SdlStream() override {
    if (device_id_ != 0) {
      Sdl().CloseAudioDevice(device_id_);
    }
  }

  // SDL marks a device that disconnected (unplugged, sound server gone) as stopped.
  bool IsAlive() const override { return Sdl().GetAudioDeviceStatus(device_id_) != SDL_AUDIO_STOPPED; }

  // Set before the capture is unpaused and only read after, so the audio thread needs no lock.
  void Opened(SDL_AudioDeviceID device_id) {
    device_id_ = device_id;
    Sdl().PauseAudioDevice(device_id, 0);
  }

  // On SDL's audio thread. A lost device is marked stopped, and SDL then fills the buffers with
  // silence of its own: those never reach the program.
  static void SDLCALL OnCapturedBuffer(void* userdata, Uint8* stream, int length) {
    auto* open = static_cast<SdlStream*>(userdata);
    if (length > 0 && Sdl().GetAudioDeviceStatus(open->device_id_) != SDL_AUDIO_STOPPED) {
      open->delivered_ += static_cast<uint32_t>(length);
      if (const uint64_t lost = open->pace_.Observe(open->delivered_, DropoutClock::Clock::now())) {
        open->channel_.ReportDropout(lost);
      }
      open->channel_.HandOver(stream, static_cast<uint32_t>(length));
    }
  }

 private:
  RecordChannel& channel_;
  SDL_AudioDeviceID device_id_ = 0;
  // Used on the audio thread only.
  DropoutClock pace_;
  uint64_t delivered_ = 0;
};

}  // namespace

SdlAudioLibrary::~SdlAudioLibrary() { Shutdown(); }

bool SdlAudioLibrary::OpenLibrary(int output_device) {
  if (LoadSdl() == nullptr) {
    return false;
  }
  // The program handles SIGINT and SIGTERM itself; SDL would otherwise turn them into quit events.
  Sdl().SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  Sdl().SetHint(SDL_HINT_AUDIO_INCLUDE_MONITORS, "1");
  Sdl().SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Orvimo");
  SilenceAlsaErrors();
  if (Sdl().InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return false;
  }
  // Nothing is played, but a named output device must exist, as the command line promises.
  if (output_device >= 1 && Sdl().GetNumAudioDevices(kOutput) < output_device) {
    Sdl().QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

void SdlAudioLibrary::CloseLibrary() { Sdl().QuitSubSystem(SDL_INIT_AUDIO); }

int SdlAudioLibrary::CaptureDeviceCount() const { return Sdl().GetNumAudioDevices(kCapture); }

std::optional<std::string> SdlAudioLibrary::DeviceDescription(int device) {
  const int count = CaptureDeviceCount();
  if (count < 0) {
    // SDL knows a default device but cannot list any.
    return device == 0 ? std::optional<std::string>(kDefaultCaptureName) : std::nullopt;
  }
  if (device >= count) {
    return std::nullopt;
  }
  const char* name = Sdl().GetAudioDeviceName(device, kCapture);
  return name != nullptr ? std::optional<std::string>(name) : std::nullopt;
}

bool SdlAudioLibrary::SelectDevice(int device) {
  return device == kDefaultDevice || DeviceDescription(device).has_value();
}

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

StreamOpening SdlAudioLibrary::OpenStream(int device, const SampleFormat& format, RecordChannel& channel) {
  const char* device_name = nullptr;  // the default device
  if (device != kDefaultDevice && CaptureDeviceCount() >= 0) {
    device_name = Sdl().GetAudioDeviceName(device, kCapture);
    if (device_name == nullptr) {
      // The device list changed since RecordInit.
      return StreamOpening{nullptr, static_cast<int>(CaptureErrorCode::NotAvailable)};
    }
  }
  auto stream = std::make_unique<SdlStream>(channel);

  SDL_AudioSpec wanted;
  std::memset(&wanted, 0, sizeof wanted);
  wanted.freq = static_cast<int>(format.rate);
  wanted.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  wanted.channels = static_cast<Uint8>(format.channels);
  wanted.samples = BufferFrames(format.rate);
  wanted.callback = SdlStream::OnCapturedBuffer;
  wanted.userdata = stream.get();
  SDL_AudioSpec obtained;
  // No allowed changes: SDL converts from whatever the device runs, so buffers are always as asked.
  const SDL_AudioDeviceID device_id = Sdl().OpenAudioDevice(device_name, kCapture, &wanted, &obtained, 0);
  if (device_id == 0) {
    const bool out_of_memory = std::strstr(Sdl().GetError(), "Out of memory") != nullptr;
    return StreamOpening{
        nullptr, static_cast<int>(out_of_memory ? CaptureErrorCode::Memory : CaptureErrorCode::NotAvailable)};
  }
  stream->Opened(device_id);
  return StreamOpening{std::move(stream), 0};
}

}  // namespace orvimo::capture
