#pragma once

#include <cstdio>
#include <exception>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "app/dialogs.h"

namespace orvimo {

// The one place where errors stop: every entry point from the event loop runs inside Run, which ends
// the handler at the failing step, shows the message in a modal error box and lets the program go on.
// Code called from a handler lets its errors fly, so a failing step ends the whole handler.
//
// The window shows all its error boxes through the guard. A box runs its own event loop, where the
// timers keep ticking: a fault that repeats every second (a disk that went away) would otherwise pile
// up one box inside the other. So at most one error box is open; an error met while it is open is only
// written to the standard error, and each text only once while that box stays open.
class ErrorGuard : public Dialogs {
 public:
  explicit ErrorGuard(Dialogs& dialogs) : dialogs_(dialogs) {}

  template <typename Handler>
  bool Run(Handler&& handler) noexcept {
    try {
      std::forward<Handler>(handler)();
      return true;
    } catch (const std::exception& error) {
      Show(error.what());
    } catch (...) {
      Show("Unknown error");
    }
    return false;
  }

  void ShowError(const std::string& text) override {
    if (!reported_.insert(text).second) return;
    std::fprintf(stderr, "%s\n", text.c_str());
    if (boxOpen_) return;
    boxOpen_ = true;
    try {
      dialogs_.ShowError(text);
    } catch (...) {
      CloseBox();
      throw;
    }
    CloseBox();
  }
  void ShowWarning(const std::string& text) override { dialogs_.ShowWarning(text); }
  void ShowAlert(const std::string& text, const std::string& title, std::function<void()> onClosed) override {
    dialogs_.ShowAlert(text, title, std::move(onClosed));
  }
  std::optional<std::string> AskSaveFileName(const std::string& currentName) override {
    return dialogs_.AskSaveFileName(currentName);
  }

 private:
  void Show(const std::string& text) noexcept {
    try {
      ShowError(text);
    } catch (...) {
      // Nothing sensible is left to do when the error box itself fails.
    }
  }
  void CloseBox() {
    boxOpen_ = false;
    reported_.clear();
  }

  Dialogs& dialogs_;
  bool boxOpen_ = false;
  std::set<std::string> reported_;  // the texts met since the open box was opened
};

}  // namespace orvimo
