#include <gtest/gtest.h>

#include <QEvent>
#include <QTest>
#include <QWidget>

#include "app/freeze_control.h"
#include "app/keep_alive.h"

using namespace varnak;
using Source = FreezeControl::Source;

namespace {

struct FreezeRig {
  std::vector<std::string> classified;
  std::vector<bool> panel;
  bool nodeConnected = false;
  FreezeControl freeze{FreezeControl::Callbacks{
      [this](const std::string& l) { classified.push_back(l); },
      [this] { return nodeConnected; },
      [this](bool shown) { panel.push_back(shown); }}};
};

}  // namespace

TEST(Freeze, HeldPacketLinesAreReleasedInArrivalOrder) {
  FreezeRig rig;
  EXPECT_FALSE(rig.freeze.HoldIfFrozen(Source::PacketNode, "before"));

  rig.freeze.StartFreeze();
  EXPECT_TRUE(rig.freeze.Frozen());
  EXPECT_EQ(rig.panel, std::vector<bool>{true});
  EXPECT_TRUE(rig.freeze.HoldIfFrozen(Source::PacketNode, "DX de Q2AAA: 14025.0 Q3A"));
  EXPECT_TRUE(rig.freeze.HoldIfFrozen(Source::Monitor, "monitored 1"));
  EXPECT_TRUE(rig.freeze.HoldIfFrozen(Source::PacketNode, "DX de Q2BBB: 7010.0 Q3B"));
  EXPECT_TRUE(rig.freeze.HoldIfFrozen(Source::Monitor, "monitored 2"));
  EXPECT_TRUE(rig.classified.empty());
  EXPECT_EQ(rig.freeze.HeldNodeLines(), "DX de Q2AAA: 14025.0 Q3A\rDX de Q2BBB: 7010.0 Q3B\r");
  EXPECT_EQ(rig.freeze.HeldMonitorLines(), "monitored 1\rmonitored 2\r");

  // The mouse over a pane outside the lists ends the freeze at once.
  rig.freeze.ShortenForMouse();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.freeze.Frozen(); }, 5000));
  EXPECT_EQ(rig.classified, (std::vector<std::string>{"DX de Q2AAA: 14025.0 Q3A", "DX de Q2BBB: 7010.0 Q3B",
                                                      "monitored 1", "monitored 2"}));
  EXPECT_EQ(rig.panel, (std::vector<bool>{true, false}));
  EXPECT_FALSE(rig.freeze.TimerActive());
  EXPECT_TRUE(rig.freeze.HeldNodeLines().empty());
  EXPECT_TRUE(rig.freeze.HeldMonitorLines().empty());
}

TEST(Freeze, TelnetLinesAreNeverHeld) {
  FreezeRig rig;
  rig.freeze.StartFreeze();
  EXPECT_FALSE(rig.freeze.HoldIfFrozen(Source::Telnet, "DX de Q2AAA: 14025.0 Q3A"));
  EXPECT_TRUE(rig.freeze.HeldNodeLines().empty());
  EXPECT_TRUE(rig.freeze.HeldMonitorLines().empty());
}

TEST(Freeze, MonitoredLinesAreDroppedWhileANodeIsConnected) {
  FreezeRig rig;
  rig.nodeConnected = true;
  rig.freeze.StartFreeze();
  rig.freeze.HoldIfFrozen(Source::Monitor, "monitored");
  rig.freeze.HoldIfFrozen(Source::PacketNode, "  node line  ");
  rig.freeze.HoldIfFrozen(Source::PacketNode, "");
  rig.freeze.HoldIfFrozen(Source::PacketNode, "last");
  rig.freeze.EndFreeze();
  // Blanks after a CR go with it, so the empty line between is not classified.
  EXPECT_EQ(rig.classified, (std::vector<std::string>{"node line", "last"}));
}

TEST(Freeze, TheMouseOverAWatchedPaneEndsIt) {
  FreezeRig rig;
  QWidget pane, list;
  rig.freeze.ShortenOnMouseOver(&pane);
  rig.freeze.StartFreeze();
  rig.freeze.HoldIfFrozen(Source::PacketNode, "held");
  QEvent enter(QEvent::Enter);
  QCoreApplication::sendEvent(&list, &enter);  // moving within the lists keeps it
  EXPECT_EQ(rig.freeze.Interval(), FreezeControl::kFreezeMs);
  QCoreApplication::sendEvent(&pane, &enter);
  EXPECT_EQ(rig.freeze.Interval(), FreezeControl::kMouseAwayMs);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.freeze.Frozen(); }, 5000));
  EXPECT_EQ(rig.classified, std::vector<std::string>{"held"});
}

TEST(Freeze, IntervalFollowsTheOperator) {
  FreezeRig rig;
  rig.freeze.ShortenForMouse();  // outside a freeze: nothing starts
  EXPECT_FALSE(rig.freeze.TimerActive());
  EXPECT_FALSE(rig.freeze.Frozen());

  rig.freeze.StartFreeze();
  EXPECT_EQ(rig.freeze.Interval(), FreezeControl::kFreezeMs);
  EXPECT_TRUE(rig.freeze.TimerActive());
  rig.freeze.LengthenForSpotMenu();
  EXPECT_EQ(rig.freeze.Interval(), 30000);
  EXPECT_TRUE(rig.freeze.TimerActive());
  rig.freeze.StartFreeze();  // another click on a list
  EXPECT_EQ(rig.freeze.Interval(), 10000);
  rig.freeze.ShortenForSend();
  EXPECT_EQ(rig.freeze.Interval(), 100);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.freeze.Frozen(); }, 5000));
}

TEST(Freeze, ANewFreezeDuringTheReleaseKeepsTheRestHeld) {
  bool again = true;
  std::vector<std::string> seen;
  FreezeControl refreezing{FreezeControl::Callbacks{[&](const std::string& l) {
    seen.push_back(l);
    if (again) {
      again = false;
      refreezing.StartFreeze();
    }
  }, nullptr, nullptr}};
  refreezing.StartFreeze();
  for (const char* l : {"one", "two", "three"}) refreezing.HoldIfFrozen(Source::PacketNode, l);
  refreezing.HoldIfFrozen(Source::Monitor, "mon");
  refreezing.EndFreeze();
  EXPECT_EQ(seen, std::vector<std::string>{"one"});
  EXPECT_TRUE(refreezing.Frozen());
  EXPECT_EQ(refreezing.HeldNodeLines(), "two\rthree\r");
  refreezing.HoldIfFrozen(Source::PacketNode, "four");
  refreezing.EndFreeze();
  EXPECT_EQ(seen, (std::vector<std::string>{"one", "two", "three", "four", "mon"}));
}

TEST(KeepAlive, SendsOneCrOnlyOnAConnectedPacketLink) {
  bool packet = false, connected = false;
  std::vector<std::string> sent;
  KeepAlive keepAlive(KeepAlive::Link{[&] { return packet; }, [&] { return connected; },
                                      [&](const std::string& t) { sent.push_back(t); }});
  connected = true;
  EXPECT_FALSE(keepAlive.Tick()) << "a Telnet link gets nothing";
  packet = true;
  connected = false;
  EXPECT_FALSE(keepAlive.Tick()) << "no node, nothing to keep alive";
  EXPECT_TRUE(sent.empty());
  connected = true;
  EXPECT_TRUE(keepAlive.Tick());
  EXPECT_EQ(sent, std::vector<std::string>{"\r"});
}

TEST(KeepAlive, TimerKeepsTicking) {
  std::vector<std::string> sent;
  KeepAlive keepAlive(KeepAlive::Link{[] { return true; }, [] { return true; },
                                      [&](const std::string& t) { sent.push_back(t); }},
                      std::chrono::milliseconds(10));
  EXPECT_EQ(KeepAlive::kInterval.count(), 300000);
  keepAlive.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() >= 3; }, 5000));
  keepAlive.Stop();
  EXPECT_FALSE(keepAlive.Active());
  EXPECT_EQ(sent[0], "\r");
  EXPECT_EQ(sent[2], "\r");
}
