#include "agw/packet_cluster_link.h"

#include <QTimer>
#include <algorithm>
#include <functional>
#include <string_view>

#include "core/text.h"

namespace varnak {

PacketClusterLink::PacketClusterLink(const LinkSettings& settings, const std::string& logFolder, QObject* parent)
    : ClusterLink(parent), AGWInterface1(logFolder), settings_(settings) {
  using namespace std::placeholders;
  TAGWInterface& a = AGWInterface1;
  a.OnAGWConnecting = [this](TAGWInterface* s) { AGWInterface1AGWConnecting(s); };
  a.OnAGWConnect = [this](TAGWInterface* s) { AGWInterface1AGWConnect(s); };
  a.OnAGWDisconnect = [this](TAGWInterface* s) { AGWInterface1AGWDisconnect(s); };
  a.OnError = std::bind(&PacketClusterLink::AGWInterface1Error, this, _1, _2, _3);
  a.OnCallsignRegistration = std::bind(&PacketClusterLink::AGWInterface1CallsignRegistration, this, _1, _2, _3);
  a.OnConnectedData = std::bind(&PacketClusterLink::AGWInterface1ConnectedData, this, _1, _2, _3, _4, _5, _6, _7);
  a.OnConnectionReceived = std::bind(&PacketClusterLink::AGWInterface1ConnectionReceived, this, _1, _2, _3, _4, _5, _6);
  a.OnDisconnectedEvent = std::bind(&PacketClusterLink::AGWInterface1DisconnectedEvent, this, _1, _2, _3, _4, _5, _6);
  a.OnMonitoredConnectedInformation =
      std::bind(&PacketClusterLink::AGWInterface1MonitoredConnectedInformation, this, _1, _2, _3, _4, _5, _6);
  a.OnMonitoredSupervisoryInformation =
      std::bind(&PacketClusterLink::AGWInterface1MonitoredSupervisoryInformation, this, _1, _2, _3, _4, _5, _6);
  a.OnMonitoredUnprotoInformation =
      std::bind(&PacketClusterLink::AGWInterface1MonitoredUnprotoInformation, this, _1, _2, _3, _4, _5, _6);
  a.OnMonitorOwnInformationEvent =
      std::bind(&PacketClusterLink::AGWInterface1MonitorOwnInformationEvent, this, _1, _2, _3, _4, _5, _6, _7);
  a.OnPortInformation = std::bind(&PacketClusterLink::AGWInterface1PortInformation, this, _1, _2, _3);
  a.OnStationsHeard = std::bind(&PacketClusterLink::AGWInterface1StationsHeard, this, _1, _2, _3, _4);
  a.OnVersionInfo = std::bind(&PacketClusterLink::AGWInterface1VersionInfo, this, _1, _2);
  a.OnConnectionOutstandingFrames =
      std::bind(&PacketClusterLink::AGWInterface1ConnectionOutstandingFrames, this, _1, _2, _3, _4, _5);
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
    if (!engineWanted_ || settings_.Telnet() || !AGWInterface1.Closed()) return;
    AGWInterface1.OpenEngine(AGWInterface1.EngineHost(), std::to_string(AGWInterface1.EnginePort()));
  });
  disconnectDeadline_.setSingleShot(true);
  connect(&disconnectDeadline_, &QTimer::timeout, this, &PacketClusterLink::FinishDisconnect);
  connect(&outstandingPoll_, &QTimer::timeout, this, [this] {
    AGWInterface1.AskConnectionOutstandingFrames(settings_.AX25port(), settings_.MyCall(), settings_.ConnectCall());
  });
  heardTimer_.setSingleShot(true);
  connect(&heardTimer_, &QTimer::timeout, this, [this] {
    if (!heardAnswered_) emit heardLine(kNoHeardList);
  });
}

PacketClusterLink::~PacketClusterLink() = default;

void PacketClusterLink::ReportFailureOnce(const std::string& kind, const std::string& line) {
  if (failuresReported_.insert(kind).second) Classify(line);
}

// --- the engine connection -------------------------------------------------------

void PacketClusterLink::AGWInterface1AGWConnecting(TAGWInterface*) { Status("Connecting AGWpe ..."); }

void PacketClusterLink::OpenEngine(const std::string& host, const std::string& port) {
  reconnectTimer_.stop();
  reconnectMs_ = ReconnectFirstMs;
  engineLost_ = false;
  // Closing the old connection here is the operator's doing, not a loss.
  engineWanted_ = false;
  AGWInterface1.OpenEngine(host, port);
  engineWanted_ = true;
}

void PacketClusterLink::CloseEngine() {
  engineWanted_ = false;
  engineLost_ = false;
  reconnectTimer_.stop();
  AGWInterface1.CloseEngine();
}

void PacketClusterLink::ScheduleReconnect(const std::string& why) {
  Status(why + " - next try in " + std::to_string((reconnectMs_ + 999) / 1000) + " s");
  reconnectTimer_.start(reconnectMs_);
  reconnectMs_ = std::min(reconnectMs_ * 2, ReconnectMaxMs);
}

void PacketClusterLink::AGWInterface1AGWConnect(TAGWInterface*) {
  reconnectMs_ = ReconnectFirstMs;
  engineLost_ = false;
  engineConnected_ = true;
  emit engineStateChanged(true);
  Status("Connected to AGWpe");
  AGWInterface1.RegisterCallsign(settings_.MyCall());
  AGWInterface1.AskVersion();
  AGWInterface1.AskPortInformation();
}

// Whatever link the engine carried is gone with it: nothing more may be sent on it (a
// "b" on a link Direwolf no longer has keeps it from connecting anywhere again).
void PacketClusterLink::AGWInterface1AGWDisconnect(TAGWInterface*) {
  const bool wasUp = engineConnected_;
  Status("Disconnected");
  engineConnected_ = false;
  emit engineStateChanged(false);
  NodeLinkDown();
  strangers_.clear();
  heardTimer_.stop();
  // A new connection on its way (OpenEngine closes the old one first) is not a loss.
  if (!engineWanted_ || !AGWInterface1.Closed()) return;
  if (wasUp) Classify(kEngineLost);
  engineLost_ = true;
  ScheduleReconnect("Packet engine connection lost");
}

void PacketClusterLink::AGWInterface1Error(TAGWInterface*, int ErrorCode, const std::string& ErrorText) {
  const std::string error = "Error " + std::to_string(ErrorCode) + ": " + ErrorText;
  Status(error);
  if (ErrorCode == 10061) {
    if (!engineLost_) Classify("*** No connection to AGW host!");
  } else if (ErrorCode == kAGWErrorOversizedFrame || (ErrorCode >= 10000 && engineConnected_)) {
    // The connection ends because of this; the status is overwritten at once.
    Classify("*** Packet engine " + error);
  }
  // A failed try to reopen a lost connection: try again, later each time.
  if (engineLost_ && engineWanted_ && AGWInterface1.Closed() && !engineConnected_) ScheduleReconnect(error);
}

// Engines answer a second registration of the same call with a refusal; the call is
// ours all the same, so a refusal goes the same way as a success.
void PacketClusterLink::AGWInterface1CallsignRegistration(TAGWInterface*, const std::string&, bool) {
  const LinkSettings& s = settings_;
  Status("Successfully registred call " + s.MyCall());
  AGWInterface1.StartMonitoring();
  // e.g. "JO62QM {Varnak 1.0}" to the destination ID
  AGWInterface1.SendUnproto(s.AX25port(), s.MyCall(), "ID", s.MyLocator() + " " + s.ClientBanner());
  if (s.AutoConnect()) Connect();
}

void PacketClusterLink::AGWInterface1VersionInfo(TAGWInterface*, const TAGWVersionData& Version) {
  Classify("*** AGW Packet Engine v" + std::to_string(Version.Major) + "." + std::to_string(Version.Minor) + " on " +
           settings_.AGWhost());
}

void PacketClusterLink::AGWInterface1PortInformation(TAGWInterface*, int Count, const std::vector<std::string>& PortInfo) {
  lastHeardPort_ = -1;
  heardAnswered_ = false;
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(Count, 0)), PortInfo.size());
  portNames_.assign(PortInfo.begin(), PortInfo.begin() + static_cast<std::ptrdiff_t>(n));
  emit heardCleared();
  if (!heardWindowMode_) {
    for (const std::string& name : portNames_) Classify("*** " + name);
  }
  for (std::size_t i = 1; i <= portNames_.size(); ++i) AGWInterface1.AskHeardStations(static_cast<int>(i));
  if (!portNames_.empty()) heardTimer_.start(HeardWaitMs);
}

void PacketClusterLink::AGWInterface1StationsHeard(TAGWInterface*, int Port, const std::string&,
                                            const std::string& StationInfo) {
  heardAnswered_ = true;
  heardTimer_.stop();
  if (Port != lastHeardPort_) {
    // A port the last port list did not name still gets a heading of its own.
    const bool known = Port >= 1 && static_cast<std::size_t>(Port) <= portNames_.size();
    const std::string heading = known ? portNames_[static_cast<std::size_t>(Port - 1)] : "Port " + std::to_string(Port);
    emit heardLine(heading);
  }
  emit heardLine("    " + StationInfo);
  lastHeardPort_ = Port;
}

// --- the node connection -----------------------------------------------------------

std::string PacketClusterLink::BusyText(const std::string& clientBanner, const std::string& toCall,
                                 const std::string& connectCall) {
  return "*** " + clientBanner + " on " + toCall + " busy, please connect to DX-cluster " + connectCall + " !";
}

std::string PacketClusterLink::NotConnectedText(const std::string& connectCall) {
  return "Not connected to the cluster node " + connectCall + ": nothing was sent.";
}

std::string PacketClusterLink::NoEngineText(const std::string& host, const std::string& port, const std::string& connectCall,
                                     bool retrying) {
  return "No connection to the packet engine at " + (host.empty() ? std::string("localhost") : host) + ":" + port +
         ", so " + connectCall + " cannot be connected.\r\nStart the packet engine (Direwolf, AGWPE ...); " +
         (retrying ? "Varnak is trying to reach it again." : "then press \"Save\" in the setup to reach it.");
}

std::string PacketClusterLink::PrintableMonitorText(const std::string& data) {
  std::string out = data;
  for (char& c : out) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 32 && b != '\r') || b == 127) c = '.';
  }
  return out;
}

void PacketClusterLink::AcceptPacketConnection(int Port, const std::string& FromCall, const std::string& ToCall) {
  const std::string& node = settings_.ConnectCall();
  if (FromCall != node) {
    auto key = std::make_tuple(Port, ToCall, FromCall);
    // Every frame of a stranger lands here until it is gone; one busy text is enough.
    if (!strangers_.insert(key).second) return;
    SendConnectedData(Port, ToCall, BusyText(settings_.ClientBanner(), ToCall, node), FromCall);
    // Gone by himself, or with the engine, meanwhile: no disconnect for a link that is
    // no more.
    QTimer::singleShot(BusyDisconnectMs, this, [this, key] {
      if (strangers_.erase(key) == 0) return;
      DisconnectStation(std::get<0>(key), std::get<1>(key), std::get<2>(key));
    });
    return;
  }
  if (nodeConnected_) return;
  nodeConnected_ = true;
  loggingIn_ = true;
  loginCrAdded_ = passwordCrAdded_ = false;
  loginClock_.start();
  SetState(State::LoggedIn);  // the node listens from its connect on
  Status("Connected to " + FromCall);
}

void PacketClusterLink::AGWInterface1ConnectionReceived(TAGWInterface*, int Port, const std::string& FromCall,
                                                 const std::string& ToCall, const std::string& Data, int) {
  // Any station but the node is turned away, also while the node is connected.
  AcceptPacketConnection(Port, FromCall, ToCall);
  // The engine's own notice ("*** CONNECTED With Station Q7XYZ"), so a stranger's try is seen.
  Classify(Trim(Data));
}

void PacketClusterLink::NodeLinkDown() {
  nodeConnected_ = false;
  SetState(State::Down);
  // Half a line of this session would be glued to the first line of the next.
  nodeLineBuffer_.clear();
  disconnectDeadline_.stop();
  outstandingPoll_.stop();
}

void PacketClusterLink::AGWInterface1DisconnectedEvent(TAGWInterface*, int Port, const std::string& FromCall,
                                                const std::string& ToCall, const std::string& Data, int) {
  if (FromCall != settings_.ConnectCall()) {
    strangers_.erase(std::make_tuple(Port, ToCall, FromCall));
    return;
  }
  NodeLinkDown();
  Classify(Trim(Data));
  Status("Disconnected from " + FromCall);
}

void PacketClusterLink::AGWInterface1ConnectedData(TAGWInterface*, int Port, int, const std::string& FromCall,
                                            const std::string& ToCall, const std::string& Data, int) {
  AcceptPacketConnection(Port, FromCall, ToCall);
  // Node lines come from the node alone: a stranger's "DX de" is no spot.
  if (FromCall != settings_.ConnectCall()) return;
  std::string data = Data;
  std::replace(data.begin(), data.end(), '\n', '\r');
  nodeLineBuffer_ += data;
  CloseLoginPrompt();
  // An incomplete last line waits for more data, unless it has grown past any real
  // line: then what is there is taken as lines and pieces.
  if ((!nodeLineBuffer_.empty() && nodeLineBuffer_.back() == '\r') || nodeLineBuffer_.size() > kMaxNodeLine)
    CutNodeLines();
}

// A login prompt comes without a line end; it is closed so that it is classified at
// once. Only the node's own prompt, while logging in: the same words in a user's text
// are no prompt and the line they stand in is not cut.
void PacketClusterLink::CloseLoginPrompt() {
  if (!LoggingIn()) return;
  const std::string_view tail = TrimView(std::string_view(nodeLineBuffer_).substr(
      nodeLineBuffer_.size() > 64 ? nodeLineBuffer_.size() - 64 : 0));
  if (!loginCrAdded_ && EndsWith(tail, "login:")) {
    loginCrAdded_ = true;
    nodeLineBuffer_ += '\r';
  } else if (!passwordCrAdded_ && EndsWith(tail, "password:")) {
    passwordCrAdded_ = true;
    nodeLineBuffer_ += '\r';
  }
}

bool PacketClusterLink::LoggingIn() const {
  return loggingIn_ && nodeConnected_ && loginClock_.isValid() && loginClock_.elapsed() < LoginPhaseMs;
}

void PacketClusterLink::CutNodeLines() {
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

void PacketClusterLink::NodeLine(const std::string& line) {
  // The node's first prompt ends the login.
  if (loggingIn_ && (StartsWith(line, settings_.MyCall() + " de ") || EndsWith(line, ">"))) loggingIn_ = false;
  emit lineReceived(line);
}

// --- monitored frames --------------------------------------------------------------

void PacketClusterLink::AGWInterface1MonitoredConnectedInformation(TAGWInterface*, int, const std::string&,
                                                            const std::string&, const std::string& Data, int) {
  MonitorText(Data);
}

void PacketClusterLink::AGWInterface1MonitoredSupervisoryInformation(TAGWInterface*, int, const std::string&,
                                                              const std::string&, const std::string& Data, int) {
  MonitorText(Data);
}

void PacketClusterLink::AGWInterface1MonitoredUnprotoInformation(TAGWInterface*, int, const std::string&,
                                                          const std::string&, const std::string& Data, int) {
  MonitorText(Data);
}

void PacketClusterLink::AGWInterface1MonitorOwnInformationEvent(TAGWInterface*, int, int, const std::string&,
                                                         const std::string&, const std::string& Data, int) {
  MonitorText(Data);
}

// Monitored text goes on as received: a spot heard in it is filed with its letters and
// without the node's BELs (which trimming removes). Only the window shows it cleaned.
void PacketClusterLink::MonitorText(const std::string& data) { emit monitoredText(data); }

void PacketClusterLink::Showdata(const std::string& text) { emit monitorWindowText(PrintableMonitorText(text)); }

void PacketClusterLink::MheardButtonClick() {
  heardWindowMode_ = true;
  AGWInterface1.AskPortInformation();
}

// --- the node connection as the buttons and the operator's sends drive it --------

void PacketClusterLink::Connect() {
  if (!CanConnect()) return;
  Status("Trying " + settings_.ConnectCall() + " ...");
  StartPacketLink();
  SetState(State::Connecting);
}

void PacketClusterLink::Disconnect() {
  Status("Sending disconnect request ...");
  if (nodeConnected_) Send("b");
  StopPacketLink();
}

void PacketClusterLink::Open() { OpenEngine(settings_.AGWhost(), settings_.AGWport()); }

bool PacketClusterLink::CanConnect() {
  if (engineConnected_ && AGWInterface1.Connected()) return true;
  const LinkSettings& s = settings_;
  Status("No connection to the packet engine");
  SetState(State::Down);
  emit problem(Problem::Information, NoEngineText(s.AGWhost(), s.AGWport(), s.ConnectCall(), engineLost_));
  return false;
}

bool PacketClusterLink::StartPacketLink() {
  if (!CanConnect()) return false;
  AGWInterface1.ConnectStation(settings_.AX25port(), settings_.MyCall(), settings_.ConnectCall());
  return true;
}

void PacketClusterLink::StopPacketLink() {
  const LinkSettings& s = settings_;
  if (!AGWInterface1.Connected()) {
    NodeLinkDown();
    Status("Disconnected");
    return;
  }
  if (!nodeConnected_) {
    // A connect the node has not answered yet is called off at once.
    AGWInterface1.DisconnectStation(s.AX25port(), s.MyCall(), s.ConnectCall());
    return;
  }
  if (DisconnectPending()) return;
  // Direwolf drops the frames still queued for a link it is told to end: the "b" first.
  disconnectDeadline_.start(DisconnectWaitMs);
  outstandingPoll_.start(OutstandingPollMs);
  AGWInterface1.AskConnectionOutstandingFrames(s.AX25port(), s.MyCall(), s.ConnectCall());
}

bool PacketClusterLink::IsNodeLink(const std::string& a, const std::string& b) const {
  const std::string& me = settings_.MyCall();
  const std::string& node = settings_.ConnectCall();
  return (a == me && b == node) || (a == node && b == me);
}

void PacketClusterLink::AGWInterface1ConnectionOutstandingFrames(TAGWInterface*, int, const std::string& FromCall,
                                                                 const std::string& ToCall, int FrameCount) {
  if (DisconnectPending() && FrameCount == 0 && IsNodeLink(FromCall, ToCall)) FinishDisconnect();
}

void PacketClusterLink::FinishDisconnect() {
  disconnectDeadline_.stop();
  outstandingPoll_.stop();
  if (!nodeConnected_) return;
  AGWInterface1.DisconnectStation(settings_.AX25port(), settings_.MyCall(), settings_.ConnectCall());
}

bool PacketClusterLink::Send(const std::string& text) {
  if (!nodeConnected_) {
    emit problem(Problem::Error, NotConnectedText(settings_.ConnectCall()));
    return false;
  }
  if (!AGWInterface1.SendConnectedData(settings_.AX25port(), settings_.MyCall(), settings_.ConnectCall(),
                                       text + '\r')) {
    emit problem(Problem::Error, "No connection to AGW host!");
    return false;
  }
  emit lineSent(text);
  return true;
}

bool PacketClusterLink::SendQuiet(const std::string& text) {
  if (!nodeConnected_) return false;
  return AGWInterface1.SendConnectedData(settings_.AX25port(), settings_.MyCall(), settings_.ConnectCall(),
                                         text + '\r');
}

void PacketClusterLink::SendConnectedData(int Port, const std::string& FromCall, const std::string& Text,
                                          const std::string& ToCall) {
  AGWInterface1.SendConnectedData(Port, FromCall, ToCall, Text);
}

void PacketClusterLink::DisconnectStation(int Port, const std::string& OwnCall, const std::string& RemoteCall) {
  AGWInterface1.DisconnectStation(Port, OwnCall, RemoteCall);
}

}  // namespace varnak
