#include "app/qt/desktop_notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <QVariantMap>

#include <utility>

#include "app/when_finished.h"
#include "recording/recorder.h"

namespace orvimo {

namespace {

constexpr int kServersDefaultTimeout = -1;

}  // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, Report report)
    : bus_(std::move(bus)), report_(report ? std::move(report) : Report(LogFault)) {}

void DesktopNotifications::RecordingFinished(const std::string& fileName) {
  const std::string fallback = std::string(kAlertText) + " " + fileName;
  if (!bus_.isConnected()) {
    report_(fallback);
    return;
  }
  QDBusMessage notify = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  // Servers may read the body as markup: a file name's "&" or "<" must stay text.
  notify << QString::fromLatin1(kAlertTitle) << 0u << QStringLiteral("orvimo2")
         << QString::fromLatin1(kAlertText) << QString::fromLocal8Bit(fileName.c_str()).toHtmlEscaped()
         << QStringList() << QVariantMap() << kServersDefaultTimeout;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(notify), &replies_);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &replies_,
                   [this, fallback](QDBusPendingCallWatcher* call) {
                     if (call->isError()) report_(fallback);
                     call->deleteLater();
                   });
}

}  // namespace orvimo
