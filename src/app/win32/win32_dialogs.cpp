#include "app/win32/win32_dialogs.h"

#include <commdlg.h>

#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/win32/posted_call.h"
#include "app/win32/system_services.h"
#include "base/win32/wide_text.h"
#include "encoding/file_type.h"

namespace orvimo::win32 {
namespace {

// One filter per file type, in the type list's order, then all files: pairs of NUL-ended texts, and
// one more NUL at the end.
std::wstring SaveFilters() {
  std::wstring filters;
  for (FileType type : kFileTypes) {
    filters += WideFromUtf8(std::string(FileTypeName(type)) + " files");
    filters += L'\0';
    filters += WideFromUtf8("*" + std::string(FileTypeExtension(type)));
    filters += L'\0';
  }
  filters += std::wstring(L"All files\0*.*\0", 14);
  return filters;
}

}  // namespace

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
  const std::wstring filters = SaveFilters();
  dialog.lpstrFilter = filters.c_str();
  // The files of the name's own type are listed, so a FLAC recording's folder shows its FLAC files.
  const std::optional<FileType> type = FileTypeOfName(currentName);
  dialog.nFilterIndex = type ? static_cast<DWORD>(*type) + 1 : 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return Utf8FromWide(name.data());
}

}  // namespace orvimo::win32
