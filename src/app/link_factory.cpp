#include "app/link_factory.h"

#include "agw/packet_cluster_link.h"
#include "telnet/telnet_cluster_link.h"

namespace varnak {

std::unique_ptr<ClusterLink> LinkFactory::Make(LinkKind kind, const LinkSettings& settings,
                                               const std::string& logFolder) const {
  if (kind == LinkKind::Telnet) return std::make_unique<TelnetClusterLink>(settings);
  return std::make_unique<PacketClusterLink>(settings, logFolder);
}

}  // namespace varnak
