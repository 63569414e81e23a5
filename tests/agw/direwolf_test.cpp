// The client against a real Direwolf: one headless engine, and two engines joined
// into an AX.25 link for a connected session.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "agw/agw_interface.h"
#include "agw/agw_test_util.h"
#include "core/text.h"
#include "support/direwolf_harness.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace varnak {
namespace {

using test::WaitUntil;

// Direwolf looks for new clients about once a second.
constexpr int kFirstReplyMs = 5000;

std::string ReadLog(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void OpenAndWait(TAGWInterface& client, int port) {
  bool connected = false;
  client.OnAGWConnect = [&](TAGWInterface*) { connected = true; };
  client.OpenEngine("127.0.0.1", std::to_string(port));
  ASSERT_TRUE(WaitUntil([&] { return connected; }, kFirstReplyMs));
  client.OnAGWConnect = nullptr;
}

TEST(Direwolf, AnswersRequestsAndTimesOutAConnectToAnAbsentStation) {
  test::TempDir dir;
  test::Direwolf engine;
  const std::string error = engine.StartHeadless(dir.path());
  ASSERT_EQ(error, "") << error;

  TAGWInterface client((dir / "logs").string());
  client.LogSettings().SetLogDetails(true);
  OpenAndWait(client, engine.AgwPort());

  TAGWVersionData version{};
  bool gotVersion = false;
  client.OnVersionInfo = [&](TAGWInterface*, const TAGWVersionData& v) { version = v, gotVersion = true; };
  ASSERT_TRUE(client.AskVersion());
  ASSERT_TRUE(WaitUntil([&] { return gotVersion; }, kFirstReplyMs)) << engine.Output();
  EXPECT_EQ(version.Major, 2005);
  EXPECT_EQ(version.Minor, 127);

  std::vector<std::string> ports;
  client.OnPortInformation = [&](TAGWInterface*, int, const std::vector<std::string>& p) { ports = p; };
  client.AskPortInformation();
  ASSERT_TRUE(WaitUntil([&] { return !ports.empty(); }));
  EXPECT_EQ(ports.size(), 1u);
  EXPECT_TRUE(StartsWith(ports[0], "Port1")) << ports[0];

  std::string registered;
  bool success = false;
  client.OnCallsignRegistration = [&](TAGWInterface*, const std::string& call, bool ok) {
    registered = call, success = ok;
  };
  client.RegisterCallsign("N0TST");
  ASSERT_TRUE(WaitUntil([&] { return !registered.empty(); }));
  EXPECT_EQ(registered, "N0TST");
  EXPECT_TRUE(success);

  // With monitoring on, an unproto frame we send comes back as our own ("T").
  std::string own;
  client.OnMonitorOwnInformationEvent = [&](TAGWInterface*, int port, int, const std::string& from,
                                            const std::string& to, const std::string&, int) {
    own = std::to_string(port) + " " + from + ">" + to;
  };
  client.StartMonitoring();
  client.SendUnproto(1, "N0TST", "BEACON", "hello from the test");
  ASSERT_TRUE(WaitUntil([&] { return !own.empty(); }));
  EXPECT_EQ(own, "1 N0TST>BEACON");

  std::string ended;
  client.OnDisconnectedEvent = [&](TAGWInterface*, int, const std::string& from, const std::string&,
                                   const std::string& data, int) { ended = from + " " + data; };
  client.ConnectStation(1, "N0TST", "N0ABS");
  ASSERT_TRUE(WaitUntil([&] { return !ended.empty(); }, 10000));
  EXPECT_TRUE(StartsWith(ended, "N0ABS ")) << ended;
  EXPECT_TRUE(Contains(ended, "RETRYOUT")) << ended;

  bool disconnected = false;
  client.OnAGWDisconnect = [&](TAGWInterface*) { disconnected = true; };
  client.CloseEngine();
  ASSERT_TRUE(WaitUntil([&] { return disconnected; }));
  ASSERT_TRUE(client.Logger().WaitIdle(5000));
  const std::string log = client.Logger().PhysicalLogFileName();
  EXPECT_TRUE(StartsWith(fs::path(log).filename().string(), "varnak ")) << log;
  EXPECT_TRUE(Contains(ReadLog(log), "AGW Version 2005.127"));
}

TEST(Direwolf, ConnectedSessionCarriesDataBothWays) {
  test::TempDir dir;
  test::DirewolfLink link;
  const std::string error = link.Start(dir.path());
  ASSERT_EQ(error, "") << error;

  TAGWInterface caller((dir / "logs-a").string()), node((dir / "logs-b").string());
  OpenAndWait(caller, link.a().AgwPort());
  OpenAndWait(node, link.b().AgwPort());
  int registered = 0;
  auto onRegistered = [&](TAGWInterface*, const std::string&, bool ok) { registered += ok ? 1 : 0; };
  caller.OnCallsignRegistration = onRegistered;
  node.OnCallsignRegistration = onRegistered;
  caller.RegisterCallsign("N0CLI");
  node.RegisterCallsign("N0SRV");
  ASSERT_TRUE(WaitUntil([&] { return registered == 2; }, kFirstReplyMs));

  std::string callerSaw, nodeSaw;
  caller.OnConnectionReceived = [&](TAGWInterface*, int, const std::string& from, const std::string& to,
                                    const std::string&, int) { callerSaw = from + ">" + to; };
  node.OnConnectionReceived = [&](TAGWInterface*, int, const std::string& from, const std::string& to,
                                  const std::string&, int) { nodeSaw = from + ">" + to; };
  caller.ConnectStation(1, "N0CLI", "N0SRV");
  ASSERT_TRUE(WaitUntil([&] { return !callerSaw.empty() && !nodeSaw.empty(); }, 10000))
      << link.a().Output() << link.b().Output();
  EXPECT_EQ(callerSaw, "N0SRV>N0CLI");
  EXPECT_EQ(nodeSaw, "N0CLI>N0SRV");

  std::string toNode, toCaller;
  for (int i = 0; i < 1000; ++i) toNode += static_cast<char>('A' + i % 26);
  for (int i = 0; i < 1000; ++i) toCaller += static_cast<char>('0' + i % 10);
  std::string nodeGot, callerGot;
  node.OnConnectedData = [&](TAGWInterface*, int, int, const std::string&, const std::string&,
                             const std::string& data, int) { nodeGot += data; };
  caller.OnConnectedData = [&](TAGWInterface*, int, int, const std::string&, const std::string&,
                               const std::string& data, int) { callerGot += data; };
  ASSERT_TRUE(caller.SendConnectedData(1, "N0CLI", "N0SRV", toNode));
  ASSERT_TRUE(WaitUntil([&] { return nodeGot.size() >= toNode.size(); }, 15000)) << nodeGot.size();
  EXPECT_EQ(nodeGot, toNode);
  ASSERT_TRUE(node.SendConnectedData(1, "N0SRV", "N0CLI", toCaller));
  ASSERT_TRUE(WaitUntil([&] { return callerGot.size() >= toCaller.size(); }, 15000)) << callerGot.size();
  EXPECT_EQ(callerGot, toCaller);

  bool callerDown = false, nodeDown = false;
  caller.OnDisconnectedEvent = [&](auto...) { callerDown = true; };
  node.OnDisconnectedEvent = [&](auto...) { nodeDown = true; };
  caller.DisconnectStation(1, "N0CLI", "N0SRV");
  ASSERT_TRUE(WaitUntil([&] { return callerDown && nodeDown; }, 10000));
}

TEST(Direwolf, RefusedConnectReports10061) {
  int closedPort;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    closedPort = probe.serverPort();
  }
  test::TempDir dir;
  TAGWInterface client(dir.path().string());
  std::vector<std::string> errors;
  client.OnError = [&](TAGWInterface*, int code, const std::string& text) {
    errors.push_back(std::to_string(code) + " " + text);
  };
  client.OpenEngine("127.0.0.1", std::to_string(closedPort));
  ASSERT_TRUE(WaitUntil([&] { return !errors.empty(); }));
  EXPECT_EQ(errors, std::vector<std::string>{"10061 Connect Error"});
  EXPECT_FALSE(client.Connected());
}

}  // namespace
}  // namespace varnak
