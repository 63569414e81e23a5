// Writes "prefix.lst" from the country file cty.csv of the hamradio-files package.
// A cty.csv line:
//   3D2,Fiji,176,OC,32,56,-17.78,-177.92,-12.0,3D2 =3D5X;
// (primary prefix, name, entity number, continent, CQ zone, ITU zone, latitude,
// longitude west positive, UTC offset, then prefixes and =exact calls, each with
// optional (CQ) [ITU] <lat/lon> {continent} ~offset~ overrides).
//
// The country file's rule is "an exact call wins, otherwise the longest matching
// prefix". The parser instead takes the last matching top-level record in file order,
// so every prefix becomes a record of its own and the records are ordered by mask
// length, exact calls (closed by ".") last. Each entity also gets one kind-1 record
// without masks carrying its main data, which is what entity-number queries return.
//
// A mask closed by "." still matches a shorter callsign that ends in a digit ("7K1" from
// 7K1BIB/1 against 7K1ABC.), and exact calls come last, so an exact call would win over
// the right prefix. Each exact call is therefore a record without coordinates (which
// never makes a row of its own) holding a region record of level 1 with the data; the
// region only matches when the whole call does.
//
// usage: prefix_from_cty cty.csv prefix.lst
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "callsign/call_parser.h"
#include "core/atomic_file.h"
#include "core/text.h"

using namespace varnak;

namespace {

struct Place {
  std::string cq, itu, lat, lon, continent, utc;
};

struct Record {
  int kind;
  std::string mask;
  Place place;
  const std::vector<std::string>* entity;  // the cty.csv fields
};

std::string Scaled(const std::string& degrees, bool negate) {
  char* end = nullptr;
  double v = std::strtod(degrees.c_str(), &end);
  if (degrees.empty() || *end != '\0') return "";
  if (negate) v = -v;
  return std::to_string(std::lround(v * 180.0));
}

// Splits "3H0(23)[42]" into the mask text and the place it overrides.
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

std::string Line(int kind, const Place& p, const std::vector<std::string>& f, const std::string& masks,
                 const std::string& name = "") {
  std::string prefix = f[0];
  if (!prefix.empty() && prefix[0] == '*') prefix.erase(0, 1);  // a flag, not part of the prefix
  const std::vector<std::string> fields = {
      kind == 1 ? "0100" : kind == 6 ? "0600" : "0901", Scaled(p.lon, true), Scaled(p.lat, false),
      name.empty() ? f[1] : name, prefix,
      p.continent, p.cq, p.itu, p.utc, f[2], "", "", "", masks};
  std::string line;
  for (const auto& s : fields) line += s + "|";
  return line + "\r\n";  // the extra "|" keeps an empty mask field a field
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
  std::vector<std::vector<std::string>> entities;
  for (auto& line : Split(*bytes, '\n')) {
    line = Trim(line);
    if (line.empty()) continue;
    auto f = Split(line, ',');
    if (f.size() != 10) {
      std::cerr << "prefix_from_cty: skipping malformed line: " << line << "\n";
      continue;
    }
    for (auto& s : f) s = Trim(s);
    if (!f[9].empty() && f[9].back() == ';') f[9].pop_back();
    entities.push_back(std::move(f));
  }

  TCallParser normaliser;
  std::vector<Record> prefixes, exacts;
  std::string out = "Varnak prefix file\r\nGenerated from the country file cty.csv; do not edit\r\n"
                    "kind|lon*180|lat*180|name|prefix|continent|CQ|ITU|UTC|entity|||masks\r\n";
  for (const auto& f : entities) {
    const Place base{f[4], f[5], f[6], f[7], f[3], f[8]};
    out += Line(1, base, f, "");
    for (const auto& token : Split(f[9], ' ')) {
      if (token.empty()) continue;
      Place p = base;
      const bool exact = token[0] == '=';
      std::string call = ApplyOverrides(exact ? token.substr(1) : token, p);
      if (call.empty()) continue;
      if (!exact) {
        if (call.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos) continue;
        prefixes.push_back({6, call, p, &f});
        continue;
      }
      // The parser reduces a call to its normalised form, so an exact call becomes a mask
      // for that form; a portable call normalised to a bare prefix ("9M6/LA6VM" -> 9M6)
      // would capture every such call and is left out,
      normaliser.SetCall(call);
      if (!normaliser.NormaliseCall()) continue;
      const std::string& n = normaliser.Call();
      if (n.rfind("ADIF", 0) == 0) continue;
      const std::size_t slash = n.find('/');
      const std::string main = n.substr(0, slash);
      std::string longest;
      for (const auto& part : Split(call, '/'))
        if (part.size() > longest.size()) longest = part;
      // and one that loses its "/" ("DL2JRM/BY4RRR" -> DL2JRM) would capture the home call.
      if (main != longest || (call.find('/') != std::string::npos && slash == std::string::npos)) continue;
      exacts.push_back({6, main + "." + (slash == std::string::npos ? "" : n.substr(slash)), p, &f});
    }
  }
  std::stable_sort(prefixes.begin(), prefixes.end(),
                   [](const Record& a, const Record& b) { return a.mask.size() < b.mask.size(); });
  for (const auto& r : prefixes) out += Line(r.kind, r.place, *r.entity, r.mask);
  // A bare prefix typed or left by a portable call ("OH" from OH/EA8DED) is shorter than
  // the longer prefixes that extend it (OH0), which would then win as later records. A
  // closed copy of every such prefix among the exact calls puts it back on top.
  std::vector<Record> closed;
  {
    std::vector<std::string> texts;
    for (const auto& r : prefixes) texts.push_back(r.mask);
    std::sort(texts.begin(), texts.end());
    for (const auto& r : prefixes) {
      auto it = std::upper_bound(texts.begin(), texts.end(), r.mask);
      if (it != texts.end() && it->rfind(r.mask, 0) == 0) closed.push_back({6, r.mask + ".", r.place, r.entity});
    }
  }
  exacts.insert(exacts.begin(), closed.begin(), closed.end());
  for (const auto& r : exacts) {
    out += "0600|||" + (*r.entity)[1] + "||||||||||" + r.mask + "|\r\n";
    std::string call = r.mask.substr(0, r.mask.find('.'));
    out += Line(9, r.place, *r.entity, r.mask, call + r.mask.substr(r.mask.find('.') + 1));
  }

  std::string error;
  if (!WriteFileAtomic(argv[2], out, &error)) {
    std::cerr << "prefix_from_cty: " << error << "\n";
    return 1;
  }
  return 0;
}
