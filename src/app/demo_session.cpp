#include "app/demo_session.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <csignal>
#include <cstdlib>
#include <sys/prctl.h>
#include <unistd.h>

#include "app/settings.h"
#include "app/station_folder.h"
#include "core/table_file.h"
#include "core/version.h"

namespace varnak {

namespace fs = std::filesystem;

fs::path DemoStationFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "varnak-demo";
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : ".") / ".local" / "share" / "varnak-demo";
}

fs::path FindDemoNodeProgram(const fs::path& executableDir) {
  std::error_code ec;
  if (const char* forced = std::getenv("VARNAK_DEMO_NODE"); forced && *forced)
    return fs::is_regular_file(forced, ec) && ::access(forced, X_OK) == 0 ? fs::path(forced) : fs::path();
  const fs::path beside = executableDir / kDemoNodeProgram;
  if (fs::is_regular_file(beside, ec) && ::access(beside.c_str(), X_OK) == 0) return beside;
  const QString onPath = QStandardPaths::findExecutable(kDemoNodeProgram);
  return onPath.isEmpty() ? fs::path() : fs::path(onPath.toStdString());
}

bool PrepareDemoFolder(const fs::path& folder, const fs::path& dataFolder, int port, std::string* error) {
  if (!PrepareStationFolder(folder, dataFolder, error)) return false;
  const fs::path ini = folder / "Varnak.ini";
  Settings s = ReadSettingsFile(ini, WorkArea{});
  if (!s.IsSetUp()) {
    s.MyCall = kDemoCall;
    s.MyLocator = kDemoLocator;
  }
  s.ConnectCall = kDemoNodeCall;
  s.Telnet = 1;
  s.TelnetOut = 0;
  s.TelnetDbPos = kDemoClusterNumber;
  s.AutoConnect = true;
  s.Sound = false;
  std::string why;
  if (!WriteSettingsFile(ini, s, ShortVersionText(), &why)) {
    if (error) *error = "Cannot write the demo settings in \"" + folder.string() + "\": " + why;
    return false;
  }
  Table table = ReadTableFile(folder / "telnet.cfg").value_or(Table{});
  if (table.empty()) table.push_back({"No", "Call", "Software", "Location", "Host", "Port"});
  const std::string number = std::to_string(kDemoClusterNumber);
  std::erase_if(table, [&](const TableRow& row) { return !row.empty() && row[0] == number; });
  table.push_back({number, kDemoNodeCall, "Practice node", "This computer (varnak --demo)", "127.0.0.1",
                   std::to_string(port)});
  if (!WriteTableFile(folder / "telnet.cfg", table, &why)) {
    if (error) *error = "Cannot write the demo cluster table in \"" + folder.string() + "\": " + why;
    return false;
  }
  return true;
}

DemoNode::DemoNode(QObject* parent) : QObject(parent) {
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  // Should Varnak itself be killed, the node goes with it.
  process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  connect(&process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
    if (stopping_) return;
    QString why = status == QProcess::CrashExit ? "it ended by a signal" : QString("it ended with exit code %1").arg(code);
    KeepLastError();
    if (!lastError_.isEmpty()) why += " (" + lastError_ + ")";
    emit Died(why);
  });
  connect(&process_, &QProcess::readyReadStandardError, this, &DemoNode::KeepLastError);
}

DemoNode::~DemoNode() { Stop(); }

qint64 DemoNode::Pid() const { return process_.processId(); }

bool DemoNode::Running() const { return process_.state() == QProcess::Running; }

bool DemoNode::Start(const fs::path& program, int port, std::string* error) {
  stopping_ = false;
  process_.start(QString::fromStdString(program.string()), {"--port", QString::number(port)});
  if (!process_.waitForStarted(5000)) {
    if (error) *error = "Cannot start \"" + program.string() + "\": " + process_.errorString().toStdString();
    return false;
  }
  // varnak-demo-node Q9DEMO listening on 127.0.0.1 port 40123
  QByteArray said;
  QDeadlineTimer deadline(10000);
  while (!said.contains('\n') && !deadline.hasExpired() && process_.state() == QProcess::Running) {
    process_.waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 500)));
    said += process_.readAllStandardOutput();
  }
  const int at = said.indexOf(" port ");
  if (at >= 0) port_ = said.mid(at + 6).trimmed().toInt();
  if (port_ > 0) return true;
  stopping_ = true;
  process_.waitForFinished(2000);
  KeepLastError();
  QString reason = lastError_;
  if (reason.isEmpty()) reason = "it did not say which port it listens on";
  if (error) *error = "The practice node did not start: " + reason.toStdString();
  Stop();
  return false;
}

void DemoNode::KeepLastError() {
  const QString text = QString::fromLocal8Bit(process_.readAllStandardError()).trimmed();
  if (text.isEmpty()) return;
  lastError_ = text.section('\n', -1).trimmed();
  lastError_.remove("varnak-demo-node: ");
}

void DemoNode::Stop() {
  stopping_ = true;
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(2000)) {
    process_.kill();
    process_.waitForFinished(2000);
  }
}

}  // namespace varnak
