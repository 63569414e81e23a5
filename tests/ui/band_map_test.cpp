#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/rig_controller.h"
#include "app/spot_lists.h"
#include "support/manual_ticker.h"
#include "support/rigctld_harness.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "ui/band_map_window.h"
#include "ui/main_window.h"

using namespace varnak;

namespace {
struct Window {
  Window(const std::filesystem::path& dir, int rigPort) : form(dir, std::make_shared<SystemClock>()) {
    form.station().ShutdownWaitMs = 0;
    form.station().settings().RigPort = rigPort;
    form.station().rig().UseTicker(std::make_unique<test::ManualTicker>());
  }
  TForm1 form;
};

void SendSpot(Station& st, const std::string& khz, const std::string& call, const std::string& spotter = "Q2XYZ") {
  // The columns of a DX Spider spot line.
  const auto padTo = [](std::string& s, int column) { s.append(std::max<int>(1, column - static_cast<int>(s.size())), ' '); };
  std::string line = "DX de " + spotter + ":";
  padTo(line, 24 - static_cast<int>(khz.size()));
  line += khz + "  " + call;
  padTo(line, 39);
  line += "cq";
  padTo(line, 70);
  st.ClassifyLine(line + "2153Z");
}

const varnak::Spot* Standing(BandMapWindow& map, const std::string& call) {
  for (const auto& s : map.View->Standing())
    if (s->dx == call) return s.get();
  return nullptr;
}
}  // namespace

TEST(BandMap, FollowsTheRadioAndTunesFromTheMap) {
  test::Rigctld rigctld;
  ASSERT_EQ(rigctld.Start(), "");
  test::TempDir dir;
  Window w(dir.path(), rigctld.Port());
  TForm1& f = w.form;
  Station& st = f.station();
  f.show();
  WAIT_TRUE(!f.Edit3->text().isEmpty(), 2000);
  BandMapWindow& map = *BandMapOf(f);
  map.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&map));

  // Without a radio the chooser picks the band; the stored default is 20 m.
  EXPECT_EQ(map.BandText(), "20");
  map.BandBox->setCurrentIndex(map.BandBox->findData("40"));
  emit map.BandBox->activated(map.BandBox->currentIndex());
  EXPECT_EQ(map.BandText(), "40");

  f.VrCheckLed1->setChecked(true);
  WAIT_EQ(map.BandText(), std::string("2"), 5000);  // the dummy rig starts on 2 m
  EXPECT_EQ(map.View->RadioKhz(), 145000.0);
  SendSpot(st, "14010.0", "DL1ABC");
  SendSpot(st, "14030.0", "JA1XYZ");
  SendSpot(st, "14030.5", "JA1XYZ", "Q3AB-#");  // the same station again: only this one stands
  SendSpot(st, "14040.0", "VP8PJ");
  SendSpot(st, "7012.0", "K1ABC");
  // The operator turns the radio to 20 m: the map goes along and keeps it in view.
  EXPECT_EQ(rigctld.Ask({"F", "14025000"}), "");
  WAIT_EQ(map.View->RadioKhz(), std::optional<double>(14025.0), 5000);
  EXPECT_EQ(map.BandText(), "20");
  map.View->SetView(14300, 10);
  EXPECT_EQ(rigctld.Ask({"F", "14026000"}), "");
  WAIT_EQ(map.View->RadioKhz(), std::optional<double>(14026.0), 5000);
  EXPECT_TRUE(map.View->View().Contains(14026.0));
  EXPECT_EQ(map.View->Standing().size(), 3u);
  ASSERT_TRUE(Standing(map, "JA1XYZ"));
  EXPECT_EQ(Standing(map, "JA1XYZ")->khz, 14030.5);
  EXPECT_TRUE(Standing(map, "JA1XYZ")->skimmer);

  // Ctrl+Up and Ctrl+Down tune to the next spot above and below the radio.
  map.View->SetView(14025, 60);
  map.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&map));
  const std::pair<bool, const char*> steps[] = {{true, "14030500"}, {true, "14040000"}, {false, "14030500"}, {false, "14010000"}};
  for (auto [up, hz] : steps) {
    QTest::keyClick(map.View, up ? Qt::Key_Up : Qt::Key_Down, Qt::ControlModifier);
    WAIT_EQ(rigctld.Ask({"f"}), std::string(hz), 5000);
    WAIT_EQ(map.View->RadioKhz(), std::optional<double>(std::stod(hz) / 1000), 5000);
  }
  EXPECT_EQ(st.currentSpot().dx, "DL1ABC");
  QTest::keyClick(map.View, Qt::Key_Down, Qt::ControlModifier);  // nothing below: stays
  EXPECT_EQ(rigctld.Ask({"f"}), "14010000");

  // A click makes the spot current, a double click tunes to it.
  QApplication::processEvents();
  map.View->repaint();
  const QRect vp = map.View->LabelRect(*Standing(map, "VP8PJ"));
  ASSERT_FALSE(vp.isEmpty());
  QTest::mouseClick(map.View, Qt::LeftButton, {}, vp.center());
  EXPECT_EQ(st.currentSpot().dx, "VP8PJ");
  EXPECT_EQ(rigctld.Ask({"f"}), "14010000");
  QTest::mouseDClick(map.View, Qt::LeftButton, {}, vp.center());
  WAIT_EQ(rigctld.Ask({"f"}), std::string("14040000"), 5000);

  // The radio moves to another band.
  EXPECT_EQ(rigctld.Ask({"F", "7012500"}), "");
  WAIT_EQ(map.BandText(), std::string("40"), 5000);
  EXPECT_EQ(map.View->RadioKhz(), 7012.5);
  EXPECT_EQ(map.BandBox->currentData().toString(), "40");
  ASSERT_TRUE(Standing(map, "K1ABC"));
}

TEST(BandMap, BoundsBandAndViewComeBackAfterARestart) {
  test::TempDir dir;
  QRect bounds;
  {
    Window w(dir.path(), test::ClosedPort());
    BandMapWindow& map = *BandMapOf(w.form);
    EXPECT_FALSE(map.isVisible());
    w.form.findChild<QAction*>("BandMapAction")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&map));
    map.ShowBand("40");
    map.View->SetView(7025, 20);
    map.View->Zoom(0.5);
    map.setGeometry(40, 50, 280, 420);
    bounds = map.geometry();
    ASSERT_TRUE(w.form.station().WriteConfiguration());
  }
  Window w(dir.path(), test::ClosedPort());
  BandMapWindow& map = *BandMapOf(w.form);
  WAIT_TRUE(map.isVisible(), 2000);
  EXPECT_EQ(map.BandText(), "40");
  EXPECT_NEAR(map.View->CentreKhz(), 7025, 0.01);
  EXPECT_NEAR(map.View->SpanKhz(), 10, 0.01);
  EXPECT_EQ(map.geometry().size(), bounds.size());
  // The scroll bar shows the same stretch: the top of the view is 270 kHz below the band's.
  EXPECT_EQ(map.ScrollBar->value(), 2700);
  map.close();
  ASSERT_TRUE(w.form.station().WriteConfiguration());
  Window again(dir.path(), test::ClosedPort());
  QTest::qWait(50);
  EXPECT_FALSE(BandMapOf(again.form)->isVisible());
}

TEST(BandMap, AFloodOfSpotsRepaintsAtMostTenTimesASecond) {
  SpotListModel list;
  BandMapView view;
  view.SetList(&list, "20", *BandEdges("20"));
  view.resize(300, 600);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  QElapsedTimer clock;
  clock.start();
  const int before = view.Repaints();
  int n = 0;
  QTimer feed;  // a spot every 2 ms, the event loop running in between
  QObject::connect(&feed, &QTimer::timeout, [&] {
    auto s = std::make_shared<varnak::Spot>();
    s->valid = true;
    s->dx = "Q" + std::to_string(n) + "AB";
    s->khz = 14000 + (n++ % 350);
    list.AppendSpot(std::move(s));
  });
  feed.start(2);
  WAIT_TRUE(n >= 300, 10000);
  feed.stop();
  QTest::qWait(150);  // the last gathered repaint
  const double seconds = clock.elapsed() / 1000.0;
  EXPECT_GE(view.Repaints() - before, 1);
  EXPECT_LE(view.Repaints() - before, seconds * BandMapView::kRepaintsPerSecond + 2) << seconds << " s";
  EXPECT_EQ(view.Standing().size(), 300u);
}
