#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QSocketNotifier;

namespace orvimo {

// SIGTERM, SIGINT and SIGHUP close the window as the user's close would, so a running recording is
// completed and the settings are saved. The handler only writes a byte into a pipe; the window is
// closed from the event loop. One instance per process.
class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(QWidget* window);
  ~TerminationSignals() override;

 private:
  void OnSignal();

  QPointer<QWidget> window_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace orvimo
