// The "Stations" page and "Setup" > "Alerts" on the real window: a station's rows come
// together on the page, a press picks and holds them, and the rules editor saves only
// rows the file reader would keep.
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "app/alert_controller.h"
#include "app/stations_model.h"
#include "support/box_closer.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "ui/alerts_dialog.h"
#include "ui/main_window.h"

namespace varnak {
namespace {

struct Window {
  explicit Window(const std::filesystem::path& dir)
      : form((std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst"),
              dir),
             std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45})) {
    form.station().ShutdownWaitMs = 0;
  }
  TForm1 form;
};

TEST(StationsPage, SkimmerSpotsMakeOneRowAPressPicksItAndHoldsTheRows) {
  test::TempDir dir;
  dir.Write("Varnak.ini", "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nSound=0\r\n");
  Window w(dir.path());
  w.form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form.Edit3->text().isEmpty(); }, 2000));
  const int page = w.form.TabbedNotebook1->indexOf(w.form.StationsGrid);
  ASSERT_GE(page, 0);
  EXPECT_EQ(w.form.TabbedNotebook1->tabText(page), "Stations");
  w.form.TabbedNotebook1->setCurrentIndex(page);

  Station& st = w.form.station();
  for (int i = 0; i < 12; ++i)
    st.ClassifyLine("DX de Q" + std::to_string(i) + "SK-#:  14025.0  VP8PJ        CW " + std::to_string(10 + i) +
                    " dB 25 WPM CQ             2150Z\a\a");
  st.ClassifyLine("DX de Q2XYZ:     7025.0  JA1XYZ       cq                             2153Z\a\a");
  StationsModel& model = st.stations();
  WAIT_EQ(model.rowCount(), 2, 2000);
  EXPECT_EQ(model.index(0, StSkimmers).data().toString(), "12");
  EXPECT_EQ(model.index(0, StSnr).data().toString(), "21");

  StationsView* view = w.form.StationsGrid;
  const QRect vp8 = view->visualRect(model.index(0, StDx));
  QTest::mousePress(view->viewport(), Qt::LeftButton, {}, vp8.center());
  EXPECT_TRUE(st.freeze().Frozen());
  EXPECT_EQ(st.currentSpot().dx, "VP8PJ");
  EXPECT_TRUE(w.form.Label2->text().startsWith("VP8PJ = ")) << w.form.Label2->text().toStdString();
  // Heard again while held: counted in place, it does not move from under the mouse.
  st.ClassifyLine("DX de Q2XYZ:    14025.2  VP8PJ        tnx fer QSO                    2154Z\a\a");
  model.Reorder();
  EXPECT_EQ(model.index(0, StDx).data().toString(), "VP8PJ");
  EXPECT_EQ(model.index(0, StComment).data().toString(), "tnx fer QSO");
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, vp8.center());
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(w.form.Memo1, &enter);
  WAIT_TRUE(!st.freeze().Frozen(), 2000);
  model.Reorder();
  EXPECT_EQ(model.index(1, StDx).data().toString(), "VP8PJ");  // now in order of last heard
}

TEST(StationsPage, AlertsEditorSavesGoodRowsOnlyAndTheRulesTakeThem) {
  test::TempDir dir;
  Window w(dir.path());
  w.form.AlertsAction->trigger();
  TAlertsDlg* dlg = w.form.AlertsDlg;
  ASSERT_TRUE(dlg->isVisible());
  QTest::mouseClick(dlg->AddButton, Qt::LeftButton);
  dlg->Grid->item(0, 1)->setText("vp8*  3Y0J");
  dlg->Grid->item(0, 2)->setText("20 41");
  dlg->Grid->item(0, 7)->setCheckState(Qt::Checked);
  test::BoxCloser boxes;
  dlg->Buttons->button(QDialogButtonBox::Ok)->click();
  WAIT_EQ(boxes.Seen(), 1, 3000);
  EXPECT_TRUE(boxes.Texts()[0].contains("no band \"41\"")) << boxes.Texts()[0].toStdString();
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_FALSE(std::filesystem::exists(dir / "alerts.cfg"));

  dlg->Grid->item(0, 2)->setText("20 40");
  dlg->SetColour(0, "#ffd040");
  dlg->Buttons->button(QDialogButtonBox::Ok)->click();
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dir.Read("alerts.cfg"),
            "On\tCalls\tBands\tModes\tNeeds\tSpotters\tSound\tNotify\tColour\r\n"
            "1\tVP8* 3Y0J\t20 40\t\t\t\t\t1\t#ffd040\r\n");
  ASSERT_EQ(w.form.station().alertRules().Rules().size(), 1u);
  Spot spot;
  spot.valid = true;
  spot.dx = "VP8PJ";
  spot.band = "40";
  EXPECT_EQ(w.form.station().alertRules().RowColour(spot), QColor("#ffd040"));
}

}  // namespace
}  // namespace varnak
