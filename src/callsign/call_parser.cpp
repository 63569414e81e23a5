#include "callsign/call_parser.h"

#include <algorithm>
#include <filesystem>

#include "core/atomic_file.h"
#include "core/text.h"

namespace varnak {

namespace {

constexpr std::string_view kSuffixWords = ":AM:MM:QRP:A:B:BCN:LH:";
constexpr std::string_view kOneLetterPrefixes = "BFGIKMNRUW";
constexpr std::string_view kOneLetterSecondParts = "FGIKNUW";
constexpr std::string_view kCallAreaLetters = "IKNRW";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool OneOf(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }
bool DigitAt(const std::string& s, std::size_t i) { return i < s.size() && IsDigit(s[i]); }

bool IsSuffixWord(std::string_view part) {
  if (part.empty() || part.size() > 3) return false;
  char buf[6] = {':'};
  std::copy(part.begin(), part.end(), buf + 1);
  buf[part.size() + 1] = ':';
  return kSuffixWords.find(std::string_view(buf, part.size() + 2)) != std::string_view::npos;
}

// What is left of a mask's prefix part once the callsign is used up decides between
// "mask used up" (2), "callsign shorter" (1) and, for a mask closed by ".", whether a
// shorter callsign ends at a call-area digit.
int RestOfMask(std::string_view rest, char lastOfCall) {
  if (rest.empty() || rest == ".") return 2;
  if (rest.back() == '.') return IsDigit(lastOfCall) ? 1 : 0;
  return 1;
}

int ComparePrefixCompiled(std::string_view c, const TPrefixList::CompiledMask& m,
                          const TPrefixList::PatternElement* elements) {
  const std::string_view p = m.Prefix();
  if (c.empty() || p.empty()) return 0;
  const std::size_t n = c.size();
  if (m.Literal) {
    for (std::size_t i = 0; i < n; ++i) {
      if (i == p.size()) return 2;
      if (c[i] != p[i]) return 0;
    }
    return RestOfMask(p.substr(n), c.back());
  }
  const TPrefixList::PatternElement* e = elements + m.FirstElement;
  for (std::size_t i = 0; i < n; ++i) {
    if (i == m.ElementCount) return 2;
    if (!e[i].Admits.test(static_cast<unsigned char>(c[i]))) return 0;
  }
  return RestOfMask(p.substr(e[n - 1].End), c.back());
}

int CompareSuffixParts(bool callHasSlash, std::string_view callSuffix, bool maskHasSlash,
                       std::string_view maskSuffix) {
  if (!callHasSlash) return maskHasSlash ? 2 : 3;
  if (!maskHasSlash) return (callSuffix == "/M" || callSuffix == "/P") ? 3 : 1;
  return callSuffix == maskSuffix ? 3 : 0;
}

bool Decide(int a, int b, bool topLevel) {
  if (a == 1) return topLevel;
  return a == 2 && b == 3;
}

}  // namespace

TCallParser::TCallParser() : table_(std::make_shared<TPrefixList>()) {}

std::string TCallParser::ResolveDataFile(const std::string& name) const {
  std::string result = name;
  if (!name.empty() && !std::filesystem::path(name).is_absolute()) result = programDir_ + name;
  for (std::size_t p; (p = result.find("\\\\")) != std::string::npos;) result.erase(p, 1);
  return result;
}

void TCallParser::SetPrefixFile(const std::string& name) {
  prefixFile_ = name;
  lastLoadError_.clear();
  auto table = std::make_shared<TPrefixList>();
  try {
    table->Load(ResolveDataFile(name));
    table_ = std::move(table);
  } catch (const std::exception& e) {
    lastLoadError_ = e.what();
    // A file that could not be read leaves the old table; a damaged one replaces it with
    // what was read before the damage.
    if (table->Opened()) table_ = std::move(table);
  }
}

void TCallParser::SharePrefixTable(const TCallParser& other) {
  prefixFile_ = other.prefixFile_;
  lastLoadError_ = other.lastLoadError_;
  table_ = other.table_;
}

void TCallParser::SetCallFile(const std::string& name) {
  callFile_ = name;
  callList_.clear();
  auto bytes = ReadWholeFile(ResolveDataFile(name));
  if (!bytes) return;
  std::size_t pos = 0;
  const std::string& t = *bytes;
  while (pos < t.size()) {
    std::size_t end = t.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = t.size();
    if (end > pos) callList_.emplace_back(t.substr(pos, end - pos));
    pos = end + 1;
  }
}

void TCallParser::ParseCall(const std::string& text) {
  ++queries_;
  call_ = text;
  hitList_.clear();
  hits_.clear();
  if (NormaliseCall()) FindHits();
}

bool TCallParser::NormaliseCall() {
  // 1. trimmed, upper case, no blanks inside
  std::string s;
  s.reserve(call_.size());
  for (char ch : Trim(call_)) {
    if (ch == ' ') continue;
    s.push_back(ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch);
  }
  // 2. the call file overrides everything
  for (const auto& line : callList_) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || eq + 1 >= line.size()) continue;
    if (!EqualsNoCase(std::string_view(line).substr(0, eq), s)) continue;
    std::string value = line.substr(eq + 1);
    const bool digits = std::all_of(value.begin(), value.end(), IsDigit);
    call_ = digits ? "ADIF" + value : value;
    return true;
  }
  // 3. maritime mobile has no entity; Antarctic stations are entity 13 whatever the call
  if (EndsWith(call_, "/MM")) return false;
  if (EndsWith(call_, "/ANT")) {
    call_ = "ADIF013";
    return true;
  }
  // 4.-6.
  if (s.size() < 2 || s[0] == '/' || s.find("//") != std::string::npos) return false;
  if (s.back() == '/') s.pop_back();
  for (char ch : s)
    if (ch != '/' && !IsDigit(ch) && !IsUpper(ch)) return false;
  // 7.-9. parts, suffix words removed from the second part on
  std::vector<std::string_view> parts;
  {
    std::string_view v = s;
    for (;;) {
      const std::size_t slash = v.find('/');
      parts.push_back(v.substr(0, slash));
      if (slash == std::string_view::npos) break;
      v.remove_prefix(slash + 1);
    }
  }
  for (std::size_t i = parts.size() - 1; i >= 1; --i)
    if (IsSuffixWord(parts[i])) parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(i));
  if (parts.size() > 3) return false;
  std::string p1(parts[0]);
  std::string p2(parts.size() > 1 ? parts[1] : std::string_view());
  std::string p3(parts.size() > 2 ? parts[2] : std::string_view());
  if (p3.size() > 1) return false;
  // 10. Malpelo and Glorioso keep their whole form
  if ((StartsWith(p1, "HK") && p2 == "0M") || (StartsWith(p1, "FR") && p2 == "G")) {
    call_ = p1 + "/" + p2;
    return true;
  }
  // 11. a call-area digit replaces the one in the prefix
  if (p2.size() == 1 && IsDigit(p2[0])) {
    if (!p3.empty() && IsDigit(p3[0])) return false;
    if (DigitAt(p1, 1) && OneOf(kCallAreaLetters, p1[0]))
      p1.resize(1);
    else if (DigitAt(p1, 2))
      p1.resize(2);
    else if (DigitAt(p1, 3))
      p1.resize(3);
    else
      return false;
    p1 += p2;
    p2.clear();
  }
  // 12. single-letter prefixes get their zero
  if (p1.size() == 1 && OneOf(kOneLetterPrefixes, p1[0]))
    p1 += '0';
  else if (p2.size() == 1 && p3.size() == 1 && OneOf(kOneLetterPrefixes, p2[0]))
    p2 += '0';
  else if (p2.size() == 1 && OneOf(kOneLetterSecondParts, p2[0]))
    p2 += '0';
  // 13.-15.
  const std::string& main = (p2.size() >= 2 && p2.size() < p1.size()) ? p2 : p1;
  if (main.size() < 2) return false;
  std::string other;
  if (p2.size() == 1) {
    if (!p3.empty()) return false;
    other = p2;
  } else {
    other = p3;
  }
  call_ = other.empty() ? main : main + "/" + other;
  return true;
}

TPrefixData TCallParser::FindEntity(int n) const {
  for (const auto& e : table_->Entries()) {
    if (e.Kind != 1) continue;
    int v = 0;
    if (!ParseInt(e.Data.EntityNumber, v))
      throw ConvertError("'" + e.Data.EntityNumber + "' is not a valid integer value");
    if (v == n) return e.Data;
  }
  TPrefixData none;
  none.Longitude = 0;
  none.Latitude = 0;
  return none;
}

int TCallParser::ComparePrefixPart(std::string_view call, std::string_view mask) {
  const std::string_view c = call.substr(0, call.find('/'));
  std::string m(mask.substr(0, mask.find('/')));
  if (c.empty() || m.empty()) return 0;
  for (char ch : c) {
    if (m.empty()) return 2;
    if (TPrefixList::ExpandElement(m).find(ch) == std::string::npos) return 0;
  }
  return RestOfMask(m, c.back());
}

int TCallParser::CompareSuffixPart(std::string_view call, std::string_view mask) {
  const std::size_t cs = call.find('/'), ms = mask.find('/');
  return CompareSuffixParts(cs != std::string_view::npos,
                            cs == std::string_view::npos ? std::string_view() : call.substr(cs),
                            ms != std::string_view::npos,
                            ms == std::string_view::npos ? std::string_view() : mask.substr(ms));
}

bool TCallParser::MatchRecord(const TPrefixEntry& r, bool topLevel) const {
  const std::size_t slash = call_.find('/');
  const std::string_view call = call_;
  return MatchCompiled(r.Index, topLevel, call.substr(0, slash),
                       slash == std::string::npos ? std::string_view() : call.substr(slash),
                       slash != std::string::npos);
}

bool TCallParser::MatchCompiled(int record, bool topLevel, std::string_view prefixPart,
                                std::string_view suffixPart, bool callHasSlash) const {
  const TPrefixEntry& r = table_->Entries()[record];
  if (topLevel) {
    if (r.Kind != 1 && r.Kind != 2 && r.Kind != 3 && r.Kind != 6 && r.Kind != 9) return false;
  } else if (r.Kind != 2 && r.Kind != 3 && r.Kind != 9) {
    return false;
  }
  if (!table_->Indexed()) return false;
  const auto* elements = table_->PatternElements().data();
  auto [mb, me] = table_->MasksOf(record);
  // Whether any mask matches does not depend on their order, so a record with many masks
  // tries only those that admit the call's first two characters.
  const std::uint32_t *kb, *ke;
  if (prefixPart.size() >= 2 && table_->MasksInCell(record, prefixPart[0], prefixPart[1], kb, ke)) {
    for (; kb != ke; ++kb) {
      const auto* m = mb + *kb;
      const int a = ComparePrefixCompiled(prefixPart, *m, elements);
      if (a == 0) continue;
      const int b = CompareSuffixParts(callHasSlash, suffixPart, m->HasSlash, m->Suffix());
      if (Decide(a, b, topLevel)) return true;
    }
    return false;
  }
  for (auto* m = mb; m != me; ++m) {
    const int a = ComparePrefixCompiled(prefixPart, *m, elements);
    if (a == 0) continue;
    const int b = CompareSuffixParts(callHasSlash, suffixPart, m->HasSlash, m->Suffix());
    if (Decide(a, b, topLevel)) return true;
  }
  return false;
}

void TCallParser::AddHit(const TPrefixEntry& r, std::int32_t parent) {
  hits_.push_back(Hit{&r, parent, false, {}});
}

void TCallParser::Descend(const TPrefixEntry& r, std::int32_t hit, std::string_view prefixPart,
                          std::string_view suffixPart, bool callHasSlash) {
  for (std::int32_t child : r.Children) {
    if (!MatchCompiled(child, false, prefixPart, suffixPart, callHasSlash)) continue;
    const auto& c = table_->Entries()[child];
    AddHit(c, hit);
    Descend(c, static_cast<std::int32_t>(hits_.size()) - 1, prefixPart, suffixPart, callHasSlash);
  }
}

void TCallParser::FindHits() {
  hits_.clear();
  hitList_.clear();
  if (StartsWith(call_, "ADIF")) {
    int n = 0;
    if (ParseInt(std::string_view(call_).substr(4), n) && n != 0) {
      hitList_.push_back(FindEntity(n));
      return;
    }
  }
  if (call_.size() < 2) return;
  const PPrefixArray& cell = table_->Cell(call_[0], call_[1]);
  if (cell.empty()) return;

  const std::string_view call = call_;
  const std::size_t slash = call.find('/');
  const std::string_view c = call.substr(0, slash);
  const std::string_view suffix = slash == std::string_view::npos ? std::string_view() : call.substr(slash);
  const bool hasSlash = slash != std::string_view::npos;

  // Only records that a mask can admit are tried: those with pattern masks in this cell
  // and those whose literal masks start the callsign or are started by it. Trying them
  // in file order keeps the hits exactly as a walk over the whole cell would give them.
  candidates_.clear();
  const auto& patterns = table_->PatternCell(call_[0], call_[1]);
  candidates_.insert(candidates_.end(), patterns.begin(), patterns.end());
  const std::uint64_t lengths = table_->LiteralLengths(call_[0], call_[1]);
  for (std::size_t k = 1; k <= c.size(); ++k) {
    if ((lengths & (1ull << (k < 63 ? k : 63))) == 0) continue;
    std::size_t count = 0;
    const std::int32_t* recs = table_->LiteralExact(c.substr(0, k), count);
    candidates_.insert(candidates_.end(), recs, recs + count);
  }
  table_->LiteralLonger(c, candidates_);
  if (candidates_.size() > 1) {
    std::sort(candidates_.begin(), candidates_.end());
    candidates_.erase(std::unique(candidates_.begin(), candidates_.end()), candidates_.end());
  }
  const auto& entries = table_->Entries();
  for (std::int32_t r : candidates_) {
    const TPrefixEntry* e = &entries[r];
    if (!std::binary_search(cell.begin(), cell.end(), e, std::less<const TPrefixEntry*>())) continue;
    if (!MatchCompiled(r, true, c, suffix, hasSlash)) continue;
    AddHit(*e, -1);
    Descend(*e, static_cast<std::int32_t>(hits_.size()) - 1, c, suffix, hasSlash);
  }
  BuildHitList();
}

void TCallParser::MergeHit(TPrefixData& row, const TPrefixData& hit, int kind,
                           const std::vector<std::string>& hitExtraNames) {
  switch (kind) {
    case 1:
    case 6:
      row.Name = hit.Name;
      break;
    case 2:
      row.Regions = row.Regions.empty() ? hit.Name : hit.Name + ", " + row.Regions;
      break;
    case 3:
      if (hit.HasCoordinates()) row.SubArea = hit.Name;
      break;
    case 9:
      row.SubArea = hit.Name;
      break;
    default:
      break;
  }
  if (row.Longitude == NoValue) {
    row.Longitude = hit.Longitude;
    row.Latitude = hit.Latitude;
  }
  if (hit.HasCoordinates()) {
    auto take = [](std::string& to, const std::string& from) {
      if (to.empty()) to = from;
    };
    take(row.Prefix, hit.Prefix);
    take(row.Text5, hit.Text5);
    take(row.Text6, hit.Text6);
    take(row.Text7, hit.Text7);
    take(row.Text8, hit.Text8);
    take(row.EntityNumber, hit.EntityNumber);
    take(row.Text10, hit.Text10);
  }
  row.ExtraNames.insert(row.ExtraNames.end(), hitExtraNames.begin(), hitExtraNames.end());
}

void TCallParser::BuildHitList() {
  for (std::size_t i = hits_.size(); i-- > 0;) {
    Hit& h = hits_[i];
    if (h.Record->Data.HasCoordinates()) continue;
    h.Merged = true;
    if (h.Parent >= 0) hits_[h.Parent].ExtraNames.push_back(h.Record->Data.Name);
  }
  for (std::size_t i = hits_.size(); i-- > 0;) {
    if (hits_[i].Merged) continue;
    TPrefixData row;
    for (std::int32_t j = static_cast<std::int32_t>(i); j >= 0; j = hits_[j].Parent) {
      MergeHit(row, hits_[j].Record->Data, hits_[j].Record->Kind, hits_[j].ExtraNames);
      hits_[j].Merged = true;
    }
    hitList_.push_back(std::move(row));
  }
  hits_.clear();
  KeepOneRowPerEntity(hitList_);
}

// GO4ONL/P is listed under England as it stands, GO4ONL under Northern Ireland, and G
// is England's prefix: England once, first, then Northern Ireland.
void KeepOneRowPerEntity(THitList& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TPrefixData& kept = rows[i];
    if (kept.EntityNumber.empty()) continue;
    rows.erase(std::remove_if(rows.begin() + static_cast<std::ptrdiff_t>(i) + 1, rows.end(),
                              [&kept](const TPrefixData& r) {
                                return r.EntityNumber == kept.EntityNumber && r.Name == kept.Name;
                              }),
               rows.end());
  }
}

}  // namespace varnak
