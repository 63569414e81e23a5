#pragma once
// The Telnet transport to the cluster node: one TCP connection at a time, event driven
// on the user-interface thread, so the window stays usable while a name is resolved or
// a slow node answers. Received bytes go through the option filter (answers are written
// back at once) and the line cutter; each line is handed on in arrival order, one at
// a time (lineReceived).
//
// Responsibilities: connect with time limits, option answers, line cutting with the
// quiet-time flush of an incomplete tail, sending lines, reporting the link going up
// and down. Status texts, buttons and message boxes belong to the owner.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <string>

#include "telnet/line_cutter.h"
#include "telnet/option_filter.h"
#include "telnet/socket_error.h"

class QTcpSocket;

namespace varnak {

class TelnetLink : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDefaultLookupLimitMs = 10000;
  static constexpr int kDefaultConnectLimitMs = 15000;
  static constexpr int kDefaultQuietTimeMs = 150;
  static constexpr const char* kClosedGracefully = "Connection Closed Gracefully.";
  // After a read, what comes next waits in the system for this long and is then read
  // in one go: each read wakes the whole program, and a feed of 50 spots a second read
  // spot by spot cost more than showing them. It stays under the lists' 100 ms refresh,
  // so a spot read at the end of a pace is shown by the same refresh.
  static constexpr int kPaceMs = 95;

  explicit TelnetLink(QObject* parent = nullptr);
  ~TelnetLink() override;

  // The terminal type reported to the server; empty means "dumb".
  void SetTerminal(const std::string& terminal) { filter_ = TelnetOptionFilter(terminal); }
  void SetTimeLimits(int lookupMs, int connectMs);
  // How long an incomplete tail waits for the rest of its line before it is handed
  // on as a line of its own.
  void SetQuietTime(int ms) { quietTimer_.setInterval(ms); }

  // Starts an attempt; false (and nothing happens) while one runs or a link is up.
  bool Connect(const QString& host, quint16 port);
  // Closes the link: the pending tail is handed on, then disconnected. A running
  // attempt is abandoned without events; with no link nothing happens.
  void Disconnect();
  // Writes text + CR LF, a byte 255 doubled. False when no link is up; the failure
  // text is kClosedGracefully.
  bool SendTelnetLine(const std::string& text);

  bool IsConnected() const { return state_ == State::Connected; }
  bool IsConnecting() const { return state_ == State::Connecting; }
  QString Host() const { return host_; }
  quint16 Port() const { return port_; }

 signals:
  void connecting();  // an attempt starts (before the name is resolved)
  void connected();   // the TCP connection is up
  // The attempt failed (name not resolved, refused, unreachable, timed out); no
  // connected or disconnected follows for it.
  void connectFailed(const varnak::SocketFailure& failure);
  void lineReceived(const std::string& line);  // one received line, without CR LF
  void disconnected();                         // closed, by either side

 private:
  enum class State { Idle, Connecting, Connected };

  void OnStateChanged();
  void OnConnected();
  void OnError();
  void OnReadyRead();
  void OnRemoteClosed();
  void OnAttemptTimeout();
  void OnQuietTime();
  void OnPaceOver();
  void TakeHeld();
  void FailAttempt(const SocketFailure& failure);
  void KeepProbing(qintptr descriptor);
  void ReadAvailable();
  void Deliver();
  void FinishDisconnect();
  void DropSocket();

  State state_ = State::Idle;
  QString host_;
  quint16 port_ = 0;
  QPointer<QTcpSocket> socket_;
  QTimer attemptTimer_;
  QTimer quietTimer_;
  QTimer sliceTimer_;  // hands on the next slice of a burst
  QTimer paceTimer_;   // while it runs, received bytes are left to wait (kPaceMs)
  int lookupLimitMs_ = kDefaultLookupLimitMs;
  int connectLimitMs_ = kDefaultConnectLimitMs;
  TelnetOptionFilter filter_;
  LineCutter cutter_;
  std::string plain_, answers_;
  std::vector<std::string> cut_;
  std::deque<std::string> pending_;  // lines not yet handed on
  bool delivering_ = false;
  bool taking_ = false;  // TakeHeld: bytes are read, not handed on
  bool disconnectPending_ = false;  // the link went down while lines were handed on
};

}  // namespace varnak
