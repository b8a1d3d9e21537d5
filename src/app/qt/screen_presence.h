// Tells whether the window can be seen, and lets what only feeds the screen sleep while it cannot.
#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>

class QTimer;
class QWidget;
class QWindow;

namespace orvimo {

namespace capture {
class AudioLibrary;
}

// Watches a top-level window for being hidden, minimised, unmapped or fully covered (a locked screen
// covers it too). While nothing of it is shown, the level meter's timer slows to kHiddenInterval and the
// capture library is told to relax its deliveries; both come back at once when the window shows again.
// The meter timer keeps running, slowly, because its tick also watches a nearly full disk between two
// status ticks, and the relaxed deliveries only grow the byte count a few times a second. A timer that
// is stopped (before start-up ends, after the close) stays stopped.
class ScreenPresence : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kHiddenInterval{250};

  ScreenPresence(QWidget& window, QTimer& meterTimer, capture::AudioLibrary& audio);

  bool Shown() const { return shown_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WatchWindowHandle();
  // After the event has been handled, when the window's flags and exposure tell the new state.
  void RecheckLater();
  void Recheck();

  QWidget& window_;
  QTimer& meterTimer_;
  capture::AudioLibrary& audio_;
  QPointer<QWindow> watchedHandle_;
  const int shownInterval_;
  bool shown_ = true;
  bool recheckPending_ = false;
};

}  // namespace orvimo
