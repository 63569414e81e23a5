#pragma once
// The band plan: the mode each stretch of the amateur bands is worked in. The rig link
// tunes with it, and the log and the spots take their mode group from it when a spot's
// comment names none.
namespace varnak {

// The radio's modes, in the order of the mode list beside the frequency display: DIG is
// data on the upper side band, DIGR on the lower one. RTTY, which only a tune to an RTTY
// spot sets, comes after the list's modes.
enum class RigMode { CW, CWR, USB, LSB, DIG, DIGR, AM, FM, RTTY };
inline constexpr int kRigModeCount = 8;  // the modes of the list

// The mode a frequency in kHz is worked in: the highest row of the table not above kHz
// wins, below 160 m it is AM.
RigMode BandPlanMode(long long kHz);

}  // namespace varnak
