#include "callsign/locator_geometry.h"

#include <cmath>
#include <numbers>

namespace varnak {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

int Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

}  // namespace

GeoPosition LocatorToPosition(std::string_view locator) {
  static constexpr char kLowest[6] = {'A', 'A', '0', '0', 'A', 'A'};
  int c[6];
  for (int i = 0; i < 6; ++i)
    c[i] = i < static_cast<int>(locator.size()) ? Upper(static_cast<unsigned char>(locator[i])) : kLowest[i];
  GeoPosition p;
  p.Longitude = (c[0] - 'A') * 20.0L - 180.0L + (c[2] - '0') * 2.0L + (c[4] - 'A') / 12.0L;
  p.Latitude = (c[1] - 'A') * 10.0L - 90.0L + (c[3] - '0') + (c[5] - 'A') / 24.0L;
  return p;
}

long double ClampedArcCos(long double x) {
  if (std::isnan(x)) return kPi / 2;  // only reachable through a 0/0; any angle will do
  if (x > 1) x = 1;
  if (x < -1) x = -1;
  return std::acos(x);
}

DistanceAndBearing DistanceBearing(long double ownLat, long double ownLon, long double lat,
                                   long double lon) {
  const long double p1 = ownLat * kPi / 180, l1 = ownLon * kPi / 180;
  const long double p2 = lat * kPi / 180, l2 = lon * kPi / 180;
  const long double delta =
      ClampedArcCos(std::sin(p1) * std::sin(p2) + std::cos(p1) * std::cos(p2) * std::cos(l1 - l2));
  const long double k = 111.1347L + 0.1867L * std::cos(p1 + p2);
  DistanceAndBearing r;
  r.DistanceKm = k * delta * 180 / kPi;

  const long double divisor = std::cos(p1) * std::sin(delta);
  if (std::fabs(divisor) < 1e-15L) {
    r.BearingDeg = 0;
    return r;
  }
  long double f = (std::sin(p2) - std::sin(p1) * std::cos(delta)) / divisor;
  if (f > 1) f = 1;
  const long double b = ClampedArcCos(f) / kPi * 180;
  r.BearingDeg = std::sin(l1 - l2) > 0 ? 360 - b : b;
  return r;
}

}  // namespace varnak
