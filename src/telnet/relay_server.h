#pragma once
// The Telnet-out relay: a plain TCP line relay for another program on the station (a
// logger, a second terminal) to share the cluster connection. No login, no greeting,
// no option handling. Every relayed line goes to the oldest connected client only;
// whatever any client sends goes to the cluster through the sendLine hook.
//
// A client that stops reading gets at most kMaxQueuedBytes queued; further lines are
// dropped for it whole, so it never sees half a line.
//
// The lines of one turn of the event loop (a read from the node may bring dozens) go
// out in one write when the turn is over: a write per line cost more than the rest of
// a spot's handling.
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace varnak {

class RelayServer : public QObject {
  Q_OBJECT

 public:
  struct Hooks {
    std::function<void(const std::string&)> sendLine;   // SendLine of the connection control
    std::function<void(const std::string&)> showError;  // the general error report
  };

  static constexpr qint64 kMaxQueuedBytes = 1024 * 1024;
  static constexpr const char* kDefaultBind = "127.0.0.1";

  explicit RelayServer(Hooks hooks, QObject* parent = nullptr);
  ~RelayServer() override;

  // Listens on bindAddress ("127.0.0.1", "0.0.0.0", "::" ...) at port; 0 picks a free
  // port. A listener already open is closed first. On failure reports
  // "Windows socket error: <text> (<number>), on API '<call>'" through showError and
  // stays closed.
  bool Open(quint16 port, const std::string& bindAddress = kDefaultBind);
  // Stops listening and drops every client.
  void Close();
  bool IsListening() const;
  quint16 Port() const;  // the port listened on, 0 when closed
  int ClientCount() const { return static_cast<int>(clients_.size()); }
  // Bytes waiting to go to the oldest client.
  qint64 QueuedBytes() const;

  // line + CR LF to the oldest client, without waiting. It leaves at the end of this turn
  // of the event loop; in a flood with the other lines of up to kFlushMs: each write wakes
  // the client and costs a system call, a spot a few hundred bytes.
  void RelayLine(const std::string& line);
  static constexpr int kFlushMs = 100;
  // Hands what the client is owed to the system now.
  void Flush();

 private:
  void OnNewConnection();
  void OnClientRead(QTcpSocket* client);
  void OnClientGone(QTcpSocket* client);
  void OnClientError(QTcpSocket* client);
  void Drop(QTcpSocket* client);
  QTcpSocket* Oldest();

  Hooks hooks_;
  QTcpServer* server_;
  std::vector<QPointer<QTcpSocket>> clients_;  // in the order they were accepted
  std::string owed_;                    // lines of this turn, for owedTo_
  QPointer<QTcpSocket> owedTo_;
  QTimer flushTimer_;
  QElapsedTimer lastFlush_;
};

}  // namespace varnak
