#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include "app/rig_controller.h"
#include "core/ini_file.h"
#include "support/fake_rig.h"
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
  }
  TForm1 form;
};

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

TEST(RigWindow, FollowsAndTunesTheDummyRadioUntilRigctldGoesAway) {
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

  // rigctld ends: switched off, told once.
  rigctld.Kill();
  WAIT_TRUE(f.RigBox, 4000);
  EXPECT_FALSE(f.VrCheckLed1->isChecked());
  EXPECT_EQ(f.VrCheckLed1->text(), "Off");
  EXPECT_EQ(f.VrStrEdit1->text(), "- - - - - -");
  QTest::qWait(3 * 500);
  EXPECT_EQ(f.findChildren<QMessageBox*>("RigBox").size(), 1);
  QString box = TakeRigBox(f);
  EXPECT_TRUE(box.startsWith("No OmniRig driver\nPlease download at https://hamlib.github.io/")) << box.toStdString();
}

TEST(RigWindow, RefusedConnectBadSpotFrequencyAndRefusedMode) {
  test::TempDir dir;
  Window w(dir.path(), test::ClosedPort());
  TForm1& f = w.form;
  f.show();
  f.VrCheckLed1->setChecked(true);
  WAIT_TRUE(f.RigBox, 5000);
  EXPECT_FALSE(f.VrCheckLed1->isChecked());
  EXPECT_TRUE(TakeRigBox(f).contains("cannot reach rigctld"));

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
    QTest::mouseClick(dlg->OkButton, Qt::LeftButton);
    EXPECT_TRUE(f.VrCheckLed1->isChecked());
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
