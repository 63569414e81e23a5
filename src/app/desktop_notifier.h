#pragma once
// DesktopNotifier: desktop notifications through the freedesktop Notifications service
// (org.freedesktop.Notifications on the session bus).
//
// Responsibilities: sends a notification with a "default" action without waiting for
// the service, remembers which of its notifications carries which tag, and reports a
// click on one. Where no service runs (or no bus) nothing is shown and nothing is said:
// a notification is a nicety, never an error.
//
// Collaborations: AlertController sends and listens; tests give it a private bus.
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <deque>
#include <utility>

namespace varnak {

class DesktopNotifier : public QObject {
  Q_OBJECT
 public:
  inline static const QString kService = QStringLiteral("org.freedesktop.Notifications");
  inline static const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

  explicit DesktopNotifier(QDBusConnection bus, QObject* parent = nullptr);

  void Notify(const QString& summary, const QString& body, quint64 tag);
  // Replies so far, and those that showed a notification (tests wait on these).
  int Replies() const { return replies_; }
  int Answered() const { return answered_; }

 signals:
  // The operator clicked the notification sent with this tag.
  void activated(quint64 tag);

 private slots:
  void OnActionInvoked(uint id, const QString& action);
  void OnClosed(uint id, uint reason);

 private:
  QDBusConnection bus_;
  std::deque<std::pair<uint, quint64>> shown_;  // notification id, tag; newest last
  int replies_ = 0, answered_ = 0;
};

}  // namespace varnak
