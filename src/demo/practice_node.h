#pragma once
// A practice DX cluster node on the loopback interface, so that Varnak can be tried
// with no network and no account. It behaves like a DX Spider 1.57 node as clients see
// it - the login, the prompt after every command, the spot and listing formats, the
// commands a client sends - and makes up the traffic of a busy evening.
//
// Responsibilities: accept clients on 127.0.0.1 only; log them in; answer their
// commands; spread spots, announcements, bulletins and talk to every logged-in client;
// never trust a client (long lines, control bytes, Telnet commands, a client that does
// not read: its queue is bounded and it is dropped when the queue is full).
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "demo/node_text.h"
#include "demo/traffic.h"

class QTcpServer;
class QTcpSocket;

namespace varnak::demo {

struct NodeOptions {
  std::string nodeCall = "Q9DEMO";
  quint16 port = 0;            // 0: any free port
  double rate = 2;             // spots a second on average (each second 0.5 to 1.5 times that)
  int burst = 8;               // spots of an occasional burst (every 10 to 25 s); 0: none
  long long count = -1;        // stop the spots after this many; -1: never
  std::uint64_t seed = 1;
  bool extras = true;          // announcements, bulletins, talk, users coming and going
  std::map<std::string, std::string> passwords;  // calls that must give a password
  qint64 maxQueuedBytes = 4 << 20;  // a client further behind than this is dropped
};

class PracticeNode : public QObject {
  Q_OBJECT
 public:
  PracticeNode(const CallData& data, NodeOptions options, QObject* parent = nullptr);
  ~PracticeNode() override;

  // Listens on 127.0.0.1; false with a reason (the port is taken ...).
  bool Listen(std::string* error);
  quint16 Port() const;

  long long SpotsSent() const { return spotsSent_; }
  int LoggedInCount() const;
  int ClientCount() const { return static_cast<int>(sessions_.size()); }
  // True when every client has been sent everything queued for it.
  bool Flushed() const;

 signals:
  void CountReached();
  void ClientDropped(const QString& reason);

 private:
  enum class Stage { Login, Password, Commands };
  struct Session {
    QTcpSocket* socket = nullptr;
    Stage stage = Stage::Login;
    std::string call;
    std::string line;
    bool overlong = false;
    bool lastWasCr = false;
    int iac = 0;  // where in a Telnet command from the client we are
  };

  void OnNewConnection();
  void OnReadyRead(Session* s);
  void OnLine(Session* s, const std::string& line);
  void OnCommand(Session* s, const std::string& line);
  void Welcome(Session* s);
  void Send(Session* s, const std::string& bytes);
  void Broadcast(const std::string& bytes);
  void Drop(Session* s, const QString& reason);
  void Remove(QTcpSocket* socket);

  void Tick();        // the spots, every few milliseconds
  void ExtrasTick();  // the rest, once a second
  void StartTraffic();
  std::string SpotBytes(const Spot& spot, const UtcMinute& t);
  void Remember(const Spot& spot, const UtcMinute& t);

  std::string Prompt(const Session* s) const;
  std::string UsersAnswer() const;
  std::string ShowDxAnswer(const std::string& argument) const;
  std::string BulletinAnswer(const std::deque<std::string>& list, const char* none) const;
  std::string SpreadOperatorSpot(Session* s, const std::string& argument);
  std::string Talk(Session* s, const std::string& argument);

  CallData data_;
  NodeOptions options_;
  Traffic traffic_;
  QTcpServer* server_;
  std::map<QTcpSocket*, std::unique_ptr<Session>> sessions_;
  QTimer spotTimer_, extrasTimer_;
  QElapsedTimer clock_;
  bool trafficStarted_ = false;
  long long spotsSent_ = 0;
  double due_ = 0;      // spots owed by the rate, fractional
  double factor_ = 1;   // this second's share of the rate
  qint64 lastTickMs_ = 0, secondStartMs_ = 0, nextBurstMs_ = 0;
  qint64 nextAnnounceMs_ = 0, nextWwvMs_ = 0, nextWcyMs_ = 0, nextTalkMs_ = 0, nextUserMs_ = 0;
  std::vector<std::pair<qint64, std::string>> pendingReplies_;  // when, bytes
  std::vector<std::string> users_;          // the other users logged in
  std::deque<std::pair<Spot, UtcMinute>> history_;  // newest last
  std::deque<std::string> wwv_, wcy_;       // listing lines, newest last
};

UtcMinute UtcNowMinute();

}  // namespace varnak::demo
