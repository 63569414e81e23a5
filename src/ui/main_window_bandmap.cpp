// The band map on the main window: "Run" -> "Band map" (F8), its spot actions bound to
// the ones the lists have (the current spot, "Set QRG", the spot menu), and its open
// state, bounds and view in the [BandMap] section of the settings file.
#include <QMenuBar>
#include <QPointer>

#include "core/ini_file.h"
#include "ui/band_map_window.h"
#include "ui/main_window.h"

namespace varnak {

BandMapWindow* BandMapOf(const TForm1& form) { return form.findChild<BandMapWindow*>("BandMap", Qt::FindDirectChildrenOnly); }

BandMapWindow* WireBandMap(TForm1& form) {
  Station& station = form.station();
  auto* map = new BandMapWindow(station.lists(), station.rig(), &form);
  map->View->nowMinute = [&station] { return station.NowMinute(); };
  map->currentSpotKhz = [&station]() -> std::optional<double> {
    const Spot& spot = station.currentSpot();
    if (!spot.valid) return std::nullopt;
    return spot.khz;
  };
  map->View->setFont(form.SpotGrids[0]->font());
  QObject::connect(&station, &Station::configurationRead, map,
                   [map, &form] { map->View->setFont(form.SpotGrids[0]->font()); });

  const auto pick = [&form, &station](const std::shared_ptr<Spot>& spot) {
    station.PickSpot(*spot);
    form.PresentSpotNow(station.CurrentSpot);
  };
  QObject::connect(map, &BandMapWindow::spotPicked, &form, pick);
  QObject::connect(map, &BandMapWindow::spotTuned, &form, [&form, pick](const std::shared_ptr<Spot>& spot) {
    pick(spot);
    form.SetQRG1Click();
  });
  QObject::connect(map, &BandMapWindow::spotMenuRequested, &form,
                   [&form, pick](const std::shared_ptr<Spot>& spot, QPoint at) {
                     pick(spot);
                     form.PopupMenu1->popup(at);
                   });

  for (QAction* menu : form.menuBar()->actions()) {
    if (menu->text() != "&Run" || !menu->menu()) continue;
    QAction* open = menu->menu()->addAction("Band map", map, [map] {
      map->show();
      map->raise();
      map->activateWindow();
    });
    open->setObjectName("BandMapAction");
    open->setShortcut(QKeySequence(Qt::Key_F8));
  }

  IniFile ini;
  ini.Load(station.ProgramPath("Varnak.ini"));
  map->Restore(ini);
  // Open again as the operator left it, once the main window is up.
  if (map->IsOpen()) QTimer::singleShot(0, map, [map = QPointer<BandMapWindow>(map)] {
      if (map) map->show();
    });
  return map;
}

}  // namespace varnak
