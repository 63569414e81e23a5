#pragma once
// Spot: one DX spot as the program keeps it, parsed once and looked up once.
//   DX de Q2ABC-#:   14025.0  DL1ABC       CW 22 dB 25 WPM CQ             2215Z
// The lists hold these values and render the row text their files and the one-column
// view show from them; the views, the map, the sounds and the rig take the value itself
// and never parse text again. SpotResolver (spot_resolver.h) fills in the lookup half.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "callsign/lookup.h"
#include "core/clock.h"
#include "core/need_mark.h"
#include "log/log_book.h"

namespace varnak {

inline constexpr std::int64_t kUnknownMinute = std::numeric_limits<std::int64_t>::min();

struct Spot {
  // From the line. A row that does not follow the spot layout (the start marker, a
  // hand-edited line, relay text) is not valid and keeps its whole text in comment.
  bool valid = false;
  bool skimmer = false;  // the spotter's call ends "-#"
  std::optional<ModeGroup> mode;  // from the comment, else the band plan; none when not valid
  double khz = 0;
  std::string dx;       // "DL1ABC"
  std::string khzText;  // "14025.0", as received
  // Band text of the band table ("20") from the line's frequency word, empty outside
  // it; the spot is filed into this band's list. Also set for rows that are not valid.
  std::string band;
  std::string spotter;  // "Q2ABC-#", without the ":"
  std::string comment;
  std::string utc;      // "2215Z"
  // The spotter's locator where the node writes one after the time (DX Spider's
  // set/dxgrid: "... PM95 1305Z JO62"), upper case; empty otherwise.
  std::string spotterLocator;
  // The list row: the line as received or converted from a listing, followed once the
  // spot is filed by " | " and the day (MM-DD). A row loaded from a file as it stands.
  std::string row;
  std::size_t lineSize = 0;  // of the line at the start of row
  std::string_view line() const { return std::string_view(row).substr(0, lineSize); }

  // From the one lookup of the DX call (lookedUp), and from the settings of the moment.
  // The lookup line's and the spot menu's texts are not kept: LookupRecordOf
  // (spot_resolver.h) builds them from these when they are shown.
  bool lookedUp = false;
  bool found = false;   // the prefix table knows the call
  bool ownCall = false;  // the operator's call as DX or spotter
  NeedMark need = NeedMark::None;
  int cqZone = 0, ituZone = 0;  // 0 when unknown
  int km = -1, deg = -1;        // from the own position; -1 when unknown
  int generation = -1;  // of the lookup settings these values were last brought up to
  double lat = 0, lon = 0;      // degrees, east and north positive
  std::string entity, continent;  // as the table has them, not cut
  // The rest of what the table says, kept for the lookup texts only: its prefix (not
  // cut), the entity number, and the result row's regions and sub-area (cut to their
  // record capacity), each followed by '|', which no field of the table holds. Empty
  // when the call was not found; short enough to need no heap block for most calls.
  std::string tableTexts;

  // When it was filed, in minutes of the local clock (MinuteOf); for rows from a file the
  // estimate of EstimatedAddedMinute.
  std::int64_t filedMinute = kUnknownMinute;
};

// Cuts a row or a line such as
//   DX de Q2ABC-#:   14025.0  DL1ABC       CW 22 dB 25 WPM CQ             2215Z | 12-08
// or a converted listing row ("... 2215Z|8-Dec | 12-08") into a Spot, without a lookup.
// The call token may be at most 15 characters, the spotter must end in ":", a time
// "hhmmZ" must follow the comment. The whole text becomes the row.
Spot ParseSpotRow(std::string_view row);
// The same for a line as it came, before it is filed: a " | " in it is no day's mark.
Spot ParseSpotLine(std::string_view line);
// The same into a spot made by the caller, which must be fresh (default-constructed).
void ParseSpotLine(std::string_view line, Spot& spot);

// The duplicate history's key of a spot (SpotHistory in spot_model.h).
std::string SpotHistoryKey(const Spot& spot);
// The same key straight from a line as it came, without making a Spot of it.
std::string SpotHistoryKeyOfLine(std::string_view line);

// A clock reading as a count of minutes (taken as it stands, no time zone).
std::int64_t MinuteOf(const DateTime& t);
// When a row loaded from a file was added: its spot time (UTC) on its MM-DD day, moved to
// the local clock by utcOffsetMinutes, the latest such moment not after now.
std::int64_t EstimatedAddedMinute(const Spot& spot, std::string_view row, std::int64_t nowMinute,
                                  int utcOffsetMinutes, int year);

}  // namespace varnak
