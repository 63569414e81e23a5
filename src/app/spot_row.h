#pragma once
// One spot row cut into the cells of the columns view, and the lookup of its DX call
// with the parser and geometry of the lookup line. Plain C++ apart from the clock.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/need_mark.h"
#include "core/clock.h"

namespace varnak {

class TCallParser;

inline constexpr std::int64_t kUnknownMinute = std::numeric_limits<std::int64_t>::min();

struct SpotRowInfo {
  // From the row's text. A row that does not follow the spot layout (start marker,
  // hand-edited line, relay text) is not valid and keeps its whole text in comment.
  bool valid = false;
  std::string utc;       // "2215Z"
  std::string khzText;   // "14025.0", as received
  double khz = 0;
  std::string dx, comment, spotter;
  std::string band;      // band text of the frequency
  std::int64_t addedMinute = kUnknownMinute;  // MinuteOf the local clock

  // From the lookup of the DX call (resolved), and the settings of the moment.
  bool resolved = false;
  std::string entity, continent, entityNumber;
  int km = -1, deg = -1;
  bool ownCall = false;  // the operator's call as DX or spotter
  NeedMark mark = NeedMark::None;
  int generation = -1;   // of the resolver when this was last brought up to date
};

// Cuts a row such as
//   DX de Q2ABC-#:   14025.0  DL1ABC       CW 22 dB 25 WPM CQ             2215Z | 12-08
// or a converted listing row ("... 2215Z|8-Dec | 12-08"). The call token may be at most
// 15 characters, the spotter must end in ":", a time "hhmmZ" must follow the comment.
SpotRowInfo ParseSpotRow(std::string_view row);

// A clock reading as a count of minutes (taken as it stands, no time zone).
std::int64_t MinuteOf(const DateTime& t);
// When a row loaded from a file was added: its spot time (UTC) on its MM-DD day, moved to
// the local clock by utcOffsetMinutes, the latest such moment not after now.
std::int64_t EstimatedAddedMinute(const SpotRowInfo& info, std::string_view row, std::int64_t nowMinute,
                                  int utcOffsetMinutes, int year);

// Brings rows up to date with the parser, the own position and call and the log's marks.
// Shared by the caches of all lists: a spot is filed into its band list and into "All",
// and the second of the two takes the first one's lookup.
class SpotRowResolver {
 public:
  SpotRowResolver(TCallParser& parser, const Clock& clock) : parser_(parser), clock_(clock) {}

  void SetOwnCall(std::string_view call);
  void SetOwnPosition(double lat, double lon);
  // An inactive marker marks nothing.
  void SetMarker(NeedMarker marker, bool active);
  // Whether rows are looked up at all (the columns view or the log's marks need it).
  void SetLookups(bool on);
  bool Lookups() const { return lookups_; }
  // Changes on every setting above: rows of an older generation are stale.
  int Generation() const { return generation_; }
  void Touch() { ++generation_; memo_.clear(); }

  std::int64_t NowMinute() const { return MinuteOf(clock_.LocalNow()); }
  int UtcOffsetMinutes() const;
  int Year() const { return clock_.LocalNow().year; }

  // Own call and, with lookups on, entity, distance, bearing and mark.
  void Update(SpotRowInfo& info);
  // A new row cut and brought up to date, added now. The same spot is filed into its
  // band list and then into "All": both share one info.
  std::shared_ptr<SpotRowInfo> NewRow(const std::string& row);

 private:
  struct Looked {
    std::string entity, continent, entityNumber;
    int km = -1, deg = -1;
    bool found = false;
  };
  const Looked& Lookup(const SpotRowInfo& info);

  TCallParser& parser_;
  const Clock& clock_;
  std::string ownHome_;
  double lat_ = 0, lon_ = 0;
  NeedMarker marker_;
  bool markerActive_ = false;
  bool lookups_ = false;
  int generation_ = 0;
  // The last few lookups by DX call: the same spot reaches two lists in a row.
  std::unordered_map<std::string, Looked> memo_;
  std::string lastRow_;
  std::shared_ptr<SpotRowInfo> lastInfo_;
};

}  // namespace varnak
