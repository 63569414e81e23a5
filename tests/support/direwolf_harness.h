#pragma once
// Direwolf as a real packet engine for tests: headless (no sound card), on free
// ports, in a folder of the test's own, stopped by its process id at the end.
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QProcess;

namespace varnak::test {

class Direwolf {
 public:
  Direwolf();
  ~Direwolf();
  Direwolf(const Direwolf&) = delete;
  Direwolf& operator=(const Direwolf&) = delete;

  // Starts a lone engine whose audio goes nowhere: enough for version, port list,
  // registration, monitoring and connects that time out. Returns "" or what failed.
  std::string StartHeadless(const std::filesystem::path& folder);
  // Starts an engine with these config lines (AGWPORT and KISSPORT are added),
  // running in folder, with stdin opened read-write on stdinFifo when given.
  std::string Start(const std::filesystem::path& folder, const std::vector<std::string>& config,
                    const std::string& stdinFifo = {});
  void Stop();
  // Starts the stopped engine again as before, on the same AGW port.
  std::string Restart();

  int AgwPort() const { return agwPort_; }
  // Everything the engine printed so far, for failure messages.
  std::string Output() const { return output_; }

 private:
  std::string StartOnce(const std::filesystem::path& folder, const std::vector<std::string>& config,
                        const std::string& stdinFifo, int agwPort);
  std::unique_ptr<QProcess> process_;
  int agwPort_ = 0;
  std::string output_;
  std::filesystem::path folder_;
  std::vector<std::string> config_;
  std::string stdinFifo_;
};

// Copies the audio of one engine's output FIFO to the other's input FIFO and adds
// 100 ms of silence after each burst: without it the receiver's carrier detect
// stays busy after the last frame and its retry timer freezes.
class SilenceRelay {
 public:
  SilenceRelay(const std::filesystem::path& from, const std::filesystem::path& to);
  ~SilenceRelay();
  SilenceRelay(const SilenceRelay&) = delete;
  SilenceRelay& operator=(const SilenceRelay&) = delete;
  bool ok() const { return inFd_ >= 0 && outFd_ >= 0; }

 private:
  void Run();
  int inFd_ = -1;
  int outFd_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Two engines joined by an AX.25 link over FIFOs at 9600 baud: a client of one can
// connect to a callsign registered by a client of the other.
class DirewolfLink {
 public:
  DirewolfLink() = default;
  ~DirewolfLink();
  // Returns "" or what failed. extraConfig goes into both engines' configuration.
  std::string Start(const std::filesystem::path& folder, const std::vector<std::string>& extraConfig = {});
  void Stop();
  Direwolf& a() { return a_; }
  Direwolf& b() { return b_; }

 private:
  std::unique_ptr<SilenceRelay> aToB_, bToA_;
  Direwolf a_, b_;
};

}  // namespace varnak::test
