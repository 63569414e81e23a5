#pragma once
// A station on a packet link, headless, with what it shows recorded: the status label,
// error boxes, the link buttons, the classified lines and both packet windows.
#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "agw/packet_cluster_link.h"
#include "app/pane_models.h"
#include "app/spot_lists.h"
#include "app/spot_model.h"
#include "app/station.h"
#include "app/win1252.h"
#include "core/clock.h"

namespace varnak::test {

class RecordingView : public StationView {
 public:
  void ShowInformation(const QString& t) override { infos.push_back(FromQString(t)); }
  void ShowError(const QString& t) override { errors.push_back(FromQString(t)); }
  void ShowSetupDialog() override {}
  void SetCaption(const QString&) override {}
  void SetStatus(const QString& t) override { status = FromQString(t); }
  void SetLinkButtons(bool connected) override { linkUp = updateEnabled = connected; }
  void ShowLinkPending() override {
    linkUp = true;
    updateEnabled = false;
  }
  void SetPacketButtonsEnabled(bool) override {}
  void SetSoundSwitch(bool) override {}
  void SetNodeField(const QString&) override {}
  void SelectNewestRows() override {}
  void AdaptToScreen() override {}
  void MoveCaretsToEnd() override {}
  void ShowFirstSendPage() override {}
  void ResetUserListHeader() override {}
  void ClearLookupLine() override {}
  // Like the window: other events go on meanwhile.
  void Wait(int ms) override {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  }
  void StorePlacement(Settings&) override {}
  void ShowFreezePanel(bool) override {}
  void PresentSpot(const dxrec&) override {}

  std::vector<std::string> infos, errors;
  std::string status;
  bool linkUp = false;
  bool updateEnabled = false;  // "Update"
};

// Q1ABC at JO62QM on port 1, node Q9NODE.
struct PacketStation {
  explicit PacketStation(const std::filesystem::path& dir, bool realClassifier = false)
      : station(dir, std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 50, 0})) {
    station.SetView(&view);
    station.ShutdownWaitMs = 0;
    Settings& s = station.settings();
    s.Telnet = 0;
    s.MyCall = "Q1ABC";
    s.MyLocator = "JO62QM";
    s.ConnectCall = "Q9NODE";
    s.AX25port = 1;
    station.ClientBanner = "{Varnak 1.0}";
    PacketClusterLink& link = station.Packet();
    // The lines the link hands on, kept here instead of going to the classifier.
    if (!realClassifier) {
      QObject::disconnect(&link, &ClusterLink::lineReceived, &station, nullptr);
      QObject::disconnect(&link, &ClusterLink::noticeLine, &station, nullptr);
      const auto keep = [this](const std::string& line) { lines.push_back(line); };
      QObject::connect(&link, &ClusterLink::lineReceived, &station, keep);
      QObject::connect(&link, &ClusterLink::noticeLine, &station, keep);
    }
    QObject::connect(&link, &PacketClusterLink::monitorWindowText, &station,
                     [this](const std::string& text) { monitor.push_back(text); });
    QObject::connect(&link, &PacketClusterLink::heardCleared, &station, [this] { heard.clear(); });
    QObject::connect(&link, &PacketClusterLink::heardLine, &station,
                     [this](const std::string& line) { heard.push_back(line); });
  }
  PacketClusterLink& link() { return station.Packet(); }
  std::vector<std::string> Pane() const { return station.pane().Texts(); }
  std::vector<std::string> Spots() const { return station.lists().All()->Rows(); }

  RecordingView view;
  mutable Station station;
  std::vector<std::string> lines, monitor, heard;
};

}  // namespace varnak::test
