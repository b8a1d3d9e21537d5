#pragma once

#include <QPointer>
#include <QWidget>

#include "app/dialogs.h"

namespace orvimo {

// The message boxes as Qt shows them. Modal boxes belong to the main window once it exists.
class QtDialogs : public Dialogs {
 public:
  void SetOwner(QWidget* owner) { owner_ = owner; }
  // The display is gone: every message goes to the standard error, and nothing is asked.
  void SetWithoutDisplay() { withoutDisplay_ = true; }

  void ShowError(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  void ShowAlert(const std::string& text, const std::string& title, std::function<void()> onClosed) override;
  std::optional<std::string> AskSaveFileName(const std::string& currentName) override;

 private:
  QPointer<QWidget> owner_;
  bool withoutDisplay_ = false;
};

}  // namespace orvimo
