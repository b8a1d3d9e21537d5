#pragma once

#include <windows.h>

#include "app/dialogs.h"

namespace orvimo::win32 {

// The message boxes and the save dialog, owned by the main window once it exists.
class Win32Dialogs : public Dialogs {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }

  void ShowError(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  // The box runs on a thread of its own, so the window and its timers go on; onClosed runs on the
  // owner's thread, and not at all once the owner is gone.
  void ShowAlert(const std::string& text, const std::string& title, std::function<void()> onClosed) override;
  // Names an existing file without asking; no extension is added.
  std::optional<std::string> AskSaveFileName(const std::string& currentName) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace orvimo::win32
