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
  a.OnConnectionOutstandingFrames =
      std::bind(&PacketLink::AGWInterface1ConnectionOutstandingFrames, this, _1, _2, _3, _4, _5);
  a.OnHandlerFailure = [this](TAGWInterface*, char kind, const std::string& what) {
    ReportFailureOnce(std::string("handler ") + kind,
                      "*** Packet engine frame \"" + std::string(1, kind) + "\" could not be handled: " + what);
  };
  a.Logger().OnWriterError = [this](const std::string& what) {
    ReportFailureOnce("log writer", "*** The packet engine log is no longer written: " + what);
  };

  reconnectTimer_.setSingleShot(true);
  connect(&reconnectTimer_, &QTimer::timeout, this, [this] {
    // The operator may have chosen Telnet meanwhile; a connection already on its way
    // (the setup dialog's) is not torn down.
    if (!engineWanted_ || station_.settings().Telnet == 1 || !AGWInterface1.Closed()) return;
    AGWInterface1.OpenEngine(AGWInterface1.EngineHost(), std::to_string(AGWInterface1.EnginePort()));
  });
  disconnectDeadline_.setSingleShot(true);
  connect(&disconnectDeadline_, &QTimer::timeout, this, &PacketLink::FinishDisconnect);
  connect(&outstandingPoll_, &QTimer::timeout, this, [this] {
    const Settings& s = station_.settings();
    AGWInterface1.AskConnectionOutstandingFrames(s.AX25port, s.MyCall, s.ConnectCall);
  });
  heardTimer_.setSingleShot(true);
  connect(&heardTimer_, &QTimer::timeout, this, [this] {
    if (!heardAnswered_ && windows.addHeardLine) windows.addHeardLine(kNoHeardList);
  });
}

PacketLink::~PacketLink() = default;

void PacketLink::Status(const std::string& text) {
  if (station_.View()) station_.View()->SetStatus(ToQString(text));
}

void PacketLink::Classify(const std::string& line) {
  if (classifyLine) classifyLine(line);
}

void PacketLink::ReportFailureOnce(const std::string& kind, const std::string& line) {
  if (failuresReported_.insert(kind).second) Classify(line);
}

// --- the engine connection -------------------------------------------------------

void PacketLink::AGWInterface1AGWConnecting(TAGWInterface*) { Status("Connecting AGWpe ..."); }

void PacketLink::OpenEngine(const std::string& host, const std::string& port) {
  reconnectTimer_.stop();
  reconnectMs_ = ReconnectFirstMs;
  engineLost_ = false;
  // Closing the old connection here is the operator's doing, not a loss.
  engineWanted_ = false;
  AGWInterface1.OpenEngine(host, port);
  engineWanted_ = true;
}

void PacketLink::CloseEngine() {
  engineWanted_ = false;
  engineLost_ = false;
  reconnectTimer_.stop();
  AGWInterface1.CloseEngine();
}

void PacketLink::ScheduleReconnect(const std::string& why) {
  Status(why + " - next try in " + std::to_string((reconnectMs_ + 999) / 1000) + " s");
  reconnectTimer_.start(reconnectMs_);
  reconnectMs_ = std::min(reconnectMs_ * 2, ReconnectMaxMs);
}

void PacketLink::AGWInterface1AGWConnect(TAGWInterface*) {
  reconnectMs_ = ReconnectFirstMs;
  engineLost_ = false;
  station_.EngineConnected = true;
  Status("Connected to AGWpe");
  AGWInterface1.RegisterCallsign(station_.settings().MyCall);
  AGWInterface1.AskVersion();
  AGWInterface1.AskPortInformation();
}

// Whatever link the engine carried is gone with it: nothing more may be sent on it (a
// "b" on a link Direwolf no longer has keeps it from connecting anywhere again).
void PacketLink::AGWInterface1AGWDisconnect(TAGWInterface*) {
  const bool wasUp = station_.EngineConnected;
  Status("Disconnected");
  station_.EngineConnected = false;
  if (windows.setUpdateEnabled) windows.setUpdateEnabled(false);
  NodeLinkDown();
  strangers_.clear();
  heardTimer_.stop();
  // A new connection on its way (OpenEngine closes the old one first) is not a loss.
  if (!engineWanted_ || !AGWInterface1.Closed()) return;
  if (wasUp) Classify(kEngineLost);
  engineLost_ = true;
  ScheduleReconnect("Packet engine connection lost");
}

void PacketLink::AGWInterface1Error(TAGWInterface*, int ErrorCode, const std::string& ErrorText) {
  const std::string error = "Error " + std::to_string(ErrorCode) + ": " + ErrorText;
  Status(error);
  if (ErrorCode == 10061) {
    if (!engineLost_) Classify("*** No connection to AGW host!");
  } else if (ErrorCode == kAGWErrorOversizedFrame || (ErrorCode >= 10000 && station_.EngineConnected)) {
    // The connection ends because of this; the status is overwritten at once.
    Classify("*** Packet engine " + error);
  }
  // A failed try to reopen a lost connection: try again, later each time.
  if (engineLost_ && engineWanted_ && AGWInterface1.Closed() && !station_.EngineConnected) ScheduleReconnect(error);
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
  heardAnswered_ = false;
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(Count, 0)), PortInfo.size());
  portNames_.assign(PortInfo.begin(), PortInfo.begin() + static_cast<std::ptrdiff_t>(n));
  if (windows.clearHeard) windows.clearHeard();
  if (!heardWindowMode_) {
    for (const std::string& name : portNames_) Classify("*** " + name);
  }
  for (std::size_t i = 1; i <= portNames_.size(); ++i) AGWInterface1.AskHeardStations(static_cast<int>(i));
  if (!portNames_.empty()) heardTimer_.start(HeardWaitMs);
}

void PacketLink::AGWInterface1StationsHeard(TAGWInterface*, int Port, const std::string&,
                                            const std::string& StationInfo) {
  heardAnswered_ = true;
  heardTimer_.stop();
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

std::string PacketLink::NoEngineText(const std::string& host, const std::string& port, const std::string& connectCall,
                                     bool retrying) {
  return "No connection to the packet engine at " + (host.empty() ? std::string("localhost") : host) + ":" + port +
         ", so " + connectCall + " cannot be connected.\r\nStart the packet engine (Direwolf, AGWPE ...); " +
         (retrying ? "Varnak is trying to reach it again." : "then press \"Save\" in the setup to reach it.");
}

std::string PacketLink::PrintableMonitorText(const std::string& data) {
  std::string out = data;
  for (char& c : out) {
    const auto b = static_cast<unsigned char>(c);
    // A node's CR LF in a monitored I frame ends a line, it is no stray byte.
    if (b == '\n')
      c = '\r';
    else if ((b < 32 && b != '\r') || b > 126)
      c = '.';
  }
  return out;
}

void PacketLink::AcceptPacketConnection(int Port, const std::string& FromCall, const std::string& ToCall) {
  const std::string& node = station_.settings().ConnectCall;
  if (FromCall != node) {
    auto key = std::make_tuple(Port, ToCall, FromCall);
    // Every frame of a stranger lands here until it is gone; one busy text is enough.
    if (!strangers_.insert(key).second) return;
    SendConnectedData(Port, ToCall, BusyText(station_.ClientBanner, ToCall, node), FromCall);
    // Gone by himself, or with the engine, meanwhile: no disconnect for a link that is
    // no more.
    QTimer::singleShot(BusyDisconnectMs, this, [this, key] {
      if (strangers_.erase(key) == 0) return;
      DisconnectStation(std::get<0>(key), std::get<1>(key), std::get<2>(key));
    });
    return;
  }
  if (station_.NodeConnected) return;
  if (station_.View()) station_.View()->SetLinkButtons(true);
  Status("Connected to " + FromCall);
  station_.NodeConnected = true;
}

void PacketLink::AGWInterface1ConnectionReceived(TAGWInterface*, int Port, const std::string& FromCall,
                                                 const std::string& ToCall, const std::string& Data, int) {
  // Any station but the node is turned away, also while the node is connected.
  AcceptPacketConnection(Port, FromCall, ToCall);
  // The engine's own notice ("*** CONNECTED With Station Q7XYZ"), so a stranger's try is seen.
  Classify(Trim(Data));
}

void PacketLink::NodeLinkDown() {
  station_.NodeConnected = false;
  if (station_.View()) station_.View()->SetLinkButtons(false);  // also disables "Update"
  // Half a line of this session would be glued to the first line of the next.
  nodeLineBuffer_.clear();
  disconnectDeadline_.stop();
  outstandingPoll_.stop();
}

void PacketLink::AGWInterface1DisconnectedEvent(TAGWInterface*, int Port, const std::string& FromCall,
                                                const std::string& ToCall, const std::string& Data, int) {
  if (FromCall != station_.settings().ConnectCall) {
    strangers_.erase(std::make_tuple(Port, ToCall, FromCall));
    return;
  }
  NodeLinkDown();
  Classify(Trim(Data));
  Status("Disconnected from " + FromCall);
}

void PacketLink::AGWInterface1ConnectedData(TAGWInterface*, int Port, int, const std::string& FromCall,
                                            const std::string& ToCall, const std::string& Data, int) {
  AcceptPacketConnection(Port, FromCall, ToCall);
  // Node lines come from the node alone: a stranger's "DX de" is no spot.
  if (FromCall != station_.settings().ConnectCall) return;
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
  MonitorText(Data);
}

void PacketLink::AGWInterface1MonitoredSupervisoryInformation(TAGWInterface*, int, const std::string&,
                                                              const std::string&, const std::string& Data, int) {
  MonitorText(Data);
}

void PacketLink::AGWInterface1MonitoredUnprotoInformation(TAGWInterface*, int, const std::string&,
                                                          const std::string&, const std::string& Data, int) {
  MonitorText(Data);
}

void PacketLink::AGWInterface1MonitorOwnInformationEvent(TAGWInterface*, int, int, const std::string&,
                                                         const std::string&, const std::string& Data, int) {
  MonitorText(Data);
}

void PacketLink::MonitorText(const std::string& data) {
  if (station_.OnMonitorText) station_.OnMonitorText(PrintableMonitorText(data));
}

void PacketLink::Showdata(const std::string& text) {
  if (windows.showdata) windows.showdata(text);
}

void PacketLink::MheardButtonClick() {
  heardWindowMode_ = true;
  AGWInterface1.AskPortInformation();
}

// --- operations for the connection control -----------------------------------------

bool PacketLink::CanConnect() {
  if (station_.EngineConnected && AGWInterface1.Connected()) return true;
  const Settings& s = station_.settings();
  Status("No connection to the packet engine");
  if (station_.View()) {
    station_.View()->SetLinkButtons(false);
    station_.View()->ShowInformation(ToQString(NoEngineText(s.AGWhost, s.AGWport, s.ConnectCall, engineLost_)));
  }
  return false;
}

bool PacketLink::StartPacketLink() {
  if (!CanConnect()) return false;
  const Settings& s = station_.settings();
  AGWInterface1.ConnectStation(s.AX25port, s.MyCall, s.ConnectCall);
  return true;
}

void PacketLink::StopPacketLink() {
  const Settings& s = station_.settings();
  if (!AGWInterface1.Connected()) {
    NodeLinkDown();
    Status("Disconnected");
    return;
  }
  if (!station_.NodeConnected) {
    // A connect the node has not answered yet is called off at once.
    AGWInterface1.DisconnectStation(s.AX25port, s.MyCall, s.ConnectCall);
    return;
  }
  if (DisconnectPending()) return;
  // Direwolf drops the frames still queued for a link it is told to end: the "b" first.
  disconnectDeadline_.start(DisconnectWaitMs);
  outstandingPoll_.start(OutstandingPollMs);
  AGWInterface1.AskConnectionOutstandingFrames(s.AX25port, s.MyCall, s.ConnectCall);
}

bool PacketLink::IsNodeLink(const std::string& a, const std::string& b) const {
  const Settings& s = station_.settings();
  return (a == s.MyCall && b == s.ConnectCall) || (a == s.ConnectCall && b == s.MyCall);
}

void PacketLink::AGWInterface1ConnectionOutstandingFrames(TAGWInterface*, int, const std::string& FromCall,
                                                          const std::string& ToCall, int FrameCount) {
  if (DisconnectPending() && FrameCount == 0 && IsNodeLink(FromCall, ToCall)) FinishDisconnect();
}

void PacketLink::FinishDisconnect() {
  disconnectDeadline_.stop();
  outstandingPoll_.stop();
  if (!station_.NodeConnected) return;
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
