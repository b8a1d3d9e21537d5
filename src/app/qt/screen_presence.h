// Tells whether the window can be seen, and lets what only feeds the screen sleep while it cannot.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;
class QWindow;

namespace orvimo {

// Watches a top-level window for being hidden, minimised, unmapped or fully covered (a locked screen
// covers it too) and says so at once, once per change, so that what only feeds the screen can sleep
// while nothing of the window is shown.
class ScreenPresence : public QObject {
  Q_OBJECT

 public:
  // changed(shown) runs on each change, after the event that caused it has been handled.
  ScreenPresence(QWidget& window, std::function<void(bool shown)> changed);

  bool Shown() const { return shown_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WatchWindowHandle();
  // After the event has been handled, when the window's flags and exposure tell the new state.
  void RecheckLater();
  void Recheck();

  QWidget& window_;
  const std::function<void(bool shown)> changed_;
  QPointer<QWindow> watchedHandle_;
  bool shown_ = true;
  bool recheckPending_ = false;
};

}  // namespace orvimo
