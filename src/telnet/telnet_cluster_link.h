#pragma once
// The cluster link over Telnet: what the "Connect" and "Disconnect" buttons and the
// operator's sends do on a TCP connection to the node (TelnetLink), and a link that
// heals itself: one lost without "Disconnect" is tried again, later each time, until a
// login goes through.
//
// Responsibilities: the attempts and who started them (the box after a failure depends
// on it), the pane lines and status texts of connecting, losing and closing, the
// reconnect back-off with its countdown, the login phase from the connection to the
// node's first prompt, telling a "bye" of the operator from a loss, and giving up on a
// node that keeps closing during the login (a refused password).
//
// Collaborations: TelnetLink carries the bytes; LinkSettings gives the host, the port
// and whether to reconnect at the moment of use; a SecondTicker beats the countdown
// (tests step it); the station classifies its lines and tells it when the classifier
// has seen the node's first prompt (LoginThrough).
#include <QElapsedTimer>
#include <memory>
#include <string>

#include "links/cluster_link.h"
#include "telnet/second_ticker.h"
#include "telnet/telnet_link.h"

namespace varnak {

class TelnetClusterLink : public ClusterLink {
  Q_OBJECT

 public:
  // A Telnet link lost without "Disconnect" is tried again after 5 s, then 10, 20 ...
  // at most 300 s between tries, until a login goes through.
  static constexpr int kReconnectFirstS = 5;
  static constexpr int kReconnectMaxS = 300;
  // A node that closes this many connections in a row before its first prompt refuses
  // the login; trying the same password again only gets the address blocked.
  static constexpr int kLoginClosesToStop = 2;
  // A close this long after a leave command is a loss all the same.
  static constexpr int kLeaveHoldMs = 30000;

  explicit TelnetClusterLink(const LinkSettings& settings, QObject* parent = nullptr);

  // "Connect" with the link up disconnects; while the tries go on it makes one now,
  // with the box if it fails, and no more by themselves.
  void Connect() override;
  // "Disconnect" stops the tries or closes the link; with nothing up it connects.
  void Disconnect() override;
  // A leave command of the node ("bye", "exit", "quit" and their short forms) makes
  // the node's close no loss, until the node answers it with its prompt (or 30 s pass).
  bool Send(const std::string& text) override;
  // text + CR LF, no echo. False, and nothing reported, when the link is down: a node
  // that closes right after its prompt gets no reply and the operator no box.
  bool SendQuiet(const std::string& text) override;
  // Closes the link and stops the tries; nothing happens when it is down.
  void Close() override;
  void LoginThrough() override;

  bool TelnetConnected() const { return telnetConnected_; }
  // Waiting for the next try of a lost link, or running it.
  bool Reconnecting() const { return ticker_->Running() || attempt_ == Attempt::Automatic; }
  int SecondsToNextTry() const { return countdown_; }
  // Tests step the countdown themselves.
  void SetTicker(std::unique_ptr<SecondTicker> ticker);
  TelnetLink& Telnet() { return link_; }

  static std::string NoConnectionText(const std::string& host);  // the information box
  // DX Spider's own forms of "bye", by the first word of the line.
  static bool IsLeaveCommand(const std::string& text);
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
  void OnLine(const std::string& line);
  void OnDisconnected();
  bool LeaveInForce() const;

  const LinkSettings& settings_;
  TelnetLink link_;
  bool telnetConnected_ = false;
  Attempt attempt_ = Attempt::ConnectButton;
  std::unique_ptr<SecondTicker> ticker_;
  int nextDelayS_ = kReconnectFirstS;
  int countdown_ = 0;
  bool closingByUs_ = false;  // the coming disconnection is the operator's doing
  bool leaving_ = false;      // "bye" was sent: the node closing is no loss
  QElapsedTimer leaveSent_;
  int unanswered_ = 0;          // commands sent that no prompt has answered yet
  int promptsBeforeLeave_ = 0;  // ... of them, those sent before the leave
  int loginCloses_ = 0;  // connections in a row the node closed before its first prompt
  std::string host_;          // the host of the running attempt or link
  int port_ = 0;
};

}  // namespace varnak
