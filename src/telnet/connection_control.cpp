#include "telnet/connection_control.h"

#include "core/text.h"

namespace varnak {

ConnectionControl::ConnectionControl(Hooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), link_(this) {
  TelnetLink::Events events;
  events.onConnect = [this] { OnConnect(); };
  events.onConnected = [this] { OnConnected(); };
  events.onConnectFailed = [this](const SocketFailure& failure) { OnConnectFailed(FailureReason(failure)); };
  events.onLine = [this](const std::string& line) { Classify(line); };
  events.onDisconnected = [this] { OnDisconnected(); };
  link_.SetEvents(std::move(events));
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
  if (telnetConnected_) {
    TelnetDisconnect();
    return;
  }
  StartTelnet(true);
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
  if (telnetConnected_) {
    TelnetDisconnect();
    return;
  }
  StartTelnet(false);
}

void ConnectionControl::TelnetDisconnect() { link_.Disconnect(); }

// A click while an attempt is still running is ignored: the attempt ends by itself,
// within the time limits, with its own outcome.
void ConnectionControl::StartTelnet(bool fromConnectButton) {
  if (link_.IsConnecting()) return;
  attemptFromConnectButton_ = fromConnectButton;
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
  if (hooks_.telnetConnectedChanged) hooks_.telnetConnectedChanged(true);
  LinkUp(true);
}

void ConnectionControl::OnConnectFailed(const std::string& reason) {
  Classify("*** Connect to " + host_ + ":" + std::to_string(port_) + " failed: " + reason);
  Status("Disconnected");
  if (attemptFromConnectButton_) {
    if (hooks_.showInformation) hooks_.showInformation(NoConnectionText(host_));
  } else if (hooks_.showError) {
    hooks_.showError(kServerNotResponding);
  }
}

void ConnectionControl::OnDisconnected() {
  Status("Disconnected from " + host_);
  Classify("*** Disconnected from " + host_);
  if (hooks_.clearUsersRequested) hooks_.clearUsersRequested();
  telnetConnected_ = false;
  if (hooks_.telnetConnectedChanged) hooks_.telnetConnectedChanged(false);
  LinkUp(false);
}

// The automatic login replies: a node that closes right after its prompt gets no reply
// and the operator no box; the disconnection that follows says it all.
bool ConnectionControl::SendTelnetLine(const std::string& text) { return link_.SendTelnetLine(text); }

bool ConnectionControl::SendLine(const std::string& text) {
  const bool telnet = hooks_.isTelnet ? hooks_.isTelnet() : true;
  if (telnet) {
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
