#pragma once

#include <string>

#include "services/clock.h"
#include "app/dialogs.h"
#include "services/free_space.h"
#include "app/settings_backend.h"
#include "app/shutdown.h"
#include "app/sleep_inhibitor.h"
#include "app/window_flasher.h"
#include "app/window_placement.h"
#include "base/date_time.h"
#include "capture/audio_library.h"

namespace orvimo {

// Everything the main window needs from outside. main() hands in the real services, tests fakes; all
// of them must outlive the window.
struct AppServices {
  capture::AudioLibrary& audio;
  Clock& clock;
  FreeSpace& freeSpace;
  Dialogs& dialogs;
  WindowFlasher& flasher;
  Shutdown& shutdown;
  // Held while a recording runs or a scheduled start waits; windows built without one refuse it.
  SleepInhibitor& sleepInhibitor = NoSleepInhibitor::Shared();
  SettingsBackend& settings;
  // Null: the window keeps its own placement access on itself.
  WindowPlacementAccess* placement = nullptr;
  FormatSettings formatSettings{};
  // The whole command line, program path first.
  std::string commandLine;
};

}  // namespace orvimo
