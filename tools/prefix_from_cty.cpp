// Writes "prefix.lst" from the country file cty.csv of the hamradio-files package.
// A cty.csv line:
//   3D2,Fiji,176,OC,32,56,-17.78,-177.92,-12.0,3D2 =3D5X;
// (primary prefix, name, entity number, continent, CQ zone, ITU zone, latitude,
// longitude west positive, UTC offset, then prefixes and =exact calls, each with
// optional (CQ) [ITU] <lat/lon> {continent} ~offset~ overrides). A "*" before the
// primary prefix marks an area that counts apart only for WAE (Sicily, Shetland); it
// shares the entity number of its DXCC entity.
//
// The country file's rule is "an exact call wins, otherwise the longest matching
// prefix". The parser lists every top-level record whose mask admits a call, so:
// - each entity is one top-level record whose masks admit exactly the calls whose
//   longest prefix is the entity's: "K" becomes K[0-9A-GI-Z], KH@, ... around KH6 and
//   the other entities' longer prefixes;
// - a prefix with other zones, a WAE area and an exact call with its own data become
//   child records under it, nested by prefix, so one call yields one row;
// - an exact call of another entity than its prefix cannot be cut out of the prefix's
//   masks; it becomes a top-level record after all entities, so it gives the first row.
//
// usage: prefix_from_cty cty.csv prefix.lst
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "callsign/call_parser.h"
#include "core/atomic_file.h"
#include "core/text.h"

using namespace varnak;

namespace {

constexpr std::string_view kAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

struct Place {
  std::string cq, itu, lat, lon, continent, utc;
  std::string region;  // the WAE area's name, empty for the entity itself
  std::string prefix;  // primary prefix shown beside a call
  auto Key() const { return std::tie(cq, itu, lat, lon, continent, utc, region, prefix); }
  bool operator==(const Place& o) const { return Key() == o.Key(); }
  bool operator<(const Place& o) const { return Key() < o.Key(); }
};

struct CtyLine {
  std::vector<std::string> f;
  bool wae = false;
  int group = -1;  // index into the entities, one per entity number
  Place base;
};

struct Entity {
  std::string name, number;
  int line = -1;  // the line that is not WAE-only, or the first one
  int order = 0;
};

struct PrefixNode {
  int line;
  Place place;
};

struct Exact {
  int line;
  std::string text;    // as cty.csv writes it, "RA9J/M"
  std::string main;    // the normalised call without its suffix
  std::string suffix;  // "/M", "/0M" or empty
  Place place;
};

// One record of the output.
struct Record {
  int kind, level;
  std::string name;
  Place place;
  bool coordinates = true;
  std::string number;
  std::vector<std::string> masks;
  std::vector<int> children;
};

std::string Scaled(const std::string& degrees, bool negate) {
  char* end = nullptr;
  double v = std::strtod(degrees.c_str(), &end);
  if (degrees.empty() || *end != '\0') return "";
  if (negate) v = -v;
  return std::to_string(std::lround(v * 180.0));
}

// Splits "3H0(23)[42]" into the call or prefix and the place it overrides.
std::string ApplyOverrides(const std::string& token, Place& p) {
  const std::size_t cut = token.find_first_of("([<{~");
  std::string base = token.substr(0, cut);
  std::size_t i = cut;
  while (i != std::string::npos && i < token.size()) {
    const char open = token[i];
    const char close = open == '(' ? ')' : open == '[' ? ']' : open == '<' ? '>' : open == '{' ? '}' : '~';
    const std::size_t end = token.find(close, i + 1);
    if (end == std::string::npos) break;
    const std::string v = token.substr(i + 1, end - i - 1);
    switch (open) {
      case '(': p.cq = v; break;
      case '[': p.itu = v; break;
      case '{': p.continent = v; break;
      case '~': p.utc = v; break;
      case '<': {
        const std::size_t slash = v.find('/');
        if (slash != std::string::npos) {
          p.lat = v.substr(0, slash);
          p.lon = v.substr(slash + 1);
        }
        break;
      }
    }
    i = end + 1;
  }
  return base;
}

// One mask element for a set of callsign characters: "#", "@", "?", "K" or "[0-9A-GI-Z]".
std::string Element(const std::string& set) {
  if (set.size() == 1) return set;
  if (set == kAlphabet) return "?";
  if (set == "0123456789") return "#";
  if (set == kAlphabet.substr(10)) return "@";
  std::string e = "[";
  for (std::size_t i = 0; i < set.size();) {
    std::size_t j = i;
    while (j + 1 < set.size() && set[j + 1] == set[j] + 1) ++j;
    e += set[i];
    if (j >= i + 2) e += '-';
    if (j > i) e += set[j];
    i = j + 1;
  }
  return e + "]";
}

// A mask as the generator makes them: a literal start, optionally followed by one
// element admitting a set of characters ("KH" + "@" = KH@).
struct Mask {
  std::string start, set;
  std::string Text() const { return start + (set.empty() ? "" : Element(set)); }
  bool Admits(const std::string& call) const {
    if (!StartsWith(call, start)) return false;
    return set.empty() || (call.size() > start.size() && set.find(call[start.size()]) != std::string::npos);
  }
};

// Masks for every call starting with s except those starting with one of the longer
// prefixes in cut.
void CutMasks(const std::string& s, const std::vector<std::string>& cut, std::vector<Mask>& masks) {
  if (cut.empty()) {
    masks.push_back({s, ""});
    return;
  }
  // The bare prefix itself, as a portable call leaves it ("UA0" from UA9XYZ/0), must
  // match below the top level too, where a shorter call does not.
  masks.push_back({s + ".", ""});
  std::map<char, std::vector<std::string>> byNext;
  for (const auto& c : cut) byNext[c[s.size()]].push_back(c);
  std::string free;
  for (char c : kAlphabet)
    if (!byNext.count(c)) free += c;
  if (!free.empty()) masks.push_back({s, free});
  for (const auto& [c, longer] : byNext) {
    const std::string next = s + c;
    if (std::find(longer.begin(), longer.end(), next) != longer.end()) continue;
    CutMasks(next, longer, masks);
  }
}

// Takes the one call out of a mask that admits it; longer calls stay admitted.
std::vector<Mask> CutCall(const Mask& m, const std::string& call) {
  std::vector<Mask> out;
  std::string start = m.start;
  if (!m.set.empty()) {
    const char c = call[start.size()];
    std::string rest = m.set;
    rest.erase(rest.find(c), 1);
    if (!rest.empty()) out.push_back({start, rest});
    start += c;
  }
  if (call.size() > start.size()) CutMasks(start, {call}, out);
  out.push_back({call, std::string(kAlphabet)});
  return out;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string ZoneLabel(const Place& p) { return "CQ " + p.cq + ", ITU " + p.itu; }

std::string Head(int kind, int level) {
  char head[8];
  std::snprintf(head, sizeof head, "%02X%02X", kind & 0xff, level & 0xff);
  return head;
}

std::string Line(const Record& r) {
  const Place& p = r.place;
  const std::vector<std::string> fields = {Head(r.kind, r.level),
                                           r.coordinates ? Scaled(p.lon, true) : "",
                                           r.coordinates ? Scaled(p.lat, false) : "",
                                           r.name,
                                           r.coordinates ? p.prefix : "",
                                           r.coordinates ? p.continent : "",
                                           r.coordinates ? p.cq : "",
                                           r.coordinates ? p.itu : "",
                                           r.coordinates ? p.utc : "",
                                           r.coordinates ? r.number : "",
                                           "", "", ""};
  std::string line;
  for (const auto& s : fields) line += s + "|";
  for (std::size_t i = 0; i < r.masks.size(); ++i) line += (i ? "," : "") + r.masks[i];
  return line + "|\r\n";  // the extra "|" keeps an empty mask field a field
}

class Generator {
 public:
  bool Read(const std::string& text);
  std::string Write();

 private:
  void ReadTokens();
  template <typename Key, typename KeyOf>
  std::map<Key, std::vector<Mask>> Regions(KeyOf keyOf) const;
  void Cut();
  const Place& Base(int entity) const { return lines_[entities_[entity].line].base; }
  void Derive();
  bool NamesEntity(const std::string& suffix, int entity) const;
  bool KeepsCall(const Exact& e) const;
  void Classify();
  void Nest(int entity, int top);
  std::vector<int> Order() const;
  // The node of the longest prefix of a call part, or nullptr.
  const std::pair<const std::string, PrefixNode>* Longest(const std::string& call) const;
  int Add(Record r, int parent);
  void Emit(int record, int level, std::string& out) const;

  std::vector<CtyLine> lines_;
  std::vector<Entity> entities_;
  std::map<std::string, PrefixNode> prefixes_;
  std::vector<Exact> exacts_;
  std::vector<std::vector<std::string>> masks_;        // per entity
  std::map<std::pair<int, Place>, std::vector<Mask>> areas_;  // per entity and place
  std::map<std::string, int> derived_;                 // "HK/0M" -> entity
  std::vector<std::vector<const Exact*>> children_;    // exact calls nested per entity
  std::vector<const Exact*> apart_;                    // exact calls of another entity
  std::vector<Record> records_;
};

bool Generator::Read(const std::string& text) {
  std::map<std::string, int> byNumber;
  for (auto& raw : Split(text, '\n')) {
    const std::string line = Trim(raw);
    if (line.empty()) continue;
    auto f = Split(line, ',');
    if (f.size() != 10) {
      std::cerr << "prefix_from_cty: skipping malformed line: " << line << "\n";
      continue;
    }
    for (auto& s : f) s = Trim(s);
    if (!f[9].empty() && f[9].back() == ';') f[9].pop_back();
    CtyLine l;
    l.wae = !f[0].empty() && f[0][0] == '*';
    if (l.wae) f[0].erase(0, 1);
    l.base = {f[4], f[5], f[6], f[7], f[3], f[8], l.wae ? f[1] : "", f[0]};
    l.f = std::move(f);
    auto [it, fresh] = byNumber.emplace(l.f[2], static_cast<int>(entities_.size()));
    if (fresh) entities_.push_back({"", l.f[2], -1, static_cast<int>(entities_.size())});
    l.group = it->second;
    lines_.push_back(std::move(l));
  }
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    Entity& e = entities_[lines_[i].group];
    if (e.line < 0 || (lines_[e.line].wae && !lines_[i].wae)) e.line = static_cast<int>(i);
  }
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const CtyLine& l = lines_[i];
    Entity& e = entities_[l.group];
    const CtyLine& main = lines_[e.line];
    e.name = main.f[1];
    // The DXCC entity split for WAE only ("Asiatic Turkey" beside "European Turkey") is
    // named as the whole.
    if (l.wae && !main.wae && StartsWith(main.f[1], "Asiatic ") && StartsWith(l.f[1], "European ") &&
        main.f[1].substr(8) == l.f[1].substr(9))
      e.name = main.f[1].substr(8);
  }
  for (auto& e : entities_)
    if (lines_[e.line].wae) lines_[e.line].base.region.clear();  // a WAE line alone is the entity
  ReadTokens();
  return !entities_.empty();
}

void Generator::ReadTokens() {
  TCallParser normaliser;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    for (const auto& token : Split(lines_[i].f[9], ' ')) {
      if (token.empty()) continue;
      Place p = lines_[i].base;
      const bool exact = token[0] == '=';
      const std::string call = ApplyOverrides(exact ? token.substr(1) : token, p);
      if (call.empty()) continue;
      if (!exact) {
        if (call.find_first_not_of(kAlphabet) != std::string::npos) continue;
        if (!prefixes_.emplace(call, PrefixNode{static_cast<int>(i), p}).second)
          std::cerr << "prefix_from_cty: prefix " << call << " listed twice, the first one kept\n";
        continue;
      }
      // The parser looks a call up in its normalised form ("EA8/DL1ABC" -> EA8), so an
      // exact call becomes a mask for that form.
      normaliser.SetCall(call);
      if (!normaliser.NormaliseCall()) continue;
      const std::string& n = normaliser.Call();
      if (StartsWith(n, "ADIF")) continue;
      const std::size_t slash = n.find('/');
      exacts_.push_back({static_cast<int>(i), call, n.substr(0, slash),
                         slash == std::string::npos ? "" : n.substr(slash), p});
    }
  }
}

const std::pair<const std::string, PrefixNode>* Generator::Longest(const std::string& call) const {
  for (std::size_t n = call.size(); n > 0; --n)
    if (auto it = prefixes_.find(call.substr(0, n)); it != prefixes_.end()) return &*it;
  return nullptr;
}

// Masks admitting the calls whose longest prefix has the key, for each key.
template <typename Key, typename KeyOf>
std::map<Key, std::vector<Mask>> Generator::Regions(KeyOf keyOf) const {
  std::map<Key, std::vector<Mask>> regions;
  for (const auto& [prefix, node] : prefixes_) {
    const Key key = keyOf(node);
    // A prefix inside a shorter one with the same key is covered by that one's masks.
    const auto* outer = Longest(prefix.substr(0, prefix.size() - 1));
    if (outer && keyOf(outer->second) == key) continue;
    std::vector<std::string> cut;
    for (auto it = prefixes_.upper_bound(prefix); it != prefixes_.end() && StartsWith(it->first, prefix); ++it) {
      if (keyOf(it->second) == key) continue;
      const auto* between = Longest(it->first.substr(0, it->first.size() - 1));
      if (between->first.size() > prefix.size() && !(keyOf(between->second) == key)) continue;
      cut.push_back(it->first);
    }
    CutMasks(prefix, cut, regions[key]);
  }
  return regions;
}

void Generator::Cut() {
  masks_.assign(entities_.size(), {});
  for (const auto& [g, masks] : Regions<int>([this](const PrefixNode& n) { return lines_[n.line].group; }))
    for (const auto& m : masks) masks_[g].push_back(m.Text());
  areas_ = Regions<std::pair<int, Place>>(
      [this](const PrefixNode& n) { return std::make_pair(lines_[n.line].group, n.place); });
}

// A suffix the parser keeps ("HK3JJH/0M", "FR5ZQ/G") that only one entity's exact calls
// carry on one home prefix, and that names the entity the way its own prefixes end
// (HK0M, FT5G), stands for that entity on every call of the home prefix. Operating
// suffixes of single calls ("KH6TY/R") do not.
void Generator::Derive() {
  std::map<std::string, std::set<int>> carriers;
  for (const auto& e : exacts_) {
    if (e.suffix.empty() || e.suffix == "/M" || e.suffix == "/P" || !KeepsCall(e)) continue;
    const auto* home = Longest(e.main);
    const int g = lines_[e.line].group;
    if (!home || lines_[home->second.line].group == g) continue;
    carriers[home->first + e.suffix].insert(g);
  }
  for (const auto& [mask, groups] : carriers) {
    const int g = *groups.begin();
    if (groups.size() != 1 || !NamesEntity(mask.substr(mask.find('/') + 1), g)) continue;
    derived_[mask] = g;
    masks_[g].push_back(mask);
    std::cerr << "prefix_from_cty: " << mask << " -> " << entities_[g].name << "\n";
  }
}

bool Generator::NamesEntity(const std::string& suffix, int entity) const {
  for (const auto& l : lines_) {
    if (l.group != entity) continue;
    const std::size_t slash = l.f[0].find('/');
    if (slash != std::string::npos && Upper(l.f[0].substr(slash + 1)) == suffix) return true;
  }
  for (const auto& [prefix, node] : prefixes_)
    if (lines_[node.line].group == entity && EndsWith(prefix, suffix)) return true;
  return false;
}

// A portable form that loses the call itself ("9M6/LA6VM" -> 9M6, "DL2JRM/BY4RRR" ->
// DL2JRM) would capture every call of that prefix or the home call; one that leaves a
// call area that no prefix lists but that starts the entity's own prefixes ("RL8C/2" ->
// RL2, Kaliningrad has RL2F) stands for that area's portable calls.
bool Generator::KeepsCall(const Exact& e) const {
  std::string longest;
  bool area = false;
  for (const auto& part : Split(e.text, '/')) {
    if (part.size() > longest.size()) longest = part;
    area = area || (part.size() == 1 && part[0] >= '0' && part[0] <= '9');
  }
  if (area && e.suffix.empty() && e.main.size() <= 4 && e.main.back() == e.text[e.text.rfind('/') + 1] &&
      !prefixes_.count(e.main)) {
    const int g = lines_[e.line].group;
    for (auto it = prefixes_.upper_bound(e.main); it != prefixes_.end() && StartsWith(it->first, e.main); ++it)
      if (lines_[it->second.line].group == g) return true;
  }
  return e.main == longest && (e.text.find('/') == std::string::npos || !e.suffix.empty());
}

// An exact call that the rest of the file already gives its entity and area becomes a
// child with its own data there (nothing when the data are the same); otherwise it
// must stand apart.
void Generator::Classify() {
  children_.assign(entities_.size(), {});
  // cty.csv lists a call of a WAE area under its entity as well ("GB0BL" under Scotland
  // and Shetland); the area's entry is the one to keep.
  std::set<std::tuple<int, std::string, std::string>> inArea;
  for (const auto& e : exacts_)
    if (lines_[e.line].wae) inArea.emplace(lines_[e.line].group, e.main, e.suffix);
  std::map<std::string, const Exact*> plain;
  for (const auto& e : exacts_)
    if (e.suffix.empty() && KeepsCall(e)) plain.emplace(e.main, &e);
  for (const auto& e : exacts_) {
    if (!KeepsCall(e)) continue;
    if (!lines_[e.line].wae && inArea.count({lines_[e.line].group, e.main, e.suffix})) continue;
    int group = -1;
    const Place* given = nullptr;
    if (e.suffix.empty() || e.suffix == "/M" || e.suffix == "/P") {
      if (auto it = plain.find(e.main); !e.suffix.empty() && it != plain.end()) {
        group = lines_[it->second->line].group;
        given = &it->second->place;
      } else if (const auto* home = Longest(e.main)) {
        group = lines_[home->second.line].group;
        given = &home->second.place;
      }
    } else if (const auto* home = Longest(e.main)) {
      if (auto it = derived_.find(home->first + e.suffix); it != derived_.end()) {
        group = it->second;
        given = &Base(group);
      }
    }
    if (group == lines_[e.line].group && given->region == e.place.region) {
      if (*given == e.place) continue;
      // A child can be cut out of its area for the bare call only; one with a suffix
      // also matches the bare call's masks.
      if (e.suffix.empty() || *given == Base(group)) {
        children_[group].push_back(&e);
        continue;
      }
    }
    apart_.push_back(&e);
  }
  // An exact call with its suffix wins over the same call without it.
  std::stable_partition(apart_.begin(), apart_.end(), [](const Exact* e) { return e->suffix.empty(); });
}

int Generator::Add(Record r, int parent) {
  records_.push_back(std::move(r));
  const int id = static_cast<int>(records_.size()) - 1;
  if (parent >= 0) records_[parent].children.push_back(id);
  return id;
}

// The entity's areas (WAE regions, prefixes with other zones) and exact calls with data
// of their own become children of its record, one per distinct data. The masks of the
// areas are cut like the entities' and exact calls are cut out of them, so one call
// matches one child.
void Generator::Nest(int entity, int top) {
  std::map<Place, int> byPlace;
  std::map<int, std::vector<Mask>> areas;  // record -> its cut masks
  auto child = [&](const Place& p) {
    auto [it, fresh] = byPlace.try_emplace(p, 0);
    if (fresh) {
      const bool region = !p.region.empty();
      it->second = Add({region ? 2 : 3, 0, region ? p.region : ZoneLabel(p), p, true,
                        entities_[entity].number, {}, {}}, top);
    }
    return it->second;
  };
  for (const auto& [key, masks] : areas_)
    if (key.first == entity && !(key.second == Base(entity))) areas[child(key.second)] = masks;
  std::vector<std::pair<int, std::string>> calls;
  for (const Exact* e : children_[entity]) {
    if (e->suffix.empty())
      for (auto& [record, masks] : areas) {
        auto m = std::find_if(masks.begin(), masks.end(), [&](const Mask& x) { return x.Admits(e->main); });
        if (m == masks.end()) continue;
        std::vector<Mask> cut = CutCall(*m, e->main);
        m = masks.erase(m);
        masks.insert(m, cut.begin(), cut.end());
        break;
      }
    calls.emplace_back(child(e->place), e->main + "." + e->suffix);
  }
  for (const auto& [record, masks] : areas)
    for (const auto& m : masks) records_[record].masks.push_back(m.Text());
  for (const auto& [record, mask] : calls) records_[record].masks.push_back(mask);
}

bool OnCycle(int start, const std::vector<std::map<int, bool>>& after, const std::vector<bool>& done) {
  std::vector<int> stack = {start};
  std::vector<bool> seen(after.size(), false);
  while (!stack.empty()) {
    const int g = stack.back();
    stack.pop_back();
    for (auto [h, digit] : after[g]) {
      if (h == start) return true;
      if (!done[h] && !seen[h]) {
        seen[h] = true;
        stack.push_back(h);
      }
    }
  }
  return false;
}

std::vector<int> Generator::Order() const {
  const std::size_t n = entities_.size();
  std::vector<std::map<int, bool>> after(n);  // entity -> those it must precede, strong
  std::vector<int> waiting(n, 0), strong(n, 0);
  for (const auto& [prefix, node] : prefixes_) {
    const int g = lines_[node.line].group;
    for (std::size_t k = 1; k < prefix.size(); ++k)
      if (auto it = prefixes_.find(prefix.substr(0, k)); it != prefixes_.end()) {
        const int h = lines_[it->second.line].group;
        if (h == g) continue;
        const bool digit = prefix[k - 1] >= '0' && prefix[k - 1] <= '9';
        auto [e, fresh] = after[g].emplace(h, digit);
        if (fresh) ++waiting[h];
        if (digit && (fresh || !e->second)) ++strong[h];
        e->second = e->second || digit;
      }
  }
  std::vector<int> order;
  std::vector<bool> done(n, false);
  while (order.size() < n) {
    int pick = -1;
    for (std::size_t i = 0; i < n && pick < 0; ++i)
      if (!done[i] && waiting[i] == 0) pick = static_cast<int>(i);
    for (std::size_t i = 0; i < n && pick < 0; ++i)
      if (!done[i] && strong[i] == 0 && OnCycle(static_cast<int>(i), after, done)) pick = static_cast<int>(i);
    if (pick < 0) {
      for (std::size_t i = 0; i < n && pick < 0; ++i)
        if (!done[i]) pick = static_cast<int>(i);
      std::cerr << "prefix_from_cty: prefixes of " << entities_[pick].name << " nest both ways\n";
    }
    done[pick] = true;
    order.push_back(pick);
    for (auto [h, digit] : after[pick]) {
      --waiting[h];
      if (digit) --strong[h];
    }
  }
  return order;
}

void Generator::Emit(int record, int level, std::string& out) const {
  Record r = records_[record];
  r.level = level;
  out += Line(r);
  for (int c : r.children) Emit(c, level + 1, out);
}

std::string Generator::Write() {
  Cut();
  Derive();
  Classify();
  std::vector<int> tops;
  for (int g : Order()) {
    const Entity& e = entities_[g];
    Place base = lines_[e.line].base;
    tops.push_back(Add({1, 0, e.name, base, true, e.number, masks_[g], {}}, -1));
    Nest(g, tops.back());
  }
  // Without coordinates the top record of an exact call never makes a row of its own: a
  // call that only starts it ("7K1" from 7K1BIB/1 against 7K1ABC.) stays out; the child
  // matches the whole call only. Calls of one entity with the same data share a record.
  std::map<std::tuple<bool, int, Place>, std::pair<int, int>> shared;  // -> top, data
  for (const Exact* x : apart_) {
    const int g = lines_[x->line].group;
    const std::string mask = x->main + "." + x->suffix;
    auto [it, fresh] = shared.try_emplace({x->suffix.empty(), g, x->place});
    if (fresh) {
      const int top = Add({6, 0, entities_[g].name, {}, false, "", {}, {}}, -1);
      tops.push_back(top);
      int parent = top;
      if (!x->place.region.empty()) {
        Place area = lines_[x->line].base;
        parent = Add({2, 0, area.region, area, true, entities_[g].number, {}, {}}, top);
      }
      it->second = {top, Add({9, 0, "", x->place, true, entities_[g].number, {}, {}}, parent)};
    }
    auto [top, data] = it->second;
    records_[top].masks.push_back(mask);
    records_[data].masks.push_back(mask);
    if (records_[top].children[0] != data) records_[records_[top].children[0]].masks.push_back(mask);
  }
  std::string out = "Varnak prefix file\r\nGenerated from the country file cty.csv; do not edit\r\n"
                    "kind|lon*180|lat*180|name|prefix|continent|CQ|ITU|UTC|entity|||masks\r\n";
  for (int t : tops) Emit(t, 0, out);
  std::cerr << "prefix_from_cty: " << records_.size() << " records, " << apart_.size()
            << " exact calls apart\n";
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: prefix_from_cty cty.csv prefix.lst\n";
    return 2;
  }
  auto bytes = ReadWholeFile(argv[1]);
  if (!bytes) {
    std::cerr << "prefix_from_cty: cannot read " << argv[1] << "\n";
    return 1;
  }
  Generator g;
  if (!g.Read(*bytes)) {
    std::cerr << "prefix_from_cty: no entities in " << argv[1] << "\n";
    return 1;
  }
  const std::string out = g.Write();
  std::string error;
  if (!WriteFileAtomic(argv[2], out, &error)) {
    std::cerr << "prefix_from_cty: " << error << "\n";
    return 1;
  }
  return 0;
}
