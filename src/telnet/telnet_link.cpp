#include "telnet/telnet_link.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#if __has_include(<netinet/tcp.h>)
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace varnak {

namespace {
// The node may not read while we close; don't keep a lingering socket for ever.
constexpr int kCloseGraceMs = 5000;
// A burst is handed on in slices of at most this much text or time, so the relay's and
// the window's sockets are served in between.
constexpr std::size_t kSliceBytes = 64 * 1024;
constexpr qint64 kSliceMs = 10;
}  // namespace

TelnetLink::TelnetLink(QObject* parent) : QObject(parent) {
  attemptTimer_.setSingleShot(true);
  quietTimer_.setSingleShot(true);
  quietTimer_.setInterval(kDefaultQuietTimeMs);
  connect(&attemptTimer_, &QTimer::timeout, this, &TelnetLink::OnAttemptTimeout);
  connect(&quietTimer_, &QTimer::timeout, this, &TelnetLink::OnQuietTime);
  sliceTimer_.setSingleShot(true);
  sliceTimer_.setInterval(0);
  connect(&sliceTimer_, &QTimer::timeout, this, &TelnetLink::Deliver);
  paceTimer_.setSingleShot(true);
  paceTimer_.setTimerType(Qt::PreciseTimer);
  paceTimer_.setInterval(kPaceMs);
  connect(&paceTimer_, &QTimer::timeout, this, &TelnetLink::OnPaceOver);
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
  emit connecting();
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
  KeepProbing(socket_->socketDescriptor());
  emit connected();
  // Data may have come with the connection already.
  if (state_ == State::Connected && socket_ && socket_->bytesAvailable() > 0) OnReadyRead();
}

// A quiet node on a path that died (a suspended laptop, a router that forgot us) would
// look connected for ever; probes after a minute of silence find out within two more.
void TelnetLink::KeepProbing(qintptr descriptor) {
  if (!socket_) return;
  socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#if defined(TCP_KEEPIDLE) && defined(TCP_KEEPINTVL) && defined(TCP_KEEPCNT)
  const int fd = static_cast<int>(descriptor);
  const int idle = 60, interval = 15, count = 6;
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
#else
  (void)descriptor;
#endif
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
  emit connectFailed(failure);
}

void TelnetLink::DropSocket() {
  paceTimer_.stop();
  if (!socket_) return;
  QTcpSocket* socket = socket_;
  socket_ = nullptr;
  socket->disconnect(this);
  socket->abort();
  socket->deleteLater();
}

void TelnetLink::OnReadyRead() {
  if (state_ != State::Connected || !socket_) return;
  if (taking_) {
    ReadAvailable();
    return;
  }
  // While paced, the socket takes one byte and then stops reading (its buffer is "full"),
  // so the rest stays in the system until OnPaceOver.
  if (paceTimer_.isActive()) return;
  ReadAvailable();
  socket_->setReadBufferSize(1);
  paceTimer_.start();
  Deliver();
}

void TelnetLink::OnPaceOver() {
  if (state_ != State::Connected || !socket_) return;
  socket_->setReadBufferSize(0);
  // Takes what came meanwhile from the system at once (readyRead, and so OnReadyRead,
  // comes from inside); else the byte held in the buffer, if any, is read now.
  if (!socket_->waitForReadyRead(0) && state_ == State::Connected && socket_ && socket_->bytesAvailable() > 0)
    OnReadyRead();
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
  // The quiet time starts again once what came has been handed on (Deliver).
  quietTimer_.stop();
}

// A tail is a line of its own only after the node was silent for the quiet time. Our
// own busy time is not its silence: a long burst being classified or a slow disk may
// keep this thread from reading while the rest of the line already waits in the socket.
void TelnetLink::OnQuietTime() {
  if (state_ != State::Connected || !socket_ || !pending_.empty()) return;  // Deliver re-arms it
  if (socket_->bytesAvailable() > 0 || socket_->waitForReadyRead(0)) {
    // waitForReadyRead has emitted readyRead and the bytes were read; any left are read now.
    if (state_ == State::Connected && socket_ && socket_->bytesAvailable() > 0) OnReadyRead();
    return;
  }
  std::string tail;
  if (cutter_.FlushTail(tail)) pending_.push_back(std::move(tail));
  Deliver();
}

// Lines go out one at a time and in order, even when a handler sends, disconnects or
// otherwise gets back here before it returns.
// While the link is up a burst goes out in slices, one per event-loop turn; a link that
// went down hands on everything at once, before its disconnected.
void TelnetLink::Deliver() {
  if (delivering_) return;
  delivering_ = true;
  QElapsedTimer slice;
  slice.start();
  std::size_t bytes = 0;
  while (!pending_.empty()) {
    if (state_ == State::Connected && (bytes >= kSliceBytes || slice.elapsed() >= kSliceMs)) {
      sliceTimer_.start();
      break;
    }
    std::string line = std::move(pending_.front());
    pending_.pop_front();
    bytes += line.size() + 2;
    emit lineReceived(line);
  }
  delivering_ = false;
  if (state_ == State::Connected && pending_.empty() && cutter_.HasTail()) quietTimer_.start();
  if (disconnectPending_) {
    disconnectPending_ = false;
    emit disconnected();
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
  TakeHeld();
  if (state_ != State::Connected) return;  // the node had closed already: OnRemoteClosed did it
  ReadAvailable();
  FinishDisconnect();
}

// What waits in the system (a pace leaves up to kPaceMs of it) came before the close and
// is kept.
void TelnetLink::TakeHeld() {
  if (!socket_) return;
  paceTimer_.stop();
  socket_->setReadBufferSize(0);
  taking_ = true;
  socket_->waitForReadyRead(0);
  taking_ = false;
}

void TelnetLink::FinishDisconnect() {
  state_ = State::Idle;
  quietTimer_.stop();
  paceTimer_.stop();
  sliceTimer_.stop();
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
