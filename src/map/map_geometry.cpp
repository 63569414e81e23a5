#include "map/map_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace varnak {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRad = kPi / 180.0;

double Rad(double deg) { return deg * kRad; }
double Deg(double rad) { return rad / kRad; }

// Longitude brought into [-180, 180).
double WrapLon(double lon) {
  double l = std::fmod(lon + 180.0, 360.0);
  if (l < 0) l += 360.0;
  return l - 180.0;
}

struct SolarState {
  double declinationDeg;
  double equationOfTimeMin;
};

SolarState SolarAt(std::int64_t utcSeconds) {
  const double jd = static_cast<double>(utcSeconds) / 86400.0 + 2440587.5;
  const double t = (jd - 2451545.0) / 36525.0;
  const double l0 = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
  const double m = 357.52911 + t * (35999.05029 - 0.0001537 * t);
  const double e = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
  const double c = std::sin(Rad(m)) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                   std::sin(Rad(2 * m)) * (0.019993 - 0.000101 * t) + std::sin(Rad(3 * m)) * 0.000289;
  const double omega = 125.04 - 1934.136 * t;
  const double lambda = l0 + c - 0.00569 - 0.00478 * std::sin(Rad(omega));
  const double eps0 = 23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0;
  const double eps = eps0 + 0.00256 * std::cos(Rad(omega));
  const double decl = Deg(std::asin(std::sin(Rad(eps)) * std::sin(Rad(lambda))));
  const double y = std::pow(std::tan(Rad(eps) / 2), 2);
  const double eot = 4.0 * Deg(y * std::sin(2 * Rad(l0)) - 2 * e * std::sin(Rad(m)) +
                               4 * e * y * std::sin(Rad(m)) * std::cos(2 * Rad(l0)) -
                               0.5 * y * y * std::sin(4 * Rad(l0)) - 1.25 * e * e * std::sin(2 * Rad(m)));
  return {decl, eot};
}

double SmoothStep(double x) {
  x = std::clamp(x, 0.0, 1.0);
  return x * x * (3 - 2 * x);
}

}  // namespace

GeoPoint SubSolarPoint(std::int64_t utcSeconds) {
  SolarState s = SolarAt(utcSeconds);
  std::int64_t secOfDay = utcSeconds % 86400;
  if (secOfDay < 0) secOfDay += 86400;
  const double hours = static_cast<double>(secOfDay) / 3600.0;
  return {s.declinationDeg, WrapLon(-15.0 * (hours - 12.0 + s.equationOfTimeMin / 60.0))};
}

double SolarElevation(const GeoPoint& where, const GeoPoint& subSolar) {
  return 90.0 - CentralAngleDeg(where, subSolar);
}

Daylight DaylightAt(const GeoPoint& where, std::int64_t utcSeconds) {
  const double elevation = SolarElevation(where, SubSolarPoint(utcSeconds));
  if (elevation >= kGreylineHalfWidthDeg) return Daylight::Day;
  if (elevation <= -kGreylineHalfWidthDeg) return Daylight::Darkness;
  return Daylight::Greyline;
}

const char* DaylightText(Daylight d) {
  switch (d) {
    case Daylight::Day: return "daylight";
    case Daylight::Greyline: return "greyline";
    case Daylight::Darkness: return "darkness";
  }
  return "";
}

SunTimes SunriseSunset(const GeoPoint& where, std::int64_t utcSeconds) {
  std::int64_t day = utcSeconds - ((utcSeconds % 86400) + 86400) % 86400;
  SunTimes out;
  // Sunrise and sunset: the sun's upper limb on the horizon, refraction included.
  const double h0 = Rad(-0.833);
  auto eventMinute = [&](double sign) -> std::optional<int> {
    double minute = 720.0 - 4.0 * where.lon;  // first guess: local noon
    for (int pass = 0; pass < 3; ++pass) {
      SolarState s = SolarAt(day + static_cast<std::int64_t>(minute * 60.0));
      const double phi = Rad(where.lat), delta = Rad(s.declinationDeg);
      const double cosH = (std::sin(h0) - std::sin(phi) * std::sin(delta)) / (std::cos(phi) * std::cos(delta));
      if (cosH < -1 || cosH > 1) {
        out.polarDay = cosH < -1;
        return std::nullopt;
      }
      const double hourAngle = Deg(std::acos(cosH));
      minute = 720.0 - 4.0 * (where.lon + sign * hourAngle) - s.equationOfTimeMin;
    }
    int m = static_cast<int>(std::lround(minute)) % 1440;
    return m < 0 ? m + 1440 : m;
  };
  out.riseMinute = eventMinute(1.0);
  out.setMinute = eventMinute(-1.0);
  return out;
}

std::string UtcMinuteText(std::optional<int> minute) {
  if (!minute) return "--:--";
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d:%02d", *minute / 60 % 24, *minute % 60);
  return buf;
}

double KmPerDegree(double lat1, double lat2) { return 111.1347 + 0.1867 * std::cos(Rad(lat1 + lat2)); }

double CentralAngleDeg(const GeoPoint& a, const GeoPoint& b) {
  // Haversine form: exact near 0 where the cosine form loses its digits.
  const double dPhi = Rad(b.lat - a.lat), dLam = Rad(b.lon - a.lon);
  const double h = std::pow(std::sin(dPhi / 2), 2) +
                   std::cos(Rad(a.lat)) * std::cos(Rad(b.lat)) * std::pow(std::sin(dLam / 2), 2);
  return Deg(2 * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0))));
}

double InitialBearingDeg(const GeoPoint& a, const GeoPoint& b) {
  const double p1 = Rad(a.lat), p2 = Rad(b.lat), dl = Rad(b.lon - a.lon);
  const double y = std::sin(dl) * std::cos(p2);
  const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
  if (std::abs(x) < 1e-15 && std::abs(y) < 1e-15) return 0;
  double b0 = std::fmod(Deg(std::atan2(y, x)) + 360.0, 360.0);
  return b0;
}

GeoPoint Destination(const GeoPoint& from, double bearingDeg, double arcDeg) {
  const double p1 = Rad(from.lat), th = Rad(bearingDeg), d = Rad(arcDeg);
  const double sinP2 = std::sin(p1) * std::cos(d) + std::cos(p1) * std::sin(d) * std::cos(th);
  const double p2 = std::asin(std::clamp(sinP2, -1.0, 1.0));
  const double l2 = Rad(from.lon) + std::atan2(std::sin(th) * std::sin(d) * std::cos(p1), std::cos(d) - std::sin(p1) * sinP2);
  return {Deg(p2), WrapLon(Deg(l2))};
}

GreatCirclePaths PathsBetween(const GeoPoint& from, const GeoPoint& to, double stepDeg) {
  GreatCirclePaths paths;
  const double delta = CentralAngleDeg(from, to);
  const double k = KmPerDegree(from.lat, to.lat);
  paths.shortPath.bearingDeg = InitialBearingDeg(from, to);
  paths.shortPath.distanceKm = k * delta;
  paths.longPath.bearingDeg = std::fmod(paths.shortPath.bearingDeg + 180.0, 360.0);
  paths.longPath.distanceKm = k * (360.0 - delta);
  auto trace = [&](PathLeg& leg, double arc) {
    const int n = std::max(1, static_cast<int>(std::ceil(arc / stepDeg)));
    for (int i = 0; i <= n; ++i) leg.points.push_back(Destination(from, leg.bearingDeg, arc * i / n));
    leg.points.back() = to;
  };
  trace(paths.shortPath, delta);
  trace(paths.longPath, 360.0 - delta);
  return paths;
}

double MapFrame::Scale() const { return zoom * std::min(width / 360.0, height / 180.0); }
double MapFrame::DiskRadius() const { return std::max(1.0, std::min(width, height) / 2.0 - 4.0); }

void ClampFrame(MapFrame& f) {
  f.zoom = std::clamp(f.zoom, 1.0, kMaxZoom);
  const double halfHeightDeg = f.height / 2.0 / f.Scale();
  f.centre.lat = halfHeightDeg >= 90.0 ? 0.0 : std::clamp(f.centre.lat, -90.0 + halfHeightDeg, 90.0 - halfHeightDeg);
  f.centre.lon = WrapLon(f.centre.lon);
}

std::optional<PixelPoint> Project(const MapFrame& f, const GeoPoint& p) {
  if (f.projection == Projection::Equirectangular) {
    const double s = f.Scale();
    return PixelPoint{f.width / 2.0 + WrapLon(p.lon - f.centre.lon) * s, f.height / 2.0 - (p.lat - f.centre.lat) * s};
  }
  const double c = CentralAngleDeg(f.own, p);
  if (c >= 180.0) return std::nullopt;
  const double r = c / 180.0 * f.DiskRadius(), th = Rad(InitialBearingDeg(f.own, p));
  return PixelPoint{f.width / 2.0 + r * std::sin(th), f.height / 2.0 - r * std::cos(th)};
}

std::optional<GeoPoint> Unproject(const MapFrame& f, const PixelPoint& px) {
  if (f.projection == Projection::Equirectangular) {
    const double s = f.Scale();
    const double lat = f.centre.lat - (px.y - f.height / 2.0) / s;
    if (lat < -90.0 || lat > 90.0) return std::nullopt;
    return GeoPoint{lat, WrapLon(f.centre.lon + (px.x - f.width / 2.0) / s)};
  }
  const double dx = px.x - f.width / 2.0, dy = px.y - f.height / 2.0;
  const double r = std::hypot(dx, dy), radius = f.DiskRadius();
  if (r > radius) return std::nullopt;
  return Destination(f.own, Deg(std::atan2(dx, -dy)), r / radius * 180.0);
}

std::optional<BearingDistance> AzimuthalBearingDistance(const MapFrame& f, const PixelPoint& px) {
  if (f.projection != Projection::Azimuthal) return std::nullopt;
  const auto at = Unproject(f, px);
  if (!at) return std::nullopt;
  const double dx = px.x - f.width / 2.0, dy = px.y - f.height / 2.0;
  const double arc = std::hypot(dx, dy) / f.DiskRadius() * 180.0;
  return BearingDistance{std::fmod(Deg(std::atan2(dx, -dy)) + 360.0, 360.0), arc * KmPerDegree(f.own.lat, at->lat)};
}

void BlendGreyline(const std::uint32_t* day, const std::uint32_t* night, std::uint32_t* out, int w, int h,
                   const GeoPoint& subSolar) {
  // The sine of the sun's elevation is a + b * cos(lon - lonSun) with a and b fixed per
  // row, so one cosine per column and one table look-up per pixel do.
  constexpr int kSteps = 4096;
  static const std::array<std::uint32_t, kSteps + 1> weight = [] {
    std::array<std::uint32_t, kSteps + 1> t{};
    for (int i = 0; i <= kSteps; ++i) {
      const double elevation = Deg(std::asin(-1.0 + 2.0 * i / kSteps));
      t[static_cast<size_t>(i)] = static_cast<std::uint32_t>(
          std::lround(256 * SmoothStep((elevation + kGreylineHalfWidthDeg) / (2 * kGreylineHalfWidthDeg))));
    }
    return t;
  }();
  std::vector<double> cosCol(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x) cosCol[static_cast<size_t>(x)] = std::cos(Rad(-180.0 + (x + 0.5) * 360.0 / w - subSolar.lon));
  const double sd = std::sin(Rad(subSolar.lat)), cd = std::cos(Rad(subSolar.lat));
  for (int y = 0; y < h; ++y) {
    const double lat = Rad(90.0 - (y + 0.5) * 180.0 / h);
    const double a = std::sin(lat) * sd, b = std::cos(lat) * cd;
    const size_t row = static_cast<size_t>(y) * static_cast<size_t>(w);
    for (int x = 0; x < w; ++x) {
      const double e = a + b * cosCol[static_cast<size_t>(x)];
      const int i = std::clamp(static_cast<int>((e + 1.0) * (kSteps / 2)), 0, kSteps);
      const std::uint32_t wd = weight[static_cast<size_t>(i)], wn = 256 - wd;
      const std::uint32_t d = day[row + static_cast<size_t>(x)], n = night[row + static_cast<size_t>(x)];
      const std::uint32_t rb = (((d & 0xFF00FFu) * wd + (n & 0xFF00FFu) * wn) >> 8) & 0xFF00FFu;
      const std::uint32_t g = (((d & 0x00FF00u) * wd + (n & 0x00FF00u) * wn) >> 8) & 0x00FF00u;
      out[row + static_cast<size_t>(x)] = 0xFF000000u | rb | g;
    }
  }
}

std::vector<std::int32_t> SourceIndexTable(const MapFrame& f, int srcW, int srcH) {
  std::vector<std::int32_t> table(static_cast<size_t>(f.width) * static_cast<size_t>(f.height), -1);
  auto column = [&](double lon) { return std::clamp(static_cast<int>((lon + 180.0) / 360.0 * srcW), 0, srcW - 1); };
  auto row = [&](double lat) { return std::clamp(static_cast<int>((90.0 - lat) / 180.0 * srcH), 0, srcH - 1); };
  if (f.projection == Projection::Equirectangular) {
    // Separable: one source column per view column, one source row per view row.
    const double s = f.Scale();
    std::vector<int> cols(static_cast<size_t>(f.width));
    for (int x = 0; x < f.width; ++x) cols[static_cast<size_t>(x)] = column(WrapLon(f.centre.lon + (x + 0.5 - f.width / 2.0) / s));
    for (int y = 0; y < f.height; ++y) {
      const double lat = f.centre.lat - (y + 0.5 - f.height / 2.0) / s;
      if (lat < -90.0 || lat > 90.0) continue;
      const int base = row(lat) * srcW;
      std::int32_t* out = table.data() + static_cast<size_t>(y) * static_cast<size_t>(f.width);
      for (int x = 0; x < f.width; ++x) out[x] = base + cols[static_cast<size_t>(x)];
    }
    return table;
  }
  const double radius = f.DiskRadius(), cx = f.width / 2.0, cy = f.height / 2.0;
  const double sp1 = std::sin(Rad(f.own.lat)), cp1 = std::cos(Rad(f.own.lat));
  for (int y = 0; y < f.height; ++y) {
    const double dy = y + 0.5 - cy;
    for (int x = 0; x < f.width; ++x) {
      const double dx = x + 0.5 - cx;
      const double r = std::hypot(dx, dy);
      if (r > radius) continue;
      // Destination() unrolled: sin and cos of the bearing are dx / r and -dy / r.
      const double d = r / radius * kPi, sd = std::sin(d), cdist = std::cos(d);
      const double sinT = r > 0 ? dx / r : 0, cosT = r > 0 ? -dy / r : 1;
      const double sinP2 = std::clamp(sp1 * cdist + cp1 * sd * cosT, -1.0, 1.0);
      const double lon = f.own.lon + Deg(std::atan2(sinT * sd * cp1, cdist - sp1 * sinP2));
      table[static_cast<size_t>(y) * static_cast<size_t>(f.width) + static_cast<size_t>(x)] =
          row(Deg(std::asin(sinP2))) * srcW + column(WrapLon(lon));
    }
  }
  return table;
}

void GatherPixels(const std::vector<std::int32_t>& table, const std::uint32_t* src, std::uint32_t* out,
                  std::uint32_t background) {
  const size_t n = table.size();
  for (size_t i = 0; i < n; ++i) out[i] = table[i] >= 0 ? src[table[i]] : background;
}

}  // namespace varnak
