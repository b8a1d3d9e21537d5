#include "capture/audio_backend.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "capture/sdl_audio_library.h"

#ifdef ORVIMO_HAVE_PULSE
#include "capture/pulse_audio_library.h"
#endif

namespace orvimo::capture {

std::optional<AudioBackend> ForcedAudioBackend(std::string_view value) {
  std::string lower(value);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "sdl") {
    return AudioBackend::Sdl;
  }
  if (lower == "pulse") {
    return AudioBackend::Pulse;
  }
  return std::nullopt;
}

AudioBackend ChooseAudioBackend() {
  if (const char* forced = std::getenv(kAudioBackendVariable); forced != nullptr) {
    if (const auto backend = ForcedAudioBackend(forced)) {
      return *backend;
    }
  }
#ifdef ORVIMO_HAVE_PULSE
  if (PulseAudioLibrary::IsServerReachable()) {
    return AudioBackend::Pulse;
  }
#endif
  return AudioBackend::Sdl;
}

std::unique_ptr<AudioLibrary> CreateAudioLibrary(AudioBackend backend) {
#ifdef ORVIMO_HAVE_PULSE
  if (backend == AudioBackend::Pulse) {
    return std::make_unique<PulseAudioLibrary>();
  }
#else
  (void)backend;  // without libpulse every request gets SDL, which reaches PulseAudio its own way
#endif
  return std::make_unique<SdlAudioLibrary>();
}

std::unique_ptr<AudioLibrary> CreateAudioLibrary() { return CreateAudioLibrary(ChooseAudioBackend()); }

}  // namespace orvimo::capture
