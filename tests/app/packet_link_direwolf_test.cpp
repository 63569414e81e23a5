// The packet link end to end: the station (operator Q1ABC) on one Direwolf, a scripted
// DX Spider-like node Q9NODE as an AGW client of a second Direwolf, joined over AX.25.
#include <gtest/gtest.h>

#include <algorithm>

#include "agw/agw_test_util.h"
#include "app/packet_link_fixture.h"
#include "core/text.h"
#include "support/direwolf_harness.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace varnak {
namespace {

using test::WaitUntil;
using Lines = std::vector<std::string>;

// Direwolf looks for new AGW clients about once a second; a connect takes a few frames.
constexpr int kEngineMs = 5000;
constexpr int kLinkMs = 10000;

const std::string kPrompt = "Q1ABC de Q9NODE  7-Dec-2026 2150Z dxspider >";
const std::string kSpot1 = "DX de Q3AA:     14025.0  Q4BB         cw 599                      2150Z";
const std::string kSpot2 = "DX de Q5CC:      7010.0  Q6DD         up 2 listening              2151Z";

// The far side: an AGW client that registers a callsign and plays a cluster node, or,
// with node = false, a stranger that only connects and listens.
class AxStation {
 public:
  AxStation(const fs::path& logs, std::string call, bool node) : client(logs.string()), call_(std::move(call)) {
    client.OnCallsignRegistration = [this](TAGWInterface*, const std::string&, bool) { registered = true; };
    client.OnConnectionReceived = [this, node](TAGWInterface*, int, const std::string& from, const std::string&,
                                               const std::string&, int) {
      peer = from;
      connected = true;
      if (node) Send("Hello Q1ABC, this is Q9NODE in Testville\r\n" + kPrompt + "\r\n");
    };
    client.OnConnectedData = [this, node](TAGWInterface*, int, int, const std::string&, const std::string&,
                                          const std::string& data, int) {
      received += data;
      if (node) Serve();
    };
    client.OnDisconnectedEvent = [this](auto...) { disconnected = true; };
    client.OnMonitoredUnprotoInformation = [this](TAGWInterface*, int, const std::string& from,
                                                  const std::string& to, const std::string& data, int) {
      monitored.push_back(from + ">" + to + " " + data);
    };
  }
  bool Open(int port) {
    client.OpenEngine("127.0.0.1", std::to_string(port));
    if (!WaitUntil([&] { return client.Connected(); }, kEngineMs)) return false;
    client.RegisterCallsign(call_);
    client.StartMonitoring();
    return WaitUntil([&] { return registered; }, kEngineMs);
  }
  void Send(const std::string& text) { client.SendConnectedData(1, call_, peer, text); }

  TAGWInterface client;
  bool registered = false, connected = false, disconnected = false;
  std::string peer, received;
  Lines commands, monitored;

 private:
  void Serve() {
    std::size_t cr;
    while ((cr = received.find('\r', served_)) != std::string::npos) {
      const std::string line = received.substr(served_, cr - served_);
      served_ = cr + 1;
      commands.push_back(line);
      if (line == "sh/users") {
        Send("Callsigns connected to Q9NODE\r\nQ1ABC     Q2XYZ\r\n" + kPrompt + "\r\n");
      } else if (line == "b") {
        Send("73 de Q9NODE\r\n");
        client.DisconnectStation(1, call_, peer);
      }
    }
  }
  std::string call_;
  std::size_t served_ = 0;
};

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}
bool HasStart(const Lines& lines, const std::string& head) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return StartsWith(l, head); });
}
long Count(const Lines& lines, const std::string& line) { return std::count(lines.begin(), lines.end(), line); }

class PacketLinkDirewolf : public ::testing::Test {
 protected:
  // Starts both engines (with extra configuration lines for both), the node on B and
  // the station on A, and waits for the registrations.
  void Start(const std::vector<std::string>& extra = {}) {
    const std::string error = link_.Start(dir_.path(), extra);
    ASSERT_EQ(error, "") << error;
    node_ = std::make_unique<AxStation>(dir_ / "node-logs", "Q9NODE", true);
    ASSERT_TRUE(node_->Open(link_.b().AgwPort())) << link_.b().Output();
    fs::create_directories(dir_ / "station");
    ps_ = std::make_unique<test::PacketStation>(dir_ / "station", true);
    ps_->station.settings().AGWhost = "127.0.0.1";
    ps_->station.Packet().OpenEngine("127.0.0.1", std::to_string(link_.a().AgwPort()));
    ASSERT_TRUE(WaitUntil([&] { return ps_->view.status == "Successfully registred call Q1ABC"; }, kEngineMs))
        << ps_->view.status;
  }
  // "Connect"; the node's prompt brings "sh/users" from the classifier.
  void ConnectToNode() {
    ps_->station.ConnectAction();
    ASSERT_TRUE(WaitUntil([&] { return ps_->station.NodeConnected && Has(node_->commands, "sh/users"); }, kLinkMs))
        << link_.a().Output() << link_.b().Output();
  }
  Lines Pane() { return ps_->Pane(); }
  bool HasSpot(const std::string& spot) { return HasStart(ps_->Spots(), spot + " | "); }

  test::TempDir dir_;
  test::DirewolfLink link_;
  std::unique_ptr<AxStation> node_;
  std::unique_ptr<test::PacketStation> ps_;
};

TEST_F(PacketLinkDirewolf, OperatorTalksToTheNodeAndStrangersAreTurnedAway) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Station& station = ps_->station;
  EXPECT_TRUE(Has(Pane(), "*** AGW Packet Engine v2005.127 on 127.0.0.1"));
  // The station's "ID" frame, heard by the node's monitor.
  ASSERT_TRUE(WaitUntil([&] { return !node_->monitored.empty(); }, kLinkMs));
  EXPECT_TRUE(StartsWith(node_->monitored[0], "Q1ABC>ID ")) << node_->monitored[0];
  EXPECT_TRUE(Contains(node_->monitored[0], "JO62QM {Varnak 1.0}")) << node_->monitored[0];
  // The station monitors its own transmissions too: the frame's text in the monitor
  // window, and (no node yet) in the cluster pane.
  ASSERT_TRUE(WaitUntil([&] { return Has(ps_->monitor, "JO62QM {Varnak 1.0}"); }, kEngineMs));
  EXPECT_TRUE(Has(Pane(), "JO62QM {Varnak 1.0}"));

  // A stranger gets there first: busy text, then dropped; the station stays free.
  ps_->link().BusyDisconnectMs = 1000;
  AxStation stranger(dir_ / "stranger-logs", "Q7XYZ", false);
  ASSERT_TRUE(stranger.Open(link_.b().AgwPort()));
  stranger.client.ConnectStation(1, "Q7XYZ", "Q1ABC");
  ASSERT_TRUE(WaitUntil([&] { return stranger.disconnected; }, kLinkMs)) << stranger.received;
  EXPECT_EQ(stranger.received, "*** {Varnak 1.0} on Q1ABC busy, please connect to DX-cluster Q9NODE !");
  EXPECT_FALSE(station.NodeConnected);

  ASSERT_NO_FATAL_FAILURE(ConnectToNode());
  EXPECT_TRUE(ps_->view.linkUp);
  EXPECT_EQ(ps_->view.status, "Connected to Q9NODE");
  EXPECT_TRUE(HasStart(Pane(), "*** CONNECTED"));  // the engine's notice
  EXPECT_TRUE(Has(Pane(), "Hello Q1ABC, this is Q9NODE in Testville"));
  // "sh/users" went once, though the answer ends with the prompt again.
  ASSERT_TRUE(WaitUntil([&] { return station.users().Names().size() == 2; }, kLinkMs));
  EXPECT_EQ(station.users().Names(), (Lines{"Q1ABC", "Q2XYZ"}));
  EXPECT_EQ(Count(node_->commands, "sh/users"), 1);

  // Spots with two BEL bytes and CR LF come out as clean spot rows.
  node_->Send(kSpot1 + "\a\a\r\n" + kSpot2 + "\a\a\r\n");
  ASSERT_TRUE(WaitUntil([&] { return HasSpot(kSpot2); }, kLinkMs)) << ps_->Spots().size();
  EXPECT_TRUE(HasSpot(kSpot1));

  station.SendLine("sh/dx 5");
  ASSERT_TRUE(WaitUntil([&] { return Has(node_->commands, "sh/dx 5"); }, kLinkMs));
  EXPECT_TRUE(Contains(node_->received, "sh/dx 5\r"));
  EXPECT_TRUE(Has(Pane(), "sh/dx 5"));  // the echo

  // The keep-alive: a lone CR, not echoed.
  const std::size_t commands = node_->commands.size();
  const std::size_t classified = Pane().size();
  station.keepAlive().SetInterval(std::chrono::milliseconds(200));
  station.keepAlive().Start();
  ASSERT_TRUE(WaitUntil([&] { return node_->commands.size() > commands; }, kLinkMs));
  station.keepAlive().Stop();
  EXPECT_EQ(node_->commands[commands], "");
  EXPECT_EQ(Pane().size(), classified);

  // Frozen: node lines are held, then classified in order.
  station.freeze().StartFreeze();
  node_->Send("To ALL de Q2XYZ: first\r\nTo ALL de Q2XYZ: second\r\n");
  ASSERT_TRUE(WaitUntil([&] { return Contains(station.freeze().HeldNodeLines(), "second"); }, kLinkMs));
  EXPECT_FALSE(Contains(Pane().back(), "To ALL de Q2XYZ"));
  station.freeze().EndFreeze();
  Lines pane = Pane();
  ASSERT_GE(pane.size(), 2u);
  EXPECT_TRUE(EndsWith(pane[pane.size() - 2], "To ALL de Q2XYZ: first")) << pane[pane.size() - 2];
  EXPECT_TRUE(EndsWith(pane.back(), "To ALL de Q2XYZ: second")) << pane.back();

  // Direwolf keeps no heard list; the heard window says so instead of staying empty.
  ASSERT_TRUE(WaitUntil([&] { return Has(ps_->heard, PacketClusterLink::kNoHeardList); }, kEngineMs));

  // "Disconnect": the disconnect request waits until Direwolf has sent the "b" (it drops
  // what is still queued otherwise); the node goes and "Connect" comes back.
  station.DisconnectAction();
  EXPECT_EQ(Pane().back(), "b");
  ASSERT_TRUE(WaitUntil([&] { return !station.NodeConnected; }, kLinkMs));
  EXPECT_TRUE(Has(node_->commands, "b")) << node_->received;
  ASSERT_TRUE(WaitUntil([&] { return node_->disconnected; }, kLinkMs));
  EXPECT_FALSE(ps_->view.linkUp);
  EXPECT_EQ(ps_->view.status, "Disconnected from Q9NODE");
  EXPECT_TRUE(HasStart(Pane(), "*** DISCONNECTED"));
  EXPECT_TRUE(ps_->view.errors.empty()) << ps_->view.errors[0];
}

TEST_F(PacketLinkDirewolf, StrangerDuringANodeSessionIsTurnedAwayAndFilesNoSpot) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(ConnectToNode());
  Station& station = ps_->station;
  ps_->link().BusyDisconnectMs = 1000;
  int strangerFrames = 0;
  auto handler = ps_->link().AGWInterface1.OnConnectedData;
  ps_->link().AGWInterface1.OnConnectedData = [&](TAGWInterface* s, int port, int pid, const std::string& from,
                                                  const std::string& to, const std::string& data, int size) {
    if (from == "Q7XYZ") ++strangerFrames;
    handler(s, port, pid, from, to, data, size);
  };
  const std::string fake = "DX de Q7XYZ:    14074.0  Q8FAKE       ft8 fake                    2152Z";
  AxStation stranger(dir_ / "stranger-logs", "Q7XYZ", false);
  ASSERT_TRUE(stranger.Open(link_.b().AgwPort()));
  stranger.client.ConnectStation(1, "Q7XYZ", "Q1ABC");
  ASSERT_TRUE(WaitUntil([&] { return stranger.connected; }, kLinkMs));
  stranger.Send(fake + "\r\n");
  ASSERT_TRUE(WaitUntil([&] { return strangerFrames > 0 && stranger.disconnected; }, kLinkMs)) << stranger.received;
  EXPECT_EQ(stranger.received, "*** {Varnak 1.0} on Q1ABC busy, please connect to DX-cluster Q9NODE !");
  EXPECT_TRUE(station.NodeConnected);

  // The node's own spot behind it is filed; the stranger's never.
  node_->Send(kSpot1 + "\a\a\r\n");
  ASSERT_TRUE(WaitUntil([&] { return HasSpot(kSpot1); }, kLinkMs));
  EXPECT_FALSE(HasSpot(fake));
  EXPECT_FALSE(HasStart(Pane(), fake));
}

TEST_F(PacketLinkDirewolf, LostEngineClearsTheLinkAndIsReopenedWhenBack) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(ConnectToNode());
  Station& station = ps_->station;
  ps_->link().ReconnectFirstMs = 100;
  ps_->link().ReconnectMaxMs = 400;
  node_->Send("DX de Q3AA:     14025.0  Q4");  // half a line when the engine goes
  ASSERT_TRUE(WaitUntil([&] { return Contains(ps_->link().NodeLineBuffer(), "Q4"); }, kLinkMs));

  link_.a().Stop();
  ASSERT_TRUE(WaitUntil([&] { return !station.EngineConnected; }, kEngineMs));
  EXPECT_FALSE(station.NodeConnected);
  EXPECT_FALSE(ps_->view.linkUp);
  EXPECT_EQ(ps_->link().NodeLineBuffer(), "");
  EXPECT_TRUE(Has(Pane(), PacketClusterLink::kEngineLost));
  // The tries go on while the engine is away, and the status says so.
  ASSERT_TRUE(WaitUntil([&] { return Contains(ps_->view.status, "Error 10061"); }, kEngineMs));
  EXPECT_TRUE(Contains(ps_->view.status, "next try in")) << ps_->view.status;

  // "Connect" without an engine is refused and says why; "Connect" stays.
  station.ConnectAction();
  EXPECT_FALSE(ps_->view.linkUp);
  ASSERT_EQ(ps_->view.infos.size(), 1u);
  EXPECT_TRUE(Contains(ps_->view.infos[0], "No connection to the packet engine")) << ps_->view.infos[0];
  // Closing sends nothing on the link that went with the engine.
  station.DisconnectAction();
  EXPECT_FALSE(ps_->view.linkUp);

  ASSERT_EQ(link_.a().Restart(), "");
  ASSERT_TRUE(WaitUntil([&] { return ps_->view.status == "Successfully registred call Q1ABC"; }, 3 * kEngineMs))
      << ps_->view.status;
  EXPECT_TRUE(station.EngineConnected);
  // Direwolf still makes connections: no "b" went onto a link it no longer had.
  station.ConnectAction();
  ASSERT_TRUE(WaitUntil([&] { return station.NodeConnected && Count(node_->commands, "sh/users") == 2; }, kLinkMs))
      << link_.a().Output();
  EXPECT_FALSE(Has(node_->commands, "b"));
  EXPECT_FALSE(HasStart(Pane(), "DX de Q3AA:     14025.0  Q4"));
}

TEST_F(PacketLinkDirewolf, ClosingWhileConnectedSaysByeBeforeDisconnecting) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(ConnectToNode());
  ps_->station.ShutdownWaitMs = 500;
  ps_->station.Shutdown();
  ASSERT_TRUE(WaitUntil([&] { return node_->disconnected; }, kLinkMs));
  ASSERT_FALSE(node_->commands.empty()) << node_->received;
  EXPECT_EQ(node_->commands.back(), "b");
}

// AX.25 v2.0 with a short PACLEN: the node's lines arrive in many small frames.
TEST_F(PacketLinkDirewolf, LinesSplitAcrossSmallFramesArriveWhole) {
  ASSERT_NO_FATAL_FAILURE(Start({"V20 Q1ABC Q9NODE", "PACLEN 32"}));
  int frames = 0;
  auto handler = ps_->link().AGWInterface1.OnConnectedData;
  ps_->link().AGWInterface1.OnConnectedData = [&](auto... a) {
    ++frames;
    handler(a...);
  };
  ASSERT_NO_FATAL_FAILURE(ConnectToNode());
  frames = 0;
  node_->Send(kSpot1 + "\a\a\r\n" + kSpot2 + "\a\a\r\n");
  ASSERT_TRUE(WaitUntil([&] { return HasSpot(kSpot2); }, kLinkMs));
  EXPECT_TRUE(HasSpot(kSpot1));
  EXPECT_GE(frames, 4);
  const Lines rows = ps_->Spots();
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const std::string& r) { return StartsWith(r, "DX de"); }), 2);
}

}  // namespace
}  // namespace varnak
