#include "callsign/locator_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace varnak {
namespace {

TEST(LocatorToPosition, GivesTheSouthWestCornerOfTheSquare) {
  auto p = LocatorToPosition("AA00AA");
  EXPECT_DOUBLE_EQ(static_cast<double>(p.Latitude), -90.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(p.Longitude), -180.0);
  p = LocatorToPosition("RR99XX");
  EXPECT_NEAR(static_cast<double>(p.Latitude), 89.958333333, 1e-9);
  EXPECT_NEAR(static_cast<double>(p.Longitude), 179.916666667, 1e-9);
  p = LocatorToPosition("JO65MN");
  EXPECT_NEAR(static_cast<double>(p.Latitude), 55.541666667, 1e-9);
  EXPECT_NEAR(static_cast<double>(p.Longitude), 13.0, 1e-12);
  const auto lower = LocatorToPosition("jo65mn");
  EXPECT_EQ(lower.Latitude, p.Latitude);
  EXPECT_EQ(lower.Longitude, p.Longitude);
}

TEST(LocatorToPosition, ShortLocatorTakesTheLowestMissingCharacters) {
  const auto a = LocatorToPosition("JO65"), b = LocatorToPosition("JO65AA");
  EXPECT_EQ(a.Latitude, b.Latitude);
  EXPECT_EQ(a.Longitude, b.Longitude);
  EXPECT_NO_THROW(LocatorToPosition(""));
}

TEST(ClampedArcCos, ClampsOutsideTheRange) {
  EXPECT_EQ(ClampedArcCos(0), std::numbers::pi_v<long double> / 2);
  EXPECT_EQ(ClampedArcCos(1), 0);
  EXPECT_EQ(ClampedArcCos(1.0000001L), 0);
  EXPECT_EQ(ClampedArcCos(-3), std::numbers::pi_v<long double>);
}

TEST(DistanceBearing, QuarterCircleAlongTheEquator) {
  auto r = DistanceBearing(0, 0, 0, 90);
  EXPECT_NEAR(static_cast<double>(r.DistanceKm), 10018.926, 1e-6);
  EXPECT_NEAR(static_cast<double>(r.BearingDeg), 90, 1e-9);
  r = DistanceBearing(0, 0, 0, -90);
  EXPECT_NEAR(static_cast<double>(r.DistanceKm), 10018.926, 1e-6);
  EXPECT_NEAR(static_cast<double>(r.BearingDeg), 270, 1e-9);
}

TEST(DistanceBearing, NorthAndSouth) {
  auto r = DistanceBearing(0, 0, 10, 0);
  EXPECT_NEAR(static_cast<double>(r.DistanceKm), 1113.1856, 1e-4);
  EXPECT_NEAR(static_cast<double>(r.BearingDeg), 0, 1e-6);
  r = DistanceBearing(0, 0, -10, 0);
  EXPECT_NEAR(static_cast<double>(r.DistanceKm), 1113.1856, 1e-4);
  EXPECT_NEAR(static_cast<double>(r.BearingDeg), 180, 1e-6);
}

TEST(DistanceBearing, GothenburgToNewYork) {
  const auto own = LocatorToPosition("JO57XQ");
  const auto r = DistanceBearing(own.Latitude, own.Longitude, 40, -74);
  EXPECT_NEAR(static_cast<double>(r.DistanceKm), 6121.0, 0.1);
  EXPECT_NEAR(static_cast<double>(r.BearingDeg), 291.3, 0.05);
}

TEST(DistanceBearing, UndefinedBearingsAreZeroNotNaN) {
  auto r = DistanceBearing(51.5, -0.1, 51.5, -0.1);
  EXPECT_EQ(r.DistanceKm, 0);
  EXPECT_EQ(r.BearingDeg, 0);
  r = DistanceBearing(-90, -180, 40, -74);  // default locator AA00AA sits on the pole
  EXPECT_FALSE(std::isnan(r.BearingDeg));
  EXPECT_GT(r.DistanceKm, 14000);
}

}  // namespace
}  // namespace varnak
