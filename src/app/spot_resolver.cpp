#include "app/spot_resolver.h"

#include <charconv>

#include "app/spot_model.h"
#include "callsign/call_parser.h"
#include "callsign/locator_geometry.h"
#include "callsign/lookup.h"
#include "core/text.h"

namespace varnak {

namespace {

std::string BandTextOf(double kHz) { return std::string(BandTextOfKhz(static_cast<long long>(kHz))); }

// "DX de K1ABC:     14025.5  DL1ABC       cq cq                  1234Z": what follows the
// spotted call. It may name the mode; what comes after the time never does.
std::string_view TextAfterCall(std::string_view line) {
  const std::size_t colon = line.find(':');
  std::string_view rest = TrimView(colon == std::string_view::npos ? line : line.substr(colon + 1));
  for (int token = 0; token < 2; ++token) {
    const std::size_t blank = rest.find(' ');
    rest = blank == std::string_view::npos ? std::string_view() : TrimView(rest.substr(blank));
  }
  return rest;
}

int ZoneOf(const std::string& text) {
  int zone = 0;
  return ParseInt(text, zone) && zone > 0 ? zone : 0;
}

}  // namespace

void SpotResolver::SetOwnCall(std::string_view call) {
  std::string home = HomeCallOf(call.substr(0, call.find('-')));
  if (home == ownHome_) return;
  ownHome_ = std::move(home);
  ++generation_;
}

void SpotResolver::SetOwnPosition(double lat, double lon) {
  if (lat == lat_ && lon == lon_) return;
  lat_ = lat;
  lon_ = lon;
  ++generation_;
}

void SpotResolver::SetMarker(NeedMarker marker, bool active) {
  marker_ = std::move(marker);
  markerActive_ = active && marker_;
  ++generation_;
}

void SpotResolver::SetLookups(bool on) {
  if (on == lookups_) return;
  lookups_ = on;
  ++generation_;
}

std::shared_ptr<Spot> SpotResolver::NewSpot(std::string_view line) {
  auto spot = std::make_shared<Spot>(ParseSpotLine(line));
  LookUp(*spot);
  Derive(*spot);
  return spot;
}

void SpotResolver::Update(Spot& spot, bool lookUp) {
  // In the background only rows that are spots; what the operator picks, whatever it is.
  if (!spot.lookedUp && (lookUp || (lookups_ && spot.valid))) {
    LookUp(spot);
  } else if (spot.generation == generation_) {
    return;
  }
  Derive(spot);
}

void SpotResolver::LookUp(Spot& spot) {
  spot.lookedUp = true;
  spot.rec = SpotLineTexts(spot.row, BandTextOf);
  try {
    parser_.ParseCall(spot.rec.SpotCall);
  } catch (const ConvertError&) {
    return;  // a damaged record: the spot stays without a result
  }
  if (parser_.HitList().empty()) return;
  const TPrefixData& hit = parser_.HitList().front();
  SetHitTexts(spot.rec, hit);
  spot.found = true;
  spot.lat = spot.rec.Lat;
  spot.lon = spot.rec.Lon;
  spot.prefix = hit.Prefix;
  spot.entity = hit.Name;
  spot.entityNumber = hit.EntityNumber;
  spot.continent = hit.Text5;
  spot.cqZone = ZoneOf(hit.Text6);
  spot.ituZone = ZoneOf(hit.Text7);
}

void SpotResolver::Derive(Spot& spot) const {
  spot.generation = generation_;
  const auto own = [this](std::string_view call) {
    return !ownHome_.empty() && HomeCallOf(call.substr(0, call.find('-'))) == ownHome_;
  };
  spot.ownCall = spot.valid && (own(spot.dx) || own(spot.spotter));
  spot.need = NeedMark::None;
  if (!spot.found) return;
  const DistanceAndBearing path = DistanceBearing(lat_, lon_, spot.lat, spot.lon);
  spot.km = static_cast<int>(WholeNumber(path.DistanceKm));
  spot.deg = static_cast<int>(WholeNumber(path.BearingDeg));
  SetPathTexts(spot.rec, path, spot.prefix, spot.entity);
  if (!markerActive_) return;
  double kHz = 0;
  const std::string& f = spot.rec.FrequencyText;
  if (std::from_chars(f.data(), f.data() + f.size(), kHz).ec != std::errc()) return;
  spot.need = marker_(spot.entityNumber, kHz, TextAfterCall(spot.row));
  const std::string_view tag = NeedMarkTag(spot.need);
  if (!tag.empty()) spot.rec.LookupText.append(" [").append(tag).append("]");
}

}  // namespace varnak
