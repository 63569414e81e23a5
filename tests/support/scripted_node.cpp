#include "support/scripted_node.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <stdexcept>
#include <sys/socket.h>

namespace varnak::test {

ScriptedNode::ScriptedNode(QObject* parent) : QObject(parent), server_(new QTcpServer(this)) {
  if (!server_->listen(QHostAddress::LocalHost, 0)) throw std::runtime_error("scripted node cannot listen");
  connect(server_, &QTcpServer::newConnection, this, &ScriptedNode::OnNewConnection);
}

ScriptedNode::~ScriptedNode() {
  if (client_) client_->abort();
}

quint16 ScriptedNode::port() const { return server_->isListening() ? server_->serverPort() : port_; }

bool ScriptedNode::HasClient() const { return client_ && client_->state() == QAbstractSocket::ConnectedState; }

void ScriptedNode::OnNewConnection() {
  while (QTcpSocket* socket = server_->nextPendingConnection()) {
    if (client_) client_->abort();
    client_ = socket;
    ++accepted_;
    stage_ = Stage::Login;
    lineBuffer_.clear();
    lastWasCr_ = false;
    iac_ = 0;
    connect(socket, &QIODevice::readyRead, this, &ScriptedNode::OnReadyRead);
    connect(socket, &QAbstractSocket::disconnected, this, [this, socket] {
      socket->deleteLater();
      emit ClientGone();
    });
    if (!greeting_.isEmpty()) socket->write(greeting_);
    if (loginPrompt_) {
      socket->write("login: " + promptEnd_);
    } else {
      stage_ = Stage::Commands;  // as if already logged in
      call_ = "Q1ABC";
    }
    emit ClientConnected();
  }
}

void ScriptedNode::Send(const QByteArray& bytes) {
  if (!client_) return;
  client_->write(bytes);
  client_->flush();  // on the wire now, even if the client's thread is busy next
}

void ScriptedNode::Play(const QStringList& lines) {
  QByteArray out;
  for (const QString& line : lines) out += line.toLatin1() + "\r\n";
  Send(out);
}

void ScriptedNode::SendAndClose(const QByteArray& bytes) {
  if (!client_) return;
  client_->write(bytes);
  client_->disconnectFromHost();
}

void ScriptedNode::CloseClient() {
  if (client_) client_->disconnectFromHost();
}

void ScriptedNode::ResetClient() {
  if (!client_) return;
  const linger hard{1, 0};
  ::setsockopt(static_cast<int>(client_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  client_->abort();
}

void ScriptedNode::StopListening() {
  port_ = server_->serverPort();
  server_->close();
}

bool ScriptedNode::ListenAgain() { return server_->listen(QHostAddress::LocalHost, port_); }

QByteArray ScriptedNode::Spot(const QString& deCall, const QString& freq, const QString& dx, const QString& text,
                              const QString& time) {
  // DX de Q1ABC:     14025.0  Q3DEF        test spot                      2153Z<BEL><BEL>
  const QString line = "DX de " + (deCall + ":").leftJustified(7, ' ') + freq.rightJustified(11, ' ') + "  " +
                       dx.leftJustified(12, ' ') + " " + text.leftJustified(30, ' ') + " " + time;
  return line.toLatin1() + "\a\a\r\n";
}

void ScriptedNode::OnReadyRead() {
  auto* socket = qobject_cast<QTcpSocket*>(sender());
  if (!socket) return;
  const QByteArray bytes = socket->readAll();
  received_ += bytes;
  emit BytesReceived();
  if (socket != client_) return;
  // The node takes CR, LF or CR LF as a line end and ignores Telnet commands.
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    // Telnet commands from the client are skipped: IAC x, IAC WILL/DO/WONT/DONT x, IAC SB ... IAC SE.
    if (iac_ == 1) {
      iac_ = (b >= 251 && b <= 254) ? 2 : b == 250 ? 3 : 0;
      continue;
    }
    if (iac_ == 2) {
      iac_ = 0;
      continue;
    }
    if (iac_ == 3) {
      if (b == 255) iac_ = 4;
      continue;
    }
    if (iac_ == 4) {
      iac_ = b == 240 ? 0 : 3;
      continue;
    }
    if (b == 255) {
      iac_ = 1;
      continue;
    }
    const bool lfOfPair = c == '\n' && lastWasCr_;
    lastWasCr_ = c == '\r';
    if (lfOfPair) continue;
    if (c == '\r' || c == '\n') {
      const QByteArray line = lineBuffer_;
      lineBuffer_.clear();
      OnLine(line);
      if (!client_ || client_->state() != QAbstractSocket::ConnectedState) return;
    } else {
      lineBuffer_ += c;
    }
  }
}

QByteArray ScriptedNode::Prompt() const {
  return (call_ + " de " + nodeCall_ + "  7-Dec-2026 2150Z dxspider >").toLatin1() + "\r\n";
}

void ScriptedNode::Welcome() {
  loggedIn_ = call_;
  stage_ = Stage::Commands;
  QByteArray out = ("Hello " + call_ + ", this is " + nodeCall_ + " in Testville").toLatin1() + "\r\n";
  out += "running DXSpider V1.57 build 0\r\n";
  out += "Capabilities: ve7cc rbn\r\n";
  out += ("Cluster: 3 nodes, 4 local / 12 total users  Max users 20  Uptime 3 01:12\r\n");
  out += Prompt();
  Send(out);
  emit LoggedInAs(call_);
}

// DX Spider's aliases and abbreviations of "bye", by the first word.
bool ScriptedNode::IsLeave(const QString& line) {
  const QString word = line.section(' ', 0, 0).toLower();
  static const QStringList forms = {"b", "by", "bye", "ex", "exi", "exit"};
  return word.startsWith('q') || forms.contains(word);
}

void ScriptedNode::OnLine(const QByteArray& raw) {
  const QString line = QString::fromLatin1(raw).trimmed();
  switch (stage_) {
    case Stage::Login:
      if (line.isEmpty()) {
        Send("login: " + promptEnd_);
        return;
      }
      call_ = line.toUpper();
      if (passwords_.count(call_)) {
        stage_ = Stage::Password;
        Send("password: " + promptEnd_);
      } else {
        Welcome();
      }
      return;
    case Stage::Password:
      if (line == passwords_[call_]) {
        Welcome();
      } else {
        Send("sorry\r\n");
        SendAndClose(QByteArray());
      }
      return;
    case Stage::Commands:
      break;
  }
  commands_ << line;
  emit CommandReceived(line);
  QByteArray out;
  auto answer = answers_.find(line);
  if (answer != answers_.end()) {
    out = answer->second;
  } else if (IsLeave(line)) {
    client_->disconnectFromHost();
    return;
  } else if (line == "sh/users") {
    out = ("Callsigns connected to " + nodeCall_).toLatin1() + "\r\n";
    const QStringList calls = {call_, "(Q2XYZ)", "Q3DEF", "Q4GHI", "Q5JKL", "Q6MNO", "Q7PQR"};
    QString row;
    for (int i = 0; i < calls.size(); ++i) {
      row += calls[i].leftJustified(13, ' ');
      if (i % 5 == 4 || i + 1 == calls.size()) {
        out += row.trimmed().toLatin1() + "\r\n";
        row.clear();
      }
    }
  }
  if (!holdAfter_.isEmpty() && line == holdAfter_) {
    promptHeld_ = true;
    Send(out);
    return;
  }
  Send(out + Prompt());
}

void ScriptedNode::ReleasePrompt() {
  if (promptHeld_) Send(Prompt());
  promptHeld_ = false;
}

}  // namespace varnak::test
