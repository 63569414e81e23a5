// The Telnet-out relay with real clients on loopback.
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "support/scripted_node.h"
#include "telnet/telnet_cluster_link.h"
#include "telnet/relay_server.h"
#include "support/fixed_link_settings.h"
#include "support/wait_until.h"

namespace varnak {
namespace {

class RelayTest : public ::testing::Test {
 protected:
  RelayServer::Hooks Hooks() {
    RelayServer::Hooks h;
    h.sendLine = [this](const std::string& s) { sent.push_back(s); };
    h.showError = [this](const std::string& s) { errors.push_back(s); };
    return h;
  }
  // A client connected and accepted by the relay, in this order.
  std::unique_ptr<QTcpSocket> Client(RelayServer& relay, const QString& host = "127.0.0.1") {
    auto client = std::make_unique<QTcpSocket>();
    const int before = relay.ClientCount();
    client->connectToHost(host, relay.Port());
    if (!client->waitForConnected(5000)) return nullptr;
    if (!QTest::qWaitFor([&] { return relay.ClientCount() == before + 1; }, 5000)) return nullptr;
    return client;
  }

  std::vector<std::string> sent, errors;
};

TEST_F(RelayTest, OnlyTheOldestClientGetsLines) {
  RelayServer relay(Hooks());
  ASSERT_TRUE(relay.Open(0));
  auto first = Client(relay);
  auto second = Client(relay);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(relay.ClientCount(), 2);

  relay.RelayLine("DX de Q1ABC:     14025.0  Q3DEF        test spot                      2153Z");
  QByteArray got;
  WAIT_TRUE((got += first->readAll()).endsWith("\r\n"), 5000);
  EXPECT_EQ(got, QByteArray("DX de Q1ABC:     14025.0  Q3DEF        test spot                      2153Z\r\n"));
  EXPECT_EQ(second->bytesAvailable(), 0);

  first->disconnectFromHost();
  WAIT_EQ(relay.ClientCount(), 1, 5000);
  relay.RelayLine("To ALL de Q1ABC: hello");
  WAIT_EQ(second->readAll(), QByteArray("To ALL de Q1ABC: hello\r\n"), 5000);
}

TEST_F(RelayTest, LinesOfOneTurnArriveWholeAndInOrderAndLeaveWithTheirClient) {
  RelayServer relay(Hooks());
  ASSERT_TRUE(relay.Open(0));
  auto first = Client(relay);
  auto second = Client(relay);
  ASSERT_TRUE(first && second);
  QByteArray expected;
  for (int i = 0; i < 500; ++i) {
    const std::string line = "DX de Q2ABC:     14025.0  Q3DEF        #" + std::to_string(i);
    relay.RelayLine(line);
    expected += QByteArray::fromStdString(line) + "\r\n";
  }
  EXPECT_EQ(relay.QueuedBytes(), expected.size()) << "owed until the turn is over";
  QByteArray got;
  WAIT_TRUE((got += first->readAll()).size() >= expected.size(), 5000);
  EXPECT_EQ(got, expected);

  // Lines owed to a client that leaves before they go out do not go to the next one.
  relay.RelayLine("for the first");
  first->abort();
  WAIT_EQ(relay.ClientCount(), 1, 5000);
  relay.RelayLine("for the second");
  WAIT_EQ(second->readAll(), QByteArray("for the second\r\n"), 5000);
}

TEST_F(RelayTest, ClientReadsAreSentWithoutTrailingControlBytes) {
  RelayServer relay(Hooks());
  ASSERT_TRUE(relay.Open(0));
  auto client = Client(relay);
  ASSERT_TRUE(client);
  client->write("sh/dx 10\r\n");
  WAIT_EQ(sent.size(), 1u, 5000);
  client->write("\r\n");
  WAIT_EQ(sent.size(), 2u, 5000);
  EXPECT_EQ(sent, (std::vector<std::string>{"sh/dx 10", ""}));
}

TEST_F(RelayTest, ClientCommandReachesTheNodeAndTheEchoComesBack) {
  test::ScriptedNode node;
  node.SetLoginPrompt(false);
  node.SetAnswer("sh/dx",
                 "  14025.0  Q3DEF        7-Dec-2026 2153Z test spot                     <Q1ABC>\r\n");
  std::unique_ptr<RelayServer> relay;
  test::FixedLinkSettings settings;
  settings.port = node.port();
  TelnetClusterLink control(settings);
  const auto relayLine = [&](const std::string& line) { relay->RelayLine(line); };
  QObject::connect(&control, &ClusterLink::lineReceived, relayLine);
  QObject::connect(&control, &ClusterLink::noticeLine, relayLine);
  QObject::connect(&control, &ClusterLink::lineSent, relayLine);
  RelayServer::Hooks relayHooks;
  relayHooks.sendLine = [&](const std::string& text) { control.Send(text); };
  relay = std::make_unique<RelayServer>(relayHooks);
  ASSERT_TRUE(relay->Open(0));

  control.Connect();
  WAIT_TRUE(control.TelnetConnected(), 5000);
  WAIT_TRUE(node.HasClient(), 5000);
  auto client = Client(*relay);
  ASSERT_TRUE(client);
  client->write("sh/dx\r\n");
  WAIT_EQ(node.Received(), QByteArray("sh/dx\r\n"), 5000);
  QByteArray got;
  WAIT_TRUE((got += client->readAll()).contains("dxspider >"), 5000);
  EXPECT_TRUE(got.startsWith("sh/dx\r\n  14025.0  Q3DEF")) << got.toStdString();
}

TEST_F(RelayTest, ClientThatDoesNotReadGetsAtMostOneMebibyte) {
  RelayServer relay(Hooks());
  ASSERT_TRUE(relay.Open(0));
  auto client = Client(relay);
  ASSERT_TRUE(client);
  // A small receive buffer, so the system holds little for the client that does not read.
  client->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 16384);
  const std::string pad(90, '.');
  const int total = 100000;  // about 10 MB, more than the system buffers on either side
  for (int i = 0; i < total; ++i) {
    relay.RelayLine(std::to_string(i) + pad);
    ASSERT_LE(relay.QueuedBytes(), RelayServer::kMaxQueuedBytes);
  }
  // Once drained, lines flow again.
  WAIT_EQ(relay.QueuedBytes(), qint64(0), 10000);
  relay.RelayLine("END");
  QByteArray got;
  WAIT_TRUE((got += client->readAll()).endsWith("END\r\n"), 10000);

  // What arrived is whole lines from the first on, and not all of them: beyond what the
  // system buffers for it, the client got at most our bounded queue.
  const QList<QByteArray> lines = got.chopped(5).split('\n');
  EXPECT_LT(lines.size() - 1, total);
  int last = -1;  // whole lines, in order; those dropped leave gaps, never half a line
  for (int i = 0; i + 1 < lines.size(); ++i) {
    const int n = lines[i].left(lines[i].indexOf('.')).toInt();
    ASSERT_EQ(lines[i], QByteArray::number(n) + QByteArray::fromStdString(pad) + "\r") << i;
    ASSERT_GT(n, last) << i;
    last = n;
  }
  EXPECT_TRUE(lines.front().startsWith("0."));
}

TEST_F(RelayTest, ListensOnLoopbackUnlessToldOtherwise) {
  RelayServer relay(Hooks());
  ASSERT_TRUE(relay.Open(0));
  EXPECT_TRUE(Client(relay, "127.0.0.1"));
  // Not on the IPv6 loopback, so not on any other address either.
  QTcpSocket v6;
  v6.connectToHost(QHostAddress::LocalHostIPv6, relay.Port());
  EXPECT_FALSE(v6.waitForConnected(2000));

  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHostIPv6, 0)) GTEST_SKIP() << "no IPv6 loopback here";
  probe.close();
  ASSERT_TRUE(relay.Open(0, "::"));
  EXPECT_TRUE(Client(relay, "::1"));
}

TEST_F(RelayTest, ClosedRelayListensNowhereAndFailedOpenIsReported) {
  RelayServer relay(Hooks());
  ASSERT_TRUE(relay.Open(0));
  const quint16 port = relay.Port();
  auto client = Client(relay);
  ASSERT_TRUE(client);
  relay.Close();
  EXPECT_FALSE(relay.IsListening());
  EXPECT_EQ(relay.ClientCount(), 0);
  WAIT_EQ(client->state(), QAbstractSocket::UnconnectedState, 5000);
  QTcpSocket late;
  late.connectToHost("127.0.0.1", port);
  EXPECT_FALSE(late.waitForConnected(2000));

  QTcpServer holder;
  ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
  EXPECT_FALSE(relay.Open(holder.serverPort()));
  EXPECT_FALSE(relay.IsListening());
  EXPECT_EQ(errors, std::vector<std::string>{"Windows socket error: Address already in use (10048), on API 'bind'"});
  EXPECT_FALSE(relay.Open(1, "not an address"));
  EXPECT_EQ(errors.size(), 2u);
}

}  // namespace
}  // namespace varnak
