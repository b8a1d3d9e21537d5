#pragma once

#include <functional>
#include <optional>
#include <string>

namespace orvimo {

// The message boxes and the file dialog of the main window.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Modal, error icon, one OK button.
  virtual void ShowError(const std::string& text) = 0;
  // Modal, caption "Warning", warning icon, one OK button.
  virtual void ShowWarning(const std::string& text) = 0;
  // No owner, topmost, information icon; returns at once. onClosed runs when the user has closed it.
  virtual void ShowAlert(const std::string& text, const std::string& title,
                         std::function<void()> onClosed) = 0;
  // The save-file dialog; nullopt when the user cancels.
  virtual std::optional<std::string> AskSaveFileName(const std::string& currentName) = 0;
};

}  // namespace orvimo
