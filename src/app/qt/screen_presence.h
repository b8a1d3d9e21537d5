// Tells whether the window can be seen, and lets what only feeds the screen sleep while it cannot.
#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <cstdint>
#include <functional>

class QTimer;
class QWidget;
class QWindow;

namespace orvimo {

namespace capture {
class AudioLibrary;
}

// Watches a top-level window for being hidden, minimised, unmapped or fully covered (a locked screen
// covers it too). While nothing of it is shown, the level meter's timer slows down (HiddenMeterInterval)
// and the capture library is told to relax its deliveries; both come back at once when the window
// shows again. A timer that is stopped (before start-up ends, after the close) stays stopped.
class ScreenPresence : public QObject {
  Q_OBJECT

 public:
  // The meter's tick also watches a nearly full disk between two status ticks, so it keeps running
  // while hidden, often enough that the recording writes at most a quarter of the disk reserve between
  // two ticks: 145 ms at 44.1 kHz stereo 16-bit, never slower than 250 ms nor faster than 20 ms.
  static std::chrono::milliseconds HiddenMeterInterval(int64_t bytesPerSecond);

  // bytesPerSecond: the data rate of the format a recording would use now.
  ScreenPresence(QWidget& window, QTimer& meterTimer, capture::AudioLibrary& audio,
                 std::function<int64_t()> bytesPerSecond);

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
  const std::function<int64_t()> bytesPerSecond_;
  QPointer<QWindow> watchedHandle_;
  const int shownInterval_;
  bool shown_ = true;
  bool recheckPending_ = false;
};

}  // namespace orvimo
