#pragma once
// What a tune to a spot sets on the radio. The band plan gives the mode unless the spot
// plainly says otherwise: a mode word in its comment ("FT8 -19dB", "SSB"), an FT8 or FT4
// calling frequency, or the 60 m band, which is worked on the upper side band. A comment
// may also say where the DX station listens ("UP 5", "QSX 14195"): the radio then
// transmits there.
#include <functional>
#include <optional>
#include <string_view>

#include "core/band_plan.h"

namespace varnak {

// The mode a spot at kHz is worked in: the first mode word of the comment (whole words,
// any case), else data on an FT8/FT4 calling frequency (within 2 kHz), else USB on 60 m,
// else the band plan. Data is DIG; a comment that says RTTY asks for RTTY.
RigMode SpotMode(double kHz, std::string_view comment);

// Where the DX station of a spot at kHz listens, in Hz, when the comment says so: "UP",
// "UP 5", "up5", "UP 1-3" (the low end), "DN 2", "DOWN 2", "QSX 14195", "QSX 14.195"
// (MHz) or "QSX 195" (the last three kHz digits, on the spot's band). "UP" alone is 1 kHz
// on CW and 5 kHz in other modes. None when the comment names no split, or names one
// off the amateur bands, further than 50 kHz, or in MHz ("UP TO 5 MHZ").
std::optional<long long> SplitHz(double kHz, std::string_view comment, RigMode mode);

// The mode to set for wanted on a radio that offers only some modes: RTTY falls back
// to data, data (DIG, DIGR) to its side band. offers tells whether the radio has a mode.
RigMode OfferedMode(RigMode wanted, const std::function<bool(RigMode)>& offers);

struct TunePlan {
  long long rxHz = 0;
  RigMode mode = RigMode::USB;
  std::optional<long long> txHz;  // none: no split
};

// The whole tune to a spot on rxHz with its comment.
TunePlan PlanTune(long long rxHz, std::string_view comment);

}  // namespace varnak
