// The main window's side of the world map and the propagation map: the two "Auto"
// boxes and the spot menu's "Show in Hamcap" and "Show in Dx Atlas", bound to the
// station's MapController, which does the displays and keeps the map's settings.
#include <QMessageBox>
#include <QSignalBlocker>

#include "app/map_controller.h"
#include "ui/main_window.h"

namespace varnak {

void TForm1::WireMapLinks() {
  MapController& maps = station_->maps();
  MapForm = new TMapForm(this);
  maps.SetHost(MapForm);
  MapForm->settingsFile = maps.SettingsFile();
  MapForm->ownPosition = [this] { return station_->maps().OwnPosition(); };
  MapForm->lastWwvLine = [this] { return station_->classifier().LastWwvLine(); };
  MapForm->resolveCall = [this](const std::string& call) { return station_->maps().PositionOfCall(call); };

  SpotMenuItems[ShowinHamcap1]->setEnabled(true);
  SpotMenuItems[ShowinDxAtlas1]->setEnabled(true);
  connect(SpotMenuItems[ShowinHamcap1], &QAction::triggered, &maps, &MapController::ShowInHamcap);
  connect(SpotMenuItems[ShowinDxAtlas1], &QAction::triggered, &maps, &MapController::ShowInDxAtlas);
  connect(DxAuto, &QCheckBox::toggled, &maps, &MapController::SetAtlasAuto);
  connect(HamcapAuto, &QCheckBox::toggled, &maps, &MapController::SetHamcapAuto);
  // A map the controller switched off: the box follows without switching again.
  connect(&maps, &MapController::atlasAutoChanged, this, [this](bool on) {
    QSignalBlocker block(DxAuto);
    DxAuto->setChecked(on);
  });
  connect(&maps, &MapController::hamcapAutoChanged, this, [this](bool on) {
    QSignalBlocker block(HamcapAuto);
    HamcapAuto->setChecked(on);
  });
  // Never a nested event loop: these boxes are raised from the classifier's spot handling.
  auto openBox = [this](QMessageBox::Icon icon, const QString& title, const QString& text, const QString& detail) {
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, this);
    box->setObjectName("MapBox");
    if (!detail.isEmpty()) box->setInformativeText(detail);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  };
  connect(&maps, &MapController::notFound, this, [openBox](const QString& text, const QString& detail) {
    openBox(QMessageBox::Information, "Information", text, detail);
  });
  connect(&maps, &MapController::failed, this,
          [openBox](const QString& text) { openBox(QMessageBox::Critical, "Error", text, {}); });
}

}  // namespace varnak
