#pragma once
// Waiting helpers for the packet-engine tests: they run the event loop until a
// condition holds or the time limit passes; they never sleep blindly.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <string>

#include "agw/frames.h"

namespace varnak::test {

inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  }
  return true;
}

inline std::string Frame(char kind, int wirePort, const std::string& from, const std::string& to,
                         const std::string& data, std::uint8_t pid = 0) {
  TAGWFrameHeader h;
  h.Port = static_cast<std::uint32_t>(wirePort);
  h.DataKind = kind;
  h.PID = pid;
  WriteCallField(h.FromCall, from);
  WriteCallField(h.ToCall, to);
  h.DataSize = static_cast<std::uint32_t>(data.size());
  auto header = EncodeHeader(h);
  return std::string(header.data(), header.size()) + data;
}

// A stand-in engine on a free loopback port: accepts one client, sends raw bytes,
// records what it receives.
class FakeEngine {
 public:
  FakeEngine() { server_.listen(QHostAddress::LocalHost, 0); }
  int port() const { return server_.serverPort(); }
  bool WaitForClient() {
    if (!WaitUntil([&] { return server_.hasPendingConnections() || client_; })) return false;
    if (!client_) client_ = server_.nextPendingConnection();
    return client_ != nullptr;
  }
  void Send(const std::string& bytes) {
    client_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    client_->flush();
  }
  // Waits until at least n bytes have come in.
  bool WaitForBytes(std::size_t n, int timeoutMs = 5000) {
    return WaitUntil(
        [&] {
          received_ += client_->readAll().toStdString();
          return received_.size() >= n;
        },
        timeoutMs);
  }
  const std::string& received() const { return received_; }
  QTcpSocket* client() { return client_; }

 private:
  QTcpServer server_;
  QTcpSocket* client_ = nullptr;
  std::string received_;
};

}  // namespace varnak::test
