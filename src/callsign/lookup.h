#pragma once
// What a spot or a typed callsign looks like once looked up: the spot lookup record with
// its lookup line, the captions of the spot menu, and the lines of the callsign lookup
// window (also printed by the terminal lookup). Pure functions; the windows call them.
#include <array>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "callsign/call_parser.h"
#include "callsign/locator_geometry.h"

namespace varnak {

// The spot lookup record. Text fields hold at most their capacity; longer values are cut.
struct dxrec {
  static constexpr std::size_t CallCapacity = 15;      // SpotCall, HomeCall
  static constexpr std::size_t DirectionCapacity = 10;  // BearingText, DistanceText
  static constexpr std::size_t TextCapacity = 20;       // the other texts but LookupText

  std::string SpotCall;
  std::string HomeCall;
  double Lon = 0;  // degrees, east positive
  double Lat = 0;
  std::string BearingText;   // "291 deg"
  std::string DistanceText;  // "6121 km"
  std::string BandText;
  std::string FrequencyText;  // as received, "14025.5"
  std::string HzText;         // "14025500"
  std::string PrefixText;
  std::string EntityName;
  std::string RegionsText;
  std::string SubAreaText;
  std::string LookupText;  // "DL1ABC = DL: Germany [42 deg] [845 km]"

  bool operator==(const dxrec&) const = default;
};

// Band text for a frequency in kHz (the band table of the spot lists).
using BandOfKhz = std::function<std::string(double kHz)>;

// The texts of a spot line that need no lookup: frequency, Hz, spot call, home call and
// band. bandOf may be empty (no band).
dxrec SpotLineTexts(std::string_view spotLine, const BandOfKhz& bandOf);
// Position, prefix, entity and areas of the parser's first result row.
void SetHitTexts(dxrec& spot, const TPrefixData& row);
// Distance, bearing and the lookup line for the row's prefix and entity name, as seen
// from the own position along path.
void SetPathTexts(dxrec& spot, const DistanceAndBearing& path, std::string_view prefix, std::string_view entity);

// Looks up one spot line such as
//   DX de K1ABC:     14025.5  DL1ABC       cq cq                  1234Z
// with the parser, from the own position (degrees). bandOf may be empty (no band).
// A parser error (entity-number query on a damaged record) leaves the record without a
// result instead of escaping into the caller's line handling.
dxrec LookupSpotLine(std::string_view spotLine, TCallParser& parser, double ownLat, double ownLon,
                     const BandOfKhz& bandOf);

// "EA8/DL1ABC" -> "DL1ABC", "DL1ABC/P" -> "DL1ABC", "W1ABC/KH6/P" -> "KH6/P".
std::string HomeCallOf(std::string_view call);

// "14025.5" -> "14025500": the first "." removed, trimmed, "00" appended.
std::string HzTextOf(std::string_view frequencyText);

// The whole number nearest to x, an exact half going to the even neighbour (0 for what is
// no finite number), and the same as text.
long double WholeNumber(long double x);
std::string WholeNumberText(long double x);

// The thirteen spot-menu items, in menu order.
enum SpotMenuItem {
  SetQRG1, Showqrz1, Showdx1, Showdb0sdx1, Showwm7d1, Showdxqsl1, Showprefix1, Showdxcc1,
  Showtime1, Showsun1, Showmoon1, ShowinHamcap1, ShowinDxAtlas1, SpotMenuItemCount
};
using SpotMenuCaptions = std::array<std::string, SpotMenuItemCount>;
SpotMenuCaptions SpotMenuCaptionsFor(const dxrec& spot);
// The captions before the first spot.
SpotMenuCaptions DesignSpotMenuCaptions();

// One result row as the lookup window shows it, followed by its extra names:
//   "Lat= 51.50 Lon=  -0.12      G  England /  / "
std::vector<std::string> LookupRowLines(const TPrefixData& row);
// All lines of the lookup window for a typed text. Throws ConvertError like ParseCall.
std::vector<std::string> CallsignLookupLines(TCallParser& parser, const std::string& text);

// The terminal lookup: for each text one line with the text, then exactly the lines the
// lookup window shows. Without texts, reads one text per line from in. The own position
// is accepted for the command line's sake; the window's lines do not use it.
// Returns 0, or 1 when a lookup failed, or 2 when the prefix file cannot be loaded
// (reasons go to standard error).
int RunLookupCli(const std::vector<std::string>& texts, std::istream& in, std::ostream& out,
                 const std::string& prefixFile, double ownLat, double ownLon);

}  // namespace varnak
