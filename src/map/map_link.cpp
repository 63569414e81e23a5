#include "map/map_link.h"

#include <array>

namespace varnak {

namespace {
const std::array<const char*, 8> kHamCapBands = {"80", "40", "30", "20", "17", "15", "12", "10"};
}

int HamCapBandIndex(const std::string& band, int current) {
  for (size_t i = 0; i < kHamCapBands.size(); ++i)
    if (band == kHamCapBands[i]) return static_cast<int>(i);
  return current;
}

std::string HamCapBandText(int index) {
  if (index < 0 || index >= static_cast<int>(kHamCapBands.size())) return {};
  return kHamCapBands[static_cast<size_t>(index)];
}

void HamcapShowSpot(THamCapApp& hamcap, const std::string& band, const std::string& call, Display display) {
  hamcap.Connect();
  hamcap.SetBand(HamCapBandIndex(band, hamcap.Band()));
  hamcap.SetProperty("DxCall", call);
  if (display == Display::Asked) hamcap.SetVisible(true);
  hamcap.Calculate();
  hamcap.SetPathShown(true);
  hamcap.ProcessEvents();
  if (display == Display::Asked) hamcap.BringToFront();
}

void HamcapAutoTicked(THamCapApp& hamcap) {
  hamcap.Connect();
  hamcap.SetVisible(true);
  hamcap.BringToFront();
}

void ShowInDxAtlas(TAtlas& atlas, const GeoPoint& own, const GeoPoint& spot) {
  atlas.Connect();
  DxMap& map = atlas.Map();
  map.SetHome(own);
  map.SetTarget(own);
  atlas.SetVisible(true);
  map.PositionOn(spot);
  atlas.BringToFront();
}

void AtlasPlotSpot(TAtlas& atlas, const GeoPoint& own, const SpotMark& spot) {
  atlas.Connect();
  DxMap& map = atlas.Map();
  map.SetHome(own);
  map.SetTarget(spot.at);
  map.PositionOn(spot.at);
  map.BeginUpdate();
  map.AddPoint(1, MapPoint{spot.at, BandColour(spot.band), 0xFFFFFF, 5, 0});
  map.EndUpdate();
  map.BeginUpdate();
  map.AddLabel(4, MapLabel{spot.at, SpotLabelText(spot.call, spot.frequencyText), 0, 0xFFFFFF, 0xFF0000, "Small fonts", 7, 0});
  map.EndUpdate();
}

void DxAutoTicked(TAtlas& atlas, const std::string& settingsFile, const GeoPoint& own) {
  atlas.Connect();
  DxMap& map = atlas.Map();
  map.LoadSettings(settingsFile);
  map.SetHome(own);
  map.SetTarget(own);
  atlas.SetVisible(true);
  atlas.BringToFront();
}

void DxAutoUnticked(TAtlas& atlas, const std::string& settingsFile) {
  if (atlas.Connected()) atlas.Map().SaveSettings(settingsFile);
  atlas.Disconnect();
}

}  // namespace varnak
