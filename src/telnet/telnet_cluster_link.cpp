#include "telnet/telnet_cluster_link.h"

#include <algorithm>

#include "core/text.h"

namespace varnak {

TelnetClusterLink::TelnetClusterLink(const LinkSettings& settings, QObject* parent)
    : ClusterLink(parent), settings_(settings), link_(this) {
  connect(&link_, &TelnetLink::connecting, this, &TelnetClusterLink::OnConnect);
  connect(&link_, &TelnetLink::connected, this, &TelnetClusterLink::OnConnected);
  connect(&link_, &TelnetLink::connectFailed, this,
          [this](const SocketFailure& failure) { OnConnectFailed(FailureReason(failure)); });
  connect(&link_, &TelnetLink::lineReceived, this, &TelnetClusterLink::OnLine);
  connect(&link_, &TelnetLink::disconnected, this, &TelnetClusterLink::OnDisconnected);
  SetTicker(std::make_unique<TimerTicker>());
}

void TelnetClusterLink::SetTicker(std::unique_ptr<SecondTicker> ticker) {
  ticker_ = std::move(ticker);
  ticker_->onSecond = [this] { OnSecond(); };
}

std::string TelnetClusterLink::NoConnectionText(const std::string& host) {
  return "No connection to \"" + host + "\"\r\nAre you online?";
}

// The box only asks "Are you online?"; the pane line says what really went wrong.
std::string TelnetClusterLink::FailureReason(const SocketFailure& failure) {
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

void TelnetClusterLink::Connect() {
  if (Reconnecting()) {
    // By hand: a try now, with the box if it fails, and no more tries by themselves.
    ticker_->Stop();
    nextDelayS_ = kReconnectFirstS;
    if (link_.IsConnecting()) link_.Disconnect();
    attempt_ = Attempt::ConnectButton;
  }
  if (telnetConnected_) {
    Close();
    return;
  }
  StartTelnet(Attempt::ConnectButton);
}

void TelnetClusterLink::Disconnect() {
  if (Reconnecting()) {
    StopReconnect();
    return;
  }
  if (telnetConnected_) {
    Close();
    return;
  }
  StartTelnet(Attempt::DisconnectButton);
}

void TelnetClusterLink::Close() {
  StopReconnect();
  closingByUs_ = link_.IsConnected();
  link_.Disconnect();
}

bool TelnetClusterLink::ReconnectWanted() const { return settings_.Telnet() && settings_.Reconnect(); }

// One pane line per loss or failed try, saying when the next one comes; the status
// line counts down to it.
void TelnetClusterLink::ScheduleReconnect(const std::string& what) {
  countdown_ = nextDelayS_;
  nextDelayS_ = std::min(nextDelayS_ * 2, kReconnectMaxS);
  emit noticeLine(what + ", next try in " + std::to_string(countdown_) + " s");
  emit statusText("Reconnecting in " + std::to_string(countdown_) + " s");
  SetState(State::WaitingToReconnect);
  ticker_->Start();
}

void TelnetClusterLink::OnSecond() {
  if (!ReconnectWanted()) {  // switched off or to packet meanwhile
    StopReconnect();
    return;
  }
  if (--countdown_ > 0) {
    emit statusText("Reconnecting in " + std::to_string(countdown_) + " s");
    return;
  }
  ticker_->Stop();
  StartTelnet(Attempt::Automatic);
}

void TelnetClusterLink::StopReconnect() {
  if (!Reconnecting()) return;
  ticker_->Stop();
  countdown_ = 0;
  nextDelayS_ = kReconnectFirstS;
  if (link_.IsConnecting()) link_.Disconnect();  // a running try is dropped without events
  attempt_ = Attempt::ConnectButton;
  emit statusText("Disconnected from " + host_);
  SetState(State::Down);
}

// A click while an attempt is still running is ignored: the attempt ends by itself,
// within the time limits, with its own outcome. An automatic try still counts as
// waiting to reconnect, "Disconnect" stays to stop it.
void TelnetClusterLink::StartTelnet(Attempt attempt) {
  if (link_.IsConnecting()) return;
  attempt_ = attempt;
  host_ = settings_.ClusterHost();
  const int port = settings_.ClusterPort();
  port_ = port;
  if (attempt != Attempt::Automatic) SetState(State::Connecting);
  if (port <= 0 || port > 65535) {
    // No socket can be opened to such a port: the same outcome as a refused connect.
    emit statusText("Trying " + host_);
    OnConnectFailed("port out of range");
    return;
  }
  link_.Connect(QString::fromLatin1(host_.data(), static_cast<qsizetype>(host_.size())),
                static_cast<quint16>(port));
}

void TelnetClusterLink::OnConnect() { emit statusText("Trying " + host_); }

void TelnetClusterLink::OnConnected() {
  emit statusText("Connected to " + host_);
  emit noticeLine("*** Connected to " + host_);
  telnetConnected_ = true;
  attempt_ = Attempt::ConnectButton;
  leaving_ = false;
  SetState(State::LoggingIn);
}

void TelnetClusterLink::LoginThrough() {
  if (state() != State::LoggingIn) return;
  nextDelayS_ = kReconnectFirstS;
  SetState(State::LoggedIn);
}

void TelnetClusterLink::OnConnectFailed(const std::string& reason) {
  const std::string line = "*** Connect to " + host_ + ":" + std::to_string(port_) + " failed: " + reason;
  if (attempt_ == Attempt::Automatic) {
    // Never a box per try: the node may stay away for hours.
    attempt_ = Attempt::ConnectButton;
    if (ReconnectWanted()) {
      ScheduleReconnect(line);
      return;
    }
    emit noticeLine(line);
    emit statusText("Disconnected");
    SetState(State::Down);
    return;
  }
  emit noticeLine(line);
  emit statusText("Disconnected");
  SetState(State::Down);
  if (attempt_ == Attempt::ConnectButton) {
    emit problem(Problem::Information, NoConnectionText(host_));
  } else {
    emit problem(Problem::Error, kServerNotResponding);
  }
}

void TelnetClusterLink::OnLine(const std::string& line) { emit lineReceived(line); }

void TelnetClusterLink::OnDisconnected() {
  const bool lost = !closingByUs_ && !leaving_;
  closingByUs_ = leaving_ = false;
  emit statusText("Disconnected from " + host_);
  emit noticeLine("*** Disconnected from " + host_);
  telnetConnected_ = false;
  SetState(State::Down);
  if (lost && ReconnectWanted()) ScheduleReconnect("*** Link to " + host_ + " lost at " + settings_.TimeText());
}

namespace {
// The node's own commands for leaving; the close that follows is what was asked for.
bool IsLeaveCommand(const std::string& text) {
  const std::string word = ToLowerAscii(Trim(text));
  return word == "b" || word == "bye" || word == "q" || word == "quit";
}
}  // namespace

bool TelnetClusterLink::SendQuiet(const std::string& text) { return link_.SendTelnetLine(text); }

bool TelnetClusterLink::Send(const std::string& text) {
  if (IsLeaveCommand(text)) leaving_ = true;
  if (!link_.SendTelnetLine(text)) {
    emit problem(Problem::Error, TelnetLink::kClosedGracefully);
    return false;
  }
  emit lineSent(text);
  return true;
}

}  // namespace varnak
