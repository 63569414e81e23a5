// What the operator's log says about a spot: does it bring something he has not worked
// (or not confirmed) yet? The log book computes the mark; the spot views only show it.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace varnak {

enum class NeedMark : std::uint8_t {
  None,         // worked and confirmed on this band and mode, or no log, or unknown entity
  NewEntity,    // entity never worked
  NewBand,      // entity worked, never on this band
  NewMode,      // entity worked on this band, never in this mode group (CW / phone / digital)
  Unconfirmed,  // worked on this band and mode, not confirmed
};

// Short tag for the "Need" column and the lookup line; empty for None.
inline std::string_view NeedMarkTag(NeedMark mark) {
  switch (mark) {
    case NeedMark::NewEntity: return "NEW";
    case NeedMark::NewBand: return "BAND";
    case NeedMark::NewMode: return "MODE";
    case NeedMark::Unconfirmed: return "CFM?";
    case NeedMark::None: break;
  }
  return {};
}

// The mark of one spot: its entity number as the prefix table gives it (empty when the
// lookup found none), its frequency in kHz and its comment (which may name the mode).
// Must be cheap and must not block: it is asked when a row is added and when the log
// changes, on the window's thread.
using NeedMarker = std::function<NeedMark(std::string_view entityNumber, double kHz, std::string_view comment)>;

}  // namespace varnak
