// The practice node as a client on loopback meets it: the DX Spider login and
// commands, traffic that Varnak's own lookup can place, and clients that misbehave.
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <set>

#include "app/spot_model.h"
#include "callsign/call_parser.h"
#include "callsign/lookup.h"
#include "demo/practice_node.h"
#include "support/wait_until.h"

using namespace varnak;
using namespace varnak::demo;

namespace {

const CallData& Calls() {
  static CallData data = [] {
    CallData d;
    std::string error;
    if (!LoadCallData("/usr/share/hamradio-files", &d, &error)) ADD_FAILURE() << error;
    return d;
  }();
  return data;
}

struct Client {
  explicit Client(quint16 port) { socket.connectToHost("127.0.0.1", port); }
  // Everything received so far, waiting until it holds the text.
  bool WaitFor(const QByteArray& text, int ms = 5000) {
    qsizetype from = 0;
    return QTest::qWaitFor(
        [&] {
          received += socket.readAll();
          if (received.indexOf(text, from) >= 0) return true;
          from = std::max<qsizetype>(0, received.size() - text.size());
          return false;
        },
        ms);
  }
  void Say(const QByteArray& line) { socket.write(line + "\r\n"); }
  QByteArray TakeAll() {
    QByteArray out = received;
    received.clear();
    return out;
  }
  QTcpSocket socket;
  QByteArray received;
};

NodeOptions Quiet(double rate = 0.001) {
  NodeOptions o;
  o.rate = rate;
  o.burst = 0;
  o.extras = false;
  return o;
}

}  // namespace

TEST(PracticeNode, LogsInAndAnswersLikeDxSpider) {
  NodeOptions options = Quiet();
  options.passwords["Q2PW"] = "secret";
  PracticeNode node(Calls(), options);
  std::string error;
  ASSERT_TRUE(node.Listen(&error)) << error;

  // A wrong password ends the connection; a call without one gets no password prompt.
  Client wrong(node.Port());
  ASSERT_TRUE(wrong.WaitFor("login: "));
  EXPECT_EQ(wrong.received, "login: ");
  wrong.Say("q2pw");
  ASSERT_TRUE(wrong.WaitFor("password: "));
  wrong.Say("guess");
  WAIT_TRUE(wrong.socket.state() == QAbstractSocket::UnconnectedState, 5000);

  Client c(node.Port());
  ASSERT_TRUE(c.WaitFor("login: "));
  c.Say("q1abc");
  ASSERT_TRUE(c.WaitFor("dxspider >\r\n"));
  const QByteArray welcome = c.TakeAll();
  EXPECT_FALSE(welcome.contains("password"));
  const QRegularExpression prompt(R"(Q1ABC de Q9DEMO [ \d]\d-[A-Z][a-z]{2}-\d{4} \d{4}Z dxspider >\r\n$)");
  EXPECT_TRUE(prompt.match(QString::fromLatin1(welcome)).hasMatch()) << welcome.toStdString();

  c.Say("sh/users");
  ASSERT_TRUE(c.WaitFor("dxspider >"));
  const QStringList users = QString::fromLatin1(c.TakeAll()).split("\r\n");
  const qsizetype head = users.indexOf("Callsigns connected to Q9DEMO");
  ASSERT_TRUE(head >= 0 && head + 1 < users.size());
  const QString& row = users[head + 1];
  EXPECT_TRUE(row.mid(0, 13).trimmed().size() > 2 && row.mid(13, 1).trimmed().size() == 1)
      << "calls 13 wide: " << row.toStdString();

  // The operator's spot comes back to everyone, then heads the listing; either order
  // of call and frequency is taken.
  c.Say("dx Q3DEF 14025.0 up 2");
  ASSERT_TRUE(c.WaitFor("dxspider >"));
  const QByteArray echo = c.TakeAll();
  EXPECT_TRUE(echo.startsWith("DX de Q1ABC:     14025.0  Q3DEF        up 2 ")) << echo.toStdString();
  EXPECT_TRUE(echo.contains("Z\a\a\r\n"));
  c.Say("sh/dx 3");
  ASSERT_TRUE(c.WaitFor("dxspider >"));
  const QStringList listing = QString::fromLatin1(c.TakeAll()).split("\r\n");
  ASSERT_EQ(listing.size(), 5);  // three lines, the prompt, the rest after it
  const QRegularExpression line(R"(^ *\d+\.\d [A-Z0-9/]+ +[ \d]\d-[A-Z][a-z]{2}-\d{4} \d{4}Z .*<[A-Z0-9/#-]+>$)");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(line.match(listing[i]).hasMatch()) << listing[i].toStdString();
  EXPECT_TRUE(listing[0].startsWith("  14025.0 Q3DEF       ")) << listing[0].toStdString();
  EXPECT_TRUE(listing[0].endsWith("up 2                 <Q1ABC>")) << listing[0].toStdString();

  c.Say("ann hello");
  ASSERT_TRUE(c.WaitFor("To LOCAL de Q1ABC: hello\a\a\r\n"));
  c.Say("ann/full hi all");
  ASSERT_TRUE(c.WaitFor("To ALL de Q1ABC: hi all\a\a\r\n"));
  c.Say("sh/fish");
  ASSERT_TRUE(c.WaitFor("Invalid command\r\nQ1ABC de Q9DEMO"));
  c.Say("set/dxgrid");  // what an operator's login commands hold
  ASSERT_TRUE(c.WaitFor("DX Grid flag set on Q1ABC\r\nQ1ABC de Q9DEMO"));
  c.Say("bye");
  WAIT_TRUE(c.socket.state() == QAbstractSocket::UnconnectedState, 5000);
}

TEST(PracticeNode, TrafficIsRepeatableAndPlacedByVarnaksLookup) {
  Traffic a(Calls(), 7), b(Calls(), 7);
  TCallParser parser;
  parser.SetPrefixFile(std::string(VARNAK_DATA_DIR) + "/prefix.lst");
  ASSERT_EQ(parser.LastLoadError(), "");
  const BandOfKhz band = [](double kHz) { return std::string(BandTextOfKhz(static_cast<long long>(kHz))); };
  std::set<std::string> entities, spotterEntities;
  std::set<std::string> bands;
  int placed = 0;
  const int n = 600;
  for (int i = 0; i < n; ++i) {
    const Spot s = a.NextSpot(), t = b.NextSpot();
    ASSERT_EQ(SpotLine(s, {}), SpotLine(t, {}));
    const dxrec r = LookupSpotLine(SpotLine(s, {}), parser, 55.5, 13.0, band);
    if (!r.EntityName.empty() && !r.DistanceText.empty() && !r.BearingText.empty()) ++placed;
    entities.insert(r.EntityName);
    bands.insert(r.BandText);
    const dxrec sp = LookupSpotLine("DX de Q1ABC:  14000.0  " + s.spotter.substr(0, s.spotter.find('-')), parser, 0, 0,
                                    band);
    spotterEntities.insert(sp.EntityName);
  }
  EXPECT_GE(placed, n * 95 / 100);
  EXPECT_GE(entities.size(), 150u);
  EXPECT_GE(spotterEntities.size(), 30u);
  EXPECT_EQ(bands.count(""), 0u) << "every spot lies inside a band";
  EXPECT_GE(bands.size(), 12u);
}

TEST(PracticeNode, SurvivesClientsThatMisbehave) {
  NodeOptions options = Quiet(20000);
  options.maxQueuedBytes = 256 * 1024;
  PracticeNode node(Calls(), options);
  QSignalSpy dropped(&node, &PracticeNode::ClientDropped);
  std::string error;
  ASSERT_TRUE(node.Listen(&error)) << error;

  Client c(node.Port());
  ASSERT_TRUE(c.WaitFor("login: "));
  // Telnet negotiation, NUL and 0xFF bytes around the call.
  c.socket.write(QByteArray("\xff\xfd\x18\xff\xfa\x18\x01\xff\xf0", 9) + QByteArray("Q1\0ABC", 6) + "\r\n");
  ASSERT_TRUE(c.WaitFor("Q1ABC de Q9DEMO"));
  // A line of a megabyte is refused and the node goes on answering.
  c.socket.write(QByteArray(1 << 20, 'x') + "\r\n");
  c.Say(QByteArray("sh/u\xff\xfb\x01sers"));
  ASSERT_TRUE(c.WaitFor("Invalid command")) << (dropped.isEmpty() ? "" : dropped[0][0].toString().toStdString()) << node.SpotsSent();
  ASSERT_TRUE(c.WaitFor("Callsigns connected to Q9DEMO", 10000));
  c.TakeAll();

  // A client that never reads is dropped once its queue is full; the reader stays.
  QTcpSocket deaf;
  deaf.setReadBufferSize(1);
  deaf.connectToHost("127.0.0.1", node.Port());
  ASSERT_TRUE(deaf.waitForConnected(3000));
  deaf.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
  deaf.write("Q2DEAF\r\n");
  WAIT_TRUE(dropped.size() == 1, 30000);
  EXPECT_TRUE(dropped[0][0].toString().startsWith("Q2DEAF does not read")) << dropped[0][0].toString().toStdString();
  EXPECT_EQ(node.LoggedInCount(), 1);
  c.TakeAll();
  ASSERT_TRUE(c.WaitFor("DX de "));
}
