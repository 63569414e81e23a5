// The monitor and heard windows and their buttons, offscreen.
#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "agw/packet_cluster_link.h"
#include "support/temp_dir.h"
#include "ui/edit_button_dialog.h"
#include "ui/main_window.h"
#include "ui/windows.h"

namespace varnak {
namespace {

QString Text(TextWindow& w) { return w.text()->toPlainText(); }

TEST(MonitorWindow, ShowdataAddsOneLinePerCrAndKeepsTheTailPastTenThousand) {
  TMoniForm moni;
  moni.Showdata("");
  moni.Showdata("  first\r\r second \rthird");
  EXPECT_EQ(Text(moni), "\nfirst\nsecond\nthird");

  moni.Clear();
  const std::string line(99, 'a');  // with its line break, 100 characters a line
  for (int i = 0; i < 100; ++i) moni.Showdata(line);
  EXPECT_EQ(Text(moni).size(), 9999);
  moni.Showdata("bb");  // 10002: keep from character 8000 on
  const QString t = Text(moni);
  EXPECT_EQ(t.size(), 10002 - 7999);
  EXPECT_TRUE(t.endsWith("\nbb"));
  EXPECT_EQ(moni.text()->textCursor().position(), t.size());
}

TEST(PacketButtons, OpenTheWindowsAndTheNodeLinkDrivesConnectAndDisconnect) {
  test::TempDir dir;
  TForm1 form(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 50, 0}));
  form.EditButtonDlg = new TEditButtonDlg(&form);
  form.Callsign = new TCallsign(form.station().ProgramDir(), &form);
  form.CreateSecondaryWindows();
  Station& station = form.station();
  station.settings().Telnet = 0;
  station.settings().ConnectCall = "Q9NODE";
  EXPECT_EQ(form.MonitorButton->toolTip(), "Open monitor window");
  EXPECT_EQ(form.MheardButton->toolTip(), "Open Mheard window");

  form.MonitorButton->click();
  EXPECT_TRUE(form.MoniForm->isVisible());
  form.MheardButton->click();
  EXPECT_TRUE(form.Mheard->isVisible());
  EXPECT_TRUE(station.Packet().HeardWindowMode());

  PacketClusterLink& link = station.Packet();
  link.AGWInterface1StationsHeard(&link.AGWInterface1, 1, "Q2AAA", "Q2AAA 21:40");
  EXPECT_EQ(form.Mheard->text()->toPlainText(), "Port 1\n    Q2AAA 21:40");
  link.Showdata("1:Fm Q2AAA To ID <UI>\rJO62QM");
  EXPECT_EQ(form.MoniForm->text()->toPlainText(), "1:Fm Q2AAA To ID <UI>\nJO62QM");

  link.AGWInterface1ConnectionReceived(&link.AGWInterface1, 1, "Q9NODE", "Q1ABC", "*** CONNECTED\r", 14);
  EXPECT_FALSE(form.VrConnect->isVisibleTo(&form));
  EXPECT_TRUE(form.VrDisconnect->isVisibleTo(&form));
  EXPECT_TRUE(form.VrDemoButton1->isEnabled());
  link.AGWInterface1DisconnectedEvent(&link.AGWInterface1, 1, "q9node", "Q1ABC", "*** DISCONNECTED\r", 17);
  EXPECT_TRUE(station.NodeConnected);  // calls compare exactly
  link.AGWInterface1DisconnectedEvent(&link.AGWInterface1, 1, "Q9NODE", "Q1ABC", "*** DISCONNECTED\r", 17);
  EXPECT_TRUE(form.VrConnect->isVisibleTo(&form));
  EXPECT_EQ(form.StatLabel->text(), "Disconnected from Q9NODE");
  // The node link goes with the engine.
  link.AGWInterface1ConnectionReceived(&link.AGWInterface1, 1, "Q9NODE", "Q1ABC", "*** CONNECTED\r", 14);
  link.AGWInterface1AGWDisconnect(&link.AGWInterface1);
  EXPECT_FALSE(form.VrDemoButton1->isEnabled());
  EXPECT_TRUE(form.VrConnect->isVisibleTo(&form));
  EXPECT_FALSE(station.NodeConnected);
}

}  // namespace
}  // namespace varnak
