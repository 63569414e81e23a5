#include "app/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace varnak {

namespace {
constexpr std::size_t kRemembered = 64;  // older notifications no longer raise a spot
const QString kInterface = DesktopNotifier::kService;
}  // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {
  if (!bus_.isConnected()) return;
  bus_.connect(kService, kPath, kInterface, "ActionInvoked", this, SLOT(OnActionInvoked(uint, QString)));
  bus_.connect(kService, kPath, kInterface, "NotificationClosed", this, SLOT(OnClosed(uint, uint)));
}

void DesktopNotifier::Notify(const QString& summary, const QString& body, quint64 tag) {
  if (!bus_.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  QVariantMap hints;
  hints.insert("desktop-entry", QStringLiteral("io.github.varnak.Varnak"));
  hints.insert("category", QStringLiteral("im.received"));
  call << QStringLiteral("Varnak") << uint{0} << QString() << summary << body
       << QStringList{QStringLiteral("default"), QStringLiteral("Show")} << hints << int{-1};
  // Asynchronous: a slow or absent service never holds up the spots.
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, tag](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    QDBusPendingReply<uint> reply = *w;
    ++replies_;
    if (reply.isError()) return;  // no service: no notification
    ++answered_;
    shown_.emplace_back(reply.value(), tag);
    if (shown_.size() > kRemembered) shown_.pop_front();
  });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
  if (action != QLatin1String("default")) return;
  for (const auto& [shownId, tag] : shown_)
    if (shownId == id) {
      emit activated(tag);
      return;
    }
}

void DesktopNotifier::OnClosed(uint id, uint) {
  // A click's ActionInvoked comes before the close; after it the id may be reused.
  std::erase_if(shown_, [id](const auto& s) { return s.first == id; });
}

}  // namespace varnak
