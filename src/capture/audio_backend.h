#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "capture/audio_library.h"

namespace orvimo::capture {

// The environment variable that forces a backend: "sdl" or "pulse". Anything else leaves the choice to
// CreateAudioLibrary.
constexpr const char* kAudioBackendVariable = "ORVIMO_AUDIO_BACKEND";

enum class AudioBackend { Sdl, Pulse };

// The backend for this machine: PulseAudio's own when a PulseAudio (or PipeWire-Pulse) server answers,
// since SDL's PulseAudio capture falls behind on sources that deliver many small chunks; SDL otherwise
// and on systems without PulseAudio. ORVIMO_AUDIO_BACKEND overrides the choice.
AudioBackend ChooseAudioBackend();

// The backend a value of ORVIMO_AUDIO_BACKEND forces, if it names one (case matters not).
std::optional<AudioBackend> ForcedAudioBackend(std::string_view value);

// A new, uninitialised library of the chosen backend.
std::unique_ptr<AudioLibrary> CreateAudioLibrary();
std::unique_ptr<AudioLibrary> CreateAudioLibrary(AudioBackend backend);

}  // namespace orvimo::capture
