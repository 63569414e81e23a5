#include "links/rigctld_client.h"

#include <QSignalSpy>
#include <cmath>
#include <memory>
#include <string>
#include <gtest/gtest.h>

#include "support/rigctld_harness.h"
#include "support/wait_until.h"

using namespace varnak;
using test::FakeRigctld;

namespace {
// Collects the outcome of one call.
struct Outcome {
  bool done = false;
  QString error;
  RigControl::Done operator()() {
    return [this](const QString& e) {
      done = true;
      error = e;
    };
  }
};

void ConnectTo(RigctldClient& rig, int port) {
  Outcome usable;
  rig.Connect("127.0.0.1", port, usable());
  WAIT_TRUE(usable.done, 5000);
  ASSERT_TRUE(usable.error.isEmpty()) << usable.error.toStdString();
}
}  // namespace

TEST(RigctldClient, DrivesTheDummyRigAndReportsOnlyChanges) {
  test::Rigctld rigctld;
  ASSERT_EQ(rigctld.Start(), "");
  RigctldClient rig;
  QSignalSpy changes(&rig, &RigControl::OnParamsChange);
  ConnectTo(rig, rigctld.Port());
  EXPECT_TRUE(rig.Usable());
  EXPECT_EQ(rig.ModelName(), "Dummy");
  WAIT_EQ(changes.count(), 1, 3000);  // the first reading

  // Pipelined writes, answered in order.
  Outcome f, m;
  rig.SetFrequency(7010000, f());
  rig.SetMode(RigMode::DIG, m());
  WAIT_TRUE(m.done, 3000);
  EXPECT_TRUE(f.done && f.error.isEmpty() && m.error.isEmpty());
  EXPECT_EQ(rigctld.Ask({"f"}), "7010000");
  EXPECT_EQ(rigctld.Ask({"m"}).substr(0, 7), "PKTUSB\n");
  WAIT_EQ(changes.count(), 2, 3000);
  EXPECT_EQ(rig.Frequency(), 7010000);
  EXPECT_EQ(rig.ModeName(), "PKTUSB");

  // Another program tunes the radio; then nothing changes for several polls.
  EXPECT_EQ(rigctld.Ask({"F", "21074000"}), "");
  WAIT_EQ(rig.Frequency(), 21074000LL, 3000);
  // The frequency is taken before the poll's mode answer raises the change: let that
  // poll finish, then count.
  QTest::qWait(2 * RigctldClient::kPollMs);
  const int seen = changes.count();
  QTest::qWait(4 * RigctldClient::kPollMs);
  EXPECT_EQ(changes.count(), seen);
}

TEST(RigctldClient, ServerGoingAwayOrMissingFailsOnce) {
  RigctldClient rig;
  QSignalSpy failed(&rig, &RigControl::Failed);
  Outcome refused;
  rig.Connect("127.0.0.1", test::ClosedPort(), refused());
  WAIT_TRUE(refused.done, 5000);
  EXPECT_TRUE(refused.error.startsWith("nothing answers at 127.0.0.1:")) << refused.error.toStdString();
  EXPECT_FALSE(rig.Usable());
  EXPECT_EQ(failed.count(), 0);  // never up, so only the call says so

  test::Rigctld rigctld;
  ASSERT_EQ(rigctld.Start(), "");
  ConnectTo(rig, rigctld.Port());
  rigctld.Kill();
  Outcome pending;
  rig.SetFrequency(14025000, pending());
  WAIT_TRUE(pending.done, 3000);
  EXPECT_FALSE(pending.error.isEmpty());
  WAIT_EQ(failed.count(), 1, 3000);
  EXPECT_FALSE(rig.Usable());
  QTest::qWait(2 * RigctldClient::kPollMs);
  EXPECT_EQ(failed.count(), 1);
}

TEST(RigctldClient, BadAnswersAreErrorsOfTheirCall) {
  // "RPRT -11" to a write: that call fails, the link stays up.
  FakeRigctld refusing([](const QByteArray& r) {
    return r.startsWith("+F") ? FakeRigctld::Reply{"set_freq: 1\nRPRT -11\n"} : FakeRigctld::Normal(r);
  });
  RigctldClient rig;
  QSignalSpy failed(&rig, &RigControl::Failed);
  ConnectTo(rig, refusing.Port());
  Outcome f, after;
  rig.SetFrequency(14025500, f());
  rig.Refresh(after());
  WAIT_TRUE(after.done, 3000);
  EXPECT_TRUE(f.error.contains("RPRT -11 (function not available)")) << f.error.toStdString();
  EXPECT_TRUE(after.error.isEmpty());
  EXPECT_TRUE(rig.Usable());
  EXPECT_EQ(failed.count(), 0);

  // Garbage, silence, a close in mid-answer: each breaks
  // the link with a message that says what went wrong, and ends every pending call.
  struct Case {
    const char* name;
    FakeRigctld::Script script;
    const char* error;
  };
  const Case cases[] = {
      {"garbage", [](const QByteArray& r) { return r == "+f" ? FakeRigctld::Reply{"\x01\xff junk\nRPRT 0\n"} : FakeRigctld::Normal(r); },
       "gave no frequency"},
      {"silent", [silent = std::make_shared<bool>(false)](const QByteArray& r) {
         *silent = *silent || r == "+f";
         return *silent ? FakeRigctld::Reply{} : FakeRigctld::Normal(r);
       },
       "did not answer \"f\" within 1 s"},
      {"closes", [](const QByteArray& r) { return r == "+f" ? FakeRigctld::Reply{"get_freq:\nFreq", true} : FakeRigctld::Normal(r); },
       "closed the connection"},
      {"no line end", [](const QByteArray& r) { return r == "+f" ? FakeRigctld::Reply{QByteArray(70000, 'x')} : FakeRigctld::Normal(r); },
       "line of more than 64 KiB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRigctld server(c.script);
    RigctldClient link;
    QSignalSpy broke(&link, &RigControl::Failed);
    ConnectTo(link, server.Port());
    Outcome later;
    link.SetMode(RigMode::CW, later());
    WAIT_EQ(broke.count(), 1, 4000);
    EXPECT_TRUE(broke.at(0).at(0).toString().contains(c.error)) << broke.at(0).at(0).toString().toStdString();
    WAIT_TRUE(later.done, 1000);
    EXPECT_FALSE(later.error.isEmpty());
    EXPECT_FALSE(link.Usable());
  }
}

TEST(RigctldClient, OddFrequenciesAreReadAsGiven) {
  // 0 and 10^12 are numbers; what to make of them is the window's business.
  for (const char* hz : {"0", "1000000000000", "14074000.000000"}) {
    FakeRigctld server([hz](const QByteArray& r) {
      return r == "+f" ? FakeRigctld::Reply{QByteArray("get_freq:\nFrequency: ") + hz + "\nRPRT 0\n"}
                       : FakeRigctld::Normal(r);
    });
    RigctldClient rig;
    ConnectTo(rig, server.Port());
    Outcome read;
    rig.Refresh(read());
    WAIT_TRUE(read.done, 3000);
    EXPECT_TRUE(read.error.isEmpty()) << hz;
    EXPECT_EQ(rig.Frequency(), std::llround(std::stod(hz)));
  }
}

TEST(RigctldClient, SplitsTheDummyRigAndKnowsItsModes) {
  test::Rigctld rigctld;
  ASSERT_EQ(rigctld.Start(), "");
  RigctldClient rig;
  ConnectTo(rig, rigctld.Port());
  // The dummy rig lists RTTY but no data modes.
  EXPECT_TRUE(rig.Offers(RigMode::RTTY));
  EXPECT_TRUE(rig.Offers(RigMode::CW));
  EXPECT_FALSE(rig.Offers(RigMode::DIG));

  Outcome on, off;
  rig.SetSplit(14030000, RigMode::CW, on());
  WAIT_TRUE(on.done, 3000);
  EXPECT_TRUE(on.error.isEmpty()) << on.error.toStdString();
  EXPECT_EQ(rigctld.Ask({"s"}), "1\nVFOB");
  EXPECT_EQ(rigctld.Ask({"V", "VFOB", "f", "V", "VFOA"}), "14030000");
  EXPECT_EQ(rigctld.Ask({"x"}).substr(0, 3), "CW\n");
  rig.SetSplit(std::nullopt, RigMode::CW, off());
  WAIT_TRUE(off.done, 3000);
  EXPECT_EQ(rigctld.Ask({"s"}), "0\nVFOA");

  // A radio that refuses one step: the first refusal is the outcome.
  FakeRigctld refusing([](const QByteArray& r) {
    return r.startsWith("+I") ? FakeRigctld::Reply{"set_split_freq: 1\nRPRT -11\n"} : FakeRigctld::Normal(r);
  });
  RigctldClient other;
  ConnectTo(other, refusing.Port());
  EXPECT_TRUE(other.Offers(RigMode::DIG));  // no mode list: not known
  Outcome refused;
  other.SetSplit(7005000, RigMode::CW, refused());
  WAIT_TRUE(refused.done, 3000);
  EXPECT_TRUE(refused.error.contains("\"I 7005000\"")) << refused.error.toStdString();
  EXPECT_EQ(refusing.Requests().mid(refusing.Requests().indexOf("+S 1 VFOB"), 3),
            (QList<QByteArray>{"+S 1 VFOB", "+I 7005000", "+X CW 0"}));
}
