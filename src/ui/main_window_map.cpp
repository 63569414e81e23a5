// The main window's side of the world map and the propagation map: the two "Auto"
// boxes, the spot menu's "Show in Hamcap" and "Show in Dx Atlas", the automatic display
// of new spots, and the map's settings at shutdown.
#include <QMessageBox>
#include <QSignalBlocker>
#include <cstdio>

#include "app/win1252.h"
#include "ui/main_window.h"

namespace varnak {

namespace {

// Never a nested event loop: these boxes are raised from the classifier's spot handling.
void OpenBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
             const QString& detail = {}) {
  auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
  box->setObjectName("MapBox");
  if (!detail.isEmpty()) box->setInformativeText(detail);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void OpenNotFoundBox(QWidget* parent, const char* what, const std::exception& why) {
  OpenBox(parent, QMessageBox::Information, "Information",
          QString(what) + "\n" + kDownloadAt + kMapDownloadAddress, ToQString(why.what()));
}

GeoPoint PositionOf(const dxrec& spot) { return {spot.Lat, spot.Lon}; }

}  // namespace

std::string TForm1::AtlasSettingsFile() const { return station_->ProgramPath("Atlas.ini").string(); }

void TForm1::WireMapLinks() {
  MapForm = new TMapForm(this);
  MapForm->settingsFile = AtlasSettingsFile();
  MapForm->ownPosition = [this] { return GeoPoint{station_->OwnLatitude, station_->OwnLongitude}; };
  MapForm->lastWwvLine = [this] { return station_->classifier().LastWwvLine(); };
  MapForm->resolveCall = [this](const std::string& call) -> std::optional<GeoPoint> {
    const dxrec& current = station_->CurrentSpot;
    if (call == current.SpotCall && !current.LookupText.empty()) return PositionOf(current);
    TCallParser& parser = station_->parser();
    try {
      parser.ParseCall(call);
    } catch (const std::exception&) {
      return std::nullopt;
    }
    if (parser.HitList().empty()) return std::nullopt;
    const TPrefixData& row = parser.HitList().front();
    return GeoPoint{row.Latitude / 180.0, row.Longitude / 180.0};
  };

  SpotMenuItems[ShowinHamcap1]->setEnabled(true);
  SpotMenuItems[ShowinDxAtlas1]->setEnabled(true);
  connect(SpotMenuItems[ShowinHamcap1], &QAction::triggered, this, &TForm1::ShowinHamcap1Click);
  connect(SpotMenuItems[ShowinDxAtlas1], &QAction::triggered, this, &TForm1::ShowinDxAtlas1Click);
  connect(DxAuto, &QCheckBox::toggled, this, &TForm1::DxAutoClick);
  connect(HamcapAuto, &QCheckBox::toggled, this, &TForm1::HamcapAutoClick);

  station_->SaveMapSettings = [this] {
    try {
      if (DxAuto->isChecked()) DxAutoUnticked(MapForm->Atlas1(), AtlasSettingsFile());
      else if (MapForm->Started()) MapForm->Map().SaveSettings(AtlasSettingsFile());  // the map keeps its place
    } catch (const std::exception& e) {
      std::fprintf(stderr, "varnak: map settings not saved: %s\n", e.what());
    }
  };
}

void TForm1::ShowinHamcap1Click() {
  try {
    HamcapShowSpot(MapForm->HamCapApp1(), station_->CurrentSpot.BandText, station_->CurrentSpot.SpotCall);
  } catch (const MapStartError& e) {
    OpenNotFoundBox(this, kHamCapNotFound, e);
  } catch (const std::exception& e) {
    OpenBox(this, QMessageBox::Critical, "Error", ToQString(e.what()));
  }
}

void TForm1::ShowinDxAtlas1Click() {
  try {
    ShowInDxAtlas(MapForm->Atlas1(), {station_->OwnLatitude, station_->OwnLongitude}, PositionOf(station_->CurrentSpot));
  } catch (const MapStartError& e) {
    OpenNotFoundBox(this, kAtlasNotFound, e);
  } catch (const std::exception& e) {
    OpenBox(this, QMessageBox::Critical, "Error", ToQString(e.what()));
  }
}

void TForm1::DxAutoClick(bool ticked) {
  try {
    if (ticked) DxAutoTicked(MapForm->Atlas1(), AtlasSettingsFile(), {station_->OwnLatitude, station_->OwnLongitude});
    else DxAutoUnticked(MapForm->Atlas1(), AtlasSettingsFile());
  } catch (const std::exception& e) {
    if (!ticked) {
      OpenBox(this, QMessageBox::Critical, "Error", ToQString(e.what()));
      return;
    }
    QSignalBlocker block(DxAuto);
    DxAuto->setChecked(false);
    OpenNotFoundBox(this, kAtlasNotFound, e);
  }
}

void TForm1::HamcapAutoClick(bool ticked) {
  try {
    if (ticked) MapForm->HamCapApp1().Connect();
    else MapForm->HamCapApp1().Disconnect();
  } catch (const std::exception& e) {
    QSignalBlocker block(HamcapAuto);
    HamcapAuto->setChecked(false);
    OpenNotFoundBox(this, kHamCapNotFound, e);
  }
}

void TForm1::ShowSpotOnMaps(const dxrec& spot) {
  // A map that fails now is switched off, so a burst of spots raises one box, not one each.
  // A call the prefix file does not know has no position; it is not plotted at 0, 0.
  if (DxAuto->isChecked() && !spot.LookupText.empty()) {
    try {
      AtlasPlotSpot(MapForm->Atlas1(), {station_->OwnLatitude, station_->OwnLongitude},
                    SpotMark{PositionOf(spot), spot.BandText, spot.SpotCall, spot.FrequencyText});
    } catch (const std::exception& e) {
      QSignalBlocker block(DxAuto);
      DxAuto->setChecked(false);
      OpenBox(this, QMessageBox::Critical, "Error", ToQString(e.what()));
    }
  }
  if (HamcapAuto->isChecked()) {
    try {
      HamcapShowSpot(MapForm->HamCapApp1(), spot.BandText, spot.SpotCall);
    } catch (const std::exception& e) {
      QSignalBlocker block(HamcapAuto);
      HamcapAuto->setChecked(false);
      OpenBox(this, QMessageBox::Critical, "Error", ToQString(e.what()));
    }
  }
}

}  // namespace varnak
