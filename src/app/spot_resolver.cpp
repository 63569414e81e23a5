#include "app/spot_resolver.h"

#include <charconv>
#include <tuple>

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

// Field k of Spot::tableTexts: 0 prefix, 1 entity number, 2 regions, 3 sub-area.
std::string_view TableText(const Spot& spot, int k) {
  std::string_view rest = spot.tableTexts;
  for (; k > 0 && !rest.empty(); --k) rest.remove_prefix(rest.find('|') + 1);
  return rest.substr(0, rest.find('|'));
}

std::string_view Cut(std::string_view s, std::size_t capacity) { return s.substr(0, capacity); }

// The frequency word as the lookup record has it: the first word after the colon.
std::string_view FrequencyWordOf(std::string_view row) {
  const std::size_t colon = row.find(':');
  const std::string_view s = TrimView(colon == std::string_view::npos ? row : row.substr(colon + 1));
  return Cut(s.substr(0, s.find(' ')), dxrec::TextCapacity);
}

}  // namespace

dxrec LookupRecordOf(const Spot& spot) {
  if (!spot.lookedUp) return {};
  dxrec r = SpotLineTexts(spot.row, BandTextOf);
  if (!spot.found) return r;
  r.Lat = spot.lat;
  r.Lon = spot.lon;
  r.PrefixText = Cut(TableText(spot, 0), dxrec::TextCapacity);
  r.EntityName = Cut(spot.entity, dxrec::TextCapacity);
  r.RegionsText = TableText(spot, 2);
  r.SubAreaText = TableText(spot, 3);
  // The path's whole numbers print as WholeNumberText prints them (SetPathTexts), without
  // going through long double formatting on every spot.
  const auto whole = [](int n, std::string_view unit) {
    char digits[16];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, n).ptr).append(unit);
  };
  r.DistanceText = Cut(whole(spot.km, " km"), dxrec::DirectionCapacity);
  r.BearingText = Cut(whole(spot.deg, " deg"), dxrec::DirectionCapacity);
  const std::string_view prefix = TableText(spot, 0);
  r.LookupText.reserve(r.SpotCall.size() + prefix.size() + spot.entity.size() + r.BearingText.size() +
                       r.DistanceText.size() + 24);
  r.LookupText.append(r.SpotCall).append(" = ").append(prefix).append(": ").append(spot.entity);
  r.LookupText.append(" [").append(r.BearingText).append("] [").append(r.DistanceText).append("]");
  if (const std::string_view tag = NeedMarkTag(spot.need); !tag.empty())
    r.LookupText.append(" [").append(tag).append("]");
  return r;
}

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
  paths_.clear();
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
  auto spot = std::make_shared<Spot>();
  ParseSpotLine(line, *spot);
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
  try {
    // A spot's call is the record's call; any other row is cut as the record cuts it.
    parser_.ParseCall(spot.valid ? spot.dx : SpotLineTexts(spot.row, {}).SpotCall);
  } catch (const ConvertError&) {
    return;  // a damaged record: the spot stays without a result
  }
  if (parser_.HitList().empty()) return;
  const TPrefixData& hit = parser_.HitList().front();
  spot.found = true;
  spot.lat = hit.Latitude / 180.0;
  spot.lon = hit.Longitude / 180.0;
  spot.entity = hit.Name;
  spot.continent = hit.Text5;
  spot.cqZone = ZoneOf(hit.Text6);
  spot.ituZone = ZoneOf(hit.Text7);
  std::string& t = spot.tableTexts;
  t.reserve(hit.Prefix.size() + hit.EntityNumber.size() + 4 + std::min(hit.Regions.size(), dxrec::TextCapacity) +
            std::min(hit.SubArea.size(), dxrec::TextCapacity));
  t.append(hit.Prefix).append(1, '|').append(hit.EntityNumber).append(1, '|');
  t.append(Cut(hit.Regions, dxrec::TextCapacity)).append(1, '|');
  t.append(Cut(hit.SubArea, dxrec::TextCapacity)).append(1, '|');
}

void SpotResolver::Derive(Spot& spot) const {
  spot.generation = generation_;
  const auto own = [this](std::string_view call) {
    return !ownHome_.empty() && HomeCallOf(call.substr(0, call.find('-'))) == ownHome_;
  };
  spot.ownCall = spot.valid && (own(spot.dx) || own(spot.spotter));
  spot.need = NeedMark::None;
  if (!spot.found) return;
  constexpr std::size_t kMaxPaths = 4096;  // more than the table has positions
  if (paths_.size() >= kMaxPaths) paths_.clear();
  const auto [known, added] = paths_.try_emplace({spot.lat, spot.lon});
  if (added) {
    const DistanceAndBearing path = DistanceBearing(lat_, lon_, spot.lat, spot.lon);
    known->second = {static_cast<int>(WholeNumber(path.DistanceKm)), static_cast<int>(WholeNumber(path.BearingDeg))};
  }
  std::tie(spot.km, spot.deg) = known->second;
  if (!markerActive_) return;
  const std::string_view f = FrequencyWordOf(spot.row);
  double kHz = 0;
  if (std::from_chars(f.data(), f.data() + f.size(), kHz).ec != std::errc()) return;
  spot.need = marker_(TableText(spot, 1), kHz, TextAfterCall(spot.row));
}

}  // namespace varnak
