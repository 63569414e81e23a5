// The station's packet side: the packet link and the hooks through which the start-up,
// shutdown, connection control and keep-alive reach it.
#include <memory>

#include "app/packet_link.h"
#include "app/station.h"
#include "core/text.h"

namespace varnak {

void Station::WirePacketLink() {
  packet_ = std::make_unique<PacketLink>(*this, this);
  PacketLink* p = packet_.get();

  OpenEngine = [p](const std::string& host, const std::string& port) { p->AGWInterface1.OpenEngine(host, port); };
  CloseEngine = [p] { p->AGWInterface1.CloseEngine(); };
  DisconnectStation = [p](int port, const std::string& own, const std::string& remote) {
    p->DisconnectStation(port, own, remote);
  };
  StartPacketLink = [p] { p->StartPacketLink(); };
  StopPacketLink = [p] { p->StopPacketLink(); };
  SendPacketData = [p](const std::string& text) { return p->SendPacketData(text); };
  SendConnectedData = [p](const std::string& text) { p->SendKeepAlive(text); };

  // Monitored frames into lines, until the classifier's own assembly is connected here:
  // the engine ends each monitor text with one byte too many; lines end at CR.
  OnMonitorText = [this, p, buffer = std::string()](const std::string& text) mutable {
    if (!text.empty()) buffer.append(text, 0, text.size() - 1);
    if (buffer.empty() || buffer.back() != '\r') return;
    std::string all;
    all.swap(buffer);
    for (const std::string& piece : Split(all, '\r')) {
      const std::string line = Trim(piece);
      if (line.empty()) continue;
      if (freeze().HoldIfFrozen(FreezeControl::Source::Monitor, line)) continue;
      if (!NodeConnected) ClassifyLine(line);
      p->Showdata(line);
    }
  };
}

}  // namespace varnak
