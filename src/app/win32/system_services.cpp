#include "app/win32/system_services.h"

#include <utility>

#include "base/win32/wide_text.h"

namespace orvimo::win32 {

std::string ProcessCommandLine() { return Utf8FromWide(GetCommandLineW()); }

void Win32WindowFlasher::FlashAppWindow(int count) {
  FLASHWINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = window_;
  info.dwFlags = FLASHW_ALL;
  info.uCount = static_cast<UINT>(count);
  info.dwTimeout = 0;  // the system's cursor blink rate
  FlashWindowEx(&info);
}

void ShowAlertBox(const std::string& text, const std::string& title) {
  MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(title).c_str(), kAlertBoxStyle);
}

Win32Shutdown::Win32Shutdown(ExitWindowsFunction exitWindows) : exitWindows_(std::move(exitWindows)) {}

bool Win32Shutdown::ShutdownComputer(uint32_t flags) {
  // Every Windows this program runs on is of the NT family, where shutting down needs the privilege.
  EnableShutdownPrivilege();
  return exitWindows_(flags);
}

bool Win32Shutdown::EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges{};
  const bool known = LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
  if (known) {
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
  }
  CloseHandle(token);
  return known;
}

bool Win32Shutdown::SystemExitWindows(uint32_t flags) { return ExitWindowsEx(flags, 0) != 0; }

}  // namespace orvimo::win32
