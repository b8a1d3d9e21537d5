// The Windows program: the real services, the one window and the message loop.
#include <windows.h>

#include <commctrl.h>

#include <exception>

#include "app/app_services.h"
#include "app/win32/registry_settings_backend.h"
#include "app/win32/system_services.h"
#include "app/win32/tfrm_main.h"
#include "app/win32/win32_dialogs.h"
#include "app/win32/win32_free_space.h"
#include "app/win32/win32_sleep_inhibitor.h"
#include "base/win32/wide_text.h"
#include "capture/win32/wave_in_audio_library.h"
#include "controls/win32/win32_system_colors.h"

namespace {

class LocalClock : public orvimo::Clock {
 public:
  orvimo::TDateTime Now() override { return orvimo::Now(); }
};

// The window to flash exists only after the services are handed over.
class MainWindowFlasher : public orvimo::WindowFlasher {
 public:
  HWND window = nullptr;
  void FlashAppWindow(int count) override { orvimo::win32::Win32WindowFlasher(window).FlashAppWindow(count); }
};

int RunMessageLoop(orvimo::win32::TfrmMain& window) {
  MSG message;
  // The program ends with its window, also while an alert of its own is still open.
  while (window.Handle() != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The window's shortcuts; Tab and the arrow keys move between the controls as in a dialog.
    if (!window.TranslateKeys(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  using namespace orvimo;
  INITCOMMONCONTROLSEX commonControls{
      sizeof commonControls, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&commonControls);
  win32::InstallWin32SystemColorTable();

  capture::WaveInAudioLibrary audio;
  LocalClock clock;
  win32::Win32FreeSpace freeSpace;
  win32::Win32Shutdown shutdown;
  win32::Win32SleepInhibitor sleepInhibitor;
  win32::RegistrySettingsBackend settings(win32::RegistrySettingsBackend::DefaultExeName());
  win32::Win32Dialogs dialogs;
  MainWindowFlasher flasher;
  try {
    win32::TfrmMain window({.audio = audio,
                            .clock = clock,
                            .freeSpace = freeSpace,
                            .dialogs = dialogs,
                            .flasher = flasher,
                            .shutdown = shutdown,
                            .sleepInhibitor = sleepInhibitor,
                            .settings = settings,
                            .placement = nullptr,
                            .formatSettings = FormatSettings::FromSystem(),
                            .commandLine = win32::ProcessCommandLine()});
    dialogs.SetOwner(window.Handle());
    flasher.window = window.Handle();
    ShowWindow(window.Handle(), showCommand);
    UpdateWindow(window.Handle());
    return RunMessageLoop(window);
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, win32::WideFromUtf8(error.what()).c_str(), L"Error", MB_OK | MB_ICONERROR);
    return 1;
  }
}
