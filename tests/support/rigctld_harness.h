#pragma once
// Hamlib's rigctld with the dummy rig (-m 1) for tests, on 127.0.0.1 at a free port,
// stopped by its process id; and a small scripted server for answers rigctld never gives.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

class QProcess;
class QTcpServer;
class QTcpSocket;

namespace varnak::test {

class Rigctld {
 public:
  Rigctld();
  ~Rigctld();
  Rigctld(const Rigctld&) = delete;
  Rigctld& operator=(const Rigctld&) = delete;

  // Returns "" or what failed. On a free port unless given one (the port of a rigctld
  // that ran before, to come back where the program looks for it).
  std::string Start(int port = 0);
  void Stop();
  // Ends it at once, as a crash would.
  void Kill();
  int Port() const { return port_; }

  // A second client: one rigctl run against this server, e.g. Ask({"F", "7010000"});
  // returns its output without the last line end, or "ERROR: ..." when it failed.
  std::string Ask(const QStringList& command) const;

 private:
  std::unique_ptr<QProcess> process_;
  int port_ = 0;
};

// A port on which nothing listens (it did a moment ago).
int ClosedPort();

// A rigctld stand-in that answers each request line with what answer returns for it,
// then closes when the answer says so. An empty answer is no answer at all.
class FakeRigctld : public QObject {
 public:
  struct Reply {
    QByteArray bytes;
    bool close = false;
  };
  using Script = std::function<Reply(const QByteArray& request)>;
  explicit FakeRigctld(Script script, QObject* parent = nullptr);
  ~FakeRigctld() override;
  int Port() const;
  QList<QByteArray> Requests() const { return requests_; }
  // What the dummy rig would answer (extended answers), for scripts to fall back on.
  static Reply Normal(const QByteArray& request);

 private:
  QTcpServer* server_;
  Script script_;
  QList<QByteArray> requests_;
};

}  // namespace varnak::test
