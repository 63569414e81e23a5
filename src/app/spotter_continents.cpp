#include "app/spotter_continents.h"

#include "callsign/call_parser.h"

namespace varnak {

namespace {
constexpr std::size_t kMostKept = 20000;  // a bound for a run of weeks with garbage calls
}  // namespace

const std::string& SpotterContinents::Of(std::string_view spotter) {
  // "Q2ABC-#" (a skimmer) and "Q2ABC-2" (a node's user with an SSID) are Q2ABC.
  const std::string call(spotter.substr(0, spotter.find('-')));
  if (const auto it = known_.find(call); it != known_.end()) return it->second;
  if (known_.size() > kMostKept) known_.clear();
  std::string continent;
  try {
    parser_.ParseCall(call);
    if (!parser_.HitList().empty()) continent = parser_.HitList().front().Text5;
  } catch (const ConvertError&) {
    // a damaged record answers nothing
  }
  return known_.emplace(call, std::move(continent)).first->second;
}

}  // namespace varnak
