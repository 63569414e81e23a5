// The station's packet side: the packet link and the hooks through which the start-up,
// shutdown, connection control and keep-alive reach it.
#include <memory>

#include "app/packet_link.h"
#include "app/station.h"
#include "app/classifier.h"

namespace varnak {

void Station::WirePacketLink() {
  packet_ = std::make_unique<PacketLink>(*this, this);
  PacketLink* p = packet_.get();

  OpenEngine = [p](const std::string& host, const std::string& port) { p->OpenEngine(host, port); };
  CloseEngine = [p] { p->CloseEngine(); };
  DisconnectStation = [p](int port, const std::string& own, const std::string& remote) {
    p->DisconnectStation(port, own, remote);
  };
  StartPacketLink = [p] { p->StartPacketLink(); };
  StopPacketLink = [p] { p->StopPacketLink(); };
  SendPacketData = [p](const std::string& text) { return p->SendPacketData(text); };
  SendConnectedData = [p](const std::string& text) { p->SendKeepAlive(text); };

  // "Connect" with no engine is refused before it shows "Trying" and "Disconnect".
  ConnectAction = [this, p, connect = ConnectAction] {
    if (settings_.Telnet != 1 && !p->CanConnect()) return;
    if (connect) connect();
  };
  PacketDisconnectPending = [p] { return p->DisconnectPending(); };

  // Monitored frames: the classifier makes lines of them and hands them back for the
  // monitor window.
  OnMonitorText = [this](const std::string& text) { classifier_->AddMonitorText(text); };
  ShowMonitorLine = [p](const std::string& line) { p->Showdata(line); };
}

}  // namespace varnak
