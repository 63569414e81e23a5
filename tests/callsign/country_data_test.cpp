// The parser on real data: the generated prefix file against the country file's own
// rule, and the compiled search against the plain walk over every MASTER.SCP call.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <unordered_map>

#include "callsign/call_parser.h"
#include "callsign/lookup.h"
#include "core/atomic_file.h"
#include "core/text.h"
#include "reference_parser.h"
#include "support/temp_dir.h"

namespace varnak {
namespace {

const char* kCty = "/usr/share/hamradio-files/cty.csv";
const char* kMaster = "/usr/share/hamradio-files/MASTER.SCP";
const std::string kPrefixLst = std::string(VARNAK_DATA_DIR) + "/prefix.lst";

std::vector<std::string> MasterCalls() {
  std::vector<std::string> calls;
  std::ifstream in(kMaster);
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (!line.empty() && line[0] != '#') calls.push_back(line);
  }
  return calls;
}

std::string Join(const std::vector<std::string>& v, const char* sep) {
  std::string s;
  for (const auto& x : v) s += (s.empty() ? "" : sep) + x;
  return s;
}

// The country file's rule, written from its documentation: an exact "=call" wins;
// otherwise the longest listed prefix of the call. A portable call is looked up by its
// location part: the shorter part, the call with its area digit replaced for "/digit",
// the call itself for operating suffixes.
class CtyRule {
 public:
  CtyRule() {
    auto bytes = ReadWholeFile(kCty);
    if (!bytes) return;
    for (auto& line : Split(*bytes, '\n')) {
      auto f = Split(Trim(line), ',');
      if (f.size() != 10) continue;
      std::string list = f[9];
      if (!list.empty() && list.back() == ';') list.pop_back();
      for (const auto& tok : Split(list, ' ')) {
        if (tok.empty()) continue;
        std::string t = tok.substr(0, tok.find_first_of("([<{~"));
        if (t[0] == '=')
          exact_.emplace(t.substr(1), f[2]);
        else
          prefix_.emplace(t, f[2]);
      }
    }
  }
  bool Loaded() const { return !prefix_.empty(); }

  std::string Entity(const std::string& call) const {
    if (auto it = exact_.find(call); it != exact_.end()) return it->second;
    auto parts = Split(call, '/');
    while (parts.size() > 1 && parts.back().empty()) parts.pop_back();
    static const std::vector<std::string> kOperating = {"P", "M", "QRP", "A", "B", "BCN", "LH", "AM", "MM"};
    while (parts.size() > 1 && std::find(kOperating.begin(), kOperating.end(), parts.back()) != kOperating.end()) {
      if (parts.back() == "MM" || parts.back() == "AM") return "";
      parts.pop_back();
    }
    std::string where = parts[0];
    if (parts.size() >= 2) {
      const std::string& b = parts[1];
      if (b.size() == 1 && b[0] >= '0' && b[0] <= '9') {
        const std::size_t d = where.find_first_of("0123456789", 1);
        if (d != std::string::npos) where = where.substr(0, d) + b;
      } else if (b.size() < where.size()) {
        where = b;
      }
    }
    for (std::size_t n = where.size(); n > 0; --n)
      if (auto it = prefix_.find(where.substr(0, n)); it != prefix_.end()) return it->second;
    return "";
  }
  bool IsExact(const std::string& call) const { return exact_.count(call) != 0; }
  // A listed prefix or the start of one ("VP2" of VP2E).
  bool StartsPrefix(const std::string& call) const {
    auto it = prefix_.lower_bound(call);
    return it != prefix_.end() && StartsWith(it->first, call);
  }

 private:
  std::unordered_map<std::string, std::string> exact_;
  std::map<std::string, std::string> prefix_;
};

TEST(CountryData, GeneratedFileAgreesWithCountryFileRule) {
  CtyRule rule;
  ASSERT_TRUE(rule.Loaded()) << kCty << " missing: run scripts/setup";
  TCallParser parser;
  parser.SetPrefixFile(kPrefixLst);
  ASSERT_EQ(parser.LastLoadError(), "");
  const auto calls = MasterCalls();
  ASSERT_GT(calls.size(), 80000u);

  std::size_t agree = 0, severalExact = 0, severalPrefix = 0;
  std::vector<std::string> several;
  std::map<std::string, std::vector<std::string>> kinds;
  for (const auto& call : calls) {
    parser.ParseCall(call);
    // One entity per call; an exact call listed under another entity than its prefix
    // also shows the prefix's entity, behind it. A portable call reduced to a bare
    // prefix ("OH/EA8DED" -> OH) lists the longer prefixes too, as a typed one does.
    if (parser.HitList().size() > 1) {
      if (rule.IsExact(call)) ++severalExact;
      else if (rule.StartsPrefix(parser.Call())) ++severalPrefix;
      else several.push_back(call);
    }
    const std::string got = parser.HitList().empty() ? "" : parser.HitList()[0].EntityNumber;
    const std::string want = rule.Entity(call);
    if (got == want) {
      ++agree;
      continue;
    }
    std::string kind = call.find('/') == std::string::npos ? "plain call" : "portable call";
    if (got.empty()) kind += ", parser finds nothing";
    else if (want.empty()) kind += ", country file finds nothing";
    else kind += rule.IsExact(call) ? ", exact call of the country file" : ", different entity";
    kinds[kind].push_back(call + " (" + parser.Call() + ": " + got + " vs " + want + ")");
  }
  const double share = 100.0 * static_cast<double>(agree) / static_cast<double>(calls.size());
  std::cout << "agreement " << agree << " of " << calls.size() << " = " << share << " %\n";
  for (const auto& [kind, examples] : kinds) {
    std::cout << "  " << examples.size() << " x " << kind << ", e.g.";
    for (std::size_t i = 0; i < examples.size() && i < 4; ++i) std::cout << " " << examples[i] << ";";
    std::cout << "\n";
  }
  std::cout << "several rows: " << severalExact << " exact calls, " << severalPrefix << " bare prefixes, "
            << several.size() << " others\n";
  EXPECT_GE(share, 99.98);
  EXPECT_EQ(several.size(), 0u) << Join(several, " ");
}

// What the lookup window lists: one row per entity, the entity cty.csv gives first, its
// WAE area as region and the zones of the prefix.
TEST(CountryData, LookupWindowRows) {
  CtyRule rule;
  TCallParser parser;
  parser.SetPrefixFile(kPrefixLst);
  ASSERT_EQ(parser.LastLoadError(), "");
  auto rows = [&](const std::string& text) {
    std::vector<std::string> names;
    parser.ParseCall(text);
    for (const auto& r : parser.HitList()) names.push_back(r.Name + "/" + r.Regions);
    EXPECT_EQ(CallsignLookupLines(parser, text).size(), names.size()) << text;
    return names;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(rows("BY"), V{"China/"});
  V ua = rows("UA");
  std::sort(ua.begin(), ua.end());
  EXPECT_EQ(ua, (V{"Asiatic Russia/", "European Russia/", "Kaliningrad/"}));
  // name/region and entity number as cty.csv gives them
  for (const auto& [text, row, number] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"UA9XYZ/0", "Asiatic Russia/", "15"}, {"KH6XX", "Hawaii/", "110"}, {"EA8ZZ", "Canary Islands/", "29"},
           {"HK3ABC/0M", "Malpelo Island/", "161"}, {"FR5ABC/G", "Glorioso Islands/", "99"},
           {"FR5ABC/T", "Tromelin Island/", "276"}, {"IT9ABC", "Italy/Sicily", "248"},
           {"TA1ABC", "Turkey/European Turkey", "390"}}) {
    EXPECT_EQ(rows(text), V{row}) << text;
    EXPECT_EQ(parser.HitList()[0].EntityNumber, number) << text;
  }
  parser.ParseCall("UA9XYZ/0");  // UA0(19)[33]
  EXPECT_EQ(parser.HitList()[0].Text6 + " " + parser.HitList()[0].Text7, "19 33");
  // An exact call with its suffix wins over the same call without it, listed elsewhere;
  // the prefix's entity, the same as the first row's, is not listed again.
  EXPECT_EQ(rows("GO4ONL/P"), (V{"England/", "Northern Ireland/"}));
  for (const char* call : {"GO4ONL/P", "RA9J/M", "RD8O/P", "RN2F/M", "RT2F/P", "RT9S/P"}) {
    parser.ParseCall(call);
    ASSERT_FALSE(parser.HitList().empty()) << call;
    EXPECT_EQ(parser.HitList()[0].EntityNumber, rule.Entity(call)) << call;
  }
}

void ExpectSameRowsAsPlainWalk(TCallParser& parser, const std::vector<std::string>& texts) {
  std::size_t withRows = 0, mismatches = 0;
  for (const auto& text : texts) {
    parser.ParseCall(text);
    const THitList fast = parser.HitList();
    parser.SetCall(text);
    THitList plain;
    if (parser.NormaliseCall() && !StartsWith(parser.Call(), "ADIF"))
      plain = test::PlainFindHits(parser.PrefixList(), parser.Call());
    else if (parser.Call().rfind("ADIF", 0) == 0)
      continue;
    if (!fast.empty()) ++withRows;
    if (fast != plain && ++mismatches <= 5)
      ADD_FAILURE() << text << ": " << fast.size() << " rows against " << plain.size() << " from the plain walk";
  }
  EXPECT_EQ(mismatches, 0u);
  EXPECT_GT(withRows, texts.size() / 2);
}

// Every call, some portable and typed-prefix forms of it.
std::vector<std::string> Variants(const std::vector<std::string>& calls, std::size_t every) {
  std::vector<std::string> v = calls;
  for (std::size_t i = 0; i < calls.size(); i += every) {
    const auto& c = calls[i];
    v.push_back(c.substr(0, 2));
    v.push_back(c.substr(0, 3));
    v.push_back(c + "/P");
    v.push_back(c + "/7");
    v.push_back("EA8/" + c);
  }
  return v;
}

TEST(CountryData, CompiledSearchGivesThePlainRowsOnTheGeneratedFile) {
  TCallParser parser;
  parser.SetPrefixFile(kPrefixLst);
  ASSERT_EQ(parser.LastLoadError(), "");
  ExpectSameRowsAsPlainWalk(parser, Variants(MasterCalls(), 20));
}

// The generated file holds only plain masks one record deep; this one has patterns,
// brackets, end marks, suffix parts and regions below the countries.
TEST(CountryData, CompiledSearchGivesThePlainRowsOnPatternMasks) {
  std::mt19937 rng(5);
  const std::vector<std::string> elements = {"#", "@", "?", "[A-F]", "[-A]", "[0-35-9]", "[C-A]",
                                             "K", "D", "L", "1", "2", "A", "[KW]", "[", "."};
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  auto mask = [&] {
    std::string m;
    const std::size_t len = 1 + pick(4);
    for (std::size_t i = 0; i < len; ++i) m += elements[pick(elements.size() - 2)];
    if (pick(4) == 0) m += ".";
    if (pick(5) == 0) m += pick(2) ? "/P" : "/M";
    return m;
  };
  std::string file = "h\r\nh\r\nh\r\n";
  const int kinds[] = {1, 6, 2, 3, 9};
  for (int i = 0; i < 600; ++i) {
    const int level = i % 7 == 0 ? 0 : static_cast<int>(pick(3));
    const int kind = level == 0 ? kinds[pick(2)] : kinds[2 + pick(3)];
    char head[8];
    std::snprintf(head, sizeof head, "%02X%02X", kind, level);
    const std::string lon = pick(4) == 0 ? "" : std::to_string(static_cast<int>(pick(64800)) - 32400);
    std::string masks = mask();
    for (std::size_t n = pick(3); n > 0; --n) masks += "," + mask();
    file += std::string(head) + "|" + lon + "|" + std::to_string(i) + "|N" + std::to_string(i) + "|P" +
            std::to_string(i) + "|a|b|c|d|" + std::to_string(i) + "|e|||" + masks + "\r\n";
  }
  test::TempDir dir;
  dir.Write("prefix.lst", file);
  TCallParser parser;
  parser.SetPrefixFile((dir / "prefix.lst").string());
  ASSERT_EQ(parser.LastLoadError(), "");
  // Every third call keeps this one quick; the shipped file's test takes them all.
  std::vector<std::string> calls;
  const auto all = MasterCalls();
  for (std::size_t i = 0; i < all.size(); i += 3) calls.push_back(all[i]);
  auto texts = Variants(calls, 4);
  std::size_t withRows = 0;
  for (const auto& t : texts) {
    parser.ParseCall(t);
    withRows += !parser.HitList().empty();
  }
  std::cout << withRows << " of " << texts.size() << " texts give rows\n";
  ExpectSameRowsAsPlainWalk(parser, texts);
}

}  // namespace
}  // namespace varnak
