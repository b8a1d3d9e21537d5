#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace orvimo {

// SIGTERM, SIGINT and SIGHUP close the window as the user's close would, so a running recording is
// completed and the settings are saved. The handler only writes a byte into a pipe; onSignal (the
// window's close) runs from the event loop. One instance per process.
class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(std::function<void()> onSignal);
  ~TerminationSignals() override;

 private:
  void OnSignal();

  std::function<void()> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace orvimo
