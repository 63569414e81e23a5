// The Telnet link and the Connect/Disconnect/SendLine logic against a scripted node on
// loopback.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <gtest/gtest.h>

#include <QTcpSocket>
#include <chrono>
#include <fmt/format.h>
#include <thread>

#include "support/fixed_link_settings.h"
#include "support/scripted_node.h"
#include "telnet/telnet_cluster_link.h"
#include "telnet/relay_server.h"
#include "support/wait_until.h"

namespace varnak {
namespace {

using test::ScriptedNode;

// What the window and the station would have seen.
struct Station {
  std::vector<std::string> status, lines, info, errors;
  std::vector<bool> linkUp;  // each time the buttons change
  int usersCleared = 0, sends = 0;
  test::FixedLinkSettings settings;
  bool connected = false;
  bool buttonsUp = false;
  std::function<void(const std::string&)> onLine;

  void Watch(ClusterLink& link) {
    using State = ClusterLink::State;
    QObject::connect(&link, &ClusterLink::statusText, [this](const std::string& s) { status.push_back(s); });
    QObject::connect(&link, &ClusterLink::problem, [this](ClusterLink::Problem kind, const std::string& s) {
      (kind == ClusterLink::Problem::Information ? info : errors).push_back(s);
    });
    const auto line = [this](const std::string& s) {
      lines.push_back(s);
      if (onLine) onLine(s);
    };
    QObject::connect(&link, &ClusterLink::lineReceived, line);
    QObject::connect(&link, &ClusterLink::noticeLine, line);
    QObject::connect(&link, &ClusterLink::lineSent, [this, line](const std::string& s) {
      line(s);
      ++sends;
    });
    QObject::connect(&link, &ClusterLink::stateChanged, [this, &link](State state) {
      if (state == State::Down && connected) ++usersCleared;
      if (state == State::Down) connected = false;
      if (state == State::LoggingIn) connected = true;
      const bool up = state == State::LoggingIn || state == State::LoggedIn || state == State::WaitingToReconnect ||
                      (state == State::Connecting && link.ConnectCanBeCalledOff());
      if (up != buttonsUp) linkUp.push_back(up);
      buttonsUp = up;
    });
  }
  bool Saw(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
};

class TelnetLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    station.settings.port = node.port();
    station.Watch(control);
  }

  void ConnectAndWait() {
    control.Connect();
    WAIT_TRUE(control.TelnetConnected(), 5000);
    WAIT_TRUE(node.HasClient(), 5000);
  }

  ScriptedNode node;
  Station station;
  TelnetClusterLink control{station.settings};
};

TEST_F(TelnetLinkTest, LogsInWithCallAndPassword) {
  node.AddUser("Q1ABC", "secret");
  // The classifier's answers to the prompts.
  station.onLine = [this](const std::string& line) {
    if (line.find("login:") != std::string::npos && control.TelnetConnected()) control.SendQuiet("Q1ABC");
    if (line.find("password:") != std::string::npos && control.TelnetConnected()) control.SendQuiet("secret");
  };
  QSignalSpy loggedIn(&node, &ScriptedNode::LoggedInAs);
  control.Connect();
  ASSERT_TRUE(loggedIn.wait(5000));
  const std::string prompt = "Q1ABC de Q9NODE  7-Dec-2026 2150Z dxspider >";
  WAIT_TRUE(station.Saw(prompt), 5000);

  EXPECT_EQ(node.Received(), QByteArray("Q1ABC\r\nsecret\r\n"));
  ASSERT_GE(station.lines.size(), 4u);
  EXPECT_EQ(station.lines[0], "*** Connected to 127.0.0.1");
  EXPECT_EQ(station.lines[1], "login: ");
  EXPECT_EQ(station.lines[2], "password: ");
  EXPECT_EQ(station.lines[3], "Hello Q1ABC, this is Q9NODE in Testville");
  EXPECT_EQ(station.status, (std::vector<std::string>{"Trying 127.0.0.1", "Connected to 127.0.0.1"}));
  EXPECT_EQ(station.linkUp, std::vector<bool>{true});
  EXPECT_TRUE(station.connected);
}

TEST_F(TelnetLinkTest, SpotsAndAnnouncementsArriveAsLines) {
  node.SetLoginPrompt(false);
  ConnectAndWait();
  node.Send(ScriptedNode::Spot("Q1ABC", "14025.0", "Q3DEF", "test spot", "2153Z") +
            "To ALL de Q1ABC: hello\a\a\r\nQ2XYZ de Q1ABC: hi\r\n");
  WAIT_TRUE(station.Saw("Q2XYZ de Q1ABC: hi"), 5000);
  EXPECT_TRUE(station.Saw("DX de Q1ABC:     14025.0  Q3DEF        test spot                      2153Z\a\a"));
  EXPECT_TRUE(station.Saw("To ALL de Q1ABC: hello\a\a"));
}

TEST_F(TelnetLinkTest, LineSplitAcrossReadsStaysWhole) {
  node.SetLoginPrompt(false);
  control.Telnet().SetQuietTime(10000);
  ConnectAndWait();
  node.Send("abc\r\ndef");
  WAIT_TRUE(station.Saw("abc"), 5000);
  node.Send("ghi\r\n");
  WAIT_TRUE(station.Saw("defghi"), 5000);
  EXPECT_FALSE(station.Saw("def"));
}

TEST_F(TelnetLinkTest, QuietTailIsClassifiedOnItsOwn) {
  node.SetLoginPrompt(false);
  control.Telnet().SetQuietTime(20);
  ConnectAndWait();
  node.Send("abc\r\ndef");
  WAIT_TRUE(station.Saw("def"), 5000);
  node.Send("ghi\r\n");
  WAIT_TRUE(station.Saw("ghi"), 5000);
  EXPECT_FALSE(station.Saw("defghi"));
}

// The window's thread busy for longer than the quiet time while the rest of a line
// already waits in the socket: classifying a burst, or a slow disk while the quiet time
// runs. Neither is the node's silence, and the line stays whole.
TEST_F(TelnetLinkTest, BusyThreadDoesNotCutALine) {
  using namespace std::chrono_literals;
  node.SetLoginPrompt(false);
  control.Telnet().SetQuietTime(50);
  ConnectAndWait();
  station.onLine = [this](const std::string& line) {
    if (line != "abc") return;
    node.Send("ghi\r\n");
    std::this_thread::sleep_for(200ms);
  };
  node.Send("abc\r\ndef");
  WAIT_TRUE(station.Saw("defghi"), 5000);

  node.Send("jkl");
  QTimer::singleShot(20, [this] {
    node.Send("mno\r\n");
    std::this_thread::sleep_for(200ms);
  });
  WAIT_TRUE(station.Saw("jklmno"), 5000);
  EXPECT_FALSE(station.Saw("def"));
  EXPECT_FALSE(station.Saw("jkl"));
}

// A 2 MB burst in one read: a relay client that keeps reading gets every line, in order,
// because the burst is handed on in slices and the relay's socket is served in between.
TEST_F(TelnetLinkTest, RelayClientGetsEveryLineOfABurst) {
  node.SetLoginPrompt(false);
  RelayServer relay({});
  ASSERT_TRUE(relay.Open(0));
  QTcpSocket reader;
  QByteArray got;
  QObject::connect(&reader, &QIODevice::readyRead, [&] { got += reader.readAll(); });
  reader.connectToHost(QHostAddress::LocalHost, relay.Port());
  WAIT_TRUE(relay.ClientCount() == 1, 5000);
  station.onLine = [&](const std::string& line) { relay.RelayLine(line); };
  ConnectAndWait();

  constexpr int kSpots = 26000;
  QByteArray burst;
  for (int i = 0; i < kSpots; ++i)
    burst += QByteArray::fromStdString(
        fmt::format("DX de Q2XYZ:     14025.0  K{:05}A      serial {:06}                   2153Z\a\a\r\n", i, i));
  ASSERT_GT(burst.size(), 2000000);
  node.Send(burst);
  ASSERT_TRUE(QTest::qWaitFor([&] { return got.count("serial ") == kSpots; }, 30000))
      << got.count("serial ") << " of " << kSpots << " arrived; lines seen " << station.lines.size();
  int next = 0;
  for (const QByteArray& line : got.split('\n')) {
    const int at = line.indexOf("serial ");
    if (at < 0) continue;
    ASSERT_EQ(line.mid(at + 7, 6).toInt(), next) << line.toStdString();
    ++next;
  }
}

TEST_F(TelnetLinkTest, AnswersNegotiationByteForByte) {
  auto bytes = [](std::initializer_list<int> v) {
    QByteArray b;
    for (int x : v) b.append(static_cast<char>(x));
    return b;
  };
  node.SetGreetingBytes(bytes({255, 253, 24, 255, 250, 24, 1, 255, 240, 255, 251, 1, 255, 251, 3, 255, 253, 31,
                               255, 254, 1}));
  ConnectAndWait();
  const QByteArray expected = bytes({255, 251, 24, 255, 250, 24, 0, 'd', 'u', 'm', 'b', 255, 240, 255, 253, 1, 255,
                                     254, 3, 255, 252, 31, 255, 252, 1});
  WAIT_EQ(node.Received().size(), expected.size(), 5000);
  EXPECT_EQ(node.Received(), expected);
  // Only the prompt is a line; the negotiation leaves none.
  WAIT_TRUE(station.Saw("login: "), 5000);
  EXPECT_EQ(station.lines, (std::vector<std::string>{"*** Connected to 127.0.0.1", "login: "}));
}

TEST_F(TelnetLinkTest, SendLinePutsTextAndCrLfOnTheWireThenEchoes) {
  node.SetLoginPrompt(false);
  ConnectAndWait();
  QSignalSpy received(&node, &ScriptedNode::BytesReceived);
  EXPECT_TRUE(control.Send("sh/dx"));
  EXPECT_TRUE(control.Send(""));
  EXPECT_TRUE(control.Send("a\xff" "b"));
  const QByteArray expected("sh/dx\r\n\r\na\xff\xff" "b\r\n");
  WAIT_EQ(node.Received(), expected, 5000);
  EXPECT_TRUE(station.Saw("sh/dx"));
  EXPECT_TRUE(station.Saw("a\xff" "b"));
  EXPECT_EQ(station.sends, 3);
}

TEST_F(TelnetLinkTest, SendingOnAClosedLinkFailsWithoutEcho) {
  EXPECT_FALSE(control.Send("sh/dx"));
  EXPECT_EQ(station.errors, std::vector<std::string>{"Connection Closed Gracefully."});
  EXPECT_TRUE(station.lines.empty());
  EXPECT_EQ(station.sends, 0);
}

TEST_F(TelnetLinkTest, RefusedConnectShowsTheBoxAndLeavesConnect) {
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
  station.settings.port = closed.serverPort();
  closed.close();

  control.Connect();
  WAIT_EQ(station.info.size(), 1u, 5000);
  EXPECT_EQ(station.info[0], "No connection to \"127.0.0.1\"\r\nAre you online?");
  // Why it failed is in the pane, and the status does not stay on "Trying".
  EXPECT_EQ(station.lines,
            std::vector<std::string>{"*** Connect to 127.0.0.1:" + std::to_string(station.settings.port) +
                                     " failed: connection refused"});
  EXPECT_EQ(station.status, (std::vector<std::string>{"Trying 127.0.0.1", "Disconnected"}));
  EXPECT_TRUE(station.linkUp.empty());
  EXPECT_FALSE(control.TelnetConnected());

  control.Connect();  // tries again
  WAIT_EQ(station.info.size(), 2u, 5000);

  // From the Disconnect path the failure goes to the general error report.
  control.Disconnect();
  WAIT_EQ(station.errors.size(), 1u, 5000);
  EXPECT_EQ(station.errors[0], "server not responding");
  EXPECT_EQ(station.info.size(), 2u);

  // No host at all fails the same way, without a lookup on the network.
  station.settings.host = "";
  control.Connect();
  WAIT_EQ(station.info.size(), 3u, 5000);
  EXPECT_EQ(station.info[2], "No connection to \"\"\r\nAre you online?");
  EXPECT_EQ(station.lines.back(), "*** Connect to :" + std::to_string(station.settings.port) + " failed: host not found");
  EXPECT_FALSE(control.TelnetConnected());
}

TEST_F(TelnetLinkTest, RemoteCloseMidLineBringsConnectBack) {
  node.SetLoginPrompt(false);
  control.Telnet().SetQuietTime(10000);
  ConnectAndWait();
  node.SendAndClose("DX de Q1ABC:     14025.0  Q3D");
  WAIT_TRUE(!control.TelnetConnected(), 5000);
  ASSERT_GE(station.lines.size(), 3u);
  EXPECT_EQ(station.lines[1], "DX de Q1ABC:     14025.0  Q3D");
  EXPECT_EQ(station.lines[2], "*** Disconnected from 127.0.0.1");
  EXPECT_EQ(station.status.back(), "Disconnected from 127.0.0.1");
  EXPECT_EQ(station.linkUp, (std::vector<bool>{true, false}));
  EXPECT_EQ(station.usersCleared, 1);
  EXPECT_FALSE(station.connected);

  // And the next Connect works.
  ConnectAndWait();
  EXPECT_EQ(node.Accepted(), 2);
}

TEST_F(TelnetLinkTest, ByeClosesAndConnectTogglesToDisconnect) {
  ConnectAndWait();
  control.SendQuiet("Q1ABC");
  WAIT_TRUE(station.Saw("Q1ABC de Q9NODE  7-Dec-2026 2150Z dxspider >"), 5000);
  control.Send("b");
  WAIT_TRUE(!control.TelnetConnected(), 5000);
  EXPECT_EQ(station.linkUp.back(), false);

  ConnectAndWait();
  QSignalSpy gone(&node, &ScriptedNode::ClientGone);
  control.Connect();  // with the link up it disconnects
  EXPECT_FALSE(control.TelnetConnected());
  EXPECT_EQ(station.lines.back(), "*** Disconnected from 127.0.0.1");
  EXPECT_TRUE(gone.wait(5000));
  control.Disconnect();  // nothing is up, so this connects again
  WAIT_TRUE(control.TelnetConnected(), 5000);
}

// After a read the link leaves what comes next in the system for a pace; when the node
// falls silent, the held lines still come, and a disconnect in the middle keeps them.
TEST_F(TelnetLinkTest, LinesHeldByAPaceComeAndAreKeptByADisconnect) {
  node.SetLoginPrompt(false);
  ConnectAndWait();
  node.Send("a\r\n");
  WAIT_TRUE(station.Saw("a"), 5000);
  QElapsedTimer sinceA;
  sinceA.start();
  node.Send("b\r\n");
  node.Send("c\r\n");
  WAIT_TRUE(station.Saw("c"), 5000);
  EXPECT_GE(sinceA.elapsed(), TelnetLink::kPaceMs - 1);
  EXPECT_EQ(std::vector<std::string>(station.lines.end() - 3, station.lines.end()), (std::vector<std::string>{"a", "b", "c"}));

  node.Send("d\r\n");
  control.Disconnect();
  EXPECT_EQ(std::vector<std::string>(station.lines.end() - 2, station.lines.end()),
            (std::vector<std::string>{"d", "*** Disconnected from 127.0.0.1"}));
}

TEST_F(TelnetLinkTest, FloodWithoutLineEndsComesInPieces) {
  node.SetLoginPrompt(false);
  control.Telnet().SetQuietTime(10000);
  ConnectAndWait();
  QByteArray flood(1000000, 'x');
  flood[10] = '\0';
  flood[70000] = '\0';
  node.SendAndClose(flood);
  WAIT_TRUE(!control.TelnetConnected(), 10000);
  std::string joined;
  for (std::size_t i = 1; i + 1 < station.lines.size(); ++i) {
    EXPECT_LE(station.lines[i].size(), LineCutter::kMaxLine);
    joined += station.lines[i];
  }
  EXPECT_EQ(joined, std::string(flood.constData(), static_cast<std::size_t>(flood.size())));
}

}  // namespace
}  // namespace varnak
