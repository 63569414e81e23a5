#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "ui/main_window.h"

using namespace varnak;

namespace {

// A desktop smaller than the map's first size.
const QRect kWorkArea(0, 0, 1024, 600);

// A station on JO57XQ whose map reads the images from `images`.
struct MapStation {
  MapStation(const std::filesystem::path& dir, const QString& images)
      : form((std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst",
                                         std::filesystem::copy_options::overwrite_existing),
              WriteIni(dir), dir),
             std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45})) {
    form.station().ShutdownWaitMs = 0;
    form.desktopWidth = [] { return 1024; };
    form.MapForm->imageFolder = images;
    form.MapForm->workArea = [] { return kWorkArea; };
    form.MapForm->nowUtc = [] { return std::int64_t{1796677200}; };  // 2026-12-7 21:00 UTC
  }
  static bool WriteIni(const std::filesystem::path& dir) {
    IniFile ini;
    ini.WriteString("AGWlink", "MyCall", "Q1ABC");
    ini.WriteString("AGWlink", "MyLocator", "JO57XQ");
    ini.WriteInteger("AGWlink", "Sound", 0);
    return ini.Save(dir / "Varnak.ini");
  }
  TForm1 form;
};

// The box the map raised, once it is open; closed by the caller.
QMessageBox* OpenMapBox() {
  QMessageBox* found = nullptr;
  (void)QTest::qWaitFor([&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* b = qobject_cast<QMessageBox*>(w); b && b->objectName() == "MapBox" && b->isVisible()) found = b;
    return found != nullptr;
  }, 2000);
  return found;
}

const char kSpot[] = "DX de Q2XYZ:     14025.5  DL1ABC       cq                             2153Z\a\a";

}  // namespace

TEST(MapWindow, MissingImagesGiveTheNotFoundBoxAndUntickTheBox) {
  test::TempDir dir;
  MapStation s(dir.path(), QString::fromStdString((dir / "no-images").string()));
  struct Case { QCheckBox* box; const char* title; };
  for (Case c : {Case{s.form.DxAuto, "Dx Atlas not found"}, Case{s.form.HamcapAuto, "Ham Cap not found"}}) {
    c.box->click();
    QMessageBox* box = OpenMapBox();
    ASSERT_NE(box, nullptr) << c.title;
    EXPECT_EQ(box->text(), QString(c.title) + "\nPlease download at https://packages.debian.org/bookworm/xplanet-images");
    EXPECT_TRUE(box->informativeText().contains("earth.jpg")) << box->informativeText().toStdString();
    EXPECT_FALSE(c.box->isChecked());
    box->close();
    QTest::qWait(0);
  }
  // A spot meanwhile is only listed; the menu item reports the same failure.
  s.form.station().ClassifyLine(kSpot);
  EXPECT_EQ(s.form.MapForm->Map().Layer(1).points.size(), 0u);
  s.form.SpotMenuItems[ShowinDxAtlas1]->trigger();
  QMessageBox* box = OpenMapBox();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->text().startsWith("Dx Atlas not found"));
  box->close();
  EXPECT_FALSE(s.form.MapForm->isVisible());
}

TEST(MapWindow, AutoPlotsNewSpotsAndTheSettingsSurviveARestart) {
  test::TempDir dir;
  {
    MapStation s(dir.path(), "/usr/share/xplanet/images");
    s.form.show();
    WAIT_TRUE(!s.form.Edit3->text().isEmpty(), 2000);
    s.form.DxAuto->click();
    ASSERT_TRUE(s.form.DxAuto->isChecked());
    EXPECT_TRUE(s.form.MapForm->isVisible());
    EXPECT_TRUE(kWorkArea.contains(s.form.MapForm->frameGeometry())) << s.form.MapForm->frameGeometry().width();
    s.form.MapForm->ProjectionBox->setCurrentIndex(1);
    s.form.station().ClassifyLine(kSpot);
    s.form.station().ClassifyLine("DX de Q2XYZ:     7005.0  JA1XYZ       cq                             2154Z\a\a");
    const DxMap& map = s.form.MapForm->Map();
    ASSERT_EQ(map.Layer(1).points.size(), 2u);
    EXPECT_EQ(map.Layer(4).labels[0].text, " DL1ABC [14025.5]");
    EXPECT_EQ(map.Layer(1).points[0].colour1, 0x0000FFu);  // 20 m
    EXPECT_EQ(map.Layer(1).points[1].colour1, 0x008080u);  // 40 m
    EXPECT_NEAR(map.Target().lat, s.form.station().CurrentSpot.Lat, 1e-9);
    EXPECT_NEAR(map.Home().lat, 57.6667, 1e-3);
    // A call without a known position is listed but not plotted at 0, 0.
    s.form.station().ClassifyLine("DX de Q2XYZ:     7010.0  Q7ZZZ        cq                             2154Z\a\a");
    EXPECT_EQ(map.Layer(1).points.size(), 2u);
    s.form.MapForm->setGeometry(70, 60, 900, 480);
    s.form.close();
  }
  IniFile atlas;
  ASSERT_TRUE(atlas.Load(dir / "Atlas.ini"));
  EXPECT_EQ(atlas.ReadInteger("Map", "Projection", -1), 1);
  EXPECT_EQ(atlas.ReadInteger("Window", "Width", 0), 900);
  // A place kept from a wider desktop.
  atlas.WriteInteger("Window", "Left", 1900);
  ASSERT_TRUE(atlas.Save(dir / "Atlas.ini"));

  MapStation again(dir.path(), "/usr/share/xplanet/images");
  again.form.DxAuto->click();
  EXPECT_EQ(again.form.MapForm->ProjectionBox->currentIndex(), 1);
  EXPECT_EQ(again.form.MapForm->width(), 900);
  EXPECT_TRUE(kWorkArea.contains(again.form.MapForm->frameGeometry()));
  again.form.DxAuto->click();  // unticked: saved again, link closed
  EXPECT_FALSE(again.form.MapForm->Atlas1().Connected());
}

TEST(MapWindow, ShowInHamcapGivesBothPathsTheEndsAndTheSolarIndices) {
  test::TempDir dir;
  MapStation s(dir.path(), "/usr/share/xplanet/images");
  s.form.station().ClassifyLine("WWV de W0MU <18>:   SFI=150, A=5, K=2, No Storms -> No Storms");
  s.form.station().ClassifyLine(kSpot);
  s.form.SpotMenuItems[ShowinHamcap1]->trigger();
  TMapForm& map = *s.form.MapForm;
  EXPECT_TRUE(map.isVisible());
  EXPECT_TRUE(map.PathPanel->isVisibleTo(&map));
  const QString text = map.PathPanel->text();
  EXPECT_TRUE(text.startsWith("DL1ABC on 20 m\nShort path: ")) << text.toStdString();
  const dxrec& spot = s.form.station().CurrentSpot;
  EXPECT_TRUE(text.contains("Short path: " + QString::fromStdString(spot.BearingText) + ", " +
                            QString::fromStdString(spot.DistanceText)))
      << text.toStdString() << " / " << spot.LookupText;
  EXPECT_TRUE(text.contains("Long path: "));
  EXPECT_TRUE(text.contains("Home (57.67 N 11.92 E): darkness now, sunrise "));
  EXPECT_TRUE(text.contains("Solar flux 150, A 5, K 2"));
  // A band outside the propagation map's bands keeps the band it had.
  s.form.station().ClassifyLine("DX de Q2XYZ:     1825.0  OH2ABC       cq                             2155Z\a\a");
  s.form.SpotMenuItems[ShowinHamcap1]->trigger();
  EXPECT_TRUE(map.PathPanel->text().startsWith("OH2ABC on 20 m")) << map.PathPanel->text().toStdString();
}

TEST(MapWindow, AutomaticDisplaysNeitherRaiseNorReopenTheMap) {
  test::TempDir dir;
  MapStation s(dir.path(), "/usr/share/xplanet/images");
  TMapForm& map = *s.form.MapForm;
  s.form.show();
  WAIT_TRUE(!s.form.Edit3->text().isEmpty(), 2000);
  s.form.HamcapAuto->click();  // the operator's tick shows the map
  EXPECT_TRUE(map.isVisible());
  s.form.activateWindow();
  WAIT_TRUE(QApplication::activeWindow() == &s.form, 2000);
  s.form.station().ClassifyLine(kSpot);
  QTest::qWait(0);
  EXPECT_TRUE(map.PathPanel->text().startsWith("DL1ABC on 20 m")) << map.PathPanel->text().toStdString();
  EXPECT_EQ(QApplication::activeWindow(), &s.form);
  // Closed by the operator, the map keeps up with the spots but stays closed.
  map.close();
  s.form.station().ClassifyLine("DX de Q2XYZ:     7005.0  JA1XYZ       cq                             2154Z\a\a");
  QTest::qWait(0);
  EXPECT_FALSE(map.isVisible());
  EXPECT_TRUE(map.PathPanel->text().startsWith("JA1XYZ on 40 m")) << map.PathPanel->text().toStdString();
  EXPECT_EQ(QApplication::activeWindow(), &s.form);
}

TEST(MapRenderer, LabelsStayInsideTheViewAndNeverCoverANewerOne) {
  MapFrame azimuthal{Projection::Azimuthal, 600, 400, {}, 1, {57.67, 11.92}};
  const QFontMetricsF ring{QFont()};
  for (int km : {5000, 10000, 15000, 20000})
    EXPECT_TRUE(QRectF(0, 0, 600, 400).contains(RingLabelBox(azimuthal, km, ring))) << km;

  MapFrame flat{Projection::Equirectangular, 720, 360, {}, 1, {}};
  DxMap map;
  auto add = [&map](GeoPoint at, const char* text) {
    map.AddLabel(4, MapLabel{at, text, 0, 0xFFFFFF, 0xFF0000, "Small fonts", 7, 0});
  };
  add({50, 10}, "OLD");
  add({-30, -60}, "FAR");
  add({89, 179}, "CORNER");
  add({50.5, 10.5}, "NEW");  // on top of OLD
  const auto placed = PlaceLabels(flat, map, [](const MapLabel&) { return QFontMetrics(QFont()); });
  QStringList texts;
  for (const PlacedLabel& l : placed) {
    texts << l.text;
    EXPECT_TRUE(QRect(0, 0, 720, 360).contains(l.box)) << l.text.toStdString();
    for (const PlacedLabel& other : placed) {
      EXPECT_TRUE(&other == &l || !l.box.intersects(other.box)) << l.text.toStdString();
    }
  }
  EXPECT_EQ(texts, QStringList({"NEW", "CORNER", "FAR"}));
}
