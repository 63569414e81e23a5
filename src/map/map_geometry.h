#pragma once
// The earth as the world map draws it: where the sun stands overhead, day, darkness and
// the twilight band between them, sunrise and sunset, great-circle paths, and the two
// projections of the map window (equirectangular, and azimuthal equidistant centred on
// the own position). Plain arithmetic on doubles; times are Unix seconds, UTC.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnak {

struct GeoPoint {
  double lat = 0;  // degrees, north positive
  double lon = 0;  // degrees, east positive
  bool operator==(const GeoPoint&) const = default;
};

struct PixelPoint {
  double x = 0, y = 0;
};

// ---- The sun ----

// The point where the sun is in the zenith at the given instant (NOAA's low-precision
// solar position, good to a few hundredths of a degree in this century).
GeoPoint SubSolarPoint(std::int64_t utcSeconds);

// Elevation of the sun above the horizon at a position, in degrees.
double SolarElevation(const GeoPoint& where, const GeoPoint& subSolar);

// The twilight band ("greyline") is where the sun stands within this many degrees of
// the horizon; the map blends day into night across the same band.
constexpr double kGreylineHalfWidthDeg = 6.0;

enum class Daylight { Day, Greyline, Darkness };
Daylight DaylightAt(const GeoPoint& where, std::int64_t utcSeconds);
const char* DaylightText(Daylight d);  // "daylight", "greyline", "darkness"

// Sunrise and sunset of the UTC day that holds utcSeconds, in minutes after 00:00 UTC.
// Polar day or night has neither.
struct SunTimes {
  std::optional<int> riseMinute, setMinute;
  bool polarDay = false;  // no sunset because the sun never sets that day
};
SunTimes SunriseSunset(const GeoPoint& where, std::int64_t utcSeconds);
// "05:42"; a missing time reads "--:--".
std::string UtcMinuteText(std::optional<int> minute);

// ---- Great circles ----

// Length of one degree of arc for a path between two latitudes, in km: the same figure
// the lookup's distances use, so the map and the spot lists agree.
double KmPerDegree(double lat1, double lat2);

// Central angle between two positions, degrees 0 to 180.
double CentralAngleDeg(const GeoPoint& a, const GeoPoint& b);
// Initial bearing from a to b, degrees 0 to 360 from true north (0 when undefined).
double InitialBearingDeg(const GeoPoint& a, const GeoPoint& b);
// The point reached from `from` on the initial bearing after arcDeg degrees of arc.
GeoPoint Destination(const GeoPoint& from, double bearingDeg, double arcDeg);

struct PathLeg {
  double bearingDeg = 0;
  double distanceKm = 0;
  std::vector<GeoPoint> points;  // from the own position to the target
};
struct GreatCirclePaths {
  PathLeg shortPath, longPath;
};
// Short and long path from `from` to `to`; points every stepDeg degrees of arc.
GreatCirclePaths PathsBetween(const GeoPoint& from, const GeoPoint& to, double stepDeg = 2.0);

// ---- Projections ----

enum class Projection { Equirectangular = 0, Azimuthal = 1 };

// One view of the map: its pixel size and what it shows. In the equirectangular view
// `centre` and `zoom` (1 = whole world) choose the part shown; the azimuthal view is
// always centred on `own`, its rim the antipode.
struct MapFrame {
  Projection projection = Projection::Equirectangular;
  int width = 0, height = 0;
  GeoPoint centre;
  double zoom = 1;
  GeoPoint own;

  double Scale() const;        // equirectangular pixels per degree
  double DiskRadius() const;   // azimuthal radius of the rim in pixels
  bool operator==(const MapFrame&) const = default;
};

constexpr double kMaxZoom = 16.0;
// Keeps zoom within 1..kMaxZoom, the centre latitude where the view stays on the map
// and the centre longitude within -180..180.
void ClampFrame(MapFrame& frame);

// Where a position appears; nothing for the antipode's neighbourhood that the azimuthal
// view cannot place (never happens for a central angle below 180).
std::optional<PixelPoint> Project(const MapFrame& frame, const GeoPoint& p);
// The position under a pixel; nothing outside the map.
std::optional<GeoPoint> Unproject(const MapFrame& frame, const PixelPoint& px);

// Bearing (degrees) and distance (km) from the centre of an azimuthal view to a pixel.
struct BearingDistance {
  double bearingDeg = 0;
  double distanceKm = 0;
};
std::optional<BearingDistance> AzimuthalBearingDistance(const MapFrame& frame, const PixelPoint& px);

// The scale of the azimuthal distance rings: km per degree of arc on the mean sphere.
constexpr double kRingKmPerDegree = 111.1347;

// ---- Images (32-bit pixels 0xAARRGGBB, rows packed) ----

// Blends the night image into the day image along the terminator for the given
// sub-solar point; all three images are equirectangular, w x h.
void BlendGreyline(const std::uint32_t* day, const std::uint32_t* night, std::uint32_t* out, int w, int h,
                   const GeoPoint& subSolar);

// For every pixel of a view, the index of the source pixel in a w x h equirectangular
// image it shows, or -1 off the map. Built once per view and reused while the view
// stays the same (the azimuthal one costs a few trigonometric calls per pixel).
std::vector<std::int32_t> SourceIndexTable(const MapFrame& frame, int srcW, int srcH);
// Fills the view from the source through the table; off-map pixels get `background`.
void GatherPixels(const std::vector<std::int32_t>& table, const std::uint32_t* src, std::uint32_t* out,
                  std::uint32_t background);

}  // namespace varnak
