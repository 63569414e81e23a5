#include "reference_parser.h"
#include "callsign/call_parser.h"

namespace varnak::test {

namespace {

std::vector<std::string> MaskItems(std::string_view s) {
  std::vector<std::string> items;
  std::string cur;
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quoted) {
      if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') {
        cur += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cur += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',' || static_cast<unsigned char>(c) <= ' ') {
      if (!cur.empty()) items.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) items.push_back(cur);
  return items;
}

int PrefixPart(const std::string& call, const std::string& mask) {
  std::string c = call.substr(0, call.find('/'));
  std::string m = mask.substr(0, mask.find('/'));
  if (c.empty() || m.empty()) return 0;
  for (char ch : c) {
    if (m.empty()) return 2;
    if (TPrefixList::ExpandElement(m).find(ch) == std::string::npos) return 0;
  }
  if (m.empty() || m == ".") return 2;
  if (m.back() == '.') return (c.back() >= '0' && c.back() <= '9') ? 1 : 0;
  return 1;
}

int SuffixPart(const std::string& call, const std::string& mask) {
  const auto cs = call.find('/'), ms = mask.find('/');
  if (cs == std::string::npos) return ms == std::string::npos ? 3 : 2;
  if (ms == std::string::npos) {
    const std::string after = call.substr(cs + 1);
    return (after == "M" || after == "P") ? 3 : 1;
  }
  return call.substr(cs) == mask.substr(ms) ? 3 : 0;
}

bool Match(const TPrefixEntry& r, bool top, const std::string& call) {
  const int k = r.Kind;
  if (top ? !(k == 1 || k == 2 || k == 3 || k == 6 || k == 9) : !(k == 2 || k == 3 || k == 9)) return false;
  for (const auto& m : MaskItems(r.Masks)) {
    const int a = PrefixPart(call, m), b = SuffixPart(call, m);
    if (a == 1 && top) return true;
    if (a == 2 && b == 3) return true;
  }
  return false;
}

struct Hit {
  const TPrefixEntry* rec;
  int parent;
  bool merged = false;
  std::vector<std::string> extra;
};

void Descend(const TPrefixList& list, const TPrefixEntry& r, int hit, const std::string& call,
             std::vector<Hit>& hits) {
  for (int c : r.Children) {
    const auto& child = list.Entries()[c];
    if (!Match(child, false, call)) continue;
    hits.push_back({&child, hit, false, {}});
    Descend(list, child, static_cast<int>(hits.size()) - 1, call, hits);
  }
}

void Merge(TPrefixData& row, const Hit& h) {
  const auto& d = h.rec->Data;
  const bool coords = d.Longitude != NoValue;
  switch (h.rec->Kind) {
    case 1: case 6: row.Name = d.Name; break;
    case 2: row.Regions = row.Regions.empty() ? d.Name : d.Name + ", " + row.Regions; break;
    case 3: if (coords) row.SubArea = d.Name; break;
    case 9: row.SubArea = d.Name; break;
  }
  if (row.Longitude == NoValue) {
    row.Longitude = d.Longitude;
    row.Latitude = d.Latitude;
  }
  if (coords) {
    for (auto [to, from] : {std::pair{&row.Prefix, &d.Prefix}, {&row.Text5, &d.Text5}, {&row.Text6, &d.Text6},
                            {&row.Text7, &d.Text7}, {&row.Text8, &d.Text8},
                            {&row.EntityNumber, &d.EntityNumber}, {&row.Text10, &d.Text10}})
      if (to->empty()) *to = *from;
  }
  row.ExtraNames.insert(row.ExtraNames.end(), h.extra.begin(), h.extra.end());
}

}  // namespace

THitList PlainFindHits(const TPrefixList& list, const std::string& call) {
  THitList rows;
  if (call.size() < 2) return rows;
  std::vector<Hit> hits;
  for (const TPrefixEntry* r : list.Cell(call[0], call[1])) {
    if (!Match(*r, true, call)) continue;
    hits.push_back({r, -1, false, {}});
    Descend(list, *r, static_cast<int>(hits.size()) - 1, call, hits);
  }
  for (int i = static_cast<int>(hits.size()) - 1; i >= 0; --i) {
    if (hits[i].rec->Data.Longitude != NoValue) continue;
    hits[i].merged = true;
    if (hits[i].parent >= 0) hits[hits[i].parent].extra.push_back(hits[i].rec->Data.Name);
  }
  for (int i = static_cast<int>(hits.size()) - 1; i >= 0; --i) {
    if (hits[i].merged) continue;
    TPrefixData row;
    for (int j = i; j >= 0; j = hits[j].parent) {
      Merge(row, hits[j]);
      hits[j].merged = true;
    }
    rows.push_back(row);
  }
  KeepOneRowPerEntity(rows);
  return rows;
}

}  // namespace varnak::test
