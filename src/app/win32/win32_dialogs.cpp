#include "app/win32/win32_dialogs.h"

#include <commdlg.h>

#include <thread>
#include <utility>
#include <vector>

#include "app/win32/posted_call.h"
#include "app/win32/system_services.h"
#include "base/win32/wide_text.h"

namespace orvimo::win32 {

void Win32Dialogs::ShowError(const std::string& text) {
  MessageBoxW(owner_, WideFromUtf8(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
}

void Win32Dialogs::ShowWarning(const std::string& text) {
  MessageBoxW(owner_, WideFromUtf8(text).c_str(), L"Warning", MB_OK | MB_ICONWARNING);
}

void Win32Dialogs::ShowAlert(const std::string& text, const std::string& title,
                             std::function<void()> onClosed) {
  std::thread([owner = owner_, text, title, onClosed = std::move(onClosed)]() mutable {
    ShowAlertBox(text, title);
    if (onClosed) PostCallToWindow(owner, std::move(onClosed));
  }).detach();
}

std::optional<std::string> Win32Dialogs::AskSaveFileName(const std::string& currentName) {
  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring current = WideFromUtf8(currentName);
  if (current.size() < name.size()) std::copy(current.begin(), current.end(), name.begin());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = kSaveFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return Utf8FromWide(name.data());
}

}  // namespace orvimo::win32
