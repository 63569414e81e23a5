#include "callsign/prefix_list.h"

#include <algorithm>
#include <charconv>

#include "core/atomic_file.h"
#include "core/text.h"

namespace varnak {

namespace {

constexpr std::size_t kGrowStep = 500;
constexpr int kCells = 36 * 36;

// Field 0 packs kind and level as two hex digits each, e.g. "0102" or "L0102".
int HexPair(std::string_view s, std::size_t pos) {
  if (pos >= s.size()) return 0;
  std::string_view v = s.substr(pos, 2);
  if (v.empty() || v[0] == '-') return 0;
  int value = 0;
  auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), value, 16);
  if (ec != std::errc() || ptr != v.data() + v.size()) return 0;
  return value;
}

std::int32_t CoordinateField(std::string_view s) {
  int v = 0;
  return ParseInt(s, v) ? v : NoValue;
}

bool LoadedKind(int kind) { return kind == 1 || kind == 2 || kind == 3 || kind == 6 || kind == 9; }

// Mask list of field 13: items separated by commas or blanks, an item may be quoted
// ("a doubled "" inside quotes is one quote). Empty items admit nothing and are dropped.
void SplitMasks(std::string_view s, std::string& pool,
                std::vector<std::pair<std::uint32_t, std::uint32_t>>& items) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    while (i < n && (static_cast<unsigned char>(s[i]) <= ' ' || s[i] == ',')) ++i;
    if (i >= n) break;
    const auto start = static_cast<std::uint32_t>(pool.size());
    if (s[i] == '"') {
      ++i;
      while (i < n) {
        if (s[i] == '"') {
          if (i + 1 < n && s[i + 1] == '"') {
            pool.push_back('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        pool.push_back(s[i++]);
      }
    } else {
      while (i < n && static_cast<unsigned char>(s[i]) > ' ' && s[i] != ',') pool.push_back(s[i++]);
    }
    const auto len = static_cast<std::uint32_t>(pool.size()) - start;
    if (len > 0) items.emplace_back(start, len);
  }
}

std::uint64_t TextHash(std::string_view s) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return h ^ (h >> 29);
}

std::uint64_t LengthBit(std::size_t n) { return 1ull << (n < 63 ? n : 63); }

}  // namespace

const std::array<std::int8_t, 256> TPrefixList::kAlphaIndex = [] {
  std::array<std::int8_t, 256> a{};
  a.fill(-1);
  for (std::size_t i = 0; i < PrefixAlphabet.size(); ++i)
    a[static_cast<unsigned char>(PrefixAlphabet[i])] = static_cast<std::int8_t>(i);
  return a;
}();

TPrefixList::TPrefixList() = default;

void TPrefixList::Clear() {
  entries_.clear();
  for (auto& c : cells_) c.clear();
  for (auto& c : patternCells_) c.clear();
  indexed_ = false;
  opened_ = false;
  maskPool_.clear();
  maskItems_.clear();
  maskRange_.clear();
  masks_.clear();
  elements_.clear();
  maskCells_.clear();
  maskCellMasks_.clear();
  maskCellRange_.clear();
  literals_.clear();
  literalSlots_.clear();
  literalLengths_.fill(0);
  literalRecords_.clear();
}

void TPrefixList::Load(const std::string& path) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) throw PrefixFileError("Cannot open file \"" + path + "\"");
  Clear();
  opened_ = true;
  const std::string& text = *bytes;
  // Growing in steps of 500 moves the whole table each time; sizing the storage from the
  // line count up front (in whole steps) keeps loading linear.
  // A record line holds at least 13 "|".
  const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  const auto bars = static_cast<std::size_t>(std::count(text.begin(), text.end(), '|'));
  entries_.reserve((std::min(lines, bars / 13) / kGrowStep + 1) * kGrowStep);
  maskRange_.reserve(entries_.capacity());

  std::vector<std::string_view> fields;
  std::size_t pos = 0, lineNo = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + pos, end - pos);
    pos = end;
    if (pos < text.size()) {
      if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
      ++pos;
    }
    if (++lineNo <= 3) continue;

    fields.clear();
    std::size_t start = 0;
    for (;;) {
      std::size_t bar = line.find('|', start);
      if (bar == std::string_view::npos) {
        if (start < line.size() || fields.empty()) fields.push_back(line.substr(start));
        break;
      }
      fields.push_back(line.substr(start, bar - start));
      start = bar + 1;
      if (start == line.size()) break;  // an empty field after a final "|" does not count
    }
    if (fields.size() <= 3) continue;

    std::string_view f0 = fields[0];
    if (!f0.empty() && (f0[0] == '-' || f0[0] == 'L' || f0[0] == 'M')) f0.remove_prefix(1);
    const int kind = HexPair(f0, 0);
    const int level = HexPair(f0, 2);
    if (!LoadedKind(kind)) continue;
    if (fields.size() < 14) {
      entries_.shrink_to_fit();
      throw PrefixFileError("Line " + std::to_string(lineNo) + " of \"" + path + "\" has only " +
                            std::to_string(fields.size()) + " fields");
    }

    if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() + kGrowStep);
    TPrefixEntry& e = entries_.emplace_back();
    e.Index = static_cast<std::int32_t>(entries_.size() - 1);
    e.Kind = static_cast<std::uint8_t>(kind);
    e.Level = level;
    e.Data.Longitude = CoordinateField(fields[1]);
    e.Data.Latitude = CoordinateField(fields[2]);
    e.Data.Name = fields[3];
    e.Data.Prefix = fields[4];
    e.Data.Text5 = fields[5];
    e.Data.Text6 = fields[6];
    e.Data.Text7 = fields[7];
    e.Data.Text8 = fields[8];
    e.Data.EntityNumber = fields[9];
    e.Data.Text10 = fields[10];
    e.Masks = fields[13];

    const auto first = static_cast<std::uint32_t>(maskItems_.size());
    SplitMasks(fields[13], maskPool_, maskItems_);
    maskRange_.emplace_back(first, static_cast<std::uint32_t>(maskItems_.size()) - first);
  }
  if (entries_.capacity() - entries_.size() > kGrowStep) entries_.shrink_to_fit();
  BuildTree();
  CompileMasks();
  BuildIndex();
  indexed_ = true;
}

void TPrefixList::BuildTree() {
  // Nearest earlier record of smaller level, found with a stack of rising levels.
  std::vector<std::int32_t> stack;
  for (auto& e : entries_) {
    while (!stack.empty() && entries_[stack.back()].Level >= e.Level) stack.pop_back();
    e.Parent = (e.Level == 0 || stack.empty()) ? -1 : stack.back();
    if (e.Parent >= 0) entries_[e.Parent].Children.push_back(e.Index);
    stack.push_back(e.Index);
  }
}

std::string TPrefixList::ExpandElement(std::string& mask) {
  if (mask.empty()) return {};
  const char c = mask[0];
  if (c == '#') {
    mask.erase(0, 1);
    return "0123456789";
  }
  if (c == '@') {
    mask.erase(0, 1);
    return "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  }
  if (c == '?') {
    mask.erase(0, 1);
    return std::string(PrefixAlphabet);
  }
  if (c != '[') {
    mask.erase(0, 1);
    return std::string(1, c);
  }
  // An unclosed list runs to the end of the mask.
  std::size_t close = mask.find(']', 1);
  std::string list = mask.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  mask.erase(0, close == std::string::npos ? mask.size() : close + 1);
  for (std::size_t i = list.size() >= 2 ? list.size() - 2 : 0; i >= 1 && i < list.size(); --i) {
    if (list[i] != '-') continue;
    const auto lo = static_cast<unsigned char>(list[i - 1]);
    const auto hi = static_cast<unsigned char>(list[i + 1]);
    std::string between;
    for (unsigned v = lo + 1u; v < hi; ++v) between.push_back(static_cast<char>(v));
    list.replace(i, 1, between);
  }
  std::sort(list.begin(), list.end(),
            [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
  list.erase(std::unique(list.begin(), list.end()), list.end());
  return list;
}

void TPrefixList::CompileMasks() {
  masks_.resize(maskItems_.size());
  for (std::size_t i = 0; i < maskItems_.size(); ++i) {
    CompiledMask& m = masks_[i];
    const std::string_view text = std::string_view(maskPool_).substr(maskItems_[i].first, maskItems_[i].second);
    const std::size_t slash = text.find('/');
    m.Start = text.data();
    m.TextSize = static_cast<std::uint32_t>(text.size());
    m.HasSlash = slash != std::string_view::npos;
    m.PrefixSize = static_cast<std::uint32_t>(m.HasSlash ? slash : text.size());
    m.Literal = m.Prefix().find_first_of("#@?[") == std::string_view::npos;
    if (m.Literal) continue;
    m.FirstElement = static_cast<std::uint32_t>(elements_.size());
    std::string rest(m.Prefix());
    while (!rest.empty()) {
      PatternElement el;
      for (char ch : ExpandElement(rest)) el.Admits.set(static_cast<unsigned char>(ch));
      el.End = static_cast<std::uint32_t>(m.PrefixSize - rest.size());
      elements_.push_back(el);
    }
    m.ElementCount = static_cast<std::uint32_t>(elements_.size()) - m.FirstElement;
  }
  // A record with many masks gets its masks listed by the first two callsign
  // characters they admit, so that a query tries only the few that can match.
  constexpr std::uint32_t kManyMasks = 8;
  maskCellRange_.assign(maskRange_.size(), {0, 0});
  std::vector<MaskCell> cells;
  for (std::size_t r = 0; r < maskRange_.size(); ++r) {
    const auto [first, count] = maskRange_[r];
    if (count <= kManyMasks) continue;
    cells.clear();
    for (std::uint32_t k = 0; k < count; ++k) {
      std::string rest(masks_[first + k].Prefix());
      const std::string a = ExpandElement(rest);
      const std::string b = rest.empty() ? std::string(PrefixAlphabet) : ExpandElement(rest);
      for (char x : a)
        for (char y : b)
          if (AlphabetIndex(x) >= 0 && AlphabetIndex(y) >= 0)
            cells.push_back({static_cast<std::uint16_t>(AlphabetIndex(x) * 36 + AlphabetIndex(y)), k});
    }
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end(),
                            [](const MaskCell& p, const MaskCell& q) { return p.Cell == q.Cell && p.Mask == q.Mask; }),
                cells.end());
    maskCellRange_[r] = {static_cast<std::uint32_t>(maskCells_.size()), static_cast<std::uint32_t>(cells.size())};
    maskCells_.insert(maskCells_.end(), cells.begin(), cells.end());
  }
  maskCellMasks_.reserve(maskCells_.size());
  for (const auto& c : maskCells_) maskCellMasks_.push_back(c.Mask);
  maskItems_ = {};  // the compiled masks say it all now
}

bool TPrefixList::MasksInCell(int i, char c1, char c2, const std::uint32_t*& begin,
                              const std::uint32_t*& end) const {
  const int a = AlphabetIndex(c1), b = AlphabetIndex(c2);
  if (a < 0 || b < 0 || i < 0 || static_cast<std::size_t>(i) >= maskCellRange_.size()) return false;
  const auto [first, count] = maskCellRange_[i];
  if (count == 0) return false;
  const auto cell = static_cast<std::uint16_t>(a * 36 + b);
  const MaskCell* lo = maskCells_.data() + first;
  const MaskCell* hi = lo + count;
  auto [from, to] = std::equal_range(lo, hi, MaskCell{cell, 0},
                                     [](const MaskCell& p, const MaskCell& q) { return p.Cell < q.Cell; });
  begin = maskCellMasks_.data() + (from - maskCells_.data());
  end = maskCellMasks_.data() + (to - maskCells_.data());
  return true;
}

void TPrefixList::BuildIndex() {
  for (const auto& e : entries_) {
    if (e.Kind != 1 && e.Kind != 6) continue;
    auto [mb, me] = MasksOf(e.Index);
    bool hasPattern = false;
    for (auto* m = mb; m != me; ++m) {
      if (!m->Literal) hasPattern = true;
      std::string rest(m->Text());
      const std::string first = ExpandElement(rest);
      const std::string second = rest.empty() ? std::string(PrefixAlphabet) : ExpandElement(rest);
      for (char a : first) {
        const int ia = AlphabetIndex(a);
        if (ia < 0) continue;
        for (char b : second) {
          const int ib = AlphabetIndex(b);
          if (ib < 0) continue;
          auto& cell = cells_[ia * 36 + ib];
          if (cell.empty() || cell.back() != &e) cell.push_back(&e);
        }
      }
      if (const std::string_view prefix = m->Prefix(); m->Literal && !prefix.empty()) {
        literals_.emplace_back(prefix, e.Index);
        const int ia = AlphabetIndex(prefix[0]);
        const int ib = prefix.size() > 1 ? AlphabetIndex(prefix[1]) : -2;
        if (ia >= 0 && ib == -2) {
          for (int b = 0; b < 36; ++b) literalLengths_[ia * 36 + b] |= LengthBit(1);
        } else if (ia >= 0 && ib >= 0) {
          literalLengths_[ia * 36 + ib] |= LengthBit(prefix.size());
        }
      }
    }
    if (hasPattern) {
      for (int c = 0; c < kCells; ++c)
        if (!cells_[c].empty() && cells_[c].back() == &e) patternCells_[c].push_back(e.Index);
    }
  }
  std::sort(literals_.begin(), literals_.end());
  literals_.erase(std::unique(literals_.begin(), literals_.end()), literals_.end());
  literalRecords_.reserve(literals_.size());
  std::size_t slots = 16;
  while (slots < literals_.size() * 2) slots *= 2;
  literalSlots_.assign(slots, LiteralSlot{});
  for (std::size_t i = 0; i < literals_.size();) {
    std::size_t j = i;
    while (j < literals_.size() && literals_[j].first == literals_[i].first) {
      literalRecords_.push_back(literals_[j].second);
      ++j;
    }
    const std::uint64_t h = TextHash(literals_[i].first);
    std::size_t at = h & (slots - 1);
    while (literalSlots_[at].RunCount != 0) at = (at + 1) & (slots - 1);
    literalSlots_[at] = {h, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j - i)};
    i = j;
  }
}

const PPrefixArray& TPrefixList::Cell(char c1, char c2) const {
  static const PPrefixArray kEmpty;
  const int a = AlphabetIndex(c1), b = AlphabetIndex(c2);
  if (a < 0 || b < 0) return kEmpty;
  return cells_[a * 36 + b];
}

const std::vector<std::int32_t>& TPrefixList::PatternCell(char c1, char c2) const {
  static const std::vector<std::int32_t> kEmpty;
  const int a = AlphabetIndex(c1), b = AlphabetIndex(c2);
  if (a < 0 || b < 0) return kEmpty;
  return patternCells_[a * 36 + b];
}

const std::int32_t* TPrefixList::LiteralExact(std::string_view text, std::size_t& count) const {
  count = 0;
  if (literalSlots_.empty()) return nullptr;
  const std::uint64_t h = TextHash(text);
  const std::size_t mask = literalSlots_.size() - 1;
  for (std::size_t at = h & mask;; at = (at + 1) & mask) {
    const LiteralSlot& slot = literalSlots_[at];
    if (slot.RunCount == 0) return nullptr;
    if (slot.Hash == h && literals_[slot.RunStart].first == text) {
      count = slot.RunCount;
      return literalRecords_.data() + slot.RunStart;
    }
  }
}

std::uint64_t TPrefixList::LiteralLengths(char c1, char c2) const {
  const int a = AlphabetIndex(c1), b = AlphabetIndex(c2);
  if (a < 0 || b < 0) return 0;
  return literalLengths_[a * 36 + b];
}

void TPrefixList::LiteralLonger(std::string_view text, std::vector<std::int32_t>& out) const {
  auto it = std::lower_bound(literals_.begin(), literals_.end(), text,
                             [](const auto& e, std::string_view t) { return e.first < t; });
  for (; it != literals_.end() && it->first.substr(0, text.size()) == text; ++it)
    if (it->first.size() > text.size()) out.push_back(it->second);
}

std::size_t TPrefixList::MemoryBytes() const {
  auto str = [](const std::string& s) { return s.capacity() > 15 ? s.capacity() + 1 : 0; };
  std::size_t n = entries_.capacity() * sizeof(TPrefixEntry);
  for (const auto& e : entries_) {
    const auto& d = e.Data;
    n += str(d.Name) + str(d.Prefix) + str(d.Text5) + str(d.Text6) + str(d.Text7) + str(d.Text8) +
         str(d.EntityNumber) + str(d.Text10) + str(e.Masks) + e.Children.capacity() * sizeof(std::int32_t);
  }
  for (const auto& c : cells_) n += c.capacity() * sizeof(const TPrefixEntry*);
  for (const auto& c : patternCells_) n += c.capacity() * sizeof(std::int32_t);
  n += maskPool_.capacity() + maskItems_.capacity() * 8 + maskRange_.capacity() * 8 +
       masks_.capacity() * sizeof(CompiledMask) + elements_.capacity() * sizeof(PatternElement) +
       literals_.capacity() * sizeof(literals_[0]) + literalRecords_.capacity() * 4 +
       literalSlots_.capacity() * sizeof(LiteralSlot) + maskCells_.capacity() * sizeof(MaskCell) +
       maskCellMasks_.capacity() * 4 + maskCellRange_.capacity() * 8;
  return n;
}

}  // namespace varnak
