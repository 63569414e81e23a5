// The spot filter as the operator meets it: "Setup" > "Filter", the switch at the spot
// notebook, and what a filtered spot no longer does by itself (sound, map plot).
#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include "app/spot_filter_controller.h"
#include "core/ini_file.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "ui/filter_dialog.h"
#include "ui/filter_switch.h"
#include "ui/band_map_view.h"
#include "ui/band_map_window.h"
#include "ui/batched_list_proxy.h"
#include "ui/main_window.h"
#include "ui/spot_list_views.h"

using namespace varnak;

namespace {

// The sounds are found by bare name in the current folder, as in the station folder.
struct CurrentFolder {
  explicit CurrentFolder(const test::TempDir& dir) : old(QDir::currentPath()) {
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
  }
  ~CurrentFolder() { QDir::setCurrent(old); }
  QString old;
};

struct FilterStation {
  explicit FilterStation(const test::TempDir& dir)
      : folder(dir), form((Prepare(dir), dir.path()), std::make_shared<FixedClock>(DateTime{2026, 12, 8, 21, 7, 45})) {
    form.station().ShutdownWaitMs = 0;
    form.desktopWidth = [] { return 1024; };
    form.MapForm->imageFolder = "/usr/share/xplanet/images";
  }
  static void Prepare(const test::TempDir& dir) {
    for (const char* name : {"prefix.lst", "blip.wav", "ring.wav"})
      std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / name, dir / name,
                                 std::filesystem::copy_options::overwrite_existing);
    // A rule with a sound for every spot: its sound follows the filter too.
    dir.Write("alerts.cfg", "On\tCalls\tBands\tModes\tNeeds\tSpotters\tSound\tNotify\tColour\r\n"
                            "1\t\t\t\t\t\tring.wav\t0\t#ffd040\r\n");
    IniFile ini;
    ini.Load(dir / "Varnak.ini");  // a second start keeps what the first one saved
    ini.WriteString("AGWlink", "MyCall", "Q1ABC");
    ini.WriteString("AGWlink", "MyLocator", "JO62QM");
    ini.WriteInteger("AGWlink", "Sound", 1);
    ini.Save(dir / "Varnak.ini");
  }
  CurrentFolder folder;
  TForm1 form;
};

TEST(FilterWindow, DialogSavesTheNamedFiltersAndTheSwitchPicksOne) {
  test::TempDir dir;
  {
    FilterStation s(dir);
    SpotFilterController& filter = s.form.station().filter();
    s.form.FilterAction->trigger();
    TFilterDlg* dlg = s.form.FilterDlg;
    ASSERT_TRUE(dlg->isVisible());
    ASSERT_EQ(dlg->FilterBox->count(), 2);  // "All" is not the operator's to edit
    dlg->FilterBox->setCurrentIndex(1);
    QTest::keyClicks(dlg->NameEdit, " DX CW ");
    EXPECT_EQ(dlg->FilterBox->itemText(1), "Filter 2 DX CW ");
    dlg->NameEdit->setText("EU CW");
    dlg->ModeBoxes[0]->click();
    dlg->SpotterBoxes[3]->click();  // EU
    dlg->KmBox->setValue(2000);
    dlg->NeverEdit->setText("*/b  dl* ");
    dlg->FilterBox->setCurrentIndex(0);  // the edits of the other one are kept meanwhile
    dlg->BandBoxes[ListIndexOfBand("20") - 1]->click();
    dlg->Buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_FALSE(dlg->isVisible());
    ASSERT_EQ(filter.Filters().size(), 3u);
    EXPECT_EQ(filter.Filters()[1].bands, std::vector<std::string>{"20"});
    const SpotFilter& eu = filter.Filters()[2];
    EXPECT_EQ(eu.name, "EU CW");
    EXPECT_EQ(eu.modes, std::vector<ModeGroup>{ModeGroup::Cw});
    EXPECT_EQ(eu.spotterContinents, std::vector<std::string>{"EU"});
    EXPECT_EQ(eu.spotterKm, 2000);
    EXPECT_EQ(eu.neverCalls, (std::vector<std::string>{"*/B", "DL*"}));
    // The switch shows the new name and turns the filter on with the one picked.
    FilterSwitch* bar = s.form.FilterBar;
    EXPECT_EQ(bar->ChoiceBox->itemText(2), "EU CW");
    bar->ChoiceBox->setFocus();
    QTest::keyClick(bar->ChoiceBox, Qt::Key_Down);
    EXPECT_EQ(filter.Chosen(), 1);
    bar->OnBox->click();
    EXPECT_TRUE(filter.Enabled());
    bar->SetHiddenCount(12);
    EXPECT_EQ(bar->HiddenLabel->text(), "12 hidden");
    // Cancel drops what was edited.
    s.form.FilterAction->trigger();
    EXPECT_EQ(dlg->FilterBox->currentIndex(), 0);  // the one in use
    dlg->NameEdit->setText("Gone");
    dlg->Buttons->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(filter.Filters()[1].name, "Filter 1");
  }
  // Read again at the next start.
  FilterStation again(dir);
  const SpotFilterController& filter = again.form.station().filter();
  EXPECT_TRUE(filter.Enabled());
  EXPECT_EQ(filter.Chosen(), 1);
  EXPECT_EQ(filter.Filters()[2].name, "EU CW");
  EXPECT_TRUE(again.form.FilterBar->OnBox->isChecked());
  EXPECT_EQ(again.form.FilterBar->ChoiceBox->currentIndex(), 1);
}

TEST(FilterWindow, HiddenSpotNeitherSoundsNorPlotsButShowInStillWorks) {
  test::TempDir dir;
  FilterStation s(dir);
  Station& station = s.form.station();
  SpotFilter only20;
  only20.bands = {"20"};
  ASSERT_TRUE(station.filter().SaveFilters({only20, SpotFilter{}}));
  station.filter().Choose(1);
  station.filter().SetEnabled(true);
  s.form.show();
  WAIT_TRUE(!s.form.Edit3->text().isEmpty(), 2000);  // the start-up routine ran
  s.form.DxAuto->click();
  ASSERT_TRUE(s.form.DxAuto->isChecked());
  const DxMap& map = s.form.MapForm->Map();

  station.ClassifyLine("DX de Q2XYZ:     7005.0  JA1XYZ       cq                             2154Z\a\a");
  EXPECT_EQ(map.Layer(1).points.size(), 0u);
  EXPECT_EQ(station.alerts().OpenCount(), 0);
  EXPECT_NE(station.lists().All()->Rows().back().find("JA1XYZ"), std::string::npos);  // listed all the same
  const double ja = station.CurrentSpot.Lat;
  EXPECT_NE(map.Target().lat, ja);
  s.form.SpotMenuItems[ShowinDxAtlas1]->trigger();  // the operator asks for it
  EXPECT_EQ(map.Target().lat, ja);

  station.ClassifyLine("DX de Q2XYZ:     14025.5  DL1ABC       cq                             2155Z\a\a");
  EXPECT_EQ(map.Layer(1).points.size(), 1u);
  EXPECT_EQ(station.alerts().OpenCount(), 2);  // the spot sound and the rule's
  s.form.close();
}

TEST(FilterWindow, ListsShowWhatTheFilterPassesAndTheSwitchCountsTheRest) {
  test::TempDir dir;
  FilterStation s(dir);
  Station& station = s.form.station();
  SpotFilter cwEu;  // CW from Europe's spotters within 2000 km, no beacons
  cwEu.modes = {ModeGroup::Cw};
  cwEu.spotterContinents = {"EU"};
  cwEu.spotterKm = 2000;
  cwEu.neverCalls = {"*/B"};
  ASSERT_TRUE(station.filter().SaveFilters({cwEu, SpotFilter{}}));
  station.filter().Choose(1);
  s.form.show();
  WAIT_TRUE(!s.form.Edit3->text().isEmpty(), 2000);
  station.ClassifyLine("DX de DL1ABC:    14025.0  JA1XYZ       cq                             2154Z\a\a");
  station.ClassifyLine("DX de DL1ABC:    14205.0  JA1XYZ       59                             2155Z\a\a");  // phone
  station.ClassifyLine("DX de W1AW:      14026.0  JA2XYZ       cq                             2155Z\a\a");    // spotter in NA
  station.ClassifyLine("DX de DL1ABC:    14027.0  OH2B/B       beacon                         2156Z\a\a");
  station.ClassifyLine("DX de OH2XYZ:    14028.0  VK2XYZ       cq                             2156Z\a\a");
  SpotListView* all = s.form.SpotGrids[kAllList];
  all->Sync();
  const int everyRow = all->shownModel()->rowCount();

  station.filter().SetEnabled(true);
  all->Sync();
  EXPECT_EQ(all->shownModel()->rowCount(), everyRow - 3);
  EXPECT_EQ(all->HiddenCount(), 3);
  EXPECT_EQ(s.form.FilterBar->HiddenLabel->text(), "3 hidden");
  for (int row = 0; row < all->shownModel()->rowCount(); ++row) {
    const QString text = all->shownModel()->index(row).data().toString();
    EXPECT_FALSE(text.contains("JA2XYZ") || text.contains("OH2B/B") || text.contains("14205.0")) << text.toStdString();
  }
  // A new spot the filter hides is counted, and is not presented (lookup line, maps).
  QSignalSpy presented(&station, &Station::spotPresented);
  station.ClassifyLine("DX de W1AW:      14029.0  ZL2XYZ       cq                             2157Z\a\a");
  all->Sync();
  EXPECT_EQ(s.form.FilterBar->HiddenLabel->text(), "4 hidden");
  EXPECT_EQ(presented.count(), 0);
  // The band map draws only what the filter passes too.
  BandMapWindow* map = BandMapOf(s.form);
  ASSERT_NE(map, nullptr);
  map->ShowBand("20");
  std::vector<std::string> standing;
  for (const auto& spot : map->View->Standing()) standing.push_back(spot->dx);
  std::sort(standing.begin(), standing.end());
  EXPECT_EQ(standing, (std::vector<std::string>{"JA1XYZ", "VK2XYZ"}));

  station.filter().SetEnabled(false);
  all->Sync();
  EXPECT_EQ(all->shownModel()->rowCount(), everyRow + 1);
  EXPECT_EQ(s.form.FilterBar->HiddenLabel->text(), "");
  s.form.close();
}

}  // namespace
