#include "app/alert_rules.h"

#include <algorithm>
#include <array>
#include <fmt/format.h>

#include "app/spot_model.h"
#include "core/text.h"

namespace varnak {

namespace {

enum Column { On, Calls, Bands, Modes, Needs, Spotters, Sound, Notify, Colour, ColumnCount };

constexpr std::array<std::string_view, 7> kContinents = {"AF", "AN", "AS", "EU", "NA", "OC", "SA"};

// Blank-separated words; a word in double quotes may hold blanks ("South Shetland").
std::vector<std::string> Words(std::string_view cell) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < cell.size()) {
    if (cell[i] == ' ') {
      ++i;
      continue;
    }
    if (cell[i] == '"') {
      const std::size_t end = cell.find('"', i + 1);
      const std::size_t stop = end == std::string_view::npos ? cell.size() : end;
      if (std::string word = Trim(cell.substr(i + 1, stop - i - 1)); !word.empty()) out.push_back(std::move(word));
      i = stop + 1;
      continue;
    }
    const std::size_t end = std::min(cell.find(' ', i), cell.size());
    out.emplace_back(cell.substr(i, end - i));
    i = end;
  }
  return out;
}

std::string JoinWords(const std::vector<std::string>& words) {
  std::string out;
  for (const auto& w : words) {
    if (!out.empty()) out += ' ';
    out += w.find(' ') == std::string::npos ? w : '"' + w + '"';
  }
  return out;
}

bool ParseSwitch(std::string_view cell, bool& out) {
  const std::string_view t = TrimView(cell);
  if (t == "1" || t == "0") {
    out = t == "1";
    return true;
  }
  return false;
}

bool IsColour(std::string_view t) {
  return t.size() == 7 && t[0] == '#' &&
         std::all_of(t.begin() + 1, t.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

std::optional<ModeGroup> ModeOfText(std::string_view t) {
  if (t == "CW") return ModeGroup::Cw;
  if (t == "PHONE") return ModeGroup::Phone;
  if (t == "DIGI") return ModeGroup::Digital;
  return std::nullopt;
}

std::optional<NeedMark> NeedOfText(std::string_view t) {
  for (NeedMark m : {NeedMark::NewEntity, NeedMark::NewBand, NeedMark::NewMode})
    if (t == NeedMarkTag(m)) return m;
  return std::nullopt;
}

// Fills rule from one data row; the reason when the row is damaged.
std::string ParseRow(const TableRow& row, AlertRule& rule) {
  if (row.size() > ColumnCount) return "more cells than the heading";
  const auto cell = [&row](Column c) { return c < static_cast<int>(row.size()) ? std::string_view(row[c]) : ""; };
  if (!ParseSwitch(cell(On), rule.on)) return fmt::format("On is \"{}\", not 1 or 0", cell(On));
  std::string_view notify = TrimView(cell(Notify));
  if (!notify.empty() && !ParseSwitch(notify, rule.notify)) return fmt::format("Notify is \"{}\", not 1 or 0", notify);
  for (std::string& w : Words(cell(Calls))) rule.calls.push_back(ToUpperAscii(w));
  for (std::string& w : Words(cell(Bands))) {
    if (std::find(kBandTexts.begin(), kBandTexts.end(), w) == kBandTexts.end())
      return fmt::format("no band \"{}\" in the band table", w);
    rule.bands.push_back(std::move(w));
  }
  for (const std::string& w : Words(ToUpperAscii(cell(Modes)))) {
    const auto mode = ModeOfText(w);
    if (!mode) return fmt::format("mode \"{}\" is not CW, PHONE or DIGI", w);
    rule.modes.push_back(*mode);
  }
  for (const std::string& w : Words(ToUpperAscii(cell(Needs)))) {
    const auto need = NeedOfText(w);
    if (!need) return fmt::format("need \"{}\" is not NEW, BAND or MODE", w);
    rule.needs.push_back(*need);
  }
  for (std::string& w : Words(ToUpperAscii(cell(Spotters)))) {
    if (std::find(kContinents.begin(), kContinents.end(), w) == kContinents.end())
      return fmt::format("\"{}\" is no continent", w);
    rule.spotters.push_back(std::move(w));
  }
  rule.sound = Trim(cell(Sound));
  rule.colour = ToLowerAscii(Trim(cell(Colour)));
  if (!rule.colour.empty() && !IsColour(rule.colour))
    return fmt::format("colour \"{}\" is not #rrggbb", rule.colour);
  return {};
}

}  // namespace

const TableRow& AlertRulesHeading() {
  static const TableRow heading = {"On", "Calls", "Bands", "Modes", "Needs", "Spotters", "Sound", "Notify", "Colour"};
  return heading;
}

std::string_view ModeGroupText(ModeGroup mode) {
  switch (mode) {
    case ModeGroup::Cw: return "CW";
    case ModeGroup::Phone: return "PHONE";
    case ModeGroup::Digital: return "DIGI";
  }
  return {};
}

std::vector<AlertRule> ParseAlertRules(const Table& table, std::vector<std::string>* problems) {
  std::vector<AlertRule> rules;
  for (std::size_t i = 1; i < table.size(); ++i) {
    const TableRow& row = table[i];
    if (row.size() == 1 && TrimView(row[0]).empty()) continue;  // a blank line
    AlertRule rule;
    if (std::string why = ParseRow(row, rule); !why.empty()) {
      if (problems) problems->push_back(fmt::format("{} line {} skipped: {}", kAlertRulesFile, i + 1, why));
      continue;
    }
    rules.push_back(std::move(rule));
  }
  return rules;
}

Table FormatAlertRules(const std::vector<AlertRule>& rules) {
  Table table{AlertRulesHeading()};
  for (const AlertRule& r : rules) {
    std::vector<std::string> modes, needs;
    for (ModeGroup m : r.modes) modes.emplace_back(ModeGroupText(m));
    for (NeedMark n : r.needs) needs.emplace_back(NeedMarkTag(n));
    table.push_back({r.on ? "1" : "0", JoinWords(r.calls), JoinWords(r.bands), JoinWords(modes), JoinWords(needs),
                     JoinWords(r.spotters), r.sound, r.notify ? "1" : "0", r.colour});
  }
  return table;
}

std::vector<AlertRule> ReadAlertRulesFile(const std::filesystem::path& path, std::vector<std::string>* problems) {
  const auto table = ReadTableFile(path);
  return table ? ParseAlertRules(*table, problems) : std::vector<AlertRule>{};
}

bool WriteAlertRulesFile(const std::filesystem::path& path, const std::vector<AlertRule>& rules, std::string* error) {
  return WriteTableFile(path, FormatAlertRules(rules), error);
}

bool CallPatternMatches(std::string_view pattern, std::string_view call) {
  // Greedy matching with one step back to the last "*": linear for calls' lengths.
  std::size_t p = 0, c = 0, star = std::string_view::npos, mark = 0;
  const auto up = [](char ch) { return static_cast<char>(std::toupper(static_cast<unsigned char>(ch))); };
  while (c < call.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || up(pattern[p]) == up(call[c]))) {
      ++p;
      ++c;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = c;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      c = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool RuleMatchesSpot(const AlertRule& rule, const Spot& spot) {
  if (!spot.valid) return false;
  const auto listed = [](const auto& list, const auto& value) {
    return list.empty() || std::find(list.begin(), list.end(), value) != list.end();
  };
  if (!listed(rule.bands, spot.band)) return false;
  if (!rule.modes.empty() && (!spot.mode || !listed(rule.modes, *spot.mode))) return false;
  if (!rule.needs.empty() && !listed(rule.needs, spot.need)) return false;
  if (rule.calls.empty()) return true;
  return std::any_of(rule.calls.begin(), rule.calls.end(), [&spot](const std::string& word) {
    return CallPatternMatches(word, spot.dx) || (!spot.entity.empty() && EqualsNoCase(word, spot.entity));
  });
}

bool ContinentListed(const AlertRule& rule, std::string_view continent) {
  return std::find(rule.spotters.begin(), rule.spotters.end(), continent) != rule.spotters.end();
}

}  // namespace varnak
