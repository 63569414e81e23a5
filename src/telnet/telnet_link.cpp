#include "telnet/telnet_link.h"

#include <QTcpSocket>

namespace varnak {

namespace {
// The node may not read while we close; don't keep a lingering socket for ever.
constexpr int kCloseGraceMs = 5000;
}  // namespace

TelnetLink::TelnetLink(QObject* parent) : QObject(parent) {
  attemptTimer_.setSingleShot(true);
  quietTimer_.setSingleShot(true);
  quietTimer_.setInterval(kDefaultQuietTimeMs);
  connect(&attemptTimer_, &QTimer::timeout, this, &TelnetLink::OnAttemptTimeout);
  connect(&quietTimer_, &QTimer::timeout, this, &TelnetLink::OnQuietTime);
}

TelnetLink::~TelnetLink() {
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
  }
}

void TelnetLink::SetTimeLimits(int lookupMs, int connectMs) {
  lookupLimitMs_ = lookupMs;
  connectLimitMs_ = connectMs;
}

bool TelnetLink::Connect(const QString& host, quint16 port) {
  if (state_ != State::Idle) return false;
  host_ = host;
  port_ = port;
  state_ = State::Connecting;
  filter_.Reset();
  cutter_.Clear();
  pending_.clear();
  if (events_.onConnect) events_.onConnect();
  if (state_ != State::Connecting) return true;  // the handler gave up on it

  auto* socket = new QTcpSocket(this);
  socket_ = socket;
  connect(socket, &QAbstractSocket::stateChanged, this, &TelnetLink::OnStateChanged);
  connect(socket, &QAbstractSocket::connected, this, &TelnetLink::OnConnected);
  connect(socket, &QAbstractSocket::errorOccurred, this, &TelnetLink::OnError);
  connect(socket, &QIODevice::readyRead, this, &TelnetLink::OnReadyRead);
  connect(socket, &QAbstractSocket::disconnected, this, &TelnetLink::OnRemoteClosed);
  attemptTimer_.start(lookupLimitMs_);
  socket->connectToHost(host, port);
  return true;
}

void TelnetLink::OnStateChanged() {
  // The name is resolved: the connect gets a limit of its own.
  if (state_ == State::Connecting && socket_ && socket_->state() == QAbstractSocket::ConnectingState)
    attemptTimer_.start(connectLimitMs_);
}

void TelnetLink::OnConnected() {
  if (state_ != State::Connecting) return;
  attemptTimer_.stop();
  state_ = State::Connected;
  socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  if (events_.onConnected) events_.onConnected();
  // Data may have come with the connection already.
  if (state_ == State::Connected && socket_ && socket_->bytesAvailable() > 0) OnReadyRead();
}

void TelnetLink::OnError() {
  if (state_ != State::Connecting || !socket_) return;  // a live link ends through disconnected()
  FailAttempt(MapSocketError(socket_->error()));
}

void TelnetLink::OnAttemptTimeout() {
  if (state_ != State::Connecting || !socket_) return;
  const bool resolving = socket_->state() == QAbstractSocket::HostLookupState;
  FailAttempt(resolving ? SocketFailure{11001, "Host not found"} : MapSocketError(QAbstractSocket::SocketTimeoutError));
}

void TelnetLink::FailAttempt(const SocketFailure& failure) {
  attemptTimer_.stop();
  DropSocket();
  state_ = State::Idle;
  if (events_.onConnectFailed) events_.onConnectFailed(failure);
}

void TelnetLink::DropSocket() {
  if (!socket_) return;
  QTcpSocket* socket = socket_;
  socket_ = nullptr;
  socket->disconnect(this);
  socket->abort();
  socket->deleteLater();
}

void TelnetLink::OnReadyRead() {
  if (state_ != State::Connected) return;
  ReadAvailable();
  Deliver();
}

void TelnetLink::ReadAvailable() {
  if (!socket_) return;
  while (socket_->bytesAvailable() > 0) {
    const QByteArray bytes = socket_->read(32768);
    if (bytes.isEmpty()) break;
    plain_.clear();
    answers_.clear();
    filter_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), plain_, answers_);
    if (!answers_.empty()) socket_->write(answers_.data(), static_cast<qint64>(answers_.size()));
    cut_.clear();
    cutter_.Feed(plain_, cut_);
    for (auto& line : cut_) pending_.push_back(std::move(line));
  }
  if (cutter_.HasTail())
    quietTimer_.start();
  else
    quietTimer_.stop();
}

void TelnetLink::OnQuietTime() {
  std::string tail;
  if (cutter_.FlushTail(tail)) pending_.push_back(std::move(tail));
  Deliver();
}

// Lines go out one at a time and in order, even when a handler sends, disconnects or
// otherwise gets back here before it returns.
void TelnetLink::Deliver() {
  if (delivering_) return;
  delivering_ = true;
  while (!pending_.empty()) {
    std::string line = std::move(pending_.front());
    pending_.pop_front();
    if (events_.onLine) events_.onLine(line);
  }
  delivering_ = false;
  if (disconnectPending_) {
    disconnectPending_ = false;
    if (events_.onDisconnected) events_.onDisconnected();
  }
}

void TelnetLink::OnRemoteClosed() {
  if (state_ != State::Connected) return;
  ReadAvailable();
  FinishDisconnect();
}

void TelnetLink::Disconnect() {
  if (state_ == State::Connecting) {
    attemptTimer_.stop();
    DropSocket();
    state_ = State::Idle;
    return;
  }
  if (state_ != State::Connected) return;
  ReadAvailable();
  FinishDisconnect();
}

void TelnetLink::FinishDisconnect() {
  state_ = State::Idle;
  quietTimer_.stop();
  std::string tail;
  if (cutter_.FlushTail(tail)) pending_.push_back(std::move(tail));
  cutter_.Clear();
  if (socket_) {
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    // Let what we wrote last (a "bye", a login reply) still reach the node.
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kCloseGraceMs, socket, [socket] {
      socket->abort();
      socket->deleteLater();
    });
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
  }
  disconnectPending_ = true;
  Deliver();
}

bool TelnetLink::SendTelnetLine(const std::string& text) {
  if (state_ != State::Connected || !socket_) return false;
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    out.push_back(c);
    if (static_cast<unsigned char>(c) == TelnetOptionFilter::kIac) out.push_back(c);
  }
  out += "\r\n";
  return socket_->write(out.data(), static_cast<qint64>(out.size())) == static_cast<qint64>(out.size());
}

}  // namespace varnak
