// Alert rules as the operator meets them: a rule's desktop notification goes to the
// freedesktop Notifications service on a session bus (here a private dbus-daemon with a
// small recording service), and a click on it makes its spot the current one.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QVariantMap>

#include "app/alert_controller.h"
#include "app/desktop_notifier.h"
#include "packet_link_fixture.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace varnak {
namespace {

class RecordingNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  struct Call {
    QString app, summary, body;
    QStringList actions;
  };
  std::vector<Call> calls;

 public slots:
  uint Notify(const QString& app, uint, const QString&, const QString& summary, const QString& body,
              const QStringList& actions, const QVariantMap&, int) {
    calls.push_back({app, summary, body, actions});
    return static_cast<uint>(calls.size());
  }
};

// A private session bus: its own dbus-daemon, stopped at the end.
struct PrivateBus {
  PrivateBus() {
    daemon.start("dbus-daemon", {"--session", "--print-address", "--nofork"});
    if (!daemon.waitForStarted(5000)) {
      ADD_FAILURE() << "dbus-daemon is missing: scripts/setup test installs it";
      return;
    }
    while (!daemon.canReadLine() && daemon.waitForReadyRead(5000)) {
    }
    address = QString::fromUtf8(daemon.readLine()).trimmed();
  }
  ~PrivateBus() {
    for (const QString& name : names) QDBusConnection::disconnectFromBus(name);
    daemon.terminate();
    if (!daemon.waitForFinished(5000)) daemon.kill();
  }
  QDBusConnection Connect(const QString& name) {
    names << name;
    return QDBusConnection::connectToBus(address, name);
  }
  QProcess daemon;
  QString address;
  QStringList names;
};

TEST(AlertNotifications, RuleNotifiesOncePerCallAndBandAndAClickMakesItsSpotCurrent) {
  PrivateBus bus;
  ASSERT_FALSE(bus.address.isEmpty());
  QDBusConnection serviceSide = bus.Connect("alert-test-service");
  ASSERT_TRUE(serviceSide.isConnected());

  test::TempDir dir;
  std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst");
  dir.Write("alerts.cfg", "On\tCalls\tBands\tModes\tNeeds\tSpotters\tSound\tNotify\tColour\r\n"
                          "1\tVP8*\t20\tCW\t\t\t\t1\t\r\n"
                          "1\tQ9*\t21\t\t\t\t\t1\t\r\n");  // no band "21": skipped and named
  test::PacketStation t(dir.path(), /*realClassifier=*/true);
  t.station.ReadConfiguration(WorkArea{});
  EXPECT_EQ(t.station.pane().Texts().back(), "*** alerts.cfg line 3 skipped: no band \"21\" in the band table");
  t.station.alertRules().UseBus(bus.Connect("alert-test-client"));

  // No service runs yet: no notification, and nothing for the operator to close.
  t.station.ClassifyLine("DX de W3LPL-#:   14025.0  VP8ZZ        CW 18 dB 22 WPM CQ             2214Z");
  const DesktopNotifier* notifier = t.station.alertRules().Notifier();
  ASSERT_TRUE(notifier);
  WAIT_EQ(notifier->Replies(), 1, 5000);
  EXPECT_EQ(notifier->Answered(), 0);

  RecordingNotifications service;
  ASSERT_TRUE(serviceSide.registerObject(DesktopNotifier::kPath, &service, QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(serviceSide.registerService(DesktopNotifier::kService));
  for (const char* line : {
           "DX de W3LPL-#:   14025.0  VP8PJ        CW 22 dB 25 WPM CQ             2215Z",
           "DX de W3LPL-#:    7025.0  VP8PJ        CW 20 dB 25 WPM CQ             2215Z",  // 40 m
           "DX de DL1ABC:    14250.0  VP8PJ        SSB loud                       2216Z",  // phone
           "DX de W3LPL-#:   14026.0  VP9ABC       CW 12 dB 20 WPM CQ             2216Z",  // no VP8
           "DX de K1TTT-#:   14025.1  VP8PJ        CW 30 dB 25 WPM CQ             2217Z",  // within 10 min
           "DX de K1TTT-#:   14030.0  VP8ABC       CW 9 dB 18 WPM CQ              2217Z",
       })
    t.station.ClassifyLine(line);
  WAIT_EQ(service.calls.size(), 2u, 5000);
  EXPECT_EQ(service.calls[0].app, "Varnak");
  EXPECT_EQ(service.calls[0].summary, "VP8PJ 14025.0 CW");
  EXPECT_TRUE(service.calls[0].body.startsWith("South Orkney Islands, ")) << service.calls[0].body.toStdString();
  EXPECT_TRUE(service.calls[0].body.endsWith(" km, spotted by W3LPL-#")) << service.calls[0].body.toStdString();
  EXPECT_TRUE(service.calls[0].actions.contains("default"));
  EXPECT_EQ(service.calls[1].summary, "VP8ABC 14030.0 CW");
  EXPECT_TRUE(t.view.errors.empty() && t.view.infos.empty());

  // The operator clicks the first one: VP8PJ is current again, the window is asked up.
  int activated = 0;
  QObject::connect(&t.station.alertRules(), &AlertController::spotActivated, [&] { ++activated; });
  ASSERT_EQ(t.station.currentSpot().dx, "VP8ABC");
  QDBusMessage click = QDBusMessage::createSignal(DesktopNotifier::kPath, DesktopNotifier::kService, "ActionInvoked");
  click << uint{1} << QString("default");
  ASSERT_TRUE(serviceSide.send(click));
  WAIT_EQ(activated, 1, 5000);
  EXPECT_EQ(t.station.currentSpot().dx, "VP8PJ");
  EXPECT_EQ(t.station.CurrentSpot.SpotCall, "VP8PJ");
  EXPECT_EQ(service.calls.size(), 2u);
}

}  // namespace
}  // namespace varnak

#include "alert_notify_test.moc"
