#include "app/spot_filter.h"

#include <algorithm>
#include <cmath>

#include "app/alert_rules.h"
#include "app/spot_model.h"
#include "app/spotter_continents.h"
#include "callsign/call_parser.h"
#include "callsign/locator_geometry.h"
#include "core/ini_file.h"
#include "core/text.h"

namespace varnak {

namespace {

constexpr const char* kSection = "Filter";
constexpr int kMostNamed = 9;  // a hand-edited count stays within reason
constexpr std::size_t kMostCallsKept = 20000;
constexpr ModeGroup kModes[] = {ModeGroup::Cw, ModeGroup::Phone, ModeGroup::Digital};
constexpr NeedMark kNeeds[] = {NeedMark::NewEntity, NeedMark::NewBand, NeedMark::NewMode};
constexpr std::string_view kSkimmerTexts[] = {"show", "hide", "only"};

static_assert(kSpotListCount <= 64, "a band list is one bit of the matcher's band set");

std::string Key(const char* what, int index) { return what + std::to_string(index); }

std::string DefaultName(int index) { return "Filter " + std::to_string(index); }

}  // namespace

std::string JoinWords(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

std::vector<std::string> UpperWords(std::string_view text) {
  std::vector<std::string> out;
  for (const std::string& w : Split(ToUpperAscii(text), ' '))
    if (!w.empty() && std::find(out.begin(), out.end(), w) == out.end()) out.push_back(w);
  return out;
}

SpotFilterSettings ReadSpotFilterSettings(const IniFile& ini) {
  SpotFilterSettings s;
  s.on = ini.ReadBool(kSection, "On", false);
  const int count = std::clamp(ini.ReadInteger(kSection, "Count", kNamedFiltersAtLeast), kNamedFiltersAtLeast, kMostNamed);
  SpotFilter all;
  all.name = kAllFilterName;
  s.filters.push_back(all);
  for (int i = 1; i <= count; ++i) {
    SpotFilter f;
    f.name = Trim(ini.ReadString(kSection, Key("Name", i), DefaultName(i)));
    if (f.name.empty()) f.name = DefaultName(i);
    // Words the band table or the lists do not know are dropped, not kept as conditions
    // nothing could meet.
    for (std::string& b : Split(ini.ReadString(kSection, Key("Bands", i), ""), ' '))
      if (ListIndexOfBand(b) > 0 && std::find(f.bands.begin(), f.bands.end(), b) == f.bands.end())
        f.bands.push_back(std::move(b));
    const std::vector<std::string> modes = UpperWords(ini.ReadString(kSection, Key("Modes", i), ""));
    for (ModeGroup m : kModes)
      if (std::find(modes.begin(), modes.end(), ModeGroupText(m)) != modes.end()) f.modes.push_back(m);
    const auto continents = [&](const char* key) {
      std::vector<std::string> out;
      for (std::string& c : UpperWords(ini.ReadString(kSection, Key(key, i), "")))
        if (std::find(std::begin(kContinents), std::end(kContinents), c) != std::end(kContinents))
          out.push_back(std::move(c));
      return out;
    };
    f.dxContinents = continents("Dx");
    f.spotterContinents = continents("Spotters");
    f.spotterKm = std::max(0, ini.ReadInteger(kSection, Key("Km", i), 0));
    const std::string skimmers = ToLowerAscii(Trim(ini.ReadString(kSection, Key("Skimmers", i), "show")));
    for (std::size_t k = 0; k < std::size(kSkimmerTexts); ++k)
      if (skimmers == kSkimmerTexts[k]) f.skimmers = static_cast<SkimmerSpots>(k);
    const std::vector<std::string> needs = UpperWords(ini.ReadString(kSection, Key("Needs", i), ""));
    for (NeedMark m : kNeeds)
      if (std::find(needs.begin(), needs.end(), NeedMarkTag(m)) != needs.end()) f.needs.push_back(m);
    f.neverCalls = UpperWords(ini.ReadString(kSection, Key("Never", i), ""));
    s.filters.push_back(std::move(f));
  }
  s.chosen = std::clamp(ini.ReadInteger(kSection, "Chosen", 0), 0, count);
  return s;
}

void WriteSpotFilterSettings(IniFile& ini, const SpotFilterSettings& s) {
  ini.WriteBool(kSection, "On", s.on);
  ini.WriteInteger(kSection, "Chosen", s.chosen);
  const int count = static_cast<int>(s.filters.size()) - 1;
  ini.WriteInteger(kSection, "Count", count);
  for (int i = 1; i <= count; ++i) {
    const SpotFilter& f = s.filters[static_cast<std::size_t>(i)];
    std::vector<std::string> modes, needs;
    for (ModeGroup m : f.modes) modes.emplace_back(ModeGroupText(m));
    for (NeedMark m : f.needs) needs.emplace_back(NeedMarkTag(m));
    ini.WriteString(kSection, Key("Name", i), f.name);
    ini.WriteString(kSection, Key("Bands", i), JoinWords(f.bands));
    ini.WriteString(kSection, Key("Modes", i), JoinWords(modes));
    ini.WriteString(kSection, Key("Dx", i), JoinWords(f.dxContinents));
    ini.WriteString(kSection, Key("Spotters", i), JoinWords(f.spotterContinents));
    ini.WriteInteger(kSection, Key("Km", i), f.spotterKm);
    ini.WriteString(kSection, Key("Skimmers", i), kSkimmerTexts[static_cast<std::size_t>(f.skimmers)]);
    ini.WriteString(kSection, Key("Needs", i), JoinWords(needs));
    ini.WriteString(kSection, Key("Never", i), JoinWords(f.neverCalls));
  }
}

void SpotterPlaces::SetOwnPosition(double lat, double lon) {
  if (lat == lat_ && lon == lon_) return;
  lat_ = lat;
  lon_ = lon;
  kmOfCall_.clear();
}

const std::string& SpotterPlaces::ContinentOf(std::string_view spotter) { return continents_.Of(spotter); }

int SpotterPlaces::KmOf(const Spot& spot) {
  const auto km = [this](long double lat, long double lon) {
    return static_cast<int>(std::lround(DistanceBearing(lat_, lon_, lat, lon).DistanceKm));
  };
  if (!spot.spotterLocator.empty()) {
    const GeoPosition at = LocatorToPosition(spot.spotterLocator);
    return km(at.Latitude, at.Longitude);
  }
  // "Q2ABC-#" (a skimmer) and "Q2ABC-2" (a user with an SSID) stand where Q2ABC does.
  const std::string call = spot.spotter.substr(0, spot.spotter.find('-'));
  if (const auto it = kmOfCall_.find(call); it != kmOfCall_.end()) return it->second;
  if (kmOfCall_.size() > kMostCallsKept) kmOfCall_.clear();
  int value = -1;
  try {
    parser_.ParseCall(call);
    if (!parser_.HitList().empty()) {
      const TPrefixData& row = parser_.HitList().front();
      value = km(row.Latitude / 180.0L, row.Longitude / 180.0L);
    }
  } catch (const ConvertError&) {
    // a damaged record places nobody
  }
  return kmOfCall_.emplace(call, value).first->second;
}

std::uint32_t SpotFilterMatcher::ContinentBit(std::string_view continent) {
  for (std::size_t i = 0; i < std::size(kContinents); ++i)
    if (kContinents[i] == continent) return 1u << i;
  return 0;
}

std::uint32_t SpotFilterMatcher::ContinentBits(const std::vector<std::string>& continents) {
  std::uint32_t bits = 0;
  for (const std::string& c : continents) bits |= ContinentBit(c);
  return bits;
}

SpotFilterMatcher::SpotFilterMatcher(const SpotFilter& f, bool neededKnown)
    : dx_(ContinentBits(f.dxContinents)),
      spotters_(ContinentBits(f.spotterContinents)),
      km_(f.spotterKm),
      skimmers_(f.skimmers),
      never_(f.neverCalls) {
  for (const std::string& b : f.bands)
    if (const int list = ListIndexOfBand(b); list > 0) bands_ |= std::uint64_t{1} << list;
  for (ModeGroup m : f.modes) modes_ |= 1u << static_cast<unsigned>(m);
  if (neededKnown)
    for (NeedMark m : f.needs) needs_ |= 1u << static_cast<unsigned>(m);
  showsAll_ = bands_ == 0 && modes_ == 0 && needs_ == 0 && dx_ == 0 && spotters_ == 0 && km_ <= 0 &&
              skimmers_ == SkimmerSpots::Show && never_.empty();
}

bool SpotFilterMatcher::Shows(const Spot& spot, SpotterPlaces& places) const {
  if (showsAll_ || !spot.valid) return true;
  // The cheap conditions first; the spotter's place last, as it may cost a lookup.
  if (bands_) {
    const int list = ListIndexOfBand(spot.band);
    if (list <= 0 || !(bands_ >> list & 1)) return false;
  }
  if (modes_ && (!spot.mode || !(modes_ >> static_cast<unsigned>(*spot.mode) & 1))) return false;
  if (needs_ && !(needs_ >> static_cast<unsigned>(spot.need) & 1)) return false;
  if (skimmers_ == SkimmerSpots::Hide && spot.skimmer) return false;
  if (skimmers_ == SkimmerSpots::Only && !spot.skimmer) return false;
  if (dx_ && !(dx_ & ContinentBit(spot.continent))) return false;
  for (const std::string& pattern : never_)
    if (CallPatternMatches(pattern, spot.dx)) return false;
  if (spotters_ && !(spotters_ & ContinentBit(places.ContinentOf(spot.spotter)))) return false;
  if (km_ > 0) {
    const int km = places.KmOf(spot);
    if (km < 0 || km > km_) return false;
  }
  return true;
}

}  // namespace varnak
