#include "telnet/relay_server.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

#include "core/text.h"
#include "telnet/socket_error.h"

namespace varnak {

RelayServer::RelayServer(Hooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), server_(new QTcpServer(this)) {
  connect(server_, &QTcpServer::newConnection, this, &RelayServer::OnNewConnection);
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
  server_->close();
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
    if (client) return client->bytesToWrite();
  return 0;
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
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(), [](const auto& c) { return c.isNull(); }),
                 clients_.end());
  if (clients_.empty()) return;
  QTcpSocket* client = clients_.front();
  if (client->state() != QAbstractSocket::ConnectedState) return;
  const qint64 size = static_cast<qint64>(line.size()) + 2;
  // The bound counts only what the client has not taken: hand what we queued to the
  // system first, which takes all a reading client is ready for.
  if (client->bytesToWrite() + size > kMaxQueuedBytes) client->flush();
  if (client->bytesToWrite() + size > kMaxQueuedBytes) return;  // the client is not reading
  std::string text;
  text.reserve(line.size() + 2);
  text += line;
  text += "\r\n";
  client->write(text.data(), size);
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
  client->disconnect(this);
  client->deleteLater();
}

}  // namespace varnak
