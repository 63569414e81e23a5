// A Telnet link the node drops is tried again by itself, later each time, until a login
// goes through; the operator's own close, "bye" or the switch in the settings stop it.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/login_commands.h"
#include "app/station.h"
#include "packet_link_fixture.h"
#include "support/manual_ticker.h"
#include "support/scripted_node.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "telnet/telnet_cluster_link.h"

namespace varnak {
namespace {

using test::ScriptedNode;

struct TelnetStation {
  explicit TelnetStation(quint16 port) : station(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 50, 0})) {
    station.SetView(&view);
    Settings& s = station.settings();
    s.Telnet = 1;
    s.MyCall = "Q1ABC";
    s.MyLocator = "JO62QM";
    s.ConnectCall = "Q9NODE";
    s.ClusterHost = "127.0.0.1";
    s.ClusterPort = port;
    auto owned = std::make_unique<test::ManualTicker>();
    ticker = owned.get();
    station.Control().SetTicker(std::move(owned));
  }
  std::string LastLine() { return station.pane().Texts().back(); }
  bool LoggedIn() { return station.TelnetConnected && !station.classifier().LoggingIn(); }

  test::TempDir dir;
  test::RecordingView view;
  Station station;
  test::ManualTicker* ticker = nullptr;
};

TEST(TelnetReconnect, BacksOffToFiveMinutesAndStartsAgainAfterALogin) {
  ScriptedNode node;
  TelnetStation t(node.port());
  const std::string port = std::to_string(node.port());
  t.station.ConnectAction();
  WAIT_TRUE(t.LoggedIn() && !t.station.users().Names().empty(), 5000);

  node.StopListening();
  node.CloseClient();
  WAIT_EQ(t.LastLine(), "*** Link to 127.0.0.1 lost at 21:50:00, next try in 5 s", 5000);
  const auto pane = t.station.pane().Texts();
  EXPECT_EQ(pane[pane.size() - 2], "*** Disconnected from 127.0.0.1");
  EXPECT_TRUE(t.station.users().Names().empty());  // nobody is known to be there now
  EXPECT_EQ(t.view.status, "Reconnecting in 5 s");
  EXPECT_TRUE(t.view.linkUp);  // "Disconnect" is there to stop the tries
  t.station.SendLine("sh/dx");  // refused while down, as ever
  EXPECT_EQ(t.view.errors, std::vector<std::string>{"Connection Closed Gracefully."});

  // Each refused try says so once and waits twice as long, up to five minutes.
  int delay = 5;
  for (int next : {10, 20, 40, 80, 160, 300, 300}) {
    t.ticker->Pass(delay - 1);
    EXPECT_EQ(t.view.status, "Reconnecting in 1 s");
    t.ticker->Pass(1);
    WAIT_EQ(t.view.status, "Reconnecting in " + std::to_string(next) + " s", 5000);
    EXPECT_EQ(t.LastLine(),
              "*** Connect to 127.0.0.1:" + port + " failed: connection refused, next try in " + std::to_string(next) + " s");
    delay = next;
  }
  EXPECT_TRUE(t.view.infos.empty());  // no box per try
  EXPECT_EQ(t.view.errors.size(), 1u);

  ASSERT_TRUE(node.ListenAgain());
  t.ticker->Pass(300);
  WAIT_TRUE(t.LoggedIn() && !t.station.users().Names().empty(), 5000);
  EXPECT_EQ(node.Accepted(), 2);
  EXPECT_FALSE(t.station.Control().Reconnecting());

  // After the login the back-off is back at its start; a reset is a loss like a close.
  node.ResetClient();
  WAIT_EQ(t.LastLine(), "*** Link to 127.0.0.1 lost at 21:50:00, next try in 5 s", 5000);

  // "Disconnect" ends the tries.
  t.station.DisconnectAction();
  EXPECT_FALSE(t.station.Control().Reconnecting());
  EXPECT_EQ(t.view.status, "Disconnected from 127.0.0.1");
  EXPECT_FALSE(t.view.linkUp);
  t.ticker->Pass(600);
  QTest::qWait(50);
  EXPECT_EQ(node.Accepted(), 2);
  EXPECT_EQ(t.LastLine(), "*** Reconnect to 127.0.0.1 cancelled");
}

// Only a loss is mended: not with Reconnect=0, not after any of the node's forms of
// "bye", not once the setup dialog (or shutdown) has closed the link; a "bye" the node
// answers with its prompt leaves the next loss a loss; and a node that closes during
// the login twice in a row has refused it.
TEST(TelnetReconnect, OnlyALossIsMended) {
  ScriptedNode node;
  TelnetStation t(node.port());
  const auto connectAndDrop = [&](const std::string& how) {
    const int before = node.Accepted();
    t.station.ConnectAction();
    WAIT_TRUE(t.LoggedIn() && node.Accepted() == before + 1, 5000);
    if (how == "close") node.CloseClient();
    else t.station.SendLine(how);  // the node closes on it
    WAIT_TRUE(!t.station.TelnetConnected, 5000);
  };

  t.station.settings().Reconnect = false;
  connectAndDrop("close");
  EXPECT_FALSE(t.station.Control().Reconnecting());
  EXPECT_EQ(t.LastLine(), "*** Disconnected from 127.0.0.1");
  EXPECT_EQ(t.view.status, "Disconnected from 127.0.0.1");

  t.station.settings().Reconnect = true;
  for (const char* leave : {"b", "exit", "ex", "qui", "By now"}) {
    connectAndDrop(leave);
    EXPECT_FALSE(t.station.Control().Reconnecting()) << leave;
  }

  node.SetAnswer("quit", "Sorry, quit is not allowed here\r\n");
  t.station.ConnectAction();
  WAIT_TRUE(t.LoggedIn(), 5000);
  t.station.SendLine("quit");
  WAIT_TRUE(t.LastLine() == "Q1ABC de Q9NODE  7-Dec-2026 2150Z dxspider >" &&
                t.station.pane().Texts().rbegin()[1] == "Sorry, quit is not allowed here",
            5000);
  node.CloseClient();
  WAIT_TRUE(t.station.Control().Reconnecting(), 5000);
  t.station.DisconnectAction();

  connectAndDrop("close");
  ASSERT_TRUE(t.station.Control().Reconnecting());
  t.station.Control().Close();  // what "Save" in the setup dialog does first
  EXPECT_FALSE(t.station.Control().Reconnecting());
  EXPECT_FALSE(t.view.linkUp);

  // A wrong password: "sorry" and the close, before the node's first prompt.
  node.AddUser("Q1ABC", "secret");
  t.station.settings().Password = "wrong";
  const int before = node.Accepted();
  t.station.ConnectAction();
  WAIT_EQ(t.view.status, "Reconnecting in 5 s", 5000);
  t.ticker->Pass(5);
  const std::string why =
      "127.0.0.1 closed the connection while logging in: check the node call and the password in Setup";
  WAIT_EQ(t.view.status, why, 5000);
  EXPECT_EQ(t.LastLine(), "*** " + why);
  EXPECT_FALSE(t.station.Control().Reconnecting());
  EXPECT_FALSE(t.view.linkUp);
  t.ticker->Pass(600);
  QTest::qWait(50);
  EXPECT_EQ(node.Accepted(), before + 2);
  EXPECT_TRUE(t.view.infos.empty() && t.view.errors.empty());
}

// "login.cfg" goes after the station's own "sh/users", one row at a time (each after
// the prompt for the one before, or 3 s), after every login; a loss midway ends the
// round and the next login starts the list over.
TEST(TelnetReconnect, LoginCommandsGoAfterEveryLoginOneAtATime) {
  ScriptedNode node;
  node.HoldPromptAfter("set/dxgrid");
  TelnetStation t(node.port());
  ASSERT_TRUE(WriteLoginCommands(t.station.ProgramPath(kLoginCommandsFile), {"set/dxgrid", " ", "sh/dx 30"}));
  auto owned = std::make_unique<test::ManualTicker>();
  test::ManualTicker* wait = owned.get();
  t.station.loginCommands().SetTicker(std::move(owned));
  const QStringList round = {"sh/users", "set/dxgrid", "sh/dx 30"};

  t.station.ConnectAction();
  WAIT_TRUE(node.Commands().size() == 2, 5000);
  EXPECT_EQ(node.Commands(), round.mid(0, 2));
  wait->Pass(2);
  QTest::qWait(50);
  EXPECT_EQ(node.Commands().size(), 2);  // the node has not answered yet
  node.ReleasePrompt();
  WAIT_EQ(node.Commands(), round, 5000);
  const auto pane = t.station.pane().Texts();
  EXPECT_NE(std::find(pane.begin(), pane.end(), "set/dxgrid"), pane.end());

  const auto dropAndReconnect = [&](int commandsAfter) {
    node.CloseClient();
    WAIT_TRUE(!t.station.TelnetConnected && t.ticker->Running(), 5000);
    t.ticker->Pass(5);
    WAIT_TRUE(node.Commands().size() == commandsAfter, 5000);
  };
  dropAndReconnect(5);
  dropAndReconnect(7);  // lost while the first row waited for its prompt
  wait->Pass(3);  // no prompt: the next row all the same
  WAIT_EQ(node.Commands(), round + round.mid(0, 2) + round, 5000);
  EXPECT_EQ(t.station.loginCommands().Pending(), 0u);
}

}  // namespace
}  // namespace varnak
