#pragma once
// What the "Connect" and "Disconnect" buttons and SendLine do, on whichever link is
// active. The Telnet link is built in (TelnetLink); the packet link is reached through
// hooks its owner fills in. Everything the window shows goes through the hooks too, so
// this runs headless in tests.
//
// Texts are Windows-1252 bytes in std::string, like every other line of the program.
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "telnet/second_ticker.h"
#include "telnet/telnet_link.h"

namespace varnak {

class ConnectionControl : public QObject {
  Q_OBJECT

 public:
  struct Hooks {
    // Station state read at the moment of use.
    std::function<bool()> isTelnet;               // link kind: Telnet == 1
    std::function<std::string()> clusterHost;     // ClusterHost
    std::function<int()> clusterPort;             // ClusterPort
    std::function<std::string()> connectCall;     // ConnectCall, for the packet status text
    std::function<bool()> nodeConnected;          // NodeConnected: the AX.25 link is up

    // The window.
    std::function<void(const std::string&)> setStatus;        // StatLabel
    // true: hide "Connect", show "Disconnect", enable "Update"; false: the reverse.
    std::function<void(bool up)> setLinkUp;
    std::function<void(const std::string&)> showInformation;  // information box, OK only
    std::function<void(const std::string&)> showError;        // the general error report

    // The classifier and its state.
    std::function<void(const std::string&)> classifyLine;     // ClassifyLine
    std::function<void()> clearUsersRequested;                // UsersRequested := false
    // TelnetConnected changed (true right after the "*** Connected to" banner is
    // classified, false before the buttons come back); for the station's copy.
    std::function<void(bool)> telnetConnectedChanged;
    // After every line sent: when the lists are frozen, shorten the freeze to 100 ms.
    std::function<void()> afterSend;

    // The packet link (start/stop the node connection, send connected data). The
    // text handed to sendPacketData has no line end yet; the packet side adds CR.
    // sendPacketData returns false when it failed and has reported why.
    std::function<void()> startPacketLink;
    std::function<void()> stopPacketLink;
    std::function<bool(const std::string&)> sendPacketData;

    // The link that heals itself. Left empty, a lost link stays down.
    std::function<bool()> reconnectEnabled;  // Reconnect in [Misc]
    // The node's first prompt has come on this connection: the login is through.
    std::function<bool()> loggedIn;
    // While the tries go on: "Disconnect" shown (it stops them), "Update" disabled.
    std::function<void()> setReconnecting;
    std::function<std::string()> timeText;  // "21:07:45", for the pane line
  };

  // A Telnet link lost without "Disconnect" is tried again after 5 s, then 10, 20 ...
  // at most 300 s between tries, until a login goes through.
  static constexpr int kReconnectFirstS = 5;
  static constexpr int kReconnectMaxS = 300;

  explicit ConnectionControl(Hooks hooks, QObject* parent = nullptr);

  // The "Connect" button, also the start-up routine's auto-connect.
  void ConnectAction();
  // The "Disconnect" button, also the setup dialog's Save.
  void DisconnectAction();
  // Closes the Telnet link (setup dialog, shutdown); nothing happens when it is down.
  void TelnetDisconnect();
  // Sends one line on the active link, then classifies it as an echo. False when the
  // send failed; the failure has been reported and the caller's action should stop.
  bool SendLine(const std::string& text);
  // text + CR LF on the Telnet link, no echo (the classifier's login replies). False,
  // and nothing reported, when the link is down.
  bool SendTelnetLine(const std::string& text);

  bool TelnetConnected() const { return telnetConnected_; }
  // Waiting for the next try of a lost link, or running it.
  bool Reconnecting() const { return ticker_->Running() || attempt_ == Attempt::Automatic; }
  int SecondsToNextTry() const { return countdown_; }
  // Tests step the countdown themselves.
  void SetTicker(std::unique_ptr<SecondTicker> ticker);
  TelnetLink& Telnet() { return link_; }

  static std::string NoConnectionText(const std::string& host);  // the information box
  static constexpr const char* kServerNotResponding = "server not responding";

 private:
  // Who started the running (or last) attempt: the box after a failure depends on it.
  enum class Attempt { ConnectButton, DisconnectButton, Automatic };
  void StartTelnet(Attempt attempt);
  bool ReconnectWanted() const;
  void ScheduleReconnect(const std::string& what);
  void OnSecond();
  // Ends the tries; the status and the buttons say the link is down.
  void StopReconnect();
  void OnConnect();
  void OnConnected();
  void OnConnectFailed(const std::string& reason);
  static std::string FailureReason(const SocketFailure& failure);
  void OnDisconnected();
  void Status(const std::string& text);
  void Classify(const std::string& line);
  void LinkUp(bool up);

  Hooks hooks_;
  TelnetLink link_;
  bool telnetConnected_ = false;
  Attempt attempt_ = Attempt::ConnectButton;
  std::unique_ptr<SecondTicker> ticker_;
  int nextDelayS_ = kReconnectFirstS;
  int countdown_ = 0;
  bool closingByUs_ = false;     // the coming disconnection is the operator's doing
  bool leaving_ = false;         // "bye" was sent: the node closing is no loss
  bool awaitingLogin_ = false;
  std::string host_;  // the host of the running attempt or link
  int port_ = 0;
};

}  // namespace varnak
