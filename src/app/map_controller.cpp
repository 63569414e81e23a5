#include "app/map_controller.h"

#include <cstdio>

#include "app/spot.h"
#include "app/spot_filter_controller.h"
#include "app/spot_resolver.h"
#include "app/station.h"
#include "app/win1252.h"
#include "map/map_link.h"

namespace varnak {

namespace {
GeoPoint PositionOf(const dxrec& spot) { return {spot.Lat, spot.Lon}; }
}  // namespace

MapController::MapController(Station& station, QObject* parent) : QObject(parent), station_(station) {
  // A spot the filter hides is not plotted by itself; "Show in" still shows it.
  connect(&station, &Station::spotPresented, this, [this](const Spot& spot) {
    if (host_ && station_.filter().Shows(spot)) ShowSpot(LookupRecordOf(spot));
  });
}

std::string MapController::SettingsFile() const { return station_.ProgramPath("Atlas.ini").string(); }

GeoPoint MapController::OwnPosition() const { return {station_.OwnLatitude, station_.OwnLongitude}; }

std::optional<GeoPoint> MapController::PositionOfCall(const std::string& call) const {
  const dxrec& current = station_.CurrentSpot;
  if (call == current.SpotCall && !current.LookupText.empty()) return PositionOf(current);
  TCallParser& parser = station_.parser();
  try {
    parser.ParseCall(call);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (parser.HitList().empty()) return std::nullopt;
  const TPrefixData& row = parser.HitList().front();
  return GeoPoint{row.Latitude / 180.0, row.Longitude / 180.0};
}

void MapController::ReportNotFound(const char* what, const std::exception& why) {
  emit notFound(QString(what) + "\n" + kDownloadAt + kMapDownloadAddress, ToQString(why.what()));
}

void MapController::ShowInHamcap() {
  if (!host_) return;
  try {
    HamcapShowSpot(host_->HamCapApp1(), station_.CurrentSpot.BandText, station_.CurrentSpot.SpotCall, Display::Asked);
  } catch (const MapStartError& e) {
    ReportNotFound(kHamCapNotFound, e);
  } catch (const std::exception& e) {
    emit failed(ToQString(e.what()));
  }
}

void MapController::ShowInDxAtlas() {
  if (!host_) return;
  try {
    varnak::ShowInDxAtlas(host_->Atlas1(), OwnPosition(), PositionOf(station_.CurrentSpot));
  } catch (const MapStartError& e) {
    ReportNotFound(kAtlasNotFound, e);
  } catch (const std::exception& e) {
    emit failed(ToQString(e.what()));
  }
}

void MapController::SetAtlasAuto(bool on) {
  if (!host_ || on == atlasAuto_) return;
  atlasAuto_ = on;
  try {
    if (on) DxAutoTicked(host_->Atlas1(), SettingsFile(), OwnPosition());
    else DxAutoUnticked(host_->Atlas1(), SettingsFile());
  } catch (const std::exception& e) {
    if (!on) {
      emit failed(ToQString(e.what()));
      return;
    }
    atlasAuto_ = false;
    emit atlasAutoChanged(false);
    ReportNotFound(kAtlasNotFound, e);
  }
}

void MapController::SetHamcapAuto(bool on) {
  if (!host_ || on == hamcapAuto_) return;
  hamcapAuto_ = on;
  try {
    if (on) HamcapAutoTicked(host_->HamCapApp1());
    else host_->HamCapApp1().Disconnect();
  } catch (const std::exception& e) {
    hamcapAuto_ = false;
    emit hamcapAutoChanged(false);
    ReportNotFound(kHamCapNotFound, e);
  }
}

void MapController::ShowSpot(const dxrec& spot) {
  if (!host_) return;
  // A map that fails now is switched off, so a burst of spots raises one box, not one each.
  // A call the prefix file does not know has no position; it is not plotted at 0, 0.
  if (atlasAuto_ && !spot.LookupText.empty()) {
    try {
      AtlasPlotSpot(host_->Atlas1(), OwnPosition(),
                    SpotMark{PositionOf(spot), spot.BandText, spot.SpotCall, spot.FrequencyText});
    } catch (const std::exception& e) {
      atlasAuto_ = false;
      emit atlasAutoChanged(false);
      emit failed(ToQString(e.what()));
    }
  }
  if (hamcapAuto_) {
    try {
      HamcapShowSpot(host_->HamCapApp1(), spot.BandText, spot.SpotCall, Display::Automatic);
    } catch (const std::exception& e) {
      hamcapAuto_ = false;
      emit hamcapAutoChanged(false);
      emit failed(ToQString(e.what()));
    }
  }
}

void MapController::SaveSettings() {
  if (!host_) return;
  try {
    if (atlasAuto_) DxAutoUnticked(host_->Atlas1(), SettingsFile());
    else if (host_->Started()) host_->Atlas1().Map().SaveSettings(SettingsFile());  // the map keeps its place
  } catch (const std::exception& e) {
    std::fprintf(stderr, "varnak: map settings not saved: %s\n", e.what());
  }
}

}  // namespace varnak
