#include "app/spot_model.h"

#include <fmt/format.h>

#include <algorithm>

#include "app/spot.h"
#include "core/text.h"

namespace varnak {

namespace {

struct BandBound {
  long long lowestKhz;
  std::string_view band;
};

constexpr std::array<BandBound, 13> kBandTable = {{{1800, "160"},
                                                   {3500, "80"},
                                                   {7000, "40"},
                                                   {10100, "30"},
                                                   {14000, "20"},
                                                   {18068, "17"},
                                                   {21000, "15"},
                                                   {24890, "12"},
                                                   {28000, "10"},
                                                   {50000, "6"},
                                                   {144000, "2"},
                                                   {432000, "70cm"},
                                                   {1240000, "SHF"}}};

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
  });
}

// Blanks up to the byte column; with keepBlank at least one.
void PadTo(std::string& out, size_t column, bool keepBlank = false) {
  if (out.size() < column)
    out.append(column - out.size(), ' ');
  else if (keepBlank)
    out += ' ';
}

}  // namespace

std::string_view BandTextOfKhz(long long khz) {
  // Narrow bands inside the wide steps of the table, which keeps its old limits.
  if (khz >= 5250 && khz <= 5450) return "60";
  if (khz >= 69900 && khz <= 70500) return "4";
  std::string_view band;
  for (const auto& b : kBandTable) {
    if (khz < b.lowestKhz) break;
    band = b.band;
  }
  return band;
}

std::string_view BandOfFrequencyToken(std::string_view token) {
  const size_t dot = token.find('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  // Digits only: a frequency is never signed, and a long run of digits must not overflow.
  long long khz = 0;
  for (size_t i = 0; i < dot; ++i) {
    const char c = token[i];
    if (c < '0' || c > '9') return {};
    if (khz < 100'000'000'000LL) khz = khz * 10 + (c - '0');
  }
  return BandTextOfKhz(khz);
}

std::string_view FrequencyTokenOfSpot(std::string_view line) {
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return {};
  size_t begin = colon + 1;
  while (begin < line.size() && line[begin] == ' ') ++begin;
  size_t end = begin;
  while (end < line.size() && line[end] != ' ') ++end;
  return line.substr(begin, end - begin);
}

std::string_view BandOfSpotLine(std::string_view line) {
  return BandOfFrequencyToken(FrequencyTokenOfSpot(line));
}

int ListIndexOfBand(std::string_view band) {
  for (size_t i = 0; i < kBandTexts.size(); ++i)
    if (kBandTexts[i] == band) return static_cast<int>(i) + 1;
  return kAllList;
}

std::string ReformatShowDx(std::string_view line, bool* reformatted) {
  if (reformatted) *reformatted = false;
  std::string data = Trim(line);
  const size_t dot = data.find('.');
  int ignored = 0;
  if (dot == std::string::npos || !ParseInt(std::string_view(data).substr(0, dot), ignored) ||
      data.empty() || data.back() != '>')
    return data;

  // Any listing line that does not have every part is passed on as it came.
  // DX Spider writes one blank before the call, other nodes two:
  //   "  14195.0 K1BAD        8-Dec-2026 0146Z live spot            <Q2XYZ>"
  std::string_view rest = data;
  size_t blank = rest.find(' ');
  if (blank == std::string_view::npos) return data;
  const std::string_view freq = rest.substr(0, blank);
  rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(' ', blank)));

  blank = rest.find(' ');
  if (blank == std::string_view::npos) return data;
  const std::string_view dxCall = rest.substr(0, blank);
  rest.remove_prefix(blank + 1);
  const std::string trimmed = Trim(rest);
  rest = trimmed;

  blank = rest.find(' ');
  if (blank == std::string_view::npos) return data;
  std::string_view date = rest.substr(0, blank);
  const size_t dash = date.rfind('-');
  if (dash == std::string_view::npos) return data;
  date = date.substr(0, dash);
  rest.remove_prefix(blank + 1);

  const std::string_view time = rest.substr(0, std::min<size_t>(5, rest.size()));
  rest.remove_prefix(std::min<size_t>(6, rest.size()));

  const size_t lt = rest.rfind('<');
  if (lt == std::string_view::npos) return data;
  const std::string comment = Trim(rest.substr(0, lt));
  rest.remove_prefix(lt + 1);

  const size_t gt = rest.find('>');
  if (gt == std::string_view::npos) return data;
  const std::string spotter = std::string(rest.substr(0, gt)) + ":";

  if (reformatted) *reformatted = true;
  // Columns count bytes, as the files and the fixed-pitch views have them ({fmt} would
  // count UTF-8 letters as one). A call or comment that fills its column keeps a blank
  // after it, so the time stays a word of its own.
  std::string out = "DX de ";
  out.reserve(80 + comment.size());
  out += spotter;
  PadTo(out, 6 + 7);
  out.append(freq.size() < 11 ? 11 - freq.size() : 0, ' ');
  out += freq;
  out += "  ";
  const size_t callColumn = out.size();
  out += dxCall;
  PadTo(out, callColumn + 13, true);
  const size_t commentColumn = out.size();
  out += comment;
  PadTo(out, commentColumn + 31, true);
  out += time;
  out += '|';
  out += date;
  return out;
}

void SpotHistory::Reset() {
  slots_.fill(std::string(1, '\x01'));
  hashes_.fill(std::hash<std::string>{}(slots_[0]));
  oldest_ = 0;
}

bool SpotHistory::Test(std::string_view line) { return TestKey(SpotHistoryKeyOfLine(line)); }

bool SpotHistory::TestKey(std::string key) {
  const size_t hash = std::hash<std::string>{}(key);
  bool isNew = true;
  for (size_t i = 0; i < kSlots && isNew; ++i) isNew = hashes_[i] != hash || slots_[i] != key;
  hashes_[oldest_] = hash;
  slots_[oldest_] = std::move(key);
  oldest_ = (oldest_ + 1) % kSlots;
  return isNew;
}

std::vector<std::string> SpotHistory::Slots() const {
  std::vector<std::string> out;
  out.reserve(kSlots);
  for (size_t i = 0; i < kSlots; ++i) out.push_back(slots_[(oldest_ + i) % kSlots]);
  return out;
}

void ConvertDosLetters(std::string& text) {
  for (char& c : text) {
    switch (static_cast<unsigned char>(c)) {
      case 0x81: c = '\xFC'; break;
      case 0x84: c = '\xE4'; break;
      case 0x86: c = '\xE5'; break;
      case 0x8E: c = '\xC4'; break;
      case 0x8F: c = '\xC5'; break;
      case 0x91: c = '\xE6'; break;
      case 0x92: c = '\xC6'; break;
      case 0x94: c = '\xF6'; break;
      case 0x99: c = '\xD6'; break;
      case 0x9A: c = '\xDC'; break;
      case 0x9B: c = '\xF8'; break;
      case 0x9D: c = '\xD8'; break;
      default: break;
    }
  }
}

std::string TalkLineText(const DateTime& now, std::string_view text) {
  std::string out = fmt::format("[{:02d}-{:02d} {:02d}:{:02d}] ", now.month, now.day, now.hour, now.minute);
  out.append(text);
  return out;
}

std::string LongTimeText(const DateTime& now) {
  return fmt::format("{:02d}:{:02d}:{:02d}", now.hour, now.minute, now.second);
}

void KeepLastRows(std::vector<std::string>& rows, size_t n) {
  if (rows.size() <= n) return;
  rows.erase(rows.begin(), rows.end() - static_cast<std::ptrdiff_t>(n));
}

void UserList::Clear() { rows_ = {std::string(kHeader), std::string()}; }

bool UserList::Add(std::string_view name) {
  const std::string n = Trim(name);
  if (n.empty() || std::find(rows_.begin(), rows_.end(), n) != rows_.end()) return false;
  if (rows_.size() > 1 && rows_[1].empty())
    rows_[1] = n;
  else
    rows_.push_back(n);
  std::stable_sort(rows_.begin() + 1, rows_.end(), LessNoCase);
  return true;
}

bool UserList::Remove(std::string_view name) {
  const auto before = rows_.size();
  // The header is not a user, whatever a node calls itself.
  rows_.erase(std::remove(rows_.begin() + 1, rows_.end(), name), rows_.end());
  return rows_.size() != before;
}

std::vector<std::string> SearchRows(const std::vector<std::string>& rows, std::string_view text) {
  std::string needle(text);
  for (char& c : needle) c = UpperAscii(c);
  std::vector<std::string> found;
  std::string upper;
  for (const auto& row : rows) {
    upper = row;
    for (char& c : upper) c = UpperAscii(c);
    if (upper.find(needle) != std::string::npos) found.push_back(row);
  }
  if (found.empty()) {
    std::string missing = "\"";
    missing.append(text);
    missing.append("\" not found!");
    found.push_back(std::move(missing));
  }
  return found;
}

}  // namespace varnak
