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
  // The pane's last line still promises the next try.
  emit noticeLine("*** Reconnect to " + host_ + " cancelled");
  emit statusText("Disconnected from " + host_);
  SetState(State::Down);
}

// A click while an attempt is still running is ignored: the attempt ends by itself,
// within the time limits, with its own outcome. An automatic try still counts as
// waiting to reconnect, "Disconnect" stays to stop it.
void TelnetClusterLink::StartTelnet(Attempt attempt) {
  if (link_.IsConnecting()) return;
  attempt_ = attempt;
  if (attempt != Attempt::Automatic) loginCloses_ = 0;  // the operator tries afresh
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
  unanswered_ = promptsBeforeLeave_ = 0;
  SetState(State::LoggingIn);
}

void TelnetClusterLink::LoginThrough() {
  if (state() != State::LoggingIn) return;
  nextDelayS_ = kReconnectFirstS;
  loginCloses_ = 0;
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

// "Q1ABC de Q9NODE  8-Dec-2026 2150Z dxspider >": the node answers every command it
// carried out with its prompt, in order, and a leave it acts on with the close instead.
// Prompts still owed to commands sent before the leave (the "sh/users" after the login)
// say nothing about it.
void TelnetClusterLink::OnLine(const std::string& line) {
  if (StartsWith(line, settings_.MyCall() + " de " + settings_.ConnectCall())) {
    if (leaving_ && promptsBeforeLeave_ == 0) leaving_ = false;
    promptsBeforeLeave_ = std::max(promptsBeforeLeave_ - 1, 0);
    unanswered_ = std::max(unanswered_ - 1, 0);
  }
  emit lineReceived(line);
}

bool TelnetClusterLink::LeaveInForce() const { return leaving_ && leaveSent_.isValid() && leaveSent_.elapsed() < kLeaveHoldMs; }

void TelnetClusterLink::OnDisconnected() {
  const bool lost = !closingByUs_ && !LeaveInForce();
  const bool duringLogin = state() == State::LoggingIn;
  closingByUs_ = leaving_ = false;
  emit statusText("Disconnected from " + host_);
  emit noticeLine("*** Disconnected from " + host_);
  telnetConnected_ = false;
  SetState(State::Down);
  if (!lost || !ReconnectWanted()) return;
  if (duringLogin && ++loginCloses_ >= kLoginClosesToStop) {
    loginCloses_ = 0;
    const std::string why =
        host_ + " closed the connection while logging in: check the node call and the password in Setup";
    emit noticeLine("*** " + why);
    emit statusText(why);
    return;
  }
  ScheduleReconnect("*** Link to " + host_ + " lost at " + settings_.TimeText());
}

// DX Spider takes the first word of a line as the command, its case not regarded:
// "b" and the short forms of "bye" ("by"), "ex", "exi", "exit" (its alias pattern
// ex(i)(t), which "ext" matches too), and every word that starts with "q" ("q", "qu",
// "quit") all mean "bye"; what follows the word is ignored.
bool TelnetClusterLink::IsLeaveCommand(const std::string& text) {
  const std::string line = ToLowerAscii(Trim(text));
  const std::string word = line.substr(0, line.find_first_of(" \t"));
  if (word.empty()) return false;
  if (word[0] == 'q') return true;
  return word == "b" || word == "by" || word == "bye" || word == "ex" || word == "exi" || word == "exit" ||
         word == "ext";
}

bool TelnetClusterLink::SendQuiet(const std::string& text) { return link_.SendTelnetLine(text); }

bool TelnetClusterLink::Send(const std::string& text) {
  if (!link_.SendTelnetLine(text)) {
    emit problem(Problem::Error, TelnetLink::kClosedGracefully);
    return false;
  }
  if (IsLeaveCommand(text)) {
    leaving_ = true;
    leaveSent_.start();
    promptsBeforeLeave_ = unanswered_;
  }
  ++unanswered_;
  emit lineSent(text);
  return true;
}

}  // namespace varnak
