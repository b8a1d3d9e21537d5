#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>
#include <string>

namespace orvimo {

// Tells the desktop's notification service (org.freedesktop.Notifications on the session bus) that a
// recording has finished. The call does not wait for the service; where none answers, the same news
// goes to the report (stderr) instead.
class DesktopNotifications {
 public:
  using Report = std::function<void(const std::string&)>;
  explicit DesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(), Report report = nullptr);

  void RecordingFinished(const std::string& fileName);

 private:
  QDBusConnection bus_;
  Report report_;
  QObject replies_;  // owns the watchers of calls still unanswered
};

}  // namespace orvimo
