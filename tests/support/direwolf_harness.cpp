#include "support/direwolf_harness.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QUdpSocket>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace varnak::test {

namespace {

// Direwolf binds its AGW port on every interface, so the probe does too. Another
// program may still take the port before Direwolf does; Start then tries again.
int FreeTcpPort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::Any, 0)) return 0;
  return probe.serverPort();
}

int FreeUdpPort() {
  QUdpSocket probe;
  if (!probe.bind(QHostAddress::LocalHost, 0)) return 0;
  return probe.localPort();
}

constexpr int kReadyTimeoutMs = 10000;

}  // namespace

Direwolf::Direwolf() = default;

Direwolf::~Direwolf() { Stop(); }

std::string Direwolf::StartHeadless(const fs::path& folder) {
  const int udp = FreeUdpPort();
  if (udp == 0) return "no free UDP port for Direwolf's idle audio input";
  // Input from an idle UDP port and output to ALSA's null device: "null null"
  // would spin the CPU.
  return Start(folder, {"ADEVICE udp:" + std::to_string(udp) + " null", "CHANNEL 0", "MODEM 1200", "FRACK 1",
                        "RETRY 1", "FULLDUP ON"});
}

std::string Direwolf::Start(const fs::path& folder, const std::vector<std::string>& config,
                            const std::string& stdinFifo) {
  if (QStandardPaths::findExecutable("direwolf").isEmpty())
    return "direwolf is not installed (scripts/setup installs the Debian package direwolf)";
  std::string error;
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int port = FreeTcpPort();
    if (port == 0) return "no free TCP port for Direwolf's AGW interface";
    error = StartOnce(folder, config, stdinFifo, port);
    if (error.empty()) return {};
    Stop();
    if (error.find("Bind failed") == std::string::npos) break;
  }
  return error;
}

std::string Direwolf::StartOnce(const fs::path& folder, const std::vector<std::string>& config,
                                const std::string& stdinFifo, int agwPort) {
  const fs::path configFile = folder / "direwolf.conf";
  {
    std::ofstream out(configFile);
    for (const std::string& line : config) out << line << "\n";
    out << "AGWPORT " << agwPort << "\nKISSPORT 0\n";
    if (!out) return "cannot write " + configFile.string();
  }
  output_.clear();
  process_ = std::make_unique<QProcess>();
  process_->setProcessChannelMode(QProcess::MergedChannels);
  process_->setWorkingDirectory(QString::fromStdString(folder.string()));
  if (stdinFifo.empty()) {
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->start("direwolf", {"-t", "0", "-q", "hd", "-c", QString::fromStdString(configFile.string())});
  } else {
    // Read-write, so that opening the FIFO never waits for a writer; exec keeps the
    // process id Direwolf's own.
    process_->start("/bin/sh", {"-c", QString::fromStdString("exec direwolf -t 0 -q hd -c '" + configFile.string() +
                                                             "' 0<>'" + stdinFifo + "'")});
  }
  if (!process_->waitForStarted(5000)) return "cannot start direwolf: " + process_->errorString().toStdString();

  const std::string ready = "Ready to accept AGW client application 0 on port " + std::to_string(agwPort);
  QDeadlineTimer deadline(kReadyTimeoutMs);
  while (output_.find(ready) == std::string::npos) {
    if (output_.find("Bind failed") != std::string::npos) return "Bind failed on port " + std::to_string(agwPort);
    if (process_->state() == QProcess::NotRunning) return "direwolf ended before it was ready:\n" + output_;
    if (deadline.hasExpired()) return "direwolf was not ready within 10 s:\n" + output_;
    process_->waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    output_ += process_->readAll().toStdString();
  }
  agwPort_ = agwPort;
  folder_ = folder;
  config_ = config;
  stdinFifo_ = stdinFifo;
  return {};
}

std::string Direwolf::Restart() {
  Stop();
  // The old listener's port may linger a moment after the process ended.
  std::string error;
  for (int attempt = 0; attempt < 20; ++attempt) {
    error = StartOnce(folder_, config_, stdinFifo_, agwPort_);
    if (error.empty() || error.find("Bind failed") == std::string::npos) break;
    Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  return error;
}

void Direwolf::Stop() {
  if (!process_) return;
  if (process_->state() != QProcess::NotRunning) {
    process_->terminate();  // SIGTERM to its own process id
    if (!process_->waitForFinished(5000)) {
      process_->kill();
      process_->waitForFinished(5000);
    }
  }
  output_ += process_->readAll().toStdString();
  process_.reset();
}

// ---------------------------------------------------------------------------------------

SilenceRelay::SilenceRelay(const fs::path& from, const fs::path& to) {
  // Read-write on both ends: neither open waits for the other side, and the input
  // never reports end-of-file between bursts.
  inFd_ = ::open(from.c_str(), O_RDWR | O_NONBLOCK);
  outFd_ = ::open(to.c_str(), O_RDWR | O_NONBLOCK);
  if (ok()) thread_ = std::thread([this] { Run(); });
}

SilenceRelay::~SilenceRelay() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (inFd_ >= 0) ::close(inFd_);
  if (outFd_ >= 0) ::close(outFd_);
}

void SilenceRelay::Run() {
  // 100 ms of 16-bit mono samples at 48 kHz.
  static const std::vector<char> kSilence(48000 / 10 * 2, 0);
  std::vector<char> buffer(65536);
  std::size_t forwarded = 0;
  bool burst = false;
  auto writeAll = [this](const char* p, std::size_t n) {
    while (n > 0 && !stop_) {
      ssize_t w = ::write(outFd_, p, n);
      if (w > 0) {
        p += w;
        n -= static_cast<std::size_t>(w);
      } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
        return;
      } else {
        pollfd out{outFd_, POLLOUT, 0};
        ::poll(&out, 1, 50);
      }
    }
  };
  while (!stop_) {
    pollfd in{inFd_, POLLIN, 0};
    int ready = ::poll(&in, 1, 20);
    if (ready > 0 && (in.revents & POLLIN)) {
      ssize_t n = ::read(inFd_, buffer.data(), buffer.size());
      if (n > 0) {
        writeAll(buffer.data(), static_cast<std::size_t>(n));
        forwarded += static_cast<std::size_t>(n);
        burst = true;
      }
    } else if (ready == 0 && burst) {
      // The burst is over: keep the samples aligned, then let the carrier drop.
      if (forwarded % 2 != 0) writeAll(kSilence.data(), 1), ++forwarded;
      writeAll(kSilence.data(), kSilence.size());
      forwarded += kSilence.size();
      burst = false;
    }
  }
}

// ---------------------------------------------------------------------------------------

DirewolfLink::~DirewolfLink() { Stop(); }

std::string DirewolfLink::Start(const fs::path& folder, const std::vector<std::string>& extraConfig) {
  for (const char* name : {"a.out", "b.out", "a.in", "b.in"}) {
    if (::mkfifo((folder / name).c_str(), 0600) != 0) return std::string("cannot make FIFO ") + name;
  }
  aToB_ = std::make_unique<SilenceRelay>(folder / "a.out", folder / "b.in");
  bToA_ = std::make_unique<SilenceRelay>(folder / "b.out", folder / "a.in");
  if (!aToB_->ok() || !bToA_->ok()) return "cannot open the FIFOs of the link";
  const fs::path aDir = folder / "a", bDir = folder / "b";
  fs::create_directories(aDir);
  fs::create_directories(bDir);
  auto config = [&extraConfig](const std::string& call) {
    // The audio device name must stay short (29 characters), hence the relative path.
    std::vector<std::string> lines{"ADEVICE stdin file:../" + call.substr(0, 1) + ".out",
                                    "ARATE 48000",
                                    "CHANNEL 0",
                                    "MYCALL " + call.substr(2),
                                    "MODEM 9600",
                                    "FRACK 1",
                                    "RETRY 3",
                                    "FULLDUP ON"};
    lines.insert(lines.end(), extraConfig.begin(), extraConfig.end());
    return lines;
  };
  std::string error = a_.Start(aDir, config("a:N0AAA"), (folder / "a.in").string());
  if (!error.empty()) return "engine A: " + error;
  error = b_.Start(bDir, config("b:N0BBB"), (folder / "b.in").string());
  if (!error.empty()) return "engine B: " + error;
  return {};
}

void DirewolfLink::Stop() {
  a_.Stop();
  b_.Stop();
  aToB_.reset();
  bToA_.reset();
}

}  // namespace varnak::test
