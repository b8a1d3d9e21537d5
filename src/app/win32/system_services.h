#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/shutdown.h"
#include "app/window_flasher.h"

namespace orvimo::win32 {

// The process's command line as the system keeps it (GetCommandLineW), in UTF-8: the program path,
// often in double quotes, then the arguments exactly as they were given.
std::string ProcessCommandLine();

// Flashes the caption and taskbar button of the given window (FLASHW_ALL) count times at the system's
// rate.
class Win32WindowFlasher : public WindowFlasher {
 public:
  explicit Win32WindowFlasher(HWND window) : window_(window) {}
  void FlashAppWindow(int count) override;

 private:
  HWND window_;
};

// The alert after a scheduled stop: a system message box with no owner, topmost, with the information
// icon and one OK button. Returns when the user has closed it.
constexpr UINT kAlertBoxStyle = MB_TOPMOST | MB_ICONINFORMATION;
void ShowAlertBox(const std::string& text, const std::string& title);

// Enables the shutdown privilege of this process's token, then asks the system to end the session
// with the given flags. The request itself goes through exitWindows, so tests never switch anything off.
class Win32Shutdown : public Shutdown {
 public:
  using ExitWindowsFunction = std::function<bool(uint32_t flags)>;
  explicit Win32Shutdown(ExitWindowsFunction exitWindows = SystemExitWindows);
  bool ShutdownComputer(uint32_t flags) override;

  // Whether the privilege could be asked for (token opened, privilege known); what the system grants
  // is not checked, as the request that follows fails anyway when it was refused.
  static bool EnableShutdownPrivilege();
  static bool SystemExitWindows(uint32_t flags);

 private:
  ExitWindowsFunction exitWindows_;
};

}  // namespace orvimo::win32
