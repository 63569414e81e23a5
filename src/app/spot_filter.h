#pragma once
// The spot filter: which spots the operator wants to see, hear and have plotted.
//
// Responsibilities: the filter value (bands, mode classes, DX and spotter continents,
// the spotter's greatest distance, skimmer spots, needed only, calls never to show);
// the named filters as kept in the "Filter" section of "Varnak.ini"; the matcher, which
// turns a filter into sets it can test a spot against in a few comparisons, as it runs
// for every spot of a flood and every row of a list redrawn; the spotters' continents
// and distances, looked up once per spotter call.
//
// Collaborations: the prefix table (through the call parser) places spotters; the
// alert rules give the call patterns and the mode class texts; SpotFilterController
// keeps the filters in force.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/spot.h"

namespace varnak {

class IniFile;
class SpotterContinents;
class TCallParser;

enum class SkimmerSpots : std::uint8_t { Show, Hide, Only };

struct SpotFilter {
  std::string name;
  // An empty list holds no condition.
  std::vector<std::string> bands;              // band texts of the band table
  std::vector<ModeGroup> modes;
  std::vector<std::string> dxContinents;       // "EU", "NA" ...
  std::vector<std::string> spotterContinents;
  int spotterKm = 0;  // the spotter at most this far from the own locator; 0: any distance
  SkimmerSpots skimmers = SkimmerSpots::Show;
  std::vector<NeedMark> needs;         // NewEntity, NewBand, NewMode
  std::vector<std::string> neverCalls;  // upper case, with "*" and "?"
  bool operator==(const SpotFilter&) const = default;
};

inline constexpr std::string_view kContinents[] = {"AF", "AN", "AS", "EU", "NA", "OC", "SA"};

// The filters the operator picks from: "All" first (shows everything, not stored), then
// the operator's named ones (at least two), which one is chosen and whether it is on.
struct SpotFilterSettings {
  bool on = false;
  int chosen = 0;  // index into filters
  std::vector<SpotFilter> filters;
};
inline constexpr int kNamedFiltersAtLeast = 2;
inline constexpr const char* kAllFilterName = "All";

SpotFilterSettings ReadSpotFilterSettings(const IniFile& ini);
void WriteSpotFilterSettings(IniFile& ini, const SpotFilterSettings& settings);

// Words of a filter's text fields as the dialog and the file hold them.
std::string JoinWords(const std::vector<std::string>& words);
std::vector<std::string> UpperWords(std::string_view text);

// Where the spotters are, as far as the filter asks: the continent and the distance
// from the own position, from the spotter's locator when the spot has one, else from
// its call's entity. Calls are looked up once each.
class SpotterPlaces {
 public:
  SpotterPlaces(TCallParser& parser, SpotterContinents& continents) : parser_(parser), continents_(continents) {}
  void SetOwnPosition(double lat, double lon);
  // After the prefix table changed.
  void Clear() { kmOfCall_.clear(); }
  const std::string& ContinentOf(std::string_view spotter);
  // Whole km; -1 when neither locator nor call places the spotter.
  int KmOf(const Spot& spot);

 private:
  TCallParser& parser_;
  SpotterContinents& continents_;
  double lat_ = 0, lon_ = 0;
  std::unordered_map<std::string, int> kmOfCall_;
};

class SpotFilterMatcher {
 public:
  SpotFilterMatcher() = default;  // shows every spot
  // neededKnown: the operator's log is read, so the spots' need marks mean something;
  // without it the "needed only" condition is left out rather than hiding every spot.
  SpotFilterMatcher(const SpotFilter& filter, bool neededKnown);
  bool ShowsAll() const { return showsAll_; }
  // A row that is no spot (a marker line) always shows.
  bool Shows(const Spot& spot, SpotterPlaces& places) const;

 private:
  static std::uint32_t ContinentBits(const std::vector<std::string>& continents);
  static std::uint32_t ContinentBit(std::string_view continent);

  bool showsAll_ = true;
  std::uint64_t bands_ = 0;  // bit of ListIndexOfBand; 0: any
  std::uint32_t modes_ = 0, needs_ = 0, dx_ = 0, spotters_ = 0;
  int km_ = 0;
  SkimmerSpots skimmers_ = SkimmerSpots::Show;
  std::vector<std::string> never_;
};

}  // namespace varnak
