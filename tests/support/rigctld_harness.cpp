#include "support/rigctld_harness.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace varnak::test {

namespace {
int FreeLoopbackPort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}
}  // namespace

int ClosedPort() { return FreeLoopbackPort(); }

Rigctld::Rigctld() = default;
Rigctld::~Rigctld() { Stop(); }

std::string Rigctld::Start(int port) {
  if (QStandardPaths::findExecutable("rigctld").isEmpty())
    return "rigctld is not installed (scripts/setup installs the Debian package libhamlib-utils)";
  std::string error;
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = port > 0 ? port : FreeLoopbackPort();
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->start("rigctld", {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port_)});
    if (!process_->waitForStarted(5000)) return "cannot start rigctld: " + process_->errorString().toStdString();
    // Ready once it accepts a connection; it stops at once when the port was taken.
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && process_->state() == QProcess::Running) {
      QTcpSocket probe;
      probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
      if (probe.waitForConnected(200)) return {};
      QThread::msleep(20);
    }
    error = "rigctld did not accept connections on port " + std::to_string(port_) + ":\n" +
            process_->readAll().toStdString();
    Stop();
    if (port > 0) break;  // that port it must be
  }
  return error;
}

void Rigctld::Stop() {
  if (!process_) return;
  if (process_->state() != QProcess::NotRunning) {
    process_->terminate();
    if (!process_->waitForFinished(5000)) {
      process_->kill();
      process_->waitForFinished(5000);
    }
  }
  process_.reset();
}

void Rigctld::Kill() {
  if (!process_) return;
  process_->kill();
  process_->waitForFinished(5000);
  process_.reset();
}

std::string Rigctld::Ask(const QStringList& command) const {
  QProcess rigctl;
  rigctl.setProcessChannelMode(QProcess::MergedChannels);
  rigctl.start("rigctl", QStringList{"-m", "2", "-r", QString("127.0.0.1:%1").arg(port_)} + command);
  if (!rigctl.waitForFinished(5000) || rigctl.exitCode() != 0)
    return "ERROR: " + rigctl.readAll().toStdString() + rigctl.errorString().toStdString();
  return rigctl.readAll().trimmed().toStdString();
}

FakeRigctld::FakeRigctld(Script script, QObject* parent)
    : QObject(parent), server_(new QTcpServer(this)), script_(std::move(script)) {
  server_->listen(QHostAddress::LocalHost, 0);
  connect(server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* client = server_->nextPendingConnection()) {
      connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
      connect(client, &QTcpSocket::readyRead, this, [this, client] {
        while (client->canReadLine()) {
          QByteArray line = client->readLine().trimmed();
          requests_ << line;
          Reply reply = script_(line);
          client->write(reply.bytes);
          if (reply.close) {
            client->disconnectFromHost();
            return;
          }
        }
      });
    }
  });
}

FakeRigctld::~FakeRigctld() = default;

int FakeRigctld::Port() const { return server_->serverPort(); }

FakeRigctld::Reply FakeRigctld::Normal(const QByteArray& request) {
  if (request == "+\\dump_caps") return {"dump_caps:\nCaps dump for model: 1\nModel name:\tDummy\nRPRT 0\n"};
  if (request == "+f") return {"get_freq:\nFrequency: 14025500\nRPRT 0\n"};
  if (request == "+m") return {"get_mode:\nMode: CW\nPassband: 500\nRPRT 0\n"};
  return {"set:\nRPRT 0\n"};
}

}  // namespace varnak::test
