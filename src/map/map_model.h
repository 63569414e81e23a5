#pragma once
// What the world map shows, apart from the earth itself: the home and target
// coordinates, the path between them, the layers of points and labels that spots leave,
// the view (projection, centre, zoom) and the window bounds kept in "Atlas.ini".
// Plain C++; the map window draws it and repaints when it says it changed.
#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "map/map_geometry.h"

namespace varnak {

// Colours are $00BBGGRR values (blue-green-red), as the callers give them.
using BgrColour = std::uint32_t;
constexpr std::uint8_t RedOf(BgrColour c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(BgrColour c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(BgrColour c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

// The point colour of a spot's band ("20" -> $0000FF, red); unknown bands are grey.
BgrColour BandColour(const std::string& band);
// " DL1ABC [14025.5]"
std::string SpotLabelText(const std::string& call, const std::string& frequencyText);

struct MapPoint {
  GeoPoint at;
  BgrColour colour1 = 0, colour2 = 0;
  int size = 5;
  std::int64_t addedUtc = 0;
};

struct MapLabel {
  GeoPoint at;
  std::string text;
  int value = 0;
  BgrColour colour1 = 0, colour2 = 0;  // text, background
  std::string fontName;
  int fontSize = 7;
  std::int64_t addedUtc = 0;
};

struct MapLayer {
  std::deque<MapPoint> points;
  std::deque<MapLabel> labels;
};

// Only the newest spots stay, so hours of automatic plotting keep the map quick.
constexpr std::size_t kMapItemLimit = 500;
// A spot's point fades from full strength to kFadeFloor over this time, then stays.
constexpr int kFadeSeconds = 3600;
constexpr double kFadeFloor = 0.3;
double FadeOf(std::int64_t addedUtc, std::int64_t nowUtc);

// The view and the window's place, as "Atlas.ini" keeps them.
struct MapSettings {
  Projection projection = Projection::Equirectangular;
  GeoPoint centre;
  double zoom = 1;
  std::optional<std::array<int, 4>> bounds;  // left, top, width, height
  bool operator==(const MapSettings&) const = default;
};
// A missing or damaged file gives the defaults for what it lacks.
MapSettings ReadMapSettings(const std::filesystem::path& file);
bool WriteMapSettings(const std::filesystem::path& file, const MapSettings& s, std::string* error = nullptr);

// The map object the program drives.
class DxMap {
 public:
  static constexpr int kLayerCount = 5;

  // Called whenever something visible changed outside a begin/end-update bracket.
  std::function<void()> onChanged;
  std::function<std::int64_t()> nowUtc;  // unset: the system clock

  // The two coordinate pairs: home (where paths start) and target.
  void SetHome(const GeoPoint& p);
  void SetTarget(const GeoPoint& p);
  const GeoPoint& Home() const { return home_; }
  const GeoPoint& Target() const { return target_; }
  // Draws the great-circle path from home to a position and, when zoomed in, centres
  // the view on it.
  void PositionOn(const GeoPoint& p);
  bool PathShown() const { return pathShown_; }
  void HidePath();

  void BeginUpdate() { ++updating_; }
  void EndUpdate();

  // Layers 0 to 4; spots put their point on layer 1 and their label on layer 4.
  MapLayer& Layer(int index) { return layers_.at(static_cast<size_t>(index)); }
  const MapLayer& Layer(int index) const { return layers_.at(static_cast<size_t>(index)); }
  void AddPoint(int layer, MapPoint point);
  void AddLabel(int layer, MapLabel label);

  MapSettings& View() { return view_; }
  const MapSettings& View() const { return view_; }
  void SetProjection(Projection p);
  // Window bounds come from the window just before a save and go back to it after a load.
  std::function<std::optional<std::array<int, 4>>()> currentBounds;
  std::function<void(const std::array<int, 4>&)> applyBounds;
  void LoadSettings(const std::string& file);
  // Throws std::runtime_error with the reason when the file cannot be written.
  void SaveSettings(const std::string& file);

  std::int64_t Now() const;

 private:
  void Changed();

  GeoPoint home_, target_;
  bool pathShown_ = false;
  int updating_ = 0;
  bool dirty_ = false;
  std::array<MapLayer, kLayerCount> layers_;
  MapSettings view_;
};

// Solar flux, A and K index of a line such as
//   WWV de W0MU <18>:   SFI=150, A=5, K=2, No Storms -> No Storms
// in either order of A and K; each is missing when the line lacks it.
struct SolarIndices {
  std::optional<int> flux, a, k;
};
SolarIndices ParseWwvLine(const std::string& line);

}  // namespace varnak
