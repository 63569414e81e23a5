// Feeds arbitrary bytes to the packet link as the node's connected data, cut into
// frames at each byte 0xFF, with the freeze and the node link switched by the first
// byte. Nothing may crash, and the line buffer must stay bounded.
#include <QCoreApplication>
#include <QDir>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "agw/packet_cluster_link.h"
#include "app/station.h"

using namespace varnak;

namespace {

Station& TheStation() {
  static int argc = 1;
  static char name[] = "fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  static Station station(QDir::tempPath().toStdString(),
                         std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 50, 0}));
  static bool once = [] {
    station.settings().Telnet = 0;
    station.settings().MyCall = "Q1ABC";
    station.settings().ConnectCall = "Q9NODE";
    return true;
  }();
  (void)once;
  return station;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Station& station = TheStation();
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  PacketClusterLink& node = station.Packet();
  if ((mode & 1) && !node.NodeConnected())
    node.AGWInterface1ConnectionReceived(&node.AGWInterface1, 1, "Q9NODE", "Q1ABC", "", 0);
  if (!(mode & 1) && node.NodeConnected())
    node.AGWInterface1DisconnectedEvent(&node.AGWInterface1, 1, "Q9NODE", "Q1ABC", "", 0);
  if ((mode & 2) && !station.freeze().Frozen()) station.freeze().StartFreeze();
  if (!(mode & 2) && station.freeze().Frozen()) station.freeze().EndFreeze();
  PacketClusterLink& link = station.Packet();
  const std::string from = (mode & 4) ? "Q9NODE" : "Q7XYZ";
  std::string frame;
  for (std::size_t i = 1; i <= size; ++i) {
    if (i == size || data[i] == 0xFF) {
      link.AGWInterface1ConnectedData(&link.AGWInterface1, 1, 0xF0, from, "Q1ABC", frame,
                                      static_cast<int>(frame.size()));
      frame.clear();
    } else {
      frame += static_cast<char>(data[i]);
    }
  }
  if (link.NodeLineBuffer().size() > PacketClusterLink::kMaxNodeLine) std::abort();
  station.freeze().EndFreeze();
  return 0;
}
