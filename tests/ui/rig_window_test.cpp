#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include "app/rig_controller.h"
#include "core/ini_file.h"
#include "support/box_closer.h"
#include "support/fake_rig.h"
#include "support/manual_ticker.h"
#include "support/rigctld_harness.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "ui/main_window.h"

using namespace varnak;

namespace {
struct Window {
  Window(const std::filesystem::path& dir, int rigPort) : form(dir, std::make_shared<SystemClock>()) {
    form.station().ShutdownWaitMs = 0;
    form.station().settings().RigPort = rigPort;
    auto owned = std::make_unique<test::ManualTicker>();
    ticker = owned.get();
    form.station().rig().UseTicker(std::move(owned));
  }
  TForm1 form;
  test::ManualTicker* ticker;
};

// The pane's lines about the rig.
QStringList RigLines(TForm1& form) {
  QStringList lines;
  for (const std::string& line : form.station().pane().Texts())
    if (line.find("*** Rig: ") != std::string::npos) lines << QString::fromStdString(line);
  return lines;
}

// The text of the rig's box when one is open; closes it.
QString TakeRigBox(TForm1& form) {
  if (!form.RigBox) return {};
  QString text = form.RigBox->text();
  form.RigBox->close();
  return text;
}

// "14074000 USB": what the radio is set to, asked by a second client.
std::string Tuned(test::Rigctld& rigctld) {
  std::string mode = rigctld.Ask({"m"});
  return rigctld.Ask({"f"}) + " " + mode.substr(0, mode.find('\n'));
}
}  // namespace

TEST(RigWindow, FollowsAndTunesTheDummyRadio) {
  test::Rigctld rigctld;
  ASSERT_EQ(rigctld.Start(), "");
  test::TempDir dir;
  Window w(dir.path(), rigctld.Port());
  TForm1& f = w.form;
  f.show();
  WAIT_TRUE(!f.Edit3->text().isEmpty(), 2000);  // started up, the focus in the send box
  QWidget* focus = QApplication::focusWidget();

  f.VrCheckLed1->setChecked(true);
  WAIT_EQ(f.VrStrEdit1->text(), QString("145000.0"), 5000);  // the dummy rig starts on 2 m FM
  EXPECT_EQ(f.VrCheckLed1->text(), "On");
  EXPECT_EQ(f.DxQrgEdit->text(), "145000.0");
  EXPECT_EQ(f.ModeBox->currentText(), "FM");
  EXPECT_EQ(f.RigStatus->text(), "Radio: 145000.0 kHz  2m");
  EXPECT_EQ(f.station().rig().LastFrequency(), 145000000);

  // "Set QRG" on several bands, the mode by band plan; a freeze is shortened.
  f.station().freeze().StartFreeze();
  const std::pair<const char*, const char*> spots[] = {
      {"1830000", "1830000 CW"}, {"7045000", "7045000 LSB"}, {"14074000", "14074000 USB"},
      {"29600000", "29600000 FM"}, {"432200000", "432200000 USB"}};
  for (auto [hz, tuned] : spots) {
    f.station().CurrentSpot.HzText = hz;
    f.SetQRG1Click();
    WAIT_TRUE(Tuned(rigctld) == tuned, 5000);
  }
  EXPECT_EQ(f.station().freeze().Interval(), FreezeControl::kSendMs);

  // The operator turns the radio (another rigctld client does it for him).
  EXPECT_EQ(rigctld.Ask({"F", "10120000"}), "");
  EXPECT_EQ(rigctld.Ask({"M", "CWR", "0"}), "");
  WAIT_EQ(f.VrStrEdit1->text(), QString("10120.0"), 3000);
  WAIT_EQ(f.ModeBox->currentText(), QString("CWR"), 3000);
  EXPECT_EQ(f.DxQrgEdit->text(), "10120.0");
  EXPECT_EQ(f.RigStatus->text(), "Radio: 10120.0 kHz  30m");
  EXPECT_EQ(QApplication::focusWidget(), focus);

  // The operator's mode choice goes to the radio.
  f.ModeBox->setCurrentIndex(4);
  emit f.ModeBox->activated(4);
  WAIT_TRUE(Tuned(rigctld) == "10120000 PKTUSB", 3000);

  // A double click on a spot tunes to it.
  f.station().ClassifyLine("DX de Q2XYZ:     18075.0  JA1XYZ       cq                             2153Z");
  SpotListView* all = f.SpotGrids[0];
  WAIT_TRUE(all->model()->rowCount() == static_cast<int>(all->spotModel()->Rows().size()), 2000);
  QRect r = all->visualRect(all->model()->index(all->model()->rowCount() - 1, 0));
  QTest::mouseDClick(all->viewport(), Qt::LeftButton, {}, r.center());
  WAIT_TRUE(Tuned(rigctld) == "18075000 CW", 5000);

}

TEST(RigWindow, RefusedConnectBadSpotFrequencyAndRefusedMode) {
  test::TempDir dir;
  Window w(dir.path(), test::ClosedPort());
  TForm1& f = w.form;
  f.show();
  EXPECT_EQ(f.VrCheckLed1->text(), "Off");
  // The operator's own click is answered with a box, and the switch goes back off,
  // stored as it shows, so that the next start is quiet.
  f.VrCheckLed1->click();
  WAIT_TRUE(f.RigBox, 5000);
  EXPECT_FALSE(f.VrCheckLed1->isChecked());
  EXPECT_EQ(f.VrCheckLed1->text(), "Off");
  EXPECT_FALSE(f.station().settings().RigEnabled);
  EXPECT_EQ(f.findChildren<QMessageBox*>("RigBox").size(), 1);
  const QString port = QString::number(f.station().settings().RigPort);
  const QString box = TakeRigBox(f);
  EXPECT_TRUE(box.startsWith("No OmniRig driver\nPlease download at https://hamlib.github.io/\n\nNothing answers at 127.0.0.1:" + port))
      << box.toStdString();
  EXPECT_TRUE(box.contains("rigctld -m MODEL -r DEVICE -t " + port)) << box.toStdString();

  auto owned = std::make_unique<test::FakeRig>();
  test::FakeRig* rig = owned.get();
  f.station().rig().UseRig(std::move(owned));
  for (const char* bad : {"14O25500", "", "0", "99999999999999999999"}) {
    f.station().CurrentSpot.HzText = bad;
    f.SetQRG1Click();
    ASSERT_TRUE(f.RigBox) << bad;
    EXPECT_EQ(f.RigBox->icon(), QMessageBox::Critical);
    TakeRigBox(f);
  }
  EXPECT_TRUE(rig->calls.isEmpty()) << rig->calls.join(", ").toStdString();
  EXPECT_FALSE(f.VrCheckLed1->isChecked());

  // Off, a mode choice cannot reach the radio; on, the radio may refuse it.
  emit f.ModeBox->activated(0);
  EXPECT_TRUE(TakeRigBox(f).contains("switched off"));
  f.VrCheckLed1->setChecked(true);
  WAIT_TRUE(rig->Usable(), 2000);
  rig->modeError = "rigctld at 127.0.0.1:4532 refused \"M AM 0\": RPRT -9";
  emit f.ModeBox->activated(6);
  WAIT_TRUE(f.RigBox, 2000);
  EXPECT_TRUE(TakeRigBox(f).contains("RPRT -9"));
  EXPECT_TRUE(f.VrCheckLed1->isChecked());  // a refused mode leaves the link as it is
  // A radio reporting nonsense leaves the display as it was.
  f.ModeBox->setCurrentIndex(3);
  WAIT_TRUE((rig->Report(14025500, RigMode::CW), f.ModeBox->currentText() == "CW"), 2000);  // once the mode has settled
  rig->Report(0, std::nullopt);  // a mode of no name here, as RTTY
  rig->Report(1'000'000'000'000, RigMode::CW);
  EXPECT_EQ(f.VrStrEdit1->text(), "14025.5");
  EXPECT_EQ(f.ModeBox->currentText(), "CW");
}

TEST(RigWindow, SetupTestsTheServerAndTheSwitchComesBackOnAtStart) {
  test::Rigctld rigctld;
  ASSERT_EQ(rigctld.Start(), "");
  test::TempDir dir;
  {
    Window w(dir.path(), 4532);
    TForm1& f = w.form;
    f.show();
    f.SetupOmnirig1Click();
    TRigSetupDlg* dlg = f.RigSetupDlg;
    ASSERT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->HostEdit->text(), "127.0.0.1");
    EXPECT_EQ(dlg->PortEdit->value(), 4532);
    dlg->PortEdit->setValue(rigctld.Port());
    QTest::mouseClick(dlg->TestButton, Qt::LeftButton);
    WAIT_EQ(dlg->TestResult->text(), QString("Dummy rig, 145.000000 MHz FM"), 5000);
    // OK keeps the address; switching on stays the operator's.
    QTest::mouseClick(dlg->OkButton, Qt::LeftButton);
    EXPECT_FALSE(f.VrCheckLed1->isChecked());
    EXPECT_EQ(f.station().settings().RigPort, rigctld.Port());
    f.VrCheckLed1->click();
    WAIT_EQ(f.VrStrEdit1->text(), QString("145000.0"), 5000);
    f.close();
  }
  IniFile ini;
  ini.Load(dir / "Varnak.ini");
  EXPECT_EQ(ini.ReadInteger("OmniRig", "Port", 0), rigctld.Port());
  EXPECT_EQ(ini.ReadString("OmniRig", "Host", ""), "127.0.0.1");
  EXPECT_TRUE(ini.ReadBool("OmniRig", "Enabled", false));

  Window again(dir.path(), rigctld.Port());
  again.form.show();
  WAIT_EQ(again.form.VrStrEdit1->text(), QString("145000.0"), 5000);
}

TEST(RigWindow, EnabledAtStartWithoutRigctldLooksQuietlyUntilItAnswers) {
  const int port = test::ClosedPort();
  test::TempDir dir;
  Window w(dir.path(), port);
  TForm1& f = w.form;
  RigController& rig = f.station().rig();
  f.station().settings().RigEnabled = true;
  test::BoxCloser closer;
  f.show();
  WAIT_EQ(rig.NextTryIn(), 1, 5000);
  EXPECT_EQ(f.VrCheckLed1->text(), "On");
  EXPECT_EQ(f.VrStrEdit1->text(), "no radio");
  for (int wait : {1, 2, 4, 8, 16, 32, 60, 60}) {
    WAIT_EQ(rig.NextTryIn(), wait, 5000);
    w.ticker->Pass(wait);
  }
  ASSERT_EQ(RigLines(f).size(), 1);
  EXPECT_TRUE(RigLines(f)[0].contains(QString("Rig: nothing answers at 127.0.0.1:%1").arg(port))) << RigLines(f)[0].toStdString();

  // rigctld comes, goes away and comes back on the same port: picked up each time.
  test::Rigctld rigctld;
  // The next try comes when the seconds have passed (or the one under way finds it).
  auto pickedUp = [&] { return (w.ticker->Pass(rig.NextTryIn()), f.VrStrEdit1->text() == "145000.0"); };
  ASSERT_EQ(rigctld.Start(port), "");
  WAIT_TRUE(pickedUp(), 5000);
  rigctld.Kill();
  WAIT_EQ(f.VrStrEdit1->text(), QString("no radio"), 5000);
  EXPECT_TRUE(f.VrCheckLed1->isChecked() && f.station().settings().RigEnabled);
  ASSERT_EQ(rigctld.Start(port), "");
  WAIT_TRUE(pickedUp(), 5000);
  EXPECT_EQ(RigLines(f).size(), 4);  // gone, back, gone, back
  EXPECT_EQ(closer.Seen() + closer.OpenCount(), 0);

  // Switched off, stored off, and no more tries.
  rigctld.Stop();
  WAIT_EQ(rig.NextTryIn(), 1, 5000);
  f.VrCheckLed1->click();
  EXPECT_EQ(rig.NextTryIn(), 0);
  EXPECT_FALSE(f.station().settings().RigEnabled);
}

TEST(RigWindow, LinkBreakingUnderAModeWriteGivesOneBox) {
  // The server answers like the dummy rig and drops the link at the mode write.
  test::FakeRigctld server([](const QByteArray& request) -> test::FakeRigctld::Reply {
    if (request.startsWith("+M")) return {"", true};
    return test::FakeRigctld::Normal(request);
  });
  test::TempDir dir;
  Window w(dir.path(), server.Port());
  TForm1& f = w.form;
  f.show();
  f.VrCheckLed1->click();
  WAIT_EQ(f.VrStrEdit1->text(), QString("14025.5"), 5000);
  emit f.ModeBox->activated(6);
  WAIT_EQ(RigLines(f).size(), 1, 5000);
  QList<QMessageBox*> boxes = f.findChildren<QMessageBox*>("RigBox");
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0]->text().contains("closed the connection")) << boxes[0]->text().toStdString();
  EXPECT_TRUE(f.VrCheckLed1->isChecked());  // looked for again, quietly
  TakeRigBox(f);
}

TEST(RigWindow, CtrlReturnTunesTheSpotWithItsModeAndSplit) {
  test::Rigctld rigctld;
  ASSERT_EQ(rigctld.Start(), "");
  test::TempDir dir;
  Window w(dir.path(), rigctld.Port());
  TForm1& f = w.form;
  f.show();
  WAIT_TRUE(f.station().StartupDone(), 2000);
  EXPECT_TRUE(f.SplitFromSpotCheck->isChecked());
  auto tuneLast = [&](auto* view) {
    WAIT_TRUE(view->model()->rowCount() == static_cast<int>(f.station().lists().All()->Rows().size()), 2000);
    view->setCurrentIndex(view->model()->index(view->model()->rowCount() - 1, 0));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
  };
  auto split = [&] { return rigctld.Ask({"s"}) + " " + rigctld.Ask({"V", "VFOB", "f", "V", "VFOA"}); };

  // In the one-column list: the DX listens 5 kHz up.
  f.station().ClassifyLine("DX de Q2XYZ:     14195.0  JA1XYZ       UP 5                           2153Z");
  tuneLast(f.SpotGrids[0]);
  WAIT_TRUE(Tuned(rigctld) == "14195000 USB", 5000);
  WAIT_EQ(split(), std::string("1\nVFOB 14200000"), 3000);

  // Unticked, a tune leaves the radio's split alone.
  f.SplitFromSpotCheck->click();
  EXPECT_FALSE(f.station().settings().RigSplitFromSpot);
  f.station().ClassifyLine("DX de Q2XYZ:     18075.0  K1ABC        QSX 18080                      2154Z");
  tuneLast(f.SpotGrids[0]);
  WAIT_TRUE(Tuned(rigctld) == "18075000 CW", 5000);
  EXPECT_EQ(split(), "1\nVFOB 14200000");

  // In the columns view, ticked again: an FT8 spot without a split ends the split. The
  // dummy rig has no data mode, so the data mode falls back to its side band.
  f.SplitFromSpotCheck->click();
  f.SetSpotColumns(true);
  f.station().ClassifyLine("DX de Q2XYZ:      7074.0  K1ABC        FT8 -12dB                      2155Z");
  tuneLast(f.ColumnGrids[0]);
  WAIT_TRUE(Tuned(rigctld) == "7074000 USB", 5000);
  WAIT_EQ(rigctld.Ask({"s"}), std::string("0\nVFOA"), 3000);

  // The choice is kept for the next start.
  f.SplitFromSpotCheck->click();
  f.close();
  IniFile ini;
  ini.Load(dir / "Varnak.ini");
  EXPECT_FALSE(ini.ReadBool("OmniRig", "SplitFromSpot", true));
}

TEST(RigWindow, TuneUsesTheRadiosDataModeAndTellsARefusedSplit) {
  test::TempDir dir;
  Window w(dir.path(), 4532);
  TForm1& f = w.form;
  auto owned = std::make_unique<test::FakeRig>();
  test::FakeRig* rig = owned.get();
  rig->offered = {RigMode::CW, RigMode::USB, RigMode::LSB, RigMode::DIG};
  f.station().rig().UseRig(std::move(owned));
  f.show();
  WAIT_TRUE(f.station().StartupDone(), 2000);

  // Switched off: the tune waits for the radio, then sets data mode and the split.
  f.station().ClassifyLine("DX de Q2XYZ:     14080.0  JA1XYZ       RTTY up 2                      2153Z");
  f.SetQRG1Click();
  WAIT_EQ(rig->calls.size(), 5, 2000);
  EXPECT_EQ(rig->calls.join(", "), "Connect, F 14080000, M DIG, F 14080000, X 14082000 DIG");
  EXPECT_TRUE(f.VrCheckLed1->isChecked());

  rig->splitError = "rigctld at 127.0.0.1:4532 refused \"S 1 VFOB\": RPRT -11";
  rig->calls.clear();
  f.SetQRG1Click();
  WAIT_TRUE(f.RigBox, 2000);
  EXPECT_TRUE(TakeRigBox(f).startsWith("The radio cannot transmit split: rigctld"));
  EXPECT_TRUE(f.VrCheckLed1->isChecked());
  // Clearing a split the radio cannot do is no news.
  f.station().ClassifyLine("DX de Q2XYZ:     14074.0  JA1XYZ       -12dB                          2154Z");
  f.SetQRG1Click();
  WAIT_EQ(rig->calls.size(), 8, 2000);
  EXPECT_EQ(rig->calls.mid(4).join(", "), "F 14074000, M DIG, F 14074000, X off");
  QTest::qWait(50);
  EXPECT_FALSE(f.RigBox);
}
