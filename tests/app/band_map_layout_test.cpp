#include "app/band_map_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace varnak;

namespace {
Spot At(const char* call, double khz) {
  Spot s;
  s.valid = true;
  s.dx = call;
  s.khz = khz;
  return s;
}
}  // namespace

TEST(BandMapLayout, OneLabelPerCallWithinAKilohertzTheNewestWins) {
  Spot marker;  // a row the program wrote, no spot
  const Spot spots[] = {At("DL1ABC", 14025.0), At("JA1XYZ", 14030.0), At("DL1ABC", 14025.9),
                        At("DL1ABC", 14027.5), At("JA1XYZ", 14031.0), At("K1ABC", 14010.0)};
  std::vector<const Spot*> rows = {&marker};
  for (const Spot& s : spots) rows.push_back(&s);
  // Newest first: K1ABC, JA1XYZ 14031 (hides 14030), DL1ABC 14027.5, DL1ABC 14025.9 (hides 14025.0).
  EXPECT_EQ(StandingSpots(rows), (std::vector<int>{6, 5, 4, 3}));
  // A filter acts before the newest is chosen: a hidden newer spot leaves the older one.
  const auto notJa31 = [](const Spot& s) { return !(s.dx == "JA1XYZ" && s.khz > 14030.5); };
  EXPECT_EQ(StandingSpots(rows, notJa31), (std::vector<int>{6, 4, 3, 2}));
}

TEST(BandMapLayout, LabelsNeverOverlapAndLeadersEndAtTheirKhz) {
  const KhzScale scale{{14000, 14100}, 500};
  EXPECT_DOUBLE_EQ(scale.YOf(14100), 0);
  EXPECT_DOUBLE_EQ(scale.YOf(14025), 375);
  EXPECT_DOUBLE_EQ(scale.KhzAt(375), 14025);
  // A pile-up: 30 spots within 3 kHz, and a few far apart, near both edges.
  std::vector<double> anchors;
  for (int i = 0; i < 30; ++i) anchors.push_back(scale.YOf(14050 + i * 0.1));
  for (double khz : {14099.9, 14000.1, 14020.0}) anchors.push_back(scale.YOf(khz));
  const double h = 14;
  const LabelLayout layout = PlaceLabels(anchors, h, 500, 3, 2.5 * h);
  EXPECT_EQ(layout.placed.size() + static_cast<size_t>(layout.unplaced), anchors.size());
  EXPECT_GT(layout.unplaced, 0);  // three columns cannot hold 30 labels within 15 px
  for (const LabelPlace& a : layout.placed) {
    EXPECT_EQ(a.anchorY, anchors[static_cast<size_t>(a.input)]);
    EXPECT_GE(a.top, 0);
    EXPECT_LE(a.top + h, 500);
    EXPECT_LE(a.top - (a.anchorY - h / 2), 2.5 * h + 1e-9) << "leader too long";
    for (const LabelPlace& b : layout.placed) {
      if (&a == &b || a.column != b.column) continue;
      EXPECT_TRUE(a.top + h <= b.top || b.top + h <= a.top) << a.input << " overlaps " << b.input;
    }
  }
  // Spots far apart sit level with their kHz in the first column.
  const auto far = std::find_if(layout.placed.begin(), layout.placed.end(), [](const LabelPlace& p) { return p.input == 32; });
  ASSERT_NE(far, layout.placed.end());
  EXPECT_EQ(far->column, 0);
  EXPECT_DOUBLE_EQ(far->top, scale.YOf(14020.0) - h / 2);
}

TEST(BandMapLayout, NextSpotAboveAndBelow) {
  const std::vector<double> khz = {14025.0, 14010.0, 14030.0, 14025.0, 14040.0};
  EXPECT_EQ(NextKhz(khz, 14025.0, true), 2);  // the spot on the radio's frequency is no step
  EXPECT_EQ(NextKhz(khz, 14025.0, false), 1);
  EXPECT_EQ(NextKhz(khz, 14020.0, true), 0);  // of two on one kHz, the first (newest)
  EXPECT_EQ(NextKhz(khz, 14040.0, true), -1);
  EXPECT_EQ(NextKhz(khz, 14010.0, false), -1);
  EXPECT_EQ(BandEdges("20")->low, 14000);
  EXPECT_FALSE(BandEdges("").has_value());
}
