#pragma once
// Spot: one DX spot as the program keeps it, parsed and looked up once when it is filed.
//   DX de Q2ABC-#:   14025.0  DL1ABC       CW 22 dB 25 WPM CQ             2215Z
// The lists hold these values and render the row text their files and the one-column
// view show from them; the views, the map, the sounds and the rig take the value itself
// and never parse text again.
#include <cstdint>
#include <limits>
#include <string>

#include "callsign/lookup.h"
#include "core/need_mark.h"
#include "log/log_book.h"

namespace varnak {

struct Spot {
  // From the line. A row that does not follow the spot layout (the start marker, a
  // hand-edited line, relay text) is not valid and keeps its whole text in comment.
  bool valid = false;
  std::string dx;       // "DL1ABC"
  std::string khzText;  // "14025.0", as received
  double khz = 0;
  std::string band;     // band text of the band table ("20"), empty outside it
  ModeGroup mode = ModeGroup::Cw;  // from the comment, else the band plan
  std::string spotter;  // "Q2ABC-#", without the ":"
  bool skimmer = false;  // the spotter's call ends "-#"
  std::string comment;
  std::string utc;      // "2215Z"
  std::string line;     // the spot line as received or converted from a listing
  std::string row;      // the list row: line + " | " + MM-DD

  // From the one lookup of the DX call.
  bool found = false;   // the prefix table knows the call
  std::string homeCall, prefix, entity, entityNumber, continent;
  int cqZone = 0, ituZone = 0;  // 0 when unknown
  double lat = 0, lon = 0;      // degrees, east and north positive
  int km = -1, deg = -1;        // from the own locator; -1 when unknown
  NeedMark need = NeedMark::None;
  bool ownCall = false;  // the operator's call as DX or spotter
  // The lookup line's and the spot menu's texts, as they have always been shown.
  dxrec rec;

  // When it was filed, in minutes of the local clock; unknown for rows from a file.
  std::int64_t filedMinute = std::numeric_limits<std::int64_t>::min();
};

}  // namespace varnak
