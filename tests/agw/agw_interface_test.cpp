#include "agw/agw_interface.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <QThread>
#include <filesystem>
#include <fstream>

#include "agw/agw_test_util.h"
#include "core/text.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace varnak {
namespace {

using test::FakeEngine;
using test::Frame;
using test::WaitUntil;

std::vector<std::string> LogLines(const fs::path& folder) {
  std::vector<std::string> lines;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(in), {});
    for (std::string& line : Split(text, '\n'))
      if (!Trim(line).empty()) lines.push_back(line.substr(line.find("> ") + 2, line.size() - line.find("> ") - 3));
  }
  return lines;
}

class AgwClient : public ::testing::Test {
 protected:
  void SetUp() override {
    client = std::make_unique<TAGWInterface>((dir / "logs").string());
    client->OnError = [this](TAGWInterface*, int code, const std::string& text) {
      events.push_back("error " + std::to_string(code) + " " + text);
    };
    client->OnAGWDisconnect = [this](TAGWInterface*) { events.push_back("disconnect"); };
  }
  void Connect() {
    client->OpenEngine("127.0.0.1", std::to_string(engine.port()));
    ASSERT_TRUE(engine.WaitForClient());
    ASSERT_TRUE(WaitUntil([&] { return client->Connected(); }));
  }

  test::TempDir dir;
  FakeEngine engine;
  std::unique_ptr<TAGWInterface> client;
  std::vector<std::string> events;
};

TEST_F(AgwClient, FramesAreDispatchedOnePerTurnInStreamOrderWhateverTheReads) {
  Connect();
  client->OnConnectedData = [&](TAGWInterface*, int port, int pid, const std::string& from, const std::string& to,
                                const std::string& data, int size) {
    events.push_back("D " + std::to_string(port) + " " + std::to_string(pid) + " " + from + ">" + to + " " + data +
                     " " + std::to_string(size));
  };
  client->OnMonitoredUnprotoInformation = [&](TAGWInterface*, int, const std::string& from, const std::string&,
                                              const std::string& data, int size) {
    events.push_back("U " + from + " [" + data + "] " + std::to_string(size));
  };
  // Two frames in one read: neither is raised inside the read.
  client->ReceiveBytes(Frame('D', 1, "N0AAA", "N0BBB", "hi", 0xF0) + Frame('U', 0, "N0AAA", "BEACON", ""));
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(client->PendingFrames(), 2u);
  ASSERT_TRUE(WaitUntil([&] { return events.size() == 2; }));
  EXPECT_EQ(events[0], "D 2 240 N0AAA>N0BBB hi 2");
  EXPECT_EQ(events[1], "U N0AAA [] 0");

  // One frame over the socket in pieces of 10, 30 and the rest.
  events.clear();
  std::string frame = Frame('D', 0, "N0AAA", "N0BBB", std::string(100, 'z'));
  engine.Send(frame.substr(0, 10));
  engine.Send(frame.substr(10, 30));
  ASSERT_FALSE(WaitUntil([&] { return !events.empty(); }, 200));
  engine.Send(frame.substr(40));
  ASSERT_TRUE(WaitUntil([&] { return events.size() == 1; }));
  EXPECT_EQ(events[0], "D 1 0 N0AAA>N0BBB " + std::string(100, 'z') + " 100");
}

TEST_F(AgwClient, RepliesOfTheWrongSizeRaiseError1001) {
  std::vector<std::string> counts;
  client->OnOutstandingFrames = [&](TAGWInterface*, int, int n) { counts.push_back("y" + std::to_string(n)); };
  client->OnConnectionOutstandingFrames = [&](TAGWInterface*, int, const std::string&, const std::string&, int n) {
    counts.push_back("Y" + std::to_string(n));
  };
  client->OnPortCapabilities = [&](TAGWInterface*, int, const TPortCapabilities& c) {
    counts.push_back("g" + std::to_string(c.MaxFrame));
  };
  client->ReceiveBytes(Frame('y', 0, "", "", "abc") + Frame('Y', 0, "A", "B", "abc") +
                       Frame('g', 0, "", "", "short") + Frame('y', 0, "", "", std::string("\x05\0\0\0", 4)) +
                       Frame('g', 0, "", "", std::string(6, '\0') + "\x07" + std::string(5, '\0')));
  ASSERT_TRUE(WaitUntil([&] { return client->PendingFrames() == 0 && counts.size() == 3; }));
  EXPECT_EQ(counts, (std::vector<std::string>{"Y0", "y5", "g7"}));
  EXPECT_EQ(events, std::vector<std::string>(3, "error 1001 Invalid frame header received"));
}

TEST_F(AgwClient, UnknownKindsAndEmptyHeardEntriesAreHandledQuietly) {
  std::vector<std::string> seen;
  client->OnUnknownPacketType = [&](TAGWInterface*, const TAGWFrameHeader& h) {
    seen.push_back(std::string("?") + h.DataKind + std::to_string(h.DataSize));
  };
  client->OnStationsHeard = [&](TAGWInterface*, int port, const std::string& station, const std::string& info) {
    seen.push_back("H" + std::to_string(port) + station + "|" + info);
  };
  client->OnCallsignRegistration = [&](TAGWInterface*, const std::string& call, bool ok) {
    seen.push_back("X" + call + (ok ? "+" : "-"));
  };
  client->ReceiveBytes(Frame('Z', 0, "", "", "zz") + Frame('x', 0, "", "", "") + Frame('H', 0, "  ", "", "none") +
                       Frame('H', 1, " N0AAA", "", std::string("heard\0junk", 10)) + Frame('X', 0, "N0CLI", "", "") +
                       Frame('X', 0, "N0CLI", "", "\x01"));
  ASSERT_TRUE(WaitUntil([&] { return client->PendingFrames() == 0 && seen.size() == 5; }));
  EXPECT_EQ(seen, (std::vector<std::string>{"?Z2", "?x0", "H2N0AAA|heard", "XN0CLI-", "XN0CLI+"}));
}

TEST_F(AgwClient, OversizedFrameIsRefusedAndTheConnectionClosed) {
  Connect();
  int data = 0;
  client->OnConnectedData = [&](auto...) { ++data; };
  std::string huge = Frame('D', 0, "A", "B", "");
  huge[28 + 2] = 0x10;  // 1 MiB announced
  engine.Send(Frame('D', 0, "A", "B", "ok") + huge + std::string(500, 'g'));
  ASSERT_TRUE(WaitUntil([&] { return events.size() == 2; }));
  EXPECT_EQ(data, 1);
  EXPECT_EQ(events[0], "error 1002 Oversized frame received");
  EXPECT_EQ(events[1], "disconnect");
  EXPECT_FALSE(client->Connected());
}

TEST_F(AgwClient, RequestsWriteTheirFramesAndSplitLongData) {
  Connect();
  ASSERT_TRUE(client->SendConnectedData(3, " N0AAA ", "N0BBB", std::string(600, 'd')));
  ASSERT_TRUE(engine.WaitForBytes(6 * 36 + 600));
  const std::string& got = engine.received();
  std::size_t pos = 0;
  std::string kinds;
  while (pos + 36 <= got.size()) {
    TAGWFrameHeader h = DecodeHeader(got.data() + pos);
    kinds += h.DataKind + std::to_string(h.DataSize) + " ";
    EXPECT_EQ(h.Port, 2u);
    EXPECT_EQ(ReadCallField(h.FromCall), "N0AAA");
    pos += 36 + h.DataSize;
  }
  EXPECT_EQ(kinds, "D255 D255 D90 Y0 Y0 Y0 ");
  EXPECT_EQ(pos, got.size());
}

TEST_F(AgwClient, OpenEngineReadsHostAndPortTexts) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  client->OpenEngine("", fmt::format(" {} ", server.serverPort()));
  EXPECT_EQ(client->EngineHost(), "localhost");
  ASSERT_TRUE(WaitUntil([&] { return server.hasPendingConnections(); }));
  client->OpenEngine("127.0.0.1", "eighty");
  EXPECT_EQ(client->EnginePort(), 8000);
  client->CloseEngine();
}

TEST_F(AgwClient, WithoutDetailsOnlyFailuresReachTheLog) {
  bool connecting = false;
  client->OnAGWConnecting = [&](TAGWInterface*) { connecting = true; };
  int closedPort;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    closedPort = probe.serverPort();
  }
  EXPECT_FALSE(client->SendConnectedData(1, "A", "B", "x"));
  client->OpenEngine("127.0.0.1", std::to_string(closedPort));
  ASSERT_TRUE(WaitUntil([&] { return !events.empty(); }));
  EXPECT_TRUE(connecting);
  EXPECT_EQ(events[0], "error 10061 Connect Error");
  client->ReceiveBytes(Frame('R', 0, "", "", "12345678"));
  ASSERT_TRUE(WaitUntil([&] { return client->PendingFrames() == 0; }));
  client.reset();
  EXPECT_EQ(LogLines(dir / "logs"), (std::vector<std::string>{"Error: Can not send - no connection to Packet Engine",
                                                              "Connect Error [10061]"}));
}

TEST_F(AgwClient, DetailsAndFrameDumpsDescribeEachFrame) {
  client->LogSettings().SetLogDetails(true);
  client->LogSettings().SetLogFrames(true);
  client->ReceiveBytes(Frame('R', 0, "", "", std::string("\xd5\x07\0\0\x7f\0\0\0", 8)) +
                       Frame('C', 0, "N0AAA", "N0BBB", "*** CONNECTED With N0AAA"));
  ASSERT_TRUE(WaitUntil([&] { return client->PendingFrames() == 0; }));
  client.reset();
  auto lines = LogLines(dir / "logs");
  ASSERT_EQ(lines.size(), 19u);
  EXPECT_EQ(lines[0], "<rxframe>");
  EXPECT_EQ(lines[4], "<data>");
  EXPECT_EQ(lines[6], "AGW Version 2005.127");
  EXPECT_EQ(lines[7], "<rxframe>");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 14, lines.end()),
            (std::vector<std::string>{"Connection Received - Port: 1", "      From: N0AAA", "        To: N0BBB",
                                      "  DataSize: 24", "      Data: *** CONNECTED With N0AAA"}));
}

TEST_F(AgwClient, LogFileCreationIsReportedOnTheUserInterfaceThread) {
  QThread* thread = nullptr;
  std::string name;
  client->Logger().OnFileCreated = [&](TCustomMessageLogger*, const std::string& file) {
    thread = QThread::currentThread();
    name = file;
  };
  client->SendUnproto(1, "A", "B", "not connected");
  ASSERT_TRUE(WaitUntil([&] { return thread != nullptr; }));
  EXPECT_EQ(thread, QCoreApplication::instance()->thread());
  EXPECT_EQ(fs::path(name).parent_path(), dir / "logs");
  EXPECT_TRUE(StartsWith(fs::path(name).filename().string(), "varnak "));
  EXPECT_TRUE(EndsWith(name, "L.log"));
}

}  // namespace
}  // namespace varnak

namespace varnak {
namespace {

TEST(AgwClientHandlers, AFailingHandlerDoesNotStopTheFramesBehindIt) {
  test::TempDir dir;
  TAGWInterface client(dir.path().string());
  std::vector<std::string> seen;
  client.OnConnectedData = [&](TAGWInterface* sender, int, int, const std::string&, const std::string&,
                               const std::string& data, int) {
    seen.push_back(data);
    // A handler that sends must not run the extraction again.
    sender->SendConnectedData(1, "A", "B", "reply");
    if (data == "boom") throw std::runtime_error("handler failed");
  };
  client.ReceiveBytes(test::Frame('D', 0, "A", "B", "one") + test::Frame('D', 0, "A", "B", "boom") +
                      test::Frame('D', 0, "A", "B", "three"));
  ASSERT_TRUE(test::WaitUntil([&] { return seen.size() == 3; }));
  EXPECT_EQ(seen, (std::vector<std::string>{"one", "boom", "three"}));
}

}  // namespace
}  // namespace varnak
