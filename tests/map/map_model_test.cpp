#include <chrono>
#include <cmath>
#include <gtest/gtest.h>

#include "callsign/locator_geometry.h"
#include "map/map_link.h"
#include "support/temp_dir.h"

using namespace varnak;
using namespace std::chrono;

namespace {

std::int64_t Utc(int y, unsigned m, unsigned d, int hh, int mm) {
  sys_seconds t = sys_days{year{y} / month{m} / day{d}} + hours{hh} + minutes{mm};
  return t.time_since_epoch().count();
}

double LonDiff(double a, double b) { return std::remainder(a - b, 360.0); }

// A world map that is always running, for the program's side of the link.
class RunningAtlas : public TAtlas {
 public:
  void Connect() override { connected = true; }
  void Disconnect() override { connected = false; }
  bool Connected() const override { return connected; }
  void SetVisible(bool v) override { visible = v; }
  void BringToFront() override {}
  DxMap& Map() override { return map; }
  DxMap map;
  bool connected = false, visible = false;
};

}  // namespace

TEST(MapSun, SubSolarPointAtEquinoxAndSolstices) {
  struct Case { std::int64_t t; double lat, lon; };
  // Instants of 2026; longitudes from the equation of time of the almanac.
  const Case cases[] = {{Utc(2026, 3, 20, 14, 46), 0.0, -39.65},
                        {Utc(2026, 6, 21, 8, 24), 23.436, 54.4},
                        {Utc(2026, 12, 21, 20, 50), -23.436, -132.97}};
  for (const Case& c : cases) {
    GeoPoint p = SubSolarPoint(c.t);
    EXPECT_NEAR(p.lat, c.lat, 0.5) << c.t;
    EXPECT_NEAR(LonDiff(p.lon, c.lon), 0.0, 0.5) << c.t;
  }
}

TEST(MapSun, DaylightSunriseSunsetAndPolarDay) {
  const std::int64_t midsummer = Utc(2026, 6, 21, 12, 0);
  SunTimes london = SunriseSunset({51.5, 0.0}, midsummer);
  ASSERT_TRUE(london.riseMinute && london.setMinute);
  EXPECT_NEAR(*london.riseMinute, 3 * 60 + 43, 3);
  EXPECT_NEAR(*london.setMinute, 20 * 60 + 21, 3);
  EXPECT_EQ(UtcMinuteText(london.riseMinute).size(), 5u);
  SunTimes tromso = SunriseSunset({69.65, 18.96}, midsummer);
  EXPECT_FALSE(tromso.riseMinute || tromso.setMinute);
  EXPECT_TRUE(tromso.polarDay);
  EXPECT_EQ(UtcMinuteText(std::nullopt), "--:--");

  GeoPoint sun = SubSolarPoint(midsummer);
  EXPECT_EQ(DaylightAt(sun, midsummer), Daylight::Day);
  EXPECT_EQ(DaylightAt({-sun.lat, sun.lon + 180}, midsummer), Daylight::Darkness);
  EXPECT_EQ(DaylightAt(Destination(sun, 70, 90), midsummer), Daylight::Greyline);
}

TEST(MapProjection, KnownPositionsLandOnTheirPixels) {
  MapFrame world{Projection::Equirectangular, 1600, 800, {0, 0}, 1, {}};
  auto at = [](const MapFrame& f, GeoPoint p) { return Project(f, p).value(); };
  EXPECT_NEAR(at(world, {0, 0}).x, 800, 1e-9);
  EXPECT_NEAR(at(world, {0, 0}).y, 400, 1e-9);
  PixelPoint sydney = at(world, {-33.9, 151.2});
  EXPECT_NEAR(sydney.x, 800 + 151.2 * 1600 / 360.0, 1e-6);
  EXPECT_NEAR(sydney.y, 400 + 33.9 * 800 / 180.0, 1e-6);

  MapFrame zoomed{Projection::Equirectangular, 1600, 800, {40, -74}, 4, {}};
  ClampFrame(zoomed);
  EXPECT_NEAR(at(zoomed, {40, -74}).x, 800, 1e-9);
  EXPECT_NEAR(at(zoomed, {41, -73}).y, 400 - 4 * 800 / 180.0, 1e-6);
  // Across the date line the map wraps instead of jumping to the far side.
  MapFrame pacific{Projection::Equirectangular, 1600, 800, {0, 170}, 1, {}};
  EXPECT_NEAR(at(pacific, {0, -170}).x, 800 + 20 * 1600 / 360.0, 1e-6);

  const GeoPoint own{55.5417, 13.0};
  MapFrame azimuthal{Projection::Azimuthal, 1600, 800, {}, 1, own};
  const double radius = azimuthal.DiskRadius();
  EXPECT_NEAR(at(azimuthal, own).x, 800, 1e-6);
  PixelPoint east90 = at(azimuthal, Destination(own, 90, 90));
  EXPECT_NEAR(east90.x, 800 + radius / 2, 1e-6);
  EXPECT_NEAR(east90.y, 400, 1e-6);
  PixelPoint north10 = at(azimuthal, {own.lat + 10, own.lon});
  EXPECT_NEAR(north10.y, 400 - radius * 10 / 180, 1e-6);

  // The image table shows at each pixel the place the pixel stands for.
  for (const MapFrame& f : {world, zoomed, azimuthal}) {
    MapFrame small = f;
    small.width = 400;
    small.height = 200;
    std::vector<std::int32_t> table = SourceIndexTable(small, 2048, 1024);
    for (PixelPoint px : {PixelPoint{150.5, 80.5}, PixelPoint{250.5, 120.5}, PixelPoint{200.5, 100.5}}) {
      GeoPoint g = Unproject(small, px).value();
      int expected = std::min(1023, int((90 - g.lat) / 180 * 1024)) * 2048 + std::min(2047, int((g.lon + 180) / 360 * 2048));
      EXPECT_NEAR(table[size_t(px.y) * 400 + size_t(px.x)], expected, 2049) << px.x << "," << px.y;
    }
  }
}

TEST(MapProjection, AzimuthalBearingAndDistanceAgreeWithTheLookup) {
  const GeoPoint own{57.666666, 11.916666};  // JO57XQ
  MapFrame f{Projection::Azimuthal, 1600, 800, {}, 1, own};
  const GeoPoint targets[] = {{40, -74}, {-33.9, 151.2}, {35.7, 139.7}, {-54.8, -68.3}, {64.1, -21.9}, {0.3, 32.6}};
  for (const GeoPoint& t : targets) {
    BearingDistance onMap = AzimuthalBearingDistance(f, Project(f, t).value()).value();
    DistanceAndBearing lookup = DistanceBearing(own.lat, own.lon, t.lat, t.lon);
    EXPECT_NEAR(LonDiff(onMap.bearingDeg, double(lookup.BearingDeg)), 0, 0.1) << t.lat << "," << t.lon;
    EXPECT_NEAR(onMap.distanceKm, double(lookup.DistanceKm), 1.0) << t.lat << "," << t.lon;
  }
}

TEST(MapPaths, ShortAndLongPathGoRoundTheEarth) {
  const GeoPoint own{57.666666, 11.916666};
  const GeoPoint dx{40, -74};
  GreatCirclePaths p = PathsBetween(own, dx);
  EXPECT_NEAR(p.shortPath.distanceKm, 6121.0, 1.0);
  EXPECT_NEAR(p.shortPath.bearingDeg, 291.3, 0.1);
  EXPECT_NEAR(p.longPath.bearingDeg, 111.3, 0.1);
  EXPECT_NEAR(p.shortPath.distanceKm + p.longPath.distanceKm, 360 * KmPerDegree(own.lat, dx.lat), 1e-6);
  EXPECT_GT(p.shortPath.distanceKm + p.longPath.distanceKm, 39900);
  EXPECT_LT(p.shortPath.distanceKm + p.longPath.distanceKm, 40100);
  // Both legs run from home to the spot.
  for (const PathLeg* leg : {&p.shortPath, &p.longPath}) {
    EXPECT_NEAR(CentralAngleDeg(leg->points.front(), own), 0, 1e-6);
    EXPECT_NEAR(CentralAngleDeg(leg->points.back(), dx), 0, 1e-6);
    EXPECT_NEAR(CentralAngleDeg(leg->points[leg->points.size() - 2], dx), 2.0, 0.3);
  }
}

TEST(MapImages, GreylineBlendsDayIntoNightAcrossTheTerminator) {
  const int w = 360, h = 180;
  std::vector<std::uint32_t> day(w * h, 0xFF2040FFu), night(w * h, 0xFF000000u), out(w * h);
  const GeoPoint sun{0, 0};
  BlendGreyline(day.data(), night.data(), out.data(), w, h, sun);
  auto px = [&](double lat, double lon) { return out[size_t((90 - lat) / 180 * h) * w + size_t((lon + 180) / 360 * w)]; };
  EXPECT_EQ(px(0, 0), 0xFF2040FFu);
  EXPECT_EQ(px(0, 179), 0xFF000000u);
  std::uint32_t dusk = px(0, 90);  // the sun on the horizon: half way
  EXPECT_GT(dusk & 0xFF, 0x60u);
  EXPECT_LT(dusk & 0xFF, 0xA0u);
}

TEST(MapLink, PlottedSpotsCarryBandColourAndLabelAndOnlyTheNewest500Stay) {
  EXPECT_EQ(BandColour("20"), 0x0000FFu);
  EXPECT_EQ(RedOf(BandColour("20")), 0xFF);
  EXPECT_EQ(BandColour("10"), 0x00FFFFu);  // yellow: red and green
  EXPECT_EQ(BlueOf(BandColour("30")), 0x80);
  EXPECT_EQ(BandColour("6"), 0x808080u);
  EXPECT_EQ(BandColour(""), 0x808080u);

  RunningAtlas atlas;
  std::int64_t now = 1'800'000'000;
  atlas.map.nowUtc = [&] { return now; };
  int changes = 0;
  atlas.map.onChanged = [&] { ++changes; };
  const GeoPoint own{55.5417, 13.0};
  for (int i = 0; i < 501; ++i) {
    AtlasPlotSpot(atlas, own, SpotMark{{10.0 + i * 0.1, -60.0}, i == 500 ? "40" : "20", "K" + std::to_string(i) + "ABC", "14025.5"});
    now += 10;
  }
  const MapLayer& points = atlas.map.Layer(1);
  const MapLayer& labels = atlas.map.Layer(4);
  ASSERT_EQ(points.points.size(), 500u);
  ASSERT_EQ(labels.labels.size(), 500u);
  EXPECT_EQ(labels.labels.front().text, " K1ABC [14025.5]");
  EXPECT_EQ(labels.labels.back().text, " K500ABC [14025.5]");
  const MapPoint& last = points.points.back();
  EXPECT_EQ(last.colour1, 0x008080u);
  EXPECT_EQ(last.colour2, 0xFFFFFFu);
  EXPECT_EQ(last.size, 5);
  EXPECT_EQ(labels.labels.back().colour2, 0xFF0000u);
  EXPECT_EQ(labels.labels.back().fontName, "Small fonts");
  EXPECT_TRUE(atlas.map.PathShown());
  EXPECT_NEAR(atlas.map.Target().lat, 60.0, 1e-9);
  EXPECT_LT(changes, 501 * 6);  // one repaint per bracket, not per member call

  EXPECT_DOUBLE_EQ(FadeOf(now, now), 1.0);
  EXPECT_NEAR(FadeOf(now - 1800, now), (1 + kFadeFloor) / 2, 1e-9);
  EXPECT_DOUBLE_EQ(FadeOf(now - 7200, now), kFadeFloor);
}

TEST(MapLink, AtlasIniRoundTripAndDamagedValues) {
  test::TempDir dir;
  const std::string file = (dir / "Atlas.ini").string();
  RunningAtlas atlas;
  std::array<int, 4> bounds{120, 80, 900, 500};
  atlas.map.currentBounds = [&] { return std::optional(bounds); };
  DxAutoTicked(atlas, file, {55.5417, 13.0});  // no file yet: defaults
  EXPECT_TRUE(atlas.visible);
  EXPECT_EQ(atlas.map.View(), MapSettings{});
  atlas.map.SetProjection(Projection::Azimuthal);
  atlas.map.View().centre = {40.25, -74.5};
  atlas.map.View().zoom = 3.5;
  DxAutoUnticked(atlas, file);
  EXPECT_FALSE(atlas.connected);

  RunningAtlas again;
  std::optional<std::array<int, 4>> applied;
  again.map.applyBounds = [&](const std::array<int, 4>& b) { applied = b; };
  DxAutoTicked(again, file, {0, 0});
  MapSettings expected{Projection::Azimuthal, {40.25, -74.5}, 3.5, bounds};
  EXPECT_EQ(again.map.View(), expected);
  EXPECT_EQ(applied, bounds);

  dir.Write("Atlas.ini", "[Map]\r\nProjection=7\r\nCentreLat=abc\r\nZoom=1e9\r\n[Window]\r\nWidth=-5\r\n");
  MapSettings damaged = ReadMapSettings(file);
  EXPECT_EQ(damaged.projection, Projection::Equirectangular);
  EXPECT_EQ(damaged.centre.lat, 0);
  EXPECT_EQ(damaged.zoom, kMaxZoom);
  EXPECT_FALSE(damaged.bounds);
}

TEST(MapLink, SolarIndicesAndHamCapBands) {
  SolarIndices s = ParseWwvLine("WWV de W0MU <18>:   SFI=150, A=5, K=2, No Storms -> No Storms");
  EXPECT_EQ(s.flux, 150);
  EXPECT_EQ(s.a, 5);
  EXPECT_EQ(s.k, 2);
  s = ParseWwvLine("WWV de VE7CC <00>:   SFI=72, K=1, A=14, Minor w/G1");
  EXPECT_EQ(s.a, 14);
  EXPECT_EQ(s.k, 1);
  EXPECT_FALSE(ParseWwvLine("WWV de X <00>:   SFI=, K").flux);

  EXPECT_EQ(HamCapBandIndex("80", 5), 0);
  EXPECT_EQ(HamCapBandIndex("10", 5), 7);
  EXPECT_EQ(HamCapBandIndex("160", 5), 5);
  EXPECT_EQ(HamCapBandIndex("6", 2), 2);
  EXPECT_EQ(HamCapBandText(3), "20");
}
