#pragma once
// Alert rules: what the operator watches for, as kept in "alerts.cfg" in the station
// folder (a table file the operator may share and edit by hand):
//   On  Calls           Bands  Modes  Needs  Spotters  Sound     Notify  Colour
//   1   VP8* Bouvet     20 40  CW            EU NA     ring.wav  1       #ffd040
// An empty cell matches everything. Calls are patterns with "*" and "?" or entity names
// as the prefix table spells them (a name with blanks in double quotes).
//
// Responsibilities: the rule value, reading and writing the table (a damaged row is
// skipped and named), and whether a spot matches a rule.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/spot.h"
#include "core/table_file.h"

namespace varnak {

struct AlertRule {
  bool on = true;
  std::vector<std::string> calls;     // upper case patterns or entity names
  std::vector<std::string> bands;     // band texts of the band table
  std::vector<ModeGroup> modes;
  std::vector<NeedMark> needs;        // NewEntity, NewBand, NewMode
  std::vector<std::string> spotters;  // continents: EU, NA ...
  std::string sound;                  // a WAV file; bare names are in the station folder
  bool notify = false;
  std::string colour;                 // "#rrggbb" or empty
  bool operator==(const AlertRule&) const = default;
};

inline constexpr const char* kAlertRulesFile = "alerts.cfg";
// The heading row, in this order.
const TableRow& AlertRulesHeading();

// The rows after the heading. problems gets one line per skipped row, naming it by its
// line number in the file and what is wrong.
std::vector<AlertRule> ParseAlertRules(const Table& table, std::vector<std::string>* problems);
Table FormatAlertRules(const std::vector<AlertRule>& rules);
// A missing file holds no rules.
std::vector<AlertRule> ReadAlertRulesFile(const std::filesystem::path& path, std::vector<std::string>* problems);
bool WriteAlertRulesFile(const std::filesystem::path& path, const std::vector<AlertRule>& rules,
                         std::string* error = nullptr);

// "*" any run of characters, "?" one; the whole call must match. Case-insensitive.
bool CallPatternMatches(std::string_view pattern, std::string_view call);
std::string_view ModeGroupText(ModeGroup mode);  // "CW", "PHONE", "DIGI"

// Whether the rule (on or off) covers the spot. The spotter's continent is asked only
// when the rule names continents.
template <typename ContinentOf>
bool RuleMatches(const AlertRule& rule, const Spot& spot, ContinentOf&& spotterContinent);

// ---- implementation of the template ----
bool RuleMatchesSpot(const AlertRule& rule, const Spot& spot);  // all but the spotters
bool ContinentListed(const AlertRule& rule, std::string_view continent);

template <typename ContinentOf>
bool RuleMatches(const AlertRule& rule, const Spot& spot, ContinentOf&& spotterContinent) {
  if (!RuleMatchesSpot(rule, spot)) return false;
  return rule.spotters.empty() || ContinentListed(rule, spotterContinent(spot.spotter));
}

}  // namespace varnak
