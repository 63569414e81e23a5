#include "app/packet_link.h"

#include <QTimer>
#include <algorithm>
#include <string_view>

#include "app/station.h"
#include "app/win1252.h"
#include "core/text.h"

namespace varnak {

PacketLink::PacketLink(Station& station, QObject* parent)
    : QObject(parent), AGWInterface1(station.ProgramDir()), station_(station) {
  classifyLine = [this](const std::string& line) { station_.ClassifyLine(line); };
  using namespace std::placeholders;
  TAGWInterface& a = AGWInterface1;
  a.OnAGWConnecting = [this](TAGWInterface* s) { AGWInterface1AGWConnecting(s); };
  a.OnAGWConnect = [this](TAGWInterface* s) { AGWInterface1AGWConnect(s); };
  a.OnAGWDisconnect = [this](TAGWInterface* s) { AGWInterface1AGWDisconnect(s); };
  a.OnError = std::bind(&PacketLink::AGWInterface1Error, this, _1, _2, _3);
  a.OnCallsignRegistration = std::bind(&PacketLink::AGWInterface1CallsignRegistration, this, _1, _2, _3);
  a.OnConnectedData = std::bind(&PacketLink::AGWInterface1ConnectedData, this, _1, _2, _3, _4, _5, _6, _7);
  a.OnConnectionReceived = std::bind(&PacketLink::AGWInterface1ConnectionReceived, this, _1, _2, _3, _4, _5, _6);
  a.OnDisconnectedEvent = std::bind(&PacketLink::AGWInterface1DisconnectedEvent, this, _1, _2, _3, _4, _5, _6);
  a.OnMonitoredConnectedInformation =
      std::bind(&PacketLink::AGWInterface1MonitoredConnectedInformation, this, _1, _2, _3, _4, _5, _6);
  a.OnMonitoredSupervisoryInformation =
      std::bind(&PacketLink::AGWInterface1MonitoredSupervisoryInformation, this, _1, _2, _3, _4, _5, _6);
  a.OnMonitoredUnprotoInformation =
      std::bind(&PacketLink::AGWInterface1MonitoredUnprotoInformation, this, _1, _2, _3, _4, _5, _6);
  a.OnMonitorOwnInformationEvent =
      std::bind(&PacketLink::AGWInterface1MonitorOwnInformationEvent, this, _1, _2, _3, _4, _5, _6, _7);
  a.OnPortInformation = std::bind(&PacketLink::AGWInterface1PortInformation, this, _1, _2, _3);
  a.OnStationsHeard = std::bind(&PacketLink::AGWInterface1StationsHeard, this, _1, _2, _3, _4);
  a.OnVersionInfo = std::bind(&PacketLink::AGWInterface1VersionInfo, this, _1, _2);
}

PacketLink::~PacketLink() = default;

void PacketLink::Status(const std::string& text) {
  if (station_.View()) station_.View()->SetStatus(ToQString(text));
}

void PacketLink::Classify(const std::string& line) {
  if (classifyLine) classifyLine(line);
}

// --- the engine connection -------------------------------------------------------

void PacketLink::AGWInterface1AGWConnecting(TAGWInterface*) { Status("Connecting AGWpe ..."); }

void PacketLink::AGWInterface1AGWConnect(TAGWInterface*) {
  station_.EngineConnected = true;
  Status("Connected to AGWpe");
  AGWInterface1.RegisterCallsign(station_.settings().MyCall);
  AGWInterface1.AskVersion();
  AGWInterface1.AskPortInformation();
}

void PacketLink::AGWInterface1AGWDisconnect(TAGWInterface*) {
  Status("Disconnected");
  station_.EngineConnected = false;
  if (windows.setUpdateEnabled) windows.setUpdateEnabled(false);
}

void PacketLink::AGWInterface1Error(TAGWInterface*, int ErrorCode, const std::string& ErrorText) {
  Status("Error " + std::to_string(ErrorCode) + ": " + ErrorText);
  if (ErrorCode == 10061) Classify("*** No connection to AGW host!");
}

// Engines answer a second registration of the same call with a refusal; the call is
// ours all the same, so a refusal goes the same way as a success.
void PacketLink::AGWInterface1CallsignRegistration(TAGWInterface*, const std::string&, bool) {
  const Settings& s = station_.settings();
  Status("Successfully registred call " + s.MyCall);
  AGWInterface1.StartMonitoring();
  // e.g. "JO62QM {Varnak 1.0}" to the destination ID
  AGWInterface1.SendUnproto(s.AX25port, s.MyCall, "ID", s.MyLocator + " " + station_.ClientBanner);
  if (s.AutoConnect && station_.ConnectAction) station_.ConnectAction();
}

void PacketLink::AGWInterface1VersionInfo(TAGWInterface*, const TAGWVersionData& Version) {
  Classify("*** AGW Packet Engine v" + std::to_string(Version.Major) + "." + std::to_string(Version.Minor) + " on " +
           station_.settings().AGWhost);
}

void PacketLink::AGWInterface1PortInformation(TAGWInterface*, int Count, const std::vector<std::string>& PortInfo) {
  lastHeardPort_ = -1;
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(Count, 0)), PortInfo.size());
  portNames_.assign(PortInfo.begin(), PortInfo.begin() + static_cast<std::ptrdiff_t>(n));
  if (windows.clearHeard) windows.clearHeard();
  if (!heardWindowMode_) {
    for (const std::string& name : portNames_) Classify("*** " + name);
  }
  for (std::size_t i = 1; i <= portNames_.size(); ++i) AGWInterface1.AskHeardStations(static_cast<int>(i));
}

void PacketLink::AGWInterface1StationsHeard(TAGWInterface*, int Port, const std::string&,
                                            const std::string& StationInfo) {
  if (Port != lastHeardPort_) {
    // A port the last port list did not name still gets a heading of its own.
    const bool known = Port >= 1 && static_cast<std::size_t>(Port) <= portNames_.size();
    const std::string heading = known ? portNames_[static_cast<std::size_t>(Port - 1)] : "Port " + std::to_string(Port);
    if (windows.addHeardLine) windows.addHeardLine(heading);
  }
  if (windows.addHeardLine) windows.addHeardLine("    " + StationInfo);
  lastHeardPort_ = Port;
}

// --- the node connection -----------------------------------------------------------

std::string PacketLink::BusyText(const std::string& clientBanner, const std::string& toCall,
                                 const std::string& connectCall) {
  return "*** " + clientBanner + " on " + toCall + " busy, please connect to DX-cluster " + connectCall + " !";
}

std::string PacketLink::NotConnectedText(const std::string& connectCall) {
  return "Not connected to the cluster node " + connectCall + ": nothing was sent.";
}

void PacketLink::AcceptPacketConnection(int Port, const std::string& FromCall, const std::string& ToCall) {
  const std::string& node = station_.settings().ConnectCall;
  if (FromCall != node) {
    auto key = std::make_tuple(Port, ToCall, FromCall);
    // Every frame of a stranger lands here until it is gone; one busy text is enough.
    if (!strangers_.insert(key).second) return;
    SendConnectedData(Port, ToCall, BusyText(station_.ClientBanner, ToCall, node), FromCall);
    QTimer::singleShot(BusyDisconnectMs, this, [this, key] {
      strangers_.erase(key);
      DisconnectStation(std::get<0>(key), std::get<1>(key), std::get<2>(key));
    });
    return;
  }
  if (station_.View()) station_.View()->SetLinkButtons(true);
  Status("Connected to " + FromCall);
  station_.NodeConnected = true;
}

void PacketLink::AGWInterface1ConnectionReceived(TAGWInterface*, int Port, const std::string& FromCall,
                                                 const std::string& ToCall, const std::string& Data, int) {
  if (!station_.NodeConnected) AcceptPacketConnection(Port, FromCall, ToCall);
  Classify(Trim(Data));
}

void PacketLink::AGWInterface1DisconnectedEvent(TAGWInterface*, int, const std::string& FromCall,
                                                const std::string&, const std::string& Data, int) {
  if (FromCall != station_.settings().ConnectCall) return;
  if (station_.View()) station_.View()->SetLinkButtons(false);  // also disables "Update"
  Classify(Trim(Data));
  Status("Disconnected from " + FromCall);
  station_.NodeConnected = false;
}

void PacketLink::AGWInterface1ConnectedData(TAGWInterface*, int Port, int, const std::string& FromCall,
                                            const std::string& ToCall, const std::string& Data, int) {
  if (!station_.NodeConnected) AcceptPacketConnection(Port, FromCall, ToCall);
  std::string data = Data;
  std::replace(data.begin(), data.end(), '\n', '\r');
  // A login prompt comes without a line end; close it so it is classified at once.
  if (Contains(data, "login:")) data += '\r';
  if (Contains(data, "password:")) data += '\r';
  nodeLineBuffer_ += data;
  // An incomplete last line waits for more data, unless it has grown past any real
  // line: then what is there is taken as lines and pieces.
  if ((!nodeLineBuffer_.empty() && nodeLineBuffer_.back() == '\r') || nodeLineBuffer_.size() > kMaxNodeLine)
    CutNodeLines();
}

void PacketLink::CutNodeLines() {
  // The buffer goes out whole before any line is classified, so a classification that
  // leads to more node data starts from an empty buffer.
  std::string buffer;
  buffer.swap(nodeLineBuffer_);
  std::string_view rest = buffer;
  while (!rest.empty()) {
    std::string line(TakeCrLine(rest));
    if (line.size() > kMaxNodeLine) {
      for (std::size_t at = 0; at < line.size(); at += kMaxNodeLine) NodeLine(line.substr(at, kMaxNodeLine));
    } else {
      NodeLine(line);
    }
  }
}

void PacketLink::NodeLine(const std::string& line) {
  if (station_.freeze().HoldIfFrozen(FreezeControl::Source::PacketNode, line)) return;
  Classify(line);
}

// --- monitored frames --------------------------------------------------------------

void PacketLink::AGWInterface1MonitoredConnectedInformation(TAGWInterface*, int, const std::string&,
                                                            const std::string&, const std::string& Data, int) {
  if (station_.OnMonitorText) station_.OnMonitorText(Data);
}

void PacketLink::AGWInterface1MonitoredSupervisoryInformation(TAGWInterface*, int, const std::string&,
                                                              const std::string&, const std::string& Data, int) {
  if (station_.OnMonitorText) station_.OnMonitorText(Data);
}

void PacketLink::AGWInterface1MonitoredUnprotoInformation(TAGWInterface*, int, const std::string&,
                                                          const std::string&, const std::string& Data, int) {
  if (station_.OnMonitorText) station_.OnMonitorText(Data);
}

void PacketLink::AGWInterface1MonitorOwnInformationEvent(TAGWInterface*, int, int, const std::string&,
                                                         const std::string&, const std::string& Data, int) {
  if (station_.OnMonitorText) station_.OnMonitorText(Data);
}

void PacketLink::Showdata(const std::string& text) {
  if (windows.showdata) windows.showdata(text);
}

void PacketLink::MheardButtonClick() {
  heardWindowMode_ = true;
  AGWInterface1.AskPortInformation();
}

// --- operations for the connection control -----------------------------------------

void PacketLink::StartPacketLink() {
  const Settings& s = station_.settings();
  AGWInterface1.ConnectStation(s.AX25port, s.MyCall, s.ConnectCall);
}

void PacketLink::StopPacketLink() {
  const Settings& s = station_.settings();
  AGWInterface1.DisconnectStation(s.AX25port, s.MyCall, s.ConnectCall);
}

bool PacketLink::SendPacketData(const std::string& text) {
  const Settings& s = station_.settings();
  if (!station_.NodeConnected) {
    if (station_.View()) station_.View()->ShowError(ToQString(NotConnectedText(s.ConnectCall)));
    return false;
  }
  if (!AGWInterface1.SendConnectedData(s.AX25port, s.MyCall, s.ConnectCall, text + '\r')) {
    if (station_.View()) station_.View()->ShowError(ToQString("No connection to AGW host!"));
    return false;
  }
  return true;
}

void PacketLink::SendConnectedData(int Port, const std::string& FromCall, const std::string& Text,
                                   const std::string& ToCall) {
  AGWInterface1.SendConnectedData(Port, FromCall, ToCall, Text);
}

void PacketLink::DisconnectStation(int Port, const std::string& OwnCall, const std::string& RemoteCall) {
  AGWInterface1.DisconnectStation(Port, OwnCall, RemoteCall);
}

void PacketLink::SendKeepAlive(const std::string& text) {
  const Settings& s = station_.settings();
  SendConnectedData(s.AX25port, s.MyCall, text, s.ConnectCall);
}

}  // namespace varnak
