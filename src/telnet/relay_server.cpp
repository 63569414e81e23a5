#include "telnet/relay_server.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

#include "core/pace.h"
#include "core/text.h"
#include "telnet/socket_error.h"

#if __has_include(<sys/socket.h>)
#include <sys/socket.h>
#define VARNAK_DIRECT_SEND 1
#endif

namespace varnak {

namespace {

constexpr std::size_t kKeptCapacity = 64 * 1024;

// Writes what the system takes now, straight to the socket: going through the socket's
// own buffer costs a wake-up of the event loop to write it and another to stop waiting
// for the socket to take more. Returns the bytes taken; 0 when none (a full buffer, an
// error that the socket itself then finds and reports).
qint64 SendNow(QTcpSocket* client, const char* data, qint64 size) {
#ifdef VARNAK_DIRECT_SEND
  const qintptr fd = client->socketDescriptor();
  if (fd < 0 || client->bytesToWrite() > 0) return 0;
  const auto sent = ::send(static_cast<int>(fd), data, static_cast<std::size_t>(size), MSG_NOSIGNAL | MSG_DONTWAIT);
  return sent > 0 ? static_cast<qint64>(sent) : 0;
#else
  (void)client, (void)data, (void)size;
  return 0;
#endif
}

}  // namespace

RelayServer::RelayServer(Hooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), server_(new QTcpServer(this)) {
  connect(server_, &QTcpServer::newConnection, this, &RelayServer::OnNewConnection);
  flushTimer_.setSingleShot(true);
  connect(&flushTimer_, &QTimer::timeout, this, &RelayServer::Flush);
}

RelayServer::~RelayServer() { Close(); }

bool RelayServer::Open(quint16 port, const std::string& bindAddress) {
  Close();
  QHostAddress address;
  const std::string bind = bindAddress.empty() ? std::string(kDefaultBind) : bindAddress;
  if (!address.setAddress(QString::fromLatin1(bind.data(), static_cast<qsizetype>(bind.size())))) {
    if (hooks_.showError)
      hooks_.showError(SocketErrorText(MapSocketError(QAbstractSocket::SocketAddressNotAvailableError), "bind"));
    return false;
  }
  if (server_->listen(address, port)) return true;
  const QAbstractSocket::SocketError error = server_->serverError();
  const bool bindFailed = error == QAbstractSocket::AddressInUseError ||
                          error == QAbstractSocket::SocketAccessError ||
                          error == QAbstractSocket::SocketAddressNotAvailableError;
  if (hooks_.showError) hooks_.showError(SocketErrorText(MapSocketError(error), bindFailed ? "bind" : "listen"));
  return false;
}

void RelayServer::Close() {
  Flush();  // what the client is owed still goes, as far as the system takes it now
  server_->close();
  owed_.clear();
  owedTo_ = nullptr;
  auto clients = std::move(clients_);
  clients_.clear();
  for (auto& client : clients) {
    if (!client) continue;
    client->disconnect(this);
    client->abort();
    client->deleteLater();
  }
}

bool RelayServer::IsListening() const { return server_->isListening(); }

quint16 RelayServer::Port() const { return server_->isListening() ? server_->serverPort() : 0; }

qint64 RelayServer::QueuedBytes() const {
  for (const auto& client : clients_)
    if (client) return client->bytesToWrite() + (client == owedTo_ ? static_cast<qint64>(owed_.size()) : 0);
  return 0;
}

QTcpSocket* RelayServer::Oldest() {
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(), [](const auto& c) { return c.isNull(); }),
                 clients_.end());
  return clients_.empty() ? nullptr : clients_.front().data();
}

void RelayServer::OnNewConnection() {
  while (QTcpSocket* client = server_->nextPendingConnection()) {
    clients_.emplace_back(client);
    connect(client, &QIODevice::readyRead, this, [this, client] { OnClientRead(client); });
    connect(client, &QAbstractSocket::disconnected, this, [this, client] { OnClientGone(client); });
    connect(client, &QAbstractSocket::errorOccurred, this, [this, client] { OnClientError(client); });
  }
}

void RelayServer::RelayLine(const std::string& line) {
  QTcpSocket* client = Oldest();
  if (!client || client->state() != QAbstractSocket::ConnectedState) return;
  if (client != owedTo_) {  // the lines owed to a client that left are dropped with it
    owed_.clear();
    owedTo_ = client;
  }
  const qint64 size = static_cast<qint64>(line.size()) + 2;
  // The bound counts only what the client has not taken: hand what we hold to the
  // system first, which takes all a reading client is ready for.
  if (QueuedBytes() + size > kMaxQueuedBytes) {
    Flush();
    client->flush();
  }
  if (QueuedBytes() + size > kMaxQueuedBytes) return;  // the client is not reading
  owed_ += line;
  owed_ += "\r\n";
  if (flushTimer_.isActive()) return;
  flushTimer_.start(lastFlush_.isValid() ? MsUntilDue(lastFlush_.elapsed(), kFlushMs) : 0);
}

void RelayServer::Flush() {
  flushTimer_.stop();
  if (owed_.empty()) return;
  lastFlush_.start();
  QTcpSocket* client = Oldest();
  if (client && client == owedTo_ && client->state() == QAbstractSocket::ConnectedState) {
    const qint64 size = static_cast<qint64>(owed_.size());
    const qint64 sent = SendNow(client, owed_.data(), size);
    if (sent < size) client->write(owed_.data() + sent, size - sent);
  }
  owed_.clear();
  if (owed_.capacity() > kKeptCapacity) std::string().swap(owed_);  // a burst's room is not kept
}

// Each read is one line for the cluster: "sh/dx" CR LF goes out as "sh/dx". A client in
// character mode therefore sends one line per byte, as it always has.
void RelayServer::OnClientRead(QTcpSocket* client) {
  QByteArray bytes = client->readAll();
  if (bytes.isEmpty()) return;
  const std::string text = TrimRight(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (hooks_.sendLine) hooks_.sendLine(text);
}

void RelayServer::OnClientGone(QTcpSocket* client) { Drop(client); }

void RelayServer::OnClientError(QTcpSocket* client) {
  const QAbstractSocket::SocketError error = client->error();
  if (error != QAbstractSocket::RemoteHostClosedError && hooks_.showError)
    hooks_.showError(SocketErrorText(MapSocketError(error), "send"));
  client->abort();
  Drop(client);
}

void RelayServer::Drop(QTcpSocket* client) {
  auto it = std::find(clients_.begin(), clients_.end(), client);
  if (it == clients_.end()) return;
  clients_.erase(it);
  if (client == owedTo_) owed_.clear();
  client->disconnect(this);
  client->deleteLater();
}

}  // namespace varnak
