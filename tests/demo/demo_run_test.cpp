// Varnak on the demo folder against the practice node: its own Telnet path logs in,
// files the made-up spots with their lookups, and the demo start explains failures.
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>

#include "app/settings.h"
#include "demo/practice_node.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "telnet/telnet_cluster_link.h"
#include "ui/demo_start.h"
#include "ui/main_window.h"
#include "ui/main_window_demo.h"

using namespace varnak;

namespace {

const demo::CallData& Calls() {
  static demo::CallData data = [] {
    demo::CallData d;
    std::string error;
    if (!demo::LoadCallData("/usr/share/hamradio-files", &d, &error)) ADD_FAILURE() << error;
    return d;
  }();
  return data;
}

struct Program {
  explicit Program(const std::filesystem::path& dir, DemoNode* node = nullptr)
      : cwd(QDir::currentPath()), form((QDir::setCurrent(QString::fromStdString(dir.string())), dir),
                                       std::make_shared<SystemClock>()) {
    form.EditButtonDlg = new TEditButtonDlg(&form);
    form.Callsign = new TCallsign(form.station().ProgramDir(), &form);
    form.station().ShutdownWaitMs = 0;
    form.desktopWidth = [] { return 1024; };
    if (node) form.AttachDemoNode(node);
    form.show();
    form.CreateSecondaryWindows();
  }
  ~Program() { QDir::setCurrent(cwd); }
  QString cwd;
  TForm1 form;
};

std::vector<std::string> SpotRows(TForm1& f, int list) {
  std::vector<std::string> out;
  for (const auto& r : f.station().lists().List(list)->Rows())
    if (r.rfind("DX de ", 0) == 0) out.push_back(r);
  return out;
}

bool HasRow(TForm1& f, int list, const std::string& a, const std::string& b = "") {
  for (const auto& r : SpotRows(f, list))
    if (r.find(a) != std::string::npos && r.find(b) != std::string::npos) return true;
  return false;
}

int PaneLinesEqual(TForm1& f, const std::string& text) {
  int n = 0;
  for (const auto& l : f.station().pane().Lines()) n += l.text == text;
  return n;
}

int PaneLinesStarting(TForm1& f, const std::string& head) {
  int n = 0;
  for (const auto& l : f.station().pane().Lines()) n += l.text.rfind(head, 0) == 0;
  return n;
}

std::string DemoPort(const std::filesystem::path& telnetCfg) {
  for (const auto& row : ReadClusterTable(telnetCfg).rows)
    if (row[0] == std::to_string(kDemoClusterNumber)) return row[5];
  return "";
}

// Runs the demo start and answers the box it raises; gives its text.
QString RefusalOf(const DemoStartRequest& request) {
  QString text;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      text = box->text();
      box->accept();
    }
  });
  closer.start(20);
  std::filesystem::path folder;
  EXPECT_EQ(StartDemo(request, &folder), nullptr);
  return text;
}

}  // namespace

TEST(DemoRun, VarnakLogsInFilesSpotsWithLookupsAndEchoesItsOwnSpot) {
  demo::NodeOptions options;
  options.rate = 20;
  options.extras = false;
  demo::PracticeNode node(Calls(), options);
  std::string error;
  ASSERT_TRUE(node.Listen(&error)) << error;
  test::TempDir dir;
  ASSERT_TRUE(PrepareDemoFolder(dir.path(), VARNAK_DATA_DIR, node.Port(), &error)) << error;

  Program p(dir.path());
  TForm1& f = p.form;
  WAIT_TRUE(node.LoggedInCount() == 1, 10000);
  WAIT_TRUE(f.station().users().Names().size() > 3, 10000);
  WAIT_TRUE(SpotRows(f, 0).size() >= 20, 20000);
  int placed = 0;
  const SpotListModel& all = *f.station().lists().All();
  for (int row = 0; row < all.Size(); ++row) {
    if (all.Row(row).rfind("DX de ", 0) != 0) continue;
    f.station().PickSpot(kAllList, row);
    const dxrec& r = f.station().CurrentSpot;
    placed += !r.EntityName.empty() && !r.DistanceText.empty() && !r.BearingText.empty() && !r.BandText.empty();
  }
  EXPECT_GE(placed, static_cast<int>(SpotRows(f, 0).size()) * 9 / 10);

  f.DxCallEdit->setText("Q3DEF");
  f.DxQrgEdit->setText("14025.0");
  f.DxInfoEdit->setText("up 2");
  f.Button5Click();
  WAIT_TRUE(HasRow(f, ListIndexOfBand("20"), "DX de Q1DEMO:    14025.0  Q3DEF        up 2"), 10000);
  // The users were asked for once, at the first prompt, not at every prompt since.
  EXPECT_EQ(PaneLinesEqual(f, "sh/users"), 1);
}

// The node writes its listing with one blank between frequency and call, as DX Spider
// does. The listed call comes back whole, so the listing of a spot already received live
// is known for the same spot and not filed again (a call cut short would be a new spot).
TEST(DemoRun, ShowDxListingOfALiveSpotGivesTheSameCallAndNoSecondRow) {
  demo::NodeOptions options;
  options.rate = 0.001;
  options.burst = 0;
  options.extras = false;
  demo::PracticeNode node(Calls(), options);
  std::string error;
  ASSERT_TRUE(node.Listen(&error)) << error;
  test::TempDir dir;
  ASSERT_TRUE(PrepareDemoFolder(dir.path(), VARNAK_DATA_DIR, node.Port(), &error)) << error;
  Program p(dir.path());
  TForm1& f = p.form;
  WAIT_TRUE(node.LoggedInCount() == 1, 10000);
  const auto prompts = [&] { return PaneLinesStarting(f, "Q1DEMO de Q9DEMO "); };
  WAIT_TRUE(prompts() > 0, 10000);
  int before = prompts();
  f.station().SendLine("dx 14025.0 Q3DEF listed");
  WAIT_TRUE(HasRow(f, ListIndexOfBand("20"), "Q3DEF") && prompts() > before, 10000);
  before = prompts();
  f.station().SendLine("sh/dx Q3DEF");
  WAIT_TRUE(prompts() > before, 10000);  // the listing is in
  int rows = 0, cut = 0;
  for (const auto& r : SpotRows(f, ListIndexOfBand("20"))) {
    rows += r.find("  Q3DEF ") != std::string::npos;
    cut += r.find(" 3DEF ") != std::string::npos;
  }
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(cut, 0);
}

TEST(DemoRun, StartsTheNodeProgramOnItsOwnFolderAndReportsItsEnd) {
  test::TempDir xdg;
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(xdg.path().string()));
  std::filesystem::path folder;
  auto node = StartDemo({std::nullopt, VARNAK_BINARY_DIR, VARNAK_DATA_DIR, 0}, &folder);
  qunsetenv("XDG_DATA_HOME");
  ASSERT_TRUE(node);
  EXPECT_EQ(folder, xdg.path() / "varnak-demo");
  EXPECT_FALSE(std::filesystem::exists(xdg.path() / "varnak")) << "the operator's own folder is not touched";
  const Settings s = ReadSettingsFile(folder / "Varnak.ini", WorkArea{});
  EXPECT_EQ(s.MyCall, "Q1DEMO");
  EXPECT_EQ(s.MyLocator, "JO65MN");
  EXPECT_FALSE(s.Sound);

  Program p(folder, node.get());
  TForm1& f = p.form;
  WAIT_TRUE(f.StatLabel->text() == "Demo: Connected to 127.0.0.1", 10000);
  EXPECT_TRUE(f.windowTitle().endsWith(QString(" - Telnet - 127.0.0.1") + kDemoCaptionTail))
      << f.windowTitle().toStdString();
  WAIT_TRUE(f.station().users().Names().size() > 3, 10000);  // logged in
  ::kill(static_cast<pid_t>(node->Pid()), SIGKILL);
  WAIT_TRUE(PaneLinesStarting(f, "*** The practice node has stopped: it ended by a signal") == 1, 10000);
  EXPECT_EQ(f.StatLabel->text().left(6), "Demo: ");
  EXPECT_FALSE(f.station().Control().Reconnecting());  // it does not come back by itself
}

TEST(DemoRun, StartExplainsWhyItCannotStart) {
  test::TempDir dir;
  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
  EXPECT_TRUE(RefusalOf({dir.path().string(), VARNAK_BINARY_DIR, VARNAK_DATA_DIR, taken.serverPort()})
                  .contains("is already in use by another program"));

  qputenv("VARNAK_DEMO_NODE", "/nonexistent/varnak-demo-node");
  EXPECT_TRUE(RefusalOf({dir.path().string(), VARNAK_BINARY_DIR, VARNAK_DATA_DIR, 0})
                  .contains("the practice node program \"varnak-demo-node\" is missing"));
  qunsetenv("VARNAK_DEMO_NODE");

  dir.Write("file", "x");
  EXPECT_TRUE(RefusalOf({(dir / "file" / "demo").string(), VARNAK_BINARY_DIR, VARNAK_DATA_DIR, 0})
                  .contains("cannot be created or written"));
}

TEST(DemoRun, SigtermClosesVarnakAndStopsItsNode) {
  test::TempDir xdg;
  QProcess varnak;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_DATA_HOME", QString::fromStdString(xdg.path().string()));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  varnak.setProcessEnvironment(env);
  varnak.start(VARNAK_BINARY_DIR "/varnak", {"--demo"});
  ASSERT_TRUE(varnak.waitForStarted(5000));
  // The node is the child of Varnak named after its program.
  auto nodePid = [&]() -> long {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      std::ifstream stat(entry.path() / "stat");
      std::string pid, comm, state;
      long ppid = 0;
      if (stat >> pid >> comm >> state >> ppid && ppid == varnak.processId() && comm == "(varnak-demo-nod)")
        return std::stol(pid);
    }
    return 0;
  };
  long pid = 0;
  WAIT_TRUE((pid = nodePid()) != 0, 20000);
  // Varnak is up once the node lists it among its users.
  std::string port;
  WAIT_TRUE(!(port = DemoPort(xdg.path() / "varnak-demo" / "telnet.cfg")).empty(), 20000);
  QTcpSocket probe;
  probe.connectToHost("127.0.0.1", static_cast<quint16>(std::stoi(port)));
  ASSERT_TRUE(probe.waitForConnected(5000));
  probe.write("Q2LOOK\r\n");
  QByteArray seen;
  WAIT_TRUE((seen += probe.readAll()).contains("Q2LOOK de Q9DEMO"), 10000);
  for (int i = 0; i < 30 && !seen.contains("Q1DEMO"); ++i) {
    probe.write("sh/users\r\n");
    if (QTest::qWaitFor([&] { return (seen += probe.readAll()).contains("Q1DEMO"); }, 1000)) break;
  }
  ASSERT_TRUE(seen.contains("Q1DEMO"));
  probe.abort();
  varnak.terminate();
  ASSERT_TRUE(varnak.waitForFinished(30000));
  EXPECT_EQ(varnak.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(varnak.exitCode(), 0) << varnak.readAllStandardError().toStdString();
  WAIT_TRUE(!std::filesystem::exists("/proc/" + std::to_string(pid)), 10000);
}
