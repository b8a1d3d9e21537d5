#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "app/command_line.h"
#include "app/qt/dbus_shutdown.h"
#include "app/qt/ini_settings_backend.h"
#include "app/qt/logind_sleep_inhibitor.h"
#include "app/qt/posix_free_space.h"
#include "app/qt/system_clock.h"
#include "capture/audio_backend.h"

namespace orvimo {

// The real services of the program, the same for the window on a screen and for a run without one;
// only the dialogs and the window flasher differ between the two.
struct ProgramServices {
  // PulseAudio's own client where a server answers, SDL otherwise; ORVIMO_AUDIO_BACKEND forces one.
  std::unique_ptr<capture::AudioLibrary> audio = capture::CreateAudioLibrary();
  SystemClock clock;
  PosixFreeSpace freeSpace;
  DbusShutdown shutdown;
  LogindSleepInhibitor sleepInhibitor;
  IniSettingsBackend settings{IniSettingsBackend::DefaultExeName()};

  // argv: what Qt left of the arguments after taking its own.
  AppServices With(Dialogs& dialogs, WindowFlasher& flasher, int argc, char** argv) {
    return {.audio = *audio,
            .clock = clock,
            .freeSpace = freeSpace,
            .dialogs = dialogs,
            .flasher = flasher,
            .shutdown = shutdown,
            .sleepInhibitor = sleepInhibitor,
            .settings = settings,
            .placement = nullptr,
            .formatSettings = FormatSettings::FromSystem(),
            .commandLine = JoinCommandLine(std::vector<std::string>(argv, argv + argc))};
  }
};

}  // namespace orvimo
