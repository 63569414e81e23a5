// The station's packet side: what it follows of the packet link beyond what every
// cluster link tells.
#include "agw/packet_cluster_link.h"
#include "app/classifier.h"
#include "app/station.h"

namespace varnak {

PacketClusterLink& Station::Packet() { return static_cast<PacketClusterLink&>(*packet_); }

void Station::WirePacketLink() {
  PacketClusterLink& p = Packet();
  connect(&p, &PacketClusterLink::engineStateChanged, this, [this](bool up) { EngineConnected = up; });
  // Monitored frames: the classifier makes lines of them and hands them back for the
  // monitor window (ShowMonitorLine of its host).
  connect(&p, &PacketClusterLink::monitoredText, this,
          [this](const std::string& text) { classifier_->AddMonitorText(text); });
}

}  // namespace varnak
