#pragma once
// The band map's arithmetic, without a window: which spots of a band list stand on the
// map, where a kHz lies on the scale, and where each call's label goes so that no two
// labels overlap. The window paints what these return and hit-tests the same boxes.
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "app/spot.h"

namespace varnak {

// The stretch of a band the scale shows at its widest.
struct KhzRange {
  double low = 0, high = 0;
  double Span() const { return high - low; }
  bool Contains(double khz) const { return khz >= low && khz <= high; }
};
// The band's edges for a band text of the band table; nothing for a band it does not know.
std::optional<KhzRange> BandEdges(std::string_view band);

// Two spots of one call this close are one station; the newer stands for both.
inline constexpr double kSameStationKhz = 1.0;
// The narrowest view, in kHz from top to bottom.
inline constexpr double kNarrowestSpanKhz = 2.0;

// The spots worth a label, given oldest first (as a list holds them): valid ones that
// shows accepts (an empty function accepts all), and of one call within kSameStationKhz
// only the newest. Returned newest first; indices into the input.
std::vector<int> StandingSpots(const std::vector<const Spot*>& oldestFirst,
                               const std::function<bool(const Spot&)>& shows = {});

// The vertical scale: higher frequencies further up, as on a dial.
struct KhzScale {
  KhzRange view;  // the stretch shown, top = view.high
  double height = 1;  // pixels
  double YOf(double khz) const { return (view.high - khz) / view.Span() * height; }
  double KhzAt(double y) const { return view.high - y / height * view.Span(); }
};

// Labels of one height, stacked into columns beside the scale.
struct LabelPlace {
  int input = 0;      // index of the anchor given
  double anchorY = 0;  // where its kHz is on the scale: the leader's end
  double top = 0;      // the label's top edge
  int column = 0;      // 0 next to the scale
};
struct LabelLayout {
  std::vector<LabelPlace> placed;
  int unplaced = 0;  // anchors that found no room without a long leader: zoom in to see them
};
// Anchors: the label's anchor y of each spot, in any order. A label sits as near its
// anchor as the labels above it allow, never more than maxShift below the place it
// wants; a label with no such room in any of the columns is left out. Labels stay
// within 0..height.
LabelLayout PlaceLabels(const std::vector<double>& anchors, double labelHeight, double height, int columns,
                        double maxShift);

// The spot a "next above" or "next below" step lands on: the nearest kHz strictly
// beyond from (by more than a few Hz), among khz; -1 when there is none.
int NextKhz(const std::vector<double>& khz, double from, bool up);

}  // namespace varnak
