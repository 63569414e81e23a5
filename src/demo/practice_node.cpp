#include "demo/practice_node.h"

#include <QDateTime>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cctype>
#include <cmath>

namespace varnak::demo {

namespace {

// A call at the login or a command longer than this is refused, its rest discarded.
constexpr std::size_t kMaxLine = 2048;
constexpr const char* kBells = "\a\a\r\n";

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Trimmed(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

// "ann/full hello all" -> "ann/full", "hello all"
std::pair<std::string, std::string> SplitWord(const std::string& s) {
  const std::size_t blank = s.find(' ');
  if (blank == std::string::npos) return {s, ""};
  return {s.substr(0, blank), Trimmed(s.substr(blank + 1))};
}

bool IsPrefixOf(const std::string& word, const std::string& full, std::size_t minimum) {
  return word.size() >= minimum && word.size() <= full.size() && full.compare(0, word.size(), word) == 0;
}

UtcMinute FromDateTime(const QDateTime& t) {
  const QDate d = t.date();
  const QTime h = t.time();
  return UtcMinute{d.year(), d.month(), d.day(), h.hour(), h.minute()};
}

}  // namespace

UtcMinute UtcNowMinute() { return FromDateTime(QDateTime::currentDateTimeUtc()); }

PracticeNode::PracticeNode(const CallData& data, NodeOptions options, QObject* parent)
    : QObject(parent), data_(data), options_(std::move(options)), traffic_(data_, options_.seed),
      server_(new QTcpServer(this)) {
  connect(server_, &QTcpServer::newConnection, this, &PracticeNode::OnNewConnection);
  spotTimer_.setTimerType(Qt::PreciseTimer);
  spotTimer_.setInterval(10);
  connect(&spotTimer_, &QTimer::timeout, this, &PracticeNode::Tick);
  extrasTimer_.setInterval(1000);
  connect(&extrasTimer_, &QTimer::timeout, this, &PracticeNode::ExtrasTick);
  for (int i = 0; i < 7; ++i) users_.push_back(traffic_.CallOf(i % 3 == 0 ? "NA" : "EU"));
  // Half an hour of spots, so that "sh/dx" has something to show from the start.
  const QDateTime now = QDateTime::currentDateTimeUtc();
  for (int i = 30; i > 0; --i) Remember(traffic_.NextSpot(), FromDateTime(now.addSecs(-60 * i)));
  for (int i = 3; i > 0; --i) {
    const UtcMinute t = FromDateTime(now.addSecs(-3600 * i));
    wwv_.push_back(NodeDate(t) + "   " + NodeTime(t).substr(0, 2) + "   " + traffic_.WwvText() + " <W0MU>");
    wcy_.push_back(NodeDate(t) + "   " + NodeTime(t).substr(0, 2) + "   " + traffic_.WcyText() + " <DK0WCY>");
  }
}

PracticeNode::~PracticeNode() {
  for (auto& [socket, session] : sessions_) {
    socket->disconnect(this);
    socket->abort();
  }
}

bool PracticeNode::Listen(std::string* error) {
  if (server_->listen(QHostAddress::LocalHost, options_.port)) return true;
  if (error) {
    if (server_->serverError() == QAbstractSocket::AddressInUseError)
      *error = "port " + std::to_string(options_.port) + " on 127.0.0.1 is already in use by another program";
    else
      *error = "cannot listen on 127.0.0.1 port " + std::to_string(options_.port) + ": " +
               server_->errorString().toStdString();
  }
  return false;
}

quint16 PracticeNode::Port() const { return server_->serverPort(); }

int PracticeNode::LoggedInCount() const {
  int n = 0;
  for (const auto& [socket, s] : sessions_) n += s->stage == Stage::Commands;
  return n;
}

bool PracticeNode::Flushed() const {
  for (const auto& [socket, s] : sessions_)
    if (socket->bytesToWrite() > 0) return false;
  return true;
}

void PracticeNode::OnNewConnection() {
  while (QTcpSocket* socket = server_->nextPendingConnection()) {
    auto session = std::make_unique<Session>();
    session->socket = socket;
    Session* s = session.get();
    sessions_[socket] = std::move(session);
    connect(socket, &QIODevice::readyRead, this, [this, s] { OnReadyRead(s); });
    connect(socket, &QAbstractSocket::disconnected, this, [this, socket] { Remove(socket); });
    Send(s, "login: ");
  }
}

void PracticeNode::Remove(QTcpSocket* socket) {
  auto it = sessions_.find(socket);
  if (it == sessions_.end()) return;
  socket->disconnect(this);
  socket->deleteLater();
  sessions_.erase(it);
}

void PracticeNode::Drop(Session* s, const QString& reason) {
  QTcpSocket* socket = s->socket;
  emit ClientDropped(reason);
  Remove(socket);  // s is gone from here on
  socket->abort();
}

void PracticeNode::Send(Session* s, const std::string& bytes) {
  s->socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
  // Qt hands the kernel one block per turn of the event loop; under load that is less
  // than the node makes, so it pushes out what the kernel takes at once.
  if (s->socket->bytesToWrite() > 64 * 1024) s->socket->flush();
  if (s->socket->bytesToWrite() > options_.maxQueuedBytes)
    Drop(s, QString::fromStdString((s->call.empty() ? std::string("a client") : s->call) +
                                   " does not read; dropped with " + std::to_string(s->socket->bytesToWrite()) +
                                   " bytes queued"));
}

void PracticeNode::Broadcast(const std::string& bytes) {
  std::vector<QTcpSocket*> sockets;
  for (const auto& [socket, s] : sessions_)
    if (s->stage == Stage::Commands) sockets.push_back(socket);
  for (QTcpSocket* socket : sockets) {
    auto it = sessions_.find(socket);
    if (it != sessions_.end()) Send(it->second.get(), bytes);
  }
}

void PracticeNode::OnReadyRead(Session* s) {
  QTcpSocket* socket = s->socket;
  while (socket->bytesAvailable() > 0) {
    const QByteArray chunk = socket->read(64 * 1024);
    for (char c : chunk) {
      const auto b = static_cast<unsigned char>(c);
      // Telnet commands are skipped: IAC x, IAC WILL/DO/WONT/DONT x, IAC SB ... IAC SE.
      if (s->iac == 1) {
        s->iac = (b >= 251 && b <= 254) ? 2 : b == 250 ? 3 : 0;
        continue;
      }
      if (s->iac == 2) {
        s->iac = 0;
        continue;
      }
      if (s->iac == 3) {
        if (b == 255) s->iac = 4;
        continue;
      }
      if (s->iac == 4) {
        s->iac = b == 240 ? 0 : 3;
        continue;
      }
      if (b == 255) {
        s->iac = 1;
        continue;
      }
      const bool lfOfPair = c == '\n' && s->lastWasCr;
      s->lastWasCr = c == '\r';
      if (lfOfPair || b == 0) continue;
      if (c == '\r' || c == '\n') {
        const std::string line = s->line;
        const bool refused = s->overlong;
        s->line.clear();
        s->overlong = false;
        if (!refused)
          OnLine(s, line);
        else if (s->stage == Stage::Commands)
          Send(s, "Invalid command\r\n" + Prompt(s));
        else
          OnLine(s, "?");  // no call, no password
        if (!sessions_.count(socket)) return;
      } else if (b == 8 || b == 127) {
        if (!s->line.empty()) s->line.pop_back();
      } else if (s->line.size() >= kMaxLine) {
        s->overlong = true;
        s->line.clear();
      } else if (!s->overlong) {
        s->line += c;
      }
    }
  }
}

void PracticeNode::OnLine(Session* s, const std::string& raw) {
  const std::string line = Trimmed(raw);
  switch (s->stage) {
    case Stage::Login: {
      if (line.empty()) {
        Send(s, "login: ");
        return;
      }
      const std::string call = Upper(line);
      if (!LooksLikeCall(call)) {
        Send(s, "Sorry, " + (call.size() > 20 ? call.substr(0, 20) + "..." : call) + " is an invalid callsign\r\n");
        if (sessions_.count(s->socket)) s->socket->disconnectFromHost();
        return;
      }
      s->call = call;
      if (options_.passwords.count(call)) {
        s->stage = Stage::Password;
        Send(s, "password: ");
      } else {
        Welcome(s);
      }
      return;
    }
    case Stage::Password:
      if (line == options_.passwords[s->call]) {
        Welcome(s);
      } else {
        Send(s, "Sorry, wrong password\r\n");
        if (sessions_.count(s->socket)) s->socket->disconnectFromHost();
      }
      return;
    case Stage::Commands:
      OnCommand(s, line);
      return;
  }
}

std::string PracticeNode::Prompt(const Session* s) const {
  return PromptLine(s->call, options_.nodeCall, UtcNowMinute()) + "\r\n";
}

void PracticeNode::Welcome(Session* s) {
  s->stage = Stage::Commands;
  const int minutes = static_cast<int>(clock_.isValid() ? clock_.elapsed() / 60000 : 0);
  char uptime[32];
  std::snprintf(uptime, sizeof uptime, "%d %02d:%02d", minutes / 1440, minutes / 60 % 24, minutes % 60);
  const std::size_t users = users_.size() + static_cast<std::size_t>(LoggedInCount());
  std::string out = "Hello " + s->call + ", this is " + options_.nodeCall +
                    " located in Practice Town, a practice node on this computer\r\n";
  out += "running DXSpider V1.57 build 0 (no spot here is real)\r\n";
  out += "Capabilities: ve7cc rbn\r\n";
  out += "Cluster: 1 nodes, " + std::to_string(users) + " local / " + std::to_string(users) +
         " total users  Max users 50  Uptime " + uptime + "\r\n";
  out += Prompt(s);
  Send(s, out);
  if (!trafficStarted_) StartTraffic();
}

void PracticeNode::OnCommand(Session* s, const std::string& line) {
  QTcpSocket* socket = s->socket;
  const auto [word, argument] = SplitWord(line);
  const std::string w = Lower(word);
  const std::size_t slash = w.find('/');
  const std::string verb = w.substr(0, slash);
  const std::string sub = slash == std::string::npos ? "" : w.substr(slash + 1);
  std::string answer;
  if (w.empty()) {
    // an empty line only gets the prompt
  } else if (w == "b" || w == "bye" || w == "q" || w == "quit") {
    socket->disconnectFromHost();
    return;
  } else if (IsPrefixOf(verb, "show", 2) && !sub.empty()) {
    if (sub == "dx") {
      answer = ShowDxAnswer(argument);
    } else if (IsPrefixOf(sub, "users", 1)) {
      answer = UsersAnswer();
    } else if (sub == "wwv") {
      answer = BulletinAnswer(wwv_, "No WWV bulletins");
    } else if (sub == "wcy") {
      answer = BulletinAnswer(wcy_, "No WCY bulletins");
    } else if (IsPrefixOf(sub, "configuration", 1)) {
      answer = "Node         Callsigns\r\n" + options_.nodeCall + std::string(13 - std::min<std::size_t>(12, options_.nodeCall.size()), ' ') +
               s->call + "\r\n";
    } else {
      answer = "Invalid command\r\n";
    }
  } else if ((verb == "set" || verb == "unset") && (sub == "dxgrid" || sub == "skimmer")) {
    // Taken note of, as a node does; the practice traffic keeps its one form.
    answer = std::string(sub == "dxgrid" ? "DX Grid" : "Skimmer") + " flag " + verb + " on " + s->call + "\r\n";
  } else if (w == "who") {
    answer = UsersAnswer();
  } else if (w == "dx") {
    answer = SpreadOperatorSpot(s, argument);
  } else if (IsPrefixOf(verb, "announce", 2)) {
    const bool full = !sub.empty() && IsPrefixOf(sub, "full", 1);
    if (!sub.empty() && !full) {
      answer = "Invalid command\r\n";
    } else if (!argument.empty()) {
      Broadcast(std::string(full ? "To ALL de " : "To LOCAL de ") + s->call + ": " + argument + kBells);
      if (!sessions_.count(socket)) return;
    }
  } else if (w == "t" || w == "talk") {
    answer = Talk(s, argument);
    if (!sessions_.count(socket)) return;
  } else {
    answer = "Invalid command\r\n";
  }
  Send(s, answer + Prompt(s));
}

std::string PracticeNode::UsersAnswer() const {
  std::vector<std::string> calls = users_;
  for (const auto& [socket, s] : sessions_)
    if (s->stage == Stage::Commands && std::find(calls.begin(), calls.end(), s->call) == calls.end())
      calls.push_back(s->call);
  std::sort(calls.begin(), calls.end());
  std::string out = "Callsigns connected to " + options_.nodeCall + "\r\n";
  std::string row;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    std::string cell = calls[i];
    if (cell.size() < 13) cell.resize(13, ' ');
    row += cell;
    if (i % 5 == 4 || i + 1 == calls.size()) {
      out += Trimmed(row) + "\r\n";
      row.clear();
    }
  }
  return out;
}

std::string PracticeNode::ShowDxAnswer(const std::string& argument) const {
  std::size_t wanted = 10;
  std::string call;
  if (!argument.empty()) {
    const std::string first = SplitWord(argument).first;
    if (std::all_of(first.begin(), first.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
      wanted = std::clamp<std::size_t>(std::strtoul(first.substr(0, 4).c_str(), nullptr, 10), 1, 100);
    else
      call = Upper(first);
  }
  std::string out;
  std::size_t listed = 0;
  for (auto it = history_.rbegin(); it != history_.rend() && listed < wanted; ++it) {
    if (!call.empty() && it->first.dxCall.rfind(call, 0) != 0) continue;
    out += ListingLine(it->first, it->second) + "\r\n";
    ++listed;
  }
  return out;
}

std::string PracticeNode::BulletinAnswer(const std::deque<std::string>& list, const char* none) const {
  if (list.empty()) return std::string(none) + "\r\n";
  std::string out;
  for (auto it = list.rbegin(); it != list.rend(); ++it) out += *it + "\r\n";
  return out;
}

std::string PracticeNode::SpreadOperatorSpot(Session* s, const std::string& argument) {
  // "dx 14025.0 Q3DEF up 2" and, as DX Spider also takes it, "dx Q3DEF 14025.0 up 2".
  const auto [first, rest] = SplitWord(argument);
  const auto [second, comment] = SplitWord(rest);
  Spot spot;
  std::string call;
  if (ParseKhz(first, &spot.kHz)) {
    call = second;
  } else if (ParseKhz(second, &spot.kHz)) {
    call = first;
  } else {
    return "Error: the frequency must be a number in kHz, as in dx 14025.0 Q3DEF up 2\r\n";
  }
  call = Upper(call);
  if (call.empty() || call.size() > 15) return "Error: a spot needs the call of the station heard\r\n";
  spot.dxCall = call;
  spot.spotter = s->call;
  spot.comment = comment.substr(0, 30);
  const UtcMinute now = UtcNowMinute();
  Remember(spot, now);
  Broadcast(SpotBytes(spot, now));
  return "";
}

std::string PracticeNode::Talk(Session* s, const std::string& argument) {
  const auto [target, text] = SplitWord(argument);
  const std::string to = Upper(target);
  if (to.empty() || text.empty()) return "Usage: talk <call> <text>\r\n";
  const std::string line = to + " de " + s->call + ": " + text + "\r\n";
  for (const auto& [socket, other] : sessions_) {
    if (other->stage == Stage::Commands && other->call == to) {
      Send(other.get(), line);
      return "";
    }
  }
  if (std::find(users_.begin(), users_.end(), to) != users_.end()) {
    pendingReplies_.emplace_back(clock_.elapsed() + traffic_.Uniform(3000, 8000),
                                 s->call + " de " + to + ": " + traffic_.TalkReply() + "\r\n");
    return "";
  }
  return to + " is not visible on the cluster\r\n";
}

std::string PracticeNode::SpotBytes(const Spot& spot, const UtcMinute& t) { return SpotLine(spot, t) + kBells; }

void PracticeNode::Remember(const Spot& spot, const UtcMinute& t) {
  history_.emplace_back(spot, t);
  if (history_.size() > 1000) history_.pop_front();
}

void PracticeNode::StartTraffic() {
  trafficStarted_ = true;
  clock_.start();
  lastTickMs_ = secondStartMs_ = 0;
  nextBurstMs_ = traffic_.Uniform(10000, 25000);
  nextAnnounceMs_ = 6000;
  nextWwvMs_ = 15000;
  nextWcyMs_ = 30000;
  nextTalkMs_ = 20000;
  nextUserMs_ = traffic_.Uniform(10000, 40000);
  due_ = 1;  // the first spot right away
  if (options_.count != 0) spotTimer_.start();
  if (options_.extras) extrasTimer_.start();
}

void PracticeNode::Tick() {
  const qint64 now = clock_.elapsed();
  if (now - secondStartMs_ >= 1000) {
    secondStartMs_ = now;
    factor_ = 0.5 + traffic_.Chance();
  }
  due_ += options_.rate * factor_ * static_cast<double>(now - lastTickMs_) / 1000.0;
  lastTickMs_ = now;
  // After a stall the node catches up on at most two seconds of spots.
  due_ = std::min(due_, 2 * options_.rate + 1);
  long long n = static_cast<long long>(std::floor(due_));
  due_ -= static_cast<double>(n);
  if (options_.burst > 0 && now >= nextBurstMs_) {
    n += options_.burst;
    nextBurstMs_ = now + traffic_.Uniform(10000, 25000);
  }
  if (options_.count >= 0) n = std::min(n, options_.count - spotsSent_);
  if (n > 0) {
    const UtcMinute t = UtcNowMinute();
    std::string batch;
    batch.reserve(static_cast<std::size_t>(n) * 84);
    for (long long i = 0; i < n; ++i) {
      const Spot spot = traffic_.NextSpot();
      batch += SpotBytes(spot, t);
      Remember(spot, t);
    }
    spotsSent_ += n;
    Broadcast(batch);
  }
  if (options_.count >= 0 && spotsSent_ >= options_.count) {
    spotTimer_.stop();
    emit CountReached();
  }
}

void PracticeNode::ExtrasTick() {
  const qint64 now = clock_.elapsed();
  const UtcMinute t = UtcNowMinute();
  if (now >= nextAnnounceMs_) {
    nextAnnounceMs_ = now + traffic_.Uniform(40000, 90000);
    const bool full = traffic_.Chance() < 0.6;
    Broadcast(std::string(full ? "To ALL de " : "To LOCAL de ") + traffic_.Spotter() + ": " +
              traffic_.AnnouncementText() + kBells);
  }
  if (now >= nextWwvMs_) {
    nextWwvMs_ = now + traffic_.Uniform(180000, 300000);
    const std::string text = traffic_.WwvText();
    wwv_.push_back(NodeDate(t) + "   " + NodeTime(t).substr(0, 2) + "   " + text + " <W0MU>");
    if (wwv_.size() > 20) wwv_.pop_front();
    // WWV de W0MU <21>:   SFI=152, A=8, K=2, No Storms -> No Storms
    Broadcast("WWV de W0MU <" + NodeTime(t).substr(0, 2) + ">:   " + text + kBells);
  }
  if (now >= nextWcyMs_) {
    nextWcyMs_ = now + traffic_.Uniform(180000, 300000);
    const std::string text = traffic_.WcyText();
    wcy_.push_back(NodeDate(t) + "   " + NodeTime(t).substr(0, 2) + "   " + text + " <DK0WCY>");
    if (wcy_.size() > 20) wcy_.pop_front();
    Broadcast("WCY de DK0WCY-1 <" + NodeTime(t).substr(0, 2) + "> : " + text + kBells);
  }
  if (now >= nextTalkMs_) {
    nextTalkMs_ = now + traffic_.Uniform(120000, 240000);
    const std::string from = users_.empty() ? traffic_.Spotter() : users_[static_cast<std::size_t>(
                                                                      traffic_.Uniform(0, static_cast<int>(users_.size()) - 1))];
    const std::string text = traffic_.TalkText();
    for (const auto& [socket, s] : sessions_)
      if (s->stage == Stage::Commands) pendingReplies_.emplace_back(now, s->call + " de " + from + ": " + text + "\r\n");
  }
  if (now >= nextUserMs_) {
    nextUserMs_ = now + traffic_.Uniform(10000, 40000);
    if (users_.size() > 3 && (users_.size() > 12 || traffic_.Chance() < 0.5)) {
      const auto at = users_.begin() + traffic_.Uniform(0, static_cast<int>(users_.size()) - 1);
      Broadcast("User " + *at + " has logged out\r\n");
      users_.erase(at);
    } else {
      users_.push_back(traffic_.CallOf(traffic_.Chance() < 0.6 ? "EU" : "NA"));
      Broadcast("User " + users_.back() + " has logged in\r\n");
    }
  }
  // Talk lines and replies go to whoever is logged in under the addressed call.
  std::vector<std::pair<qint64, std::string>> later;
  for (auto& [when, bytes] : pendingReplies_) {
    if (when > now) {
      later.emplace_back(when, bytes);
      continue;
    }
    const std::string to = bytes.substr(0, bytes.find(' '));
    std::vector<QTcpSocket*> sockets;
    for (const auto& [socket, s] : sessions_)
      if (s->stage == Stage::Commands && s->call == to) sockets.push_back(socket);
    for (QTcpSocket* socket : sockets) {
      auto it = sessions_.find(socket);
      if (it != sessions_.end()) Send(it->second.get(), bytes);
    }
  }
  pendingReplies_ = std::move(later);
}

}  // namespace varnak::demo
