// The packet link's handlers, driven directly with the events a packet engine would
// raise; the requests it makes go to a stand-in engine on a loopback socket and are
// read back as frames.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "agw/agw_test_util.h"
#include "app/login_commands.h"
#include "app/packet_link_fixture.h"
#include "core/text.h"
#include "support/temp_dir.h"

namespace varnak {
namespace {

using test::PacketStation;
using test::WaitUntil;
using Lines = std::vector<std::string>;

struct Sent {
  char kind;
  int port;
  std::string from, to, data;
};

class PacketLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ps_ = std::make_unique<PacketStation>(dir_.path());
    // The connect itself asks for registration, version and ports; tests that look at
    // later requests start after those.
    station().Packet().OpenEngine("127.0.0.1", std::to_string(engine_.port()));
    ASSERT_TRUE(engine_.WaitForClient());
    ASSERT_TRUE(WaitUntil([&] { return station().EngineConnected; }));
    ASSERT_TRUE(WaitFor(3));
  }

  Station& station() { return ps_->station; }
  PacketClusterLink& link() { return ps_->link(); }
  test::RecordingView& view() { return ps_->view; }
  Lines& lines() { return ps_->lines; }

  // Waits until the engine has received n frames in all.
  bool WaitFor(std::size_t n) {
    return WaitUntil([&] {
      engine_.WaitForBytes(0, 0);
      return Frames().size() >= n;
    });
  }
  std::vector<Sent> Frames() {
    std::vector<Sent> out;
    const std::string& r = engine_.received();
    std::size_t at = 0;
    while (r.size() - at >= kAGWHeaderSize) {
      TAGWFrameHeader h = DecodeHeader(r.data() + at);
      if (r.size() - at - kAGWHeaderSize < h.DataSize) break;
      // The client follows each data frame with a question for the outstanding frames.
      if (h.DataKind != 'Y') out.push_back({h.DataKind, EventPort(h.Port), ReadCallField(h.FromCall), ReadCallField(h.ToCall),
                     r.substr(at + kAGWHeaderSize, h.DataSize)});
      at += kAGWHeaderSize + h.DataSize;
    }
    return out;
  }
  std::string Kinds(std::size_t from = 0) {
    std::string k;
    auto f = Frames();
    for (std::size_t i = from; i < f.size(); ++i) k += f[i].kind;
    return k;
  }
  // Everything received since the last call settles: a short quiet period on the socket.
  void Settle() { QTest::qWait(50); engine_.WaitForBytes(0, 0); }

  void Data(const std::string& data, const std::string& from = "Q9NODE") {
    link().AGWInterface1ConnectedData(&link().AGWInterface1, 1, 0xF0, from, "Q1ABC", data,
                                      static_cast<int>(data.size()));
  }
  void ConnectNode() {
    link().AGWInterface1ConnectionReceived(&link().AGWInterface1, 1, "Q9NODE", "Q1ABC",
                                           "*** CONNECTED With Station Q9NODE\r", 34);
  }

  test::TempDir dir_;
  test::FakeEngine engine_;
  std::unique_ptr<PacketStation> ps_;
};

TEST_F(PacketLinkTest, EngineConnectRegistersThenRegistrationSendsIdAndConnects) {
  auto f = Frames();
  ASSERT_EQ(Kinds(), "XRG");
  EXPECT_EQ(f[0].from, "Q1ABC");
  EXPECT_EQ(view().status, "Connected to AGWpe");

  station().settings().AutoConnect = true;
  // A refused registration (the call is already ours) goes the same way.
  link().AGWInterface1CallsignRegistration(&link().AGWInterface1, "Q1ABC", false);
  EXPECT_EQ(view().status, "Trying Q9NODE ...");
  ASSERT_TRUE(WaitFor(6));
  f = Frames();
  EXPECT_EQ(Kinds(3), "mMC");
  EXPECT_EQ(f[4].from, "Q1ABC");
  EXPECT_EQ(f[4].to, "ID");
  EXPECT_EQ(f[4].data, "JO62QM {Varnak 1.0}");
  EXPECT_EQ(f[5].port, 1);
  EXPECT_EQ(f[5].from + ">" + f[5].to, "Q1ABC>Q9NODE");
  EXPECT_TRUE(view().linkUp);
  EXPECT_FALSE(station().NodeConnected);

  link().AGWInterface1AGWDisconnect(&link().AGWInterface1);
  EXPECT_EQ(view().status, "Disconnected");
  EXPECT_FALSE(station().EngineConnected);
}

TEST_F(PacketLinkTest, ErrorsAndVersionReachStatusAndPane) {
  // An error of the running connection ends it: the pane keeps the reason.
  link().AGWInterface1Error(&link().AGWInterface1, 10054, "Receive Error");
  EXPECT_EQ(view().status, "Error 10054: Receive Error");
  link().AGWInterface1Error(&link().AGWInterface1, 10061, "Connect Error");
  EXPECT_EQ(view().status, "Error 10061: Connect Error");
  link().AGWInterface1VersionInfo(&link().AGWInterface1, TAGWVersionData{2005, 127});
  EXPECT_EQ(lines(), (Lines{"*** Packet engine Error 10054: Receive Error", "*** No connection to AGW host!",
                            "*** AGW Packet Engine v2005.127 on localhost"}));
}

TEST_F(PacketLinkTest, PortListBannersUntilMheardAndHeardEntriesGroupedByPort) {
  const std::vector<std::string> ports{"Port1 9600 baud", "Port2 1200 baud"};
  link().AGWInterface1PortInformation(&link().AGWInterface1, 2, ports);
  EXPECT_EQ(lines(), (Lines{"*** Port1 9600 baud", "*** Port2 1200 baud"}));
  ASSERT_TRUE(WaitFor(5));
  auto f = Frames();
  EXPECT_EQ(Kinds(3), "HH");
  EXPECT_EQ(f[3].port, 1);
  EXPECT_EQ(f[4].port, 2);

  auto heard = [&](int port, const std::string& info) {
    link().AGWInterface1StationsHeard(&link().AGWInterface1, port, "Q2X", info);
  };
  heard(1, "Q2AAA 21:40");
  heard(1, "Q2BBB 21:41");
  heard(2, "Q2CCC 21:42");
  heard(7, "Q2DDD 21:43");  // a port the list did not name
  EXPECT_EQ(ps_->heard, (Lines{"Port1 9600 baud", "    Q2AAA 21:40", "    Q2BBB 21:41", "Port2 1200 baud",
                               "    Q2CCC 21:42", "Port 7", "    Q2DDD 21:43"}));

  link().MheardButtonClick();
  ASSERT_TRUE(WaitFor(6));
  EXPECT_EQ(Frames()[5].kind, 'G');
  lines().clear();
  link().AGWInterface1PortInformation(&link().AGWInterface1, 2, ports);
  EXPECT_TRUE(lines().empty());
  EXPECT_TRUE(ps_->heard.empty());
  heard(2, "Q2CCC 21:42");
  EXPECT_EQ(ps_->heard, (Lines{"Port2 1200 baud", "    Q2CCC 21:42"}));
}

TEST_F(PacketLinkTest, NodeDataIsCutIntoWholeTrimmedLines) {
  ConnectNode();
  lines().clear();
  Data("DX de Q3AA:     14025.0  Q4BB         cw\nDX de Q5");
  EXPECT_TRUE(lines().empty());
  Data("CC:     7010.0  Q6DD         \r\n");
  EXPECT_EQ(lines(), (Lines{"DX de Q3AA:     14025.0  Q4BB         cw", "DX de Q5CC:     7010.0  Q6DD"}));

  lines().clear();
  Data("one\r\n\r\n   two\r\n");
  Data("three\rfour\r");  // CR only
  Data("five\nsix\n");    // LF only
  EXPECT_EQ(lines(), (Lines{"one", "two", "three", "four", "five", "six"}));

  lines().clear();
  Data(" login: ");
  EXPECT_EQ(lines(), Lines{"login:"});
  Data("");
  EXPECT_EQ(lines().size(), 1u);
  EXPECT_EQ(link().NodeLineBuffer(), "");

  // After the login a user's "login:" or "password:" is no prompt: the line stays whole.
  lines().clear();
  Data("Q1ABC de Q9NODE  7-Dec-2026 2150Z dxspider >\r");
  Data("To LOCAL de Q2XYZ: my login: is ");
  Data("Q2XYZ, password: none\r");
  EXPECT_EQ(lines(), (Lines{"Q1ABC de Q9NODE  7-Dec-2026 2150Z dxspider >",
                            "To LOCAL de Q2XYZ: my login: is Q2XYZ, password: none"}));

  lines().clear();
  Data(std::string("ab\0cd\r", 6));
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(lines()[0], std::string("ab\0cd", 5));
}

TEST_F(PacketLinkTest, LongLinesWaitAndEndlessOnesAreCutInPieces) {
  ConnectNode();
  lines().clear();
  const std::string tenK(10 * 1024, 'x');
  Data(tenK);
  EXPECT_TRUE(lines().empty());
  Data("\r");
  EXPECT_EQ(lines(), Lines{tenK});

  lines().clear();
  for (int i = 0; i < 7; ++i) Data(tenK);  // 70 KiB without a line end
  ASSERT_EQ(lines().size(), 2u);
  EXPECT_EQ(lines()[0].size(), PacketClusterLink::kMaxNodeLine);
  EXPECT_EQ(lines()[1].size(), 70 * 1024 - PacketClusterLink::kMaxNodeLine);
  EXPECT_EQ(link().NodeLineBuffer(), "");
}

TEST_F(PacketLinkTest, StrangersHearBusyOnceAreDroppedLaterAndPutNoLineIn) {
  link().BusyDisconnectMs = 300;
  auto connect = [&](const std::string& call) {
    link().AGWInterface1ConnectionReceived(&link().AGWInterface1, 1, call, "Q1ABC",
                                           "*** CONNECTED With Station " + call + "\r", 33);
  };
  connect("Q7XYZ");
  Data("DX de Q7XYZ:    14074.0  Q8FAKE       ft8\r", "Q7XYZ");
  EXPECT_FALSE(station().NodeConnected);
  EXPECT_EQ(lines(), Lines{"*** CONNECTED With Station Q7XYZ"});
  ASSERT_TRUE(WaitFor(4));
  auto f = Frames();
  EXPECT_EQ(f[3].kind, 'D');
  EXPECT_EQ(f[3].from + ">" + f[3].to, "Q1ABC>Q7XYZ");
  EXPECT_EQ(f[3].data, "*** {Varnak 1.0} on Q1ABC busy, please connect to DX-cluster Q9NODE !");

  // The node answers while the stranger's disconnect is still pending; strangers that
  // come or talk now are turned away all the same.
  ConnectNode();
  EXPECT_TRUE(station().NodeConnected);
  Data("DX de Q7XYZ:    14074.0  Q8FAKE       ft8\r", "Q7XYZ");
  connect("Q8ABC");
  Data("DX de Q8ABC:    14074.0  Q8FAKE       ft8\r", "Q8ABC");
  EXPECT_EQ(link().NodeLineBuffer(), "");
  EXPECT_EQ(lines().back(), "*** CONNECTED With Station Q8ABC");
  ASSERT_TRUE(WaitFor(5));
  EXPECT_EQ(Frames()[4].to, "Q8ABC");
  // Q8ABC leaves by himself: no disconnect request for a link that is gone.
  link().AGWInterface1DisconnectedEvent(&link().AGWInterface1, 1, "Q8ABC", "Q1ABC", "*** DISCONNECTED\r", 17);
  ASSERT_TRUE(WaitFor(6));
  Settle();
  QTest::qWait(400);
  Settle();
  f = Frames();
  ASSERT_EQ(f.size(), 6u);
  EXPECT_EQ(f[5].kind, 'd');
  EXPECT_EQ(f[5].from + ">" + f[5].to, "Q1ABC>Q7XYZ");
  EXPECT_EQ(link().StrangersWaiting(), 0u);
  EXPECT_TRUE(station().NodeConnected);
}

TEST_F(PacketLinkTest, DisconnectWaitsUntilTheEngineHasSentTheBye) {
  ConnectNode();
  station().DisconnectAction();
  ASSERT_TRUE(WaitFor(4));
  Settle();
  EXPECT_EQ(Frames()[3].data, "b\r");
  auto outstanding = [&](int n) {
    const char count[4] = {static_cast<char>(n), 0, 0, 0};
    engine_.Send(test::Frame('Y', 0, "Q1ABC", "Q9NODE", std::string(count, 4)));
    Settle();
  };
  outstanding(1);
  EXPECT_EQ(Kinds(3), "D");
  outstanding(0);
  ASSERT_TRUE(WaitFor(5));
  EXPECT_EQ(Kinds(3), "Dd");
  EXPECT_FALSE(link().DisconnectPending());
}

TEST_F(PacketLinkTest, OversizedFrameIsReportedAndTheLostEngineIsReopened) {
  link().ReconnectFirstMs = 50;
  ConnectNode();
  Data("half a li");
  lines().clear();
  std::string header = test::Frame('D', 0, "Q9NODE", "Q1ABC", "");
  header[30] = 0x10;  // DataSize 1 MiB
  engine_.Send(header);
  ASSERT_TRUE(WaitUntil([&] { return !station().EngineConnected; }));
  EXPECT_EQ(lines(), (Lines{"*** Packet engine Error 1002: Oversized frame received", PacketClusterLink::kEngineLost}));
  EXPECT_FALSE(station().NodeConnected);
  EXPECT_FALSE(view().linkUp);
  EXPECT_EQ(link().NodeLineBuffer(), "");
  EXPECT_EQ(view().status, "Packet engine connection lost - next try in 1 s");
  ASSERT_TRUE(WaitUntil([&] { return station().EngineConnected; }));  // the stand-in still listens
  EXPECT_FALSE(link().Reconnecting());

  TMessageLogger& logger = link().AGWInterface1.Logger();
  ASSERT_TRUE(logger.WaitIdle(5000));
  std::ifstream in(logger.PhysicalLogFileName());
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(Contains(log, "Oversized frame received")) << log;
}

TEST_F(PacketLinkTest, HandlerAndLogWriterFailuresReachThePaneOncePerKind) {
  link().AGWInterface1.OnVersionInfo = [](TAGWInterface*, const TAGWVersionData&) {
    throw std::runtime_error("no room");
  };
  const std::string version = test::Frame('R', 0, "", "", std::string(8, '\0'));
  engine_.Send(version + version);
  ASSERT_TRUE(WaitUntil([&] { return !lines().empty() && link().AGWInterface1.PendingFrames() == 0; }));
  Settle();
  EXPECT_EQ(lines(), Lines{"*** Packet engine frame \"R\" could not be handled: no room"});

  // A folder that cannot be made: a file stands in its way.
  std::ofstream(dir_ / "blocker") << "x";
  link().AGWInterface1.LogSettings().SetLogFilePath((dir_ / "blocker" / "logs").string());
  link().AGWInterface1.Logger().Log("one");
  ASSERT_TRUE(WaitUntil([&] { return lines().size() == 2; }));
  EXPECT_TRUE(StartsWith(lines()[1], "*** The packet engine log is no longer written: ")) << lines()[1];
}

TEST_F(PacketLinkTest, SendLineWithoutTheNodeSendsNothingAndSaysSo) {
  link().DisconnectWaitMs = 200;  // the stand-in never says the "b" is out
  station().SendLine("sh/dx");
  ASSERT_EQ(view().errors.size(), 1u);
  EXPECT_NE(view().errors[0].find("Q9NODE"), std::string::npos) << view().errors[0];
  const auto echoed = [&](const std::string& line) {
    auto pane = ps_->Pane();
    return std::count(pane.begin(), pane.end(), line);
  };
  EXPECT_EQ(echoed("sh/dx"), 0);

  // Disconnect during a pending connect: no "b", but the disconnect request.
  station().DisconnectAction();
  EXPECT_EQ(view().status, "Sending disconnect request ...");
  EXPECT_EQ(view().errors.size(), 1u);
  ASSERT_TRUE(WaitFor(4));
  Settle();
  EXPECT_EQ(Kinds(3), "d");

  ConnectNode();
  lines().clear();
  station().SendLine("sh/dx");
  station().keepAlive().Tick();
  station().DisconnectAction();
  ASSERT_TRUE(WaitFor(8));
  auto f = Frames();
  EXPECT_EQ(Kinds(4), "DDDd");
  EXPECT_EQ(f[4].data, "sh/dx\r");
  EXPECT_EQ(f[4].from + ">" + f[4].to, "Q1ABC>Q9NODE");
  EXPECT_EQ(f[5].data, "\r");
  EXPECT_EQ(f[6].data, "b\r");
  EXPECT_EQ(f[7].from + ">" + f[7].to, "Q1ABC>Q9NODE");
  EXPECT_EQ(echoed("sh/dx"), 1);
  EXPECT_EQ(ps_->Pane().back(), "b");  // the keep-alive is not echoed
  EXPECT_EQ(view().errors.size(), 1u);
}

TEST_F(PacketLinkTest, MonitoredFramesBecomeMonitorLinesClassifiedOnlyWithoutTheNode) {
  // Direwolf's monitor text: a header line, the information, CR CR and a closing NUL;
  // an XID frame's bytes are no text.
  const std::string text = std::string(" 1:Fm Q2AAA To ID <UI pid=F0 Len=6 >[21:40:00]\rJO") + "\x82\x80" +
                           std::string("QM\x01\r\n\r\0", 7);
  link().AGWInterface1MonitoredUnprotoInformation(&link().AGWInterface1, 1, "Q2AAA", "ID", text,
                                                  static_cast<int>(text.size()));
  EXPECT_EQ(ps_->monitor, (Lines{"1:Fm Q2AAA To ID <UI pid=F0 Len=6 >[21:40:00]", "JO\x82\x80QM"}));
  auto pane = ps_->Pane();
  EXPECT_EQ(Lines(pane.end() - 2, pane.end()), ps_->monitor);
  // Only the monitor window shows control bytes as "."; the spot keeps its letters and
  // loses DX Spider's BELs like a spot from the node.
  const std::string spot = "DX de Q2AAA:     14025.0  Q3BBB        caf\xe9 up 2                    2215Z";
  const std::string frame = " 1:Fm Q2AAA To Q1ZZZ <I R0 S0 pid=F0>\r" + spot + "\a\a\r\nQ1ZZZ de Q2AAA: a\ab\r\r";
  link().AGWInterface1MonitoredConnectedInformation(&link().AGWInterface1, 1, "Q2AAA", "Q1ZZZ", frame + '\0',
                                                    static_cast<int>(frame.size() + 1));
  EXPECT_EQ(ps_->Spots().back(), spot + " | 12-07");
  EXPECT_EQ(ps_->monitor.back(), "Q1ZZZ de Q2AAA: a.b");

  ConnectNode();
  const std::size_t before = ps_->Pane().size();
  link().AGWInterface1MonitorOwnInformationEvent(&link().AGWInterface1, 1, 0xF0, "Q1ABC", "Q9NODE", text,
                                                 static_cast<int>(text.size()));
  EXPECT_EQ(ps_->monitor.size(), 7u);
  EXPECT_EQ(ps_->Pane().size(), before);
}

// "Connect" and "Disconnect" on the node link, read back as what they asked of the
// engine: "start" a connect, "stop" a disconnect request, "send" data.
TEST_F(PacketLinkTest, ConnectAndDisconnectDriveTheNodeLink) {
  link().DisconnectWaitMs = 200;  // the stand-in never says the "b" is out
  std::vector<bool> linkUp;
  QObject::connect(&link(), &ClusterLink::stateChanged, [&] { linkUp.push_back(view().linkUp); });
  auto packet = [&](std::size_t from) {
    Lines out;
    for (const Sent& f : Frames()) {
      if (from > 0) {
        --from;
        continue;
      }
      if (f.kind == 'C') out.push_back("start");
      if (f.kind == 'd') out.push_back("stop");
      if (f.kind == 'D') out.push_back("send " + f.data.substr(0, f.data.size() - 1));
    }
    return out;
  };
  station().ConnectAction();
  EXPECT_EQ(view().status, "Trying Q9NODE ...");
  EXPECT_EQ(linkUp, std::vector<bool>{true});
  EXPECT_FALSE(view().updateEnabled);  // the node has not answered yet
  // Called off before the node answered: no "b" to a link that does not exist.
  station().DisconnectAction();
  ASSERT_TRUE(WaitFor(5));
  EXPECT_EQ(packet(3), (std::vector<std::string>{"start", "stop"}));
  ConnectNode();
  EXPECT_TRUE(view().updateEnabled);
  station().DisconnectAction();
  EXPECT_EQ(view().status, "Sending disconnect request ...");
  ASSERT_TRUE(WaitFor(7));
  EXPECT_EQ(packet(5), (std::vector<std::string>{"send b", "stop"}));
  const Lines pane = ps_->Pane();
  EXPECT_NE(std::find(pane.begin(), pane.end(), "b"), pane.end());
}

TEST_F(PacketLinkTest, LoginCommandsGoOnceTheNodeHasConnectedOneAtATime) {
  ASSERT_TRUE(WriteLoginCommands(station().ProgramPath(kLoginCommandsFile), {"set/dxgrid", "sh/dx 30"}));
  const auto sent = [&] {
    engine_.WaitForBytes(0, 0);
    Lines out;
    for (const Sent& f : Frames())
      if (f.kind == 'D') out.push_back(f.data.substr(0, f.data.size() - 1));
    return out;
  };
  const std::string prompt = "Q1ABC de Q9NODE  7-Dec-2026 2150Z dxspider >\r";
  station().ConnectAction();
  Settle();
  EXPECT_TRUE(sent().empty());
  ConnectNode();
  Data(prompt);  // the node's greeting
  ASSERT_TRUE(WaitUntil([&] { return sent().size() == 1; }));
  Settle();
  EXPECT_EQ(sent(), Lines{"set/dxgrid"});  // the next waits for its prompt
  Data(prompt);
  ASSERT_TRUE(WaitUntil([&] { return sent().size() == 2; }));
  EXPECT_EQ(sent(), (Lines{"set/dxgrid", "sh/dx 30"}));
}

}  // namespace
}  // namespace varnak
