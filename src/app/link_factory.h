#pragma once
// The one place that names the cluster link implementations.
//
// Responsibilities: make the link of each kind, on the settings the station hands in.
// A test puts its own factory in place (Station::UseLinks) to stand a double in for a
// link; a double derives from the implementation it stands in for.
#include <QObject>
#include <memory>
#include <string>

#include "links/cluster_link.h"

namespace varnak {

enum class LinkKind { Telnet, Packet };

class LinkFactory {
 public:
  virtual ~LinkFactory() = default;
  // Telnet: a TelnetClusterLink; Packet: a PacketClusterLink, its frame log in logFolder.
  virtual std::unique_ptr<ClusterLink> Make(LinkKind kind, const LinkSettings& settings,
                                            const std::string& logFolder) const;
};

}  // namespace varnak
