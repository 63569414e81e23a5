#include "links/rigctld_client.h"

#include <QTcpSocket>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace varnak {

namespace {
// rigctld's names of the modes, in RigMode's order: data is "PKT" on a side band.
constexpr std::array<std::string_view, kRigModeCount + 1> kRigctldModeNames = {
    "CW", "CWR", "USB", "LSB", "PKTUSB", "PKTLSB", "AM", "FM", "RTTY"};

QByteArray NameOf(RigMode mode) {
  const std::string_view name = kRigctldModeNames[static_cast<size_t>(mode)];
  return QByteArray(name.data(), static_cast<qsizetype>(name.size()));
}

constexpr qsizetype kMaxLineBytes = 65536;
constexpr size_t kMaxAnswerLines = 4000;  // "\dump_caps" of a big rig is a few hundred

std::string Trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return std::string(s.substr(b, e - b));
}

// The value of a "Key: value" line of an extended answer, if the answer has one.
std::optional<std::string> ValueOf(const std::vector<std::string>& lines, std::string_view key) {
  for (const std::string& line : lines) {
    if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == ':')
      return Trimmed(std::string_view(line).substr(key.size() + 1));
  }
  return std::nullopt;
}

// Hamlib prints the frequency as a whole number, some versions with decimals.
std::optional<long long> ParseHz(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value) || value < 0 || value > 9.0e15)
    return std::nullopt;
  return std::llround(value);
}

std::optional<int> ParseCode(std::string_view text) {
  int code = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return code;
}
}  // namespace

std::optional<RigMode> RigModeOfName(std::string_view name) {
  for (int i = 0; i < kRigModeCount; ++i)
    if (kRigctldModeNames[static_cast<size_t>(i)] == name) return static_cast<RigMode>(i);
  return std::nullopt;
}

QString HamlibErrorText(int code) {
  static const char* const kTexts[] = {"",
                                       "invalid parameter",
                                       "invalid configuration",
                                       "out of memory",
                                       "not implemented",
                                       "communication with the radio timed out",
                                       "input/output error",
                                       "internal Hamlib error",
                                       "protocol error",
                                       "command rejected by the radio",
                                       "argument truncated",
                                       "function not available",
                                       "VFO not targetable",
                                       "error talking on the bus",
                                       "collision on the bus",
                                       "no rig handle",
                                       "invalid VFO",
                                       "argument out of domain"};
  const int n = std::abs(code);
  if (n > 0 && n < static_cast<int>(std::size(kTexts))) return kTexts[n];
  return QString("error %1").arg(code);
}

RigctldClient::RigctldClient(QObject* parent) : RigControl(parent) {
  limit_.setSingleShot(true);
  connect(&limit_, &QTimer::timeout, this, &RigctldClient::OnTimeLimit);
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &RigctldClient::Poll);
}

RigctldClient::~RigctldClient() {
  queue_.clear();  // no callbacks from a dying link
  ResetSocket();
}

void RigctldClient::Connect(const QString& host, int port, Done done) {
  Disconnect();
  endpoint_ = QString("%1:%2").arg(host).arg(port);
  socket_ = new QTcpSocket(this);
  connect(socket_, &QTcpSocket::connected, this, &RigctldClient::OnConnected);
  connect(socket_, &QTcpSocket::readyRead, this, &RigctldClient::OnReadyRead);
  connect(socket_, &QTcpSocket::errorOccurred, this, &RigctldClient::OnSocketError);
  // The usable check: the server answers with the radio's capabilities.
  queue_.push_back(Request{Kind::Caps, "+\\dump_caps", std::move(done)});
  limit_.start(kConnectLimitMs);
  socket_->connectToHost(host, static_cast<quint16>(port));
}

void RigctldClient::Disconnect() {
  ++generation_;
  queue_.clear();
  ResetSocket();
  connected_ = usable_ = pollPending_ = false;
  frequency_ = 0;
  mode_.clear();
  model_.clear();
  modes_.clear();
  notifiedFrequency_ = -1;
  notifiedMode_.clear();
}

void RigctldClient::ResetSocket() {
  limit_.stop();
  poll_.stop();
  buffer_.clear();
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
  }
}

void RigctldClient::Finish(const Done& done, const QString& error) {
  if (done) done(error);
}

void RigctldClient::Enqueue(Request request) {
  if (!socket_) {
    // Outcomes always come later, also this one.
    Done done = std::move(request.done);
    QTimer::singleShot(0, this, [done] {
      if (done) done("rig control is switched off");
    });
    return;
  }
  const bool head = queue_.empty();
  queue_.push_back(std::move(request));
  if (connected_) {
    socket_->write(queue_.back().command + '\n');
    if (head) limit_.start(kAnswerLimitMs);
  }
}

void RigctldClient::SetFrequency(long long hz, Done done) {
  Enqueue(Request{Kind::Set, "+F " + QByteArray::number(hz), std::move(done)});
}

void RigctldClient::SetMode(RigMode mode, Done done) {
  // Passband 0: the radio's normal filter for the mode.
  Enqueue(Request{Kind::Set, "+M " + NameOf(mode) + " 0", std::move(done)});
}

void RigctldClient::SetSplit(std::optional<long long> txHz, RigMode mode, Done done) {
  if (!txHz) return Enqueue(Request{Kind::Set, "+S 0 VFOA", std::move(done)});
  auto first = std::make_shared<QString>();
  auto keep = [first](const QString& error) {
    if (first->isEmpty()) *first = error;
  };
  Enqueue(Request{Kind::Set, "+S 1 VFOB", keep});
  Enqueue(Request{Kind::Set, "+I " + QByteArray::number(*txHz), keep});
  Enqueue(Request{Kind::Set, "+X " + NameOf(mode) + " 0", [first, done](const QString& error) {
                    if (done) done(first->isEmpty() ? error : *first);
                  }});
}

bool RigctldClient::Offers(RigMode mode) const {
  if (modes_.empty()) return true;
  const std::string_view name = kRigctldModeNames[static_cast<size_t>(mode)];
  return std::find(modes_.begin(), modes_.end(), name) != modes_.end();
}

std::optional<RigMode> RigctldClient::Mode() const { return RigModeOfName(mode_); }

void RigctldClient::Refresh(Done done) {
  auto first = std::make_shared<QString>();
  Enqueue(Request{Kind::GetFrequency, "+f", [first](const QString& error) { *first = error; }});
  Enqueue(Request{Kind::GetMode, "+m", [first, done](const QString& error) {
                    if (done) done(first->isEmpty() ? error : *first);
                  }});
}

void RigctldClient::Poll() {
  if (!usable_ || pollPending_) return;
  pollPending_ = true;
  Enqueue(Request{Kind::GetFrequency, "+f", {}, true});
  Enqueue(Request{Kind::GetMode, "+m", {}, true});
}

void RigctldClient::OnConnected() {
  connected_ = true;
  for (const Request& r : queue_) socket_->write(r.command + '\n');
  if (!queue_.empty()) limit_.start(kAnswerLimitMs);
}

void RigctldClient::OnReadyRead() {
  const unsigned link = generation_;
  buffer_ += socket_->readAll();
  qsizetype start = 0;
  const QString overlong = QString("rigctld at %1 sent a line of more than 64 KiB").arg(endpoint_);
  for (qsizetype end; link == generation_ && (end = buffer_.indexOf('\n', start)) >= 0; start = end + 1) {
    if (end - start > kMaxLineBytes) return Fail(overlong);
    TakeLine(std::string(buffer_.constData() + start, static_cast<size_t>(end - start)));
  }
  if (link != generation_) return;
  buffer_.remove(0, start);
  if (buffer_.size() > kMaxLineBytes) Fail(overlong);
}

void RigctldClient::TakeLine(std::string line) {
  while (!line.empty() && line.back() == '\r') line.pop_back();
  if (queue_.empty()) {
    Fail(QString("rigctld at %1 sent an unasked line: %2").arg(endpoint_, QString::fromLatin1(line.c_str())));
    return;
  }
  Request& head = queue_.front();
  if (line.rfind("RPRT ", 0) == 0) {
    std::optional<int> code = ParseCode(std::string_view(line).substr(5));
    if (code) return Complete(*code);
  }
  head.lines.push_back(std::move(line));
  if (head.lines.size() > kMaxAnswerLines) Fail(QString("rigctld's answer to %1 does not end").arg(Quoted(head)));
}

QString RigctldClient::Quoted(const Request& request) const {
  return "\"" + QString::fromLatin1(request.command.mid(1)) + "\"";
}

void RigctldClient::Complete(int code) {
  Request done = std::move(queue_.front());
  queue_.pop_front();
  if (queue_.empty()) limit_.stop();
  else limit_.start(kAnswerLimitMs);
  // Breaking the link fails this call too, first of all.
  auto breakLink = [this, &done](const QString& error) {
    queue_.push_front(std::move(done));
    Fail(error);
  };

  QString error;
  if (code != 0) {
    error = QString("rigctld at %1 refused %2: RPRT %3 (%4)")
                .arg(endpoint_, Quoted(done))
                .arg(code)
                .arg(HamlibErrorText(code));
    // The usable check failed, or a radio that cannot say its frequency or mode
    // cannot be followed.
    if (done.kind == Kind::Caps || done.poll) return breakLink(error);
  } else if (done.kind == Kind::GetFrequency) {
    std::optional<long long> hz;
    if (auto value = ValueOf(done.lines, "Frequency")) hz = ParseHz(*value);
    if (!hz) return breakLink(QString("rigctld at %1 gave no frequency for \"f\"").arg(endpoint_));
    frequency_ = *hz;
  } else if (done.kind == Kind::GetMode) {
    std::optional<std::string> mode = ValueOf(done.lines, "Mode");
    if (!mode || mode->empty()) return breakLink(QString("rigctld at %1 gave no mode for \"m\"").arg(endpoint_));
    mode_ = *mode;
  } else if (done.kind == Kind::Caps) {
    model_ = ValueOf(done.lines, "Model name").value_or("");
    std::istringstream modes(ValueOf(done.lines, "Mode list").value_or(""));
    for (std::string name; modes >> name;) modes_.push_back(name);
    usable_ = true;
    poll_.start();
    Poll();
  }
  if (done.poll && done.kind == Kind::GetMode) pollPending_ = false;

  const unsigned link = generation_;
  Finish(done.done, error);
  if (link == generation_ && done.kind == Kind::GetMode && error.isEmpty()) NotifyIfChanged();
}

void RigctldClient::NotifyIfChanged() {
  if (frequency_ == notifiedFrequency_ && mode_ == notifiedMode_) return;
  notifiedFrequency_ = frequency_;
  notifiedMode_ = mode_;
  emit OnParamsChange();
}

void RigctldClient::OnSocketError() {
  // The time limit's look for a late answer (waitForReadyRead(0)) reports a timeout.
  if (!socket_ || socket_->error() == QAbstractSocket::SocketTimeoutError) return;
  if (socket_->error() == QAbstractSocket::RemoteHostClosedError)
    Fail(QString("rigctld at %1 closed the connection").arg(endpoint_));
  else if (!connected_)
    Fail(QString("nothing answers at %1 (%2)").arg(endpoint_, socket_->errorString()));
  else
    Fail(QString("the link to rigctld at %1 broke: %2").arg(endpoint_, socket_->errorString()));
}

void RigctldClient::OnTimeLimit() {
  // A window that was busy for a while lets the timer fire before the answer that has
  // long arrived is read: read it first.
  if (connected_ && socket_ && !queue_.empty()) {
    const unsigned link = generation_;
    socket_->waitForReadyRead(0);
    // An answer that came in has started the next time limit, or there is none to wait for.
    if (link != generation_ || limit_.isActive() || queue_.empty()) return;
  }
  if (!connected_) {
    Fail(QString("nothing answers at %1 within %2 s").arg(endpoint_).arg(kConnectLimitMs / 1000));
  } else if (!queue_.empty()) {
    Fail(QString("rigctld at %1 did not answer %2 within %3 s")
             .arg(endpoint_, Quoted(queue_.front()))
             .arg(kAnswerLimitMs / 1000));
  }
}

void RigctldClient::Fail(const QString& error) {
  const bool wasUp = usable_;
  std::deque<Request> pending;
  pending.swap(queue_);
  Disconnect();
  const unsigned link = generation_;
  for (Request& r : pending) {
    Finish(r.done, error);
    if (link != generation_) return;  // a callback opened a new link; it is not ours to fail
  }
  if (wasUp) emit Failed(error);
}

}  // namespace varnak
