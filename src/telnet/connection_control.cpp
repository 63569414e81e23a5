#include "telnet/connection_control.h"

#include <algorithm>

#include "core/text.h"

namespace varnak {

ConnectionControl::ConnectionControl(Hooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), link_(this) {
  TelnetLink::Events events;
  events.onConnect = [this] { OnConnect(); };
  events.onConnected = [this] { OnConnected(); };
  events.onConnectFailed = [this](const SocketFailure& failure) { OnConnectFailed(FailureReason(failure)); };
  events.onLine = [this](const std::string& line) {
    Classify(line);
    if (awaitingLogin_ && hooks_.loggedIn && hooks_.loggedIn()) {
      awaitingLogin_ = false;
      nextDelayS_ = kReconnectFirstS;
    }
  };
  events.onDisconnected = [this] { OnDisconnected(); };
  link_.SetEvents(std::move(events));
  SetTicker(std::make_unique<TimerTicker>());
}

void ConnectionControl::SetTicker(std::unique_ptr<SecondTicker> ticker) {
  ticker_ = std::move(ticker);
  ticker_->onSecond = [this] { OnSecond(); };
}

std::string ConnectionControl::NoConnectionText(const std::string& host) {
  return "No connection to \"" + host + "\"\r\nAre you online?";
}

// The box only asks "Are you online?"; the pane line says what really went wrong.
std::string ConnectionControl::FailureReason(const SocketFailure& failure) {
  switch (failure.code) {
    case 10061: return "connection refused";
    case 11001: return "host not found";
    case 10060: return "timed out";
    case 10065: return "host unreachable";
    default: break;
  }
  std::string text = ToLowerAscii(failure.text);
  return text.empty() ? "error " + std::to_string(failure.code) : text;
}

void ConnectionControl::Status(const std::string& text) {
  if (hooks_.setStatus) hooks_.setStatus(text);
}

void ConnectionControl::Classify(const std::string& line) {
  if (hooks_.classifyLine) hooks_.classifyLine(line);
}

void ConnectionControl::LinkUp(bool up) {
  if (hooks_.setLinkUp) hooks_.setLinkUp(up);
}

void ConnectionControl::ConnectAction() {
  const bool telnet = hooks_.isTelnet ? hooks_.isTelnet() : true;
  if (!telnet) {
    Status("Trying " + (hooks_.connectCall ? hooks_.connectCall() : std::string()) + " ...");
    if (hooks_.startPacketLink) hooks_.startPacketLink();
    LinkUp(true);
    if (hooks_.clearUsersRequested) hooks_.clearUsersRequested();
    return;
  }
  if (Reconnecting()) {
    // By hand: a try now, with the box if it fails, and no more tries by themselves.
    ticker_->Stop();
    nextDelayS_ = kReconnectFirstS;
    if (link_.IsConnecting()) link_.Disconnect();
    attempt_ = Attempt::ConnectButton;
    LinkUp(false);
  }
  if (telnetConnected_) {
    TelnetDisconnect();
    return;
  }
  StartTelnet(Attempt::ConnectButton);
}

void ConnectionControl::DisconnectAction() {
  const bool telnet = hooks_.isTelnet ? hooks_.isTelnet() : true;
  if (!telnet) {
    Status("Sending disconnect request ...");
    // "b" only goes to a node that is there; the disconnect request always goes, so a
    // connect the node has not answered yet can still be called off.
    if (hooks_.nodeConnected && hooks_.nodeConnected()) SendLine("b");
    if (hooks_.stopPacketLink) hooks_.stopPacketLink();
    return;
  }
  if (Reconnecting()) {
    StopReconnect();
    return;
  }
  if (telnetConnected_) {
    TelnetDisconnect();
    return;
  }
  StartTelnet(Attempt::DisconnectButton);
}

void ConnectionControl::TelnetDisconnect() {
  StopReconnect();
  closingByUs_ = link_.IsConnected();
  link_.Disconnect();
}

bool ConnectionControl::ReconnectWanted() const {
  const bool telnet = hooks_.isTelnet ? hooks_.isTelnet() : true;
  return telnet && hooks_.reconnectEnabled && hooks_.reconnectEnabled();
}

// One pane line per loss or failed try, saying when the next one comes; the status
// line counts down to it.
void ConnectionControl::ScheduleReconnect(const std::string& what) {
  countdown_ = nextDelayS_;
  nextDelayS_ = std::min(nextDelayS_ * 2, kReconnectMaxS);
  Classify(what + ", next try in " + std::to_string(countdown_) + " s");
  Status("Reconnecting in " + std::to_string(countdown_) + " s");
  if (hooks_.setReconnecting) hooks_.setReconnecting();
  ticker_->Start();
}

void ConnectionControl::OnSecond() {
  if (!ReconnectWanted()) {  // switched off or to packet meanwhile
    StopReconnect();
    return;
  }
  if (--countdown_ > 0) {
    Status("Reconnecting in " + std::to_string(countdown_) + " s");
    return;
  }
  ticker_->Stop();
  StartTelnet(Attempt::Automatic);
}

void ConnectionControl::StopReconnect() {
  if (!Reconnecting()) return;
  ticker_->Stop();
  countdown_ = 0;
  nextDelayS_ = kReconnectFirstS;
  if (link_.IsConnecting()) link_.Disconnect();  // a running try is dropped without events
  attempt_ = Attempt::ConnectButton;
  Status("Disconnected from " + host_);
  LinkUp(false);
}

// A click while an attempt is still running is ignored: the attempt ends by itself,
// within the time limits, with its own outcome.
void ConnectionControl::StartTelnet(Attempt attempt) {
  if (link_.IsConnecting()) return;
  attempt_ = attempt;
  host_ = hooks_.clusterHost ? hooks_.clusterHost() : std::string("localhost");
  const int port = hooks_.clusterPort ? hooks_.clusterPort() : 23;
  port_ = port;
  if (port <= 0 || port > 65535) {
    // No socket can be opened to such a port: the same outcome as a refused connect.
    Status("Trying " + host_);
    OnConnectFailed("port out of range");
    return;
  }
  link_.Connect(QString::fromLatin1(host_.data(), static_cast<qsizetype>(host_.size())),
                static_cast<quint16>(port));
}

void ConnectionControl::OnConnect() { Status("Trying " + host_); }

void ConnectionControl::OnConnected() {
  Status("Connected to " + host_);
  Classify("*** Connected to " + host_);
  telnetConnected_ = true;
  attempt_ = Attempt::ConnectButton;
  leaving_ = false;
  awaitingLogin_ = true;
  if (hooks_.telnetConnectedChanged) hooks_.telnetConnectedChanged(true);
  LinkUp(true);
}

void ConnectionControl::OnConnectFailed(const std::string& reason) {
  const std::string line = "*** Connect to " + host_ + ":" + std::to_string(port_) + " failed: " + reason;
  if (attempt_ == Attempt::Automatic) {
    // Never a box per try: the node may stay away for hours.
    attempt_ = Attempt::ConnectButton;
    if (ReconnectWanted()) {
      ScheduleReconnect(line);
      return;
    }
    Classify(line);
    Status("Disconnected");
    LinkUp(false);
    return;
  }
  Classify(line);
  Status("Disconnected");
  if (attempt_ == Attempt::ConnectButton) {
    if (hooks_.showInformation) hooks_.showInformation(NoConnectionText(host_));
  } else if (hooks_.showError) {
    hooks_.showError(kServerNotResponding);
  }
}

void ConnectionControl::OnDisconnected() {
  const bool lost = !closingByUs_ && !leaving_;
  closingByUs_ = leaving_ = false;
  awaitingLogin_ = false;
  Status("Disconnected from " + host_);
  Classify("*** Disconnected from " + host_);
  if (hooks_.clearUsersRequested) hooks_.clearUsersRequested();
  telnetConnected_ = false;
  if (hooks_.telnetConnectedChanged) hooks_.telnetConnectedChanged(false);
  LinkUp(false);
  if (lost && ReconnectWanted()) {
    const std::string at = hooks_.timeText ? " at " + hooks_.timeText() : std::string();
    ScheduleReconnect("*** Link to " + host_ + " lost" + at);
  }
}

namespace {
// The node's own commands for leaving; the close that follows is what was asked for.
bool IsLeaveCommand(const std::string& text) {
  const std::string word = ToLowerAscii(Trim(text));
  return word == "b" || word == "bye" || word == "q" || word == "quit";
}
}  // namespace

// The automatic login replies: a node that closes right after its prompt gets no reply
// and the operator no box; the disconnection that follows says it all.
bool ConnectionControl::SendTelnetLine(const std::string& text) { return link_.SendTelnetLine(text); }

bool ConnectionControl::SendLine(const std::string& text) {
  const bool telnet = hooks_.isTelnet ? hooks_.isTelnet() : true;
  if (telnet) {
    if (IsLeaveCommand(text)) leaving_ = true;
    if (!link_.SendTelnetLine(text)) {
      if (hooks_.showError) hooks_.showError(TelnetLink::kClosedGracefully);
      return false;
    }
  } else if (!hooks_.sendPacketData || !hooks_.sendPacketData(text)) {
    return false;
  }
  Classify(text);
  if (hooks_.afterSend) hooks_.afterSend();
  return true;
}

}  // namespace varnak
