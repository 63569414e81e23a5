#include "app/band_map_layout.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

namespace varnak {

namespace {

struct BandEdge {
  std::string_view band;
  KhzRange range;
};

// The widest allocations of the three regions, so that no spot of a band falls off it.
constexpr BandEdge kEdges[] = {
    {"160", {1800, 2000}},    {"80", {3500, 4000}},     {"60", {5250, 5450}},      {"40", {7000, 7300}},
    {"30", {10100, 10150}},   {"20", {14000, 14350}},   {"17", {18068, 18168}},    {"15", {21000, 21450}},
    {"12", {24890, 24990}},   {"10", {28000, 29700}},   {"6", {50000, 54000}},     {"4", {70000, 70500}},
    {"2", {144000, 148000}},  {"70cm", {430000, 440000}}, {"SHF", {1240000, 1300000}}};

// A step that lands on the frequency the radio is already on is no step.
constexpr double kSameKhz = 0.05;

}  // namespace

std::optional<KhzRange> BandEdges(std::string_view band) {
  for (const BandEdge& e : kEdges)
    if (e.band == band) return e.range;
  return std::nullopt;
}

std::vector<int> StandingSpots(const std::vector<const Spot*>& oldestFirst, const std::function<bool(const Spot&)>& shows) {
  std::vector<int> standing;
  // Per call the kHz already standing, as chains through kept (a repaint makes no
  // allocation per call).
  struct Kept {
    double khz;
    int next;
  };
  std::vector<Kept> kept;
  kept.reserve(oldestFirst.size());
  std::unordered_map<std::string_view, int> firstOf;
  firstOf.reserve(oldestFirst.size());
  for (int i = static_cast<int>(oldestFirst.size()) - 1; i >= 0; --i) {
    const Spot* s = oldestFirst[static_cast<size_t>(i)];
    if (!s || !s->valid || s->dx.empty() || (shows && !shows(*s))) continue;
    const auto first = firstOf.try_emplace(s->dx, -1).first;
    bool near = false;
    for (int k = first->second; k >= 0 && !near; k = kept[static_cast<size_t>(k)].next)
      near = std::abs(kept[static_cast<size_t>(k)].khz - s->khz) <= kSameStationKhz;
    if (near) continue;
    kept.push_back(Kept{s->khz, first->second});
    first->second = static_cast<int>(kept.size()) - 1;
    standing.push_back(i);
  }
  return standing;
}

LabelLayout PlaceLabels(const std::vector<double>& anchors, double labelHeight, double height, int columns,
                        double maxShift) {
  LabelLayout out;
  std::vector<int> order(anchors.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return anchors[static_cast<size_t>(a)] < anchors[static_cast<size_t>(b)]; });
  // Each column's lowest label edge so far; labels go down the columns in anchor order.
  std::vector<double> bottom(static_cast<size_t>(std::max(columns, 1)), -1e300);
  const double lowestTop = std::max(0.0, height - labelHeight);
  for (int i : order) {
    const double anchor = anchors[static_cast<size_t>(i)];
    const double wanted = std::clamp(anchor - labelHeight / 2, 0.0, lowestTop);
    bool placed = false;
    for (size_t c = 0; c < bottom.size() && !placed; ++c) {
      const double top = std::max(wanted, bottom[c]);
      if (top - wanted > maxShift || top > lowestTop) continue;
      bottom[c] = top + labelHeight;
      out.placed.push_back(LabelPlace{i, anchor, top, static_cast<int>(c)});
      placed = true;
    }
    if (!placed) ++out.unplaced;
  }
  return out;
}

int NextKhz(const std::vector<double>& khz, double from, bool up) {
  int best = -1;
  for (size_t i = 0; i < khz.size(); ++i) {
    const double d = up ? khz[i] - from : from - khz[i];
    if (d <= kSameKhz) continue;
    if (best < 0 || d < (up ? khz[static_cast<size_t>(best)] - from : from - khz[static_cast<size_t>(best)]))
      best = static_cast<int>(i);
  }
  return best;
}

}  // namespace varnak
