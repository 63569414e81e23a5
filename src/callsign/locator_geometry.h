#pragma once
// Maidenhead locators and great-circle distance and bearing. Everything is computed in
// long double (80-bit extended on x86) so that the figures agree to the last shown digit.
#include <string_view>

namespace varnak {

struct GeoPosition {
  long double Latitude = 0;   // degrees, north positive
  long double Longitude = 0;  // degrees, east positive
};

struct DistanceAndBearing {
  long double DistanceKm = 0;
  long double BearingDeg = 0;  // from true north, clockwise, 0 to 360
};

// South-west corner of the six-character square ("JO65MN" gives 55.5417, 13.0); letters
// are case-insensitive. Missing characters of a shorter locator count as the lowest
// value of their place ("JO65" = "JO65AA"); nothing is validated beyond that.
GeoPosition LocatorToPosition(std::string_view locator);

// Inverse cosine in radians with the argument clamped to [-1, 1], so rounding noise just
// outside the range never yields NaN.
long double ClampedArcCos(long double x);

// Distance (km, with the latitude-dependent length of a degree) and bearing from the own
// position to the target. Coinciding positions and an own position at a pole have no
// defined bearing; they give 0.
DistanceAndBearing DistanceBearing(long double ownLat, long double ownLon,
                                   long double lat, long double lon);

}  // namespace varnak
