#pragma once
// The demo: Varnak on a station folder of its own, connected to the practice node that
// runs beside it as a child program, so that a new user sees spots arrive without a
// cluster, an account or a network. The operator's own station folder is never read
// or written.
#include <QObject>
#include <QProcess>
#include <QString>
#include <filesystem>
#include <string>

namespace varnak {

inline constexpr const char* kDemoCall = "Q1DEMO";
inline constexpr const char* kDemoLocator = "JO65MN";
inline constexpr const char* kDemoNodeCall = "Q9DEMO";
inline constexpr int kDemoClusterNumber = 900;  // its row in "telnet.cfg"
inline constexpr const char* kDemoNodeProgram = "varnak-demo-node";

// $XDG_DATA_HOME/varnak-demo (~/.local/share/varnak-demo).
std::filesystem::path DemoStationFolder();

// The node program: $VARNAK_DEMO_NODE when set, else beside the executable, else on
// the PATH. Empty when there is none.
std::filesystem::path FindDemoNodeProgram(const std::filesystem::path& executableDir);

// Makes the folder a demo station: the shipped defaults, the sample station Q1DEMO at
// JO65MN (unless the operator has set another there), the practice node on this port
// as the selected cluster, connecting by itself, sound off. False with a reason.
bool PrepareDemoFolder(const std::filesystem::path& folder, const std::filesystem::path& dataFolder, int port,
                       std::string* error);

// The running node program. Destroying it stops the program.
class DemoNode : public QObject {
  Q_OBJECT
 public:
  explicit DemoNode(QObject* parent = nullptr);
  ~DemoNode() override;

  // Starts the program and waits until it tells its port (0: let it choose one).
  // False with the program's own reason when it does not come up.
  bool Start(const std::filesystem::path& program, int port, std::string* error);
  int Port() const { return port_; }
  qint64 Pid() const;
  bool Running() const;
  // Stops the program (SIGTERM, then SIGKILL after two seconds); no Died signal.
  void Stop();

 signals:
  // The program ended while it was meant to run.
  void Died(const QString& reason);

 private:
  void KeepLastError();

  QProcess process_;
  QString lastError_;
  int port_ = 0;
  bool stopping_ = false;
};

}  // namespace varnak
