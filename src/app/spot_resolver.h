#pragma once
// SpotResolver: the one way a spot is looked up and kept up to date.
//
// Responsibilities: parses a new spot line and looks its DX call up with the parser,
// once; derives from that lookup, the own call and position and the log's marks what
// depends on them (own call, distance, bearing, the need mark, the lookup line's texts)
// and does so again, without asking the parser, whenever one of them changes. It counts
// those changes in a generation, so that a spot knows whether it is out of date.
//
// Collaborations: the station keeps its settings here and owns the parser; the spot
// lists bring their rows up to date through it in slices from the event loop; the
// station makes a clicked row current through it.
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/spot.h"
#include "core/need_mark.h"

namespace varnak {

class TCallParser;

// The spot's lookup record: the lookup line's and the spot menu's texts as LookupSpotLine
// gives them for its row from the own position of the spot's last update, the lookup
// line with the need mark's tag. Empty for a spot never looked up.
dxrec LookupRecordOf(const Spot& spot);

class SpotResolver {
 public:
  explicit SpotResolver(TCallParser& parser) : parser_(parser) {}

  void SetOwnCall(std::string_view call);
  void SetOwnPosition(double lat, double lon);
  // An inactive marker marks nothing.
  void SetMarker(NeedMarker marker, bool active);
  // Whether rows that were never looked up (rows from the files) are looked up in the
  // background: the columns view or the log's marks need it.
  void SetLookups(bool on);
  bool Lookups() const { return lookups_; }
  // Changes on every setting above: spots of an older generation are out of date.
  int Generation() const { return generation_; }

  // A spot line as it came: parsed and looked up.
  std::shared_ptr<Spot> NewSpot(std::string_view line);
  // Brings the spot up to the settings of the moment; a spot never looked up is looked
  // up when lookups are on or lookUp asks for it. Only that asks the parser.
  void Update(Spot& spot, bool lookUp = false);

 private:
  void LookUp(Spot& spot);
  void Derive(Spot& spot) const;

  TCallParser& parser_;
  std::string ownHome_;
  double lat_ = 0, lon_ = 0;
  // Distance and bearing from the own position by the table's positions, which are few:
  // most spots are of entities heard before, and the path costs a dozen long double
  // sines and cosines.
  mutable std::map<std::pair<double, double>, std::pair<int, int>> paths_;
  NeedMarker marker_;
  bool markerActive_ = false;
  bool lookups_ = false;
  int generation_ = 0;
};

}  // namespace varnak
