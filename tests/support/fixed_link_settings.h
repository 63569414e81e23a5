#pragma once
// Link settings as plain values a test sets: a Telnet link to 127.0.0.1 for Q1ABC.
#include <string>

#include "links/cluster_link.h"

namespace varnak::test {

struct FixedLinkSettings : LinkSettings {
  bool Telnet() const override { return telnet; }
  const std::string& MyCall() const override { return myCall; }
  const std::string& MyLocator() const override { return myLocator; }
  const std::string& ConnectCall() const override { return connectCall; }
  const std::string& ClusterHost() const override { return host; }
  int ClusterPort() const override { return port; }
  bool Reconnect() const override { return reconnect; }
  bool AutoConnect() const override { return autoConnect; }
  const std::string& AGWhost() const override { return agwHost; }
  const std::string& AGWport() const override { return agwPort; }
  int AX25port() const override { return ax25Port; }
  const std::string& ClientBanner() const override { return banner; }
  std::string TimeText() const override { return timeText; }

  bool telnet = true, reconnect = false, autoConnect = false;
  std::string myCall = "Q1ABC", myLocator = "JO62QM", connectCall = "Q9NODE";
  std::string host = "127.0.0.1";
  int port = 0;
  std::string agwHost, agwPort = "8000";
  int ax25Port = 1;
  std::string banner = "{Varnak 1.0}", timeText = "21:50:00";
};

}  // namespace varnak::test
