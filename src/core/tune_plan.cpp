#include "core/tune_plan.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace varnak {

namespace {
using enum RigMode;

// The FT8 and FT4 dial frequencies (kHz) of WSJT-X's defaults, 160 m to 6 m.
constexpr double kFtDials[] = {1840,  3573,  3575,  5357,  7047.5, 7074,  10136, 10140, 14074, 14080,
                               18100, 18104, 21074, 21140, 24915,  24919, 28074, 28180, 50313, 50318};
constexpr double kFtReachKhz = 2;

struct BandEdges {
  double lowKhz, highKhz;
};
// The amateur bands as wide as any region has them: a split stays on one of them.
constexpr BandEdges kBands[] = {{1800, 2000},     {3500, 4000},     {5250, 5450},    {7000, 7300},
                                {10100, 10150},   {14000, 14350},   {18068, 18168},  {21000, 21450},
                                {24890, 24990},   {28000, 29700},   {50000, 54000},  {70000, 71000},
                                {144000, 148000}, {420000, 450000}, {1240000, 1300000}};
constexpr BandEdges k60m = kBands[2];
constexpr double kMaxSplitKhz = 50;

const BandEdges* BandOf(double kHz) {
  for (const BandEdges& b : kBands)
    if (kHz >= b.lowKhz && kHz <= b.highKhz) return &b;
  return nullptr;
}

bool IsAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

// The comment cut at blanks and punctuation, upper case; keep marks the characters that
// stay inside a word besides letters and digits.
std::vector<std::string> Words(std::string_view comment, std::string_view keep) {
  std::vector<std::string> words;
  const std::string text = Upper(comment);
  for (size_t i = 0; i < text.size();) {
    auto inWord = [&](char c) { return IsAlnum(c) || keep.find(c) != std::string_view::npos; };
    while (i < text.size() && !inWord(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && inWord(text[i])) ++i;
    size_t end = i;
    while (end > start && !IsAlnum(text[end - 1])) --end;  // "UP." ends a sentence
    if (end > start) words.push_back(text.substr(start, end - start));
  }
  return words;
}

bool StemAndDigits(std::string_view word, std::string_view stem) {
  if (word.substr(0, stem.size()) != stem) return false;
  for (char c : word.substr(stem.size()))
    if (!IsDigit(c)) return false;
  return true;
}

std::optional<RigMode> ModeOfWord(std::string_view w, double kHz) {
  static constexpr std::string_view kData[] = {"FT8", "FT4", "FT", "JS8", "JS8CALL", "OLIVIA", "DIGI",
                                               "JT65", "JT9", "Q65", "FST4", "MSK144"};
  static constexpr std::string_view kDataStems[] = {"PSK", "BPSK", "QPSK", "MFSK"};
  for (std::string_view d : kData)
    if (w == d) return DIG;
  for (std::string_view d : kDataStems)
    if (StemAndDigits(w, d)) return DIG;
  if (w == "RTTY") return RTTY;
  if (w == "CW") return CW;
  if (w == "USB") return USB;
  if (w == "LSB") return LSB;
  if (w == "AM") return AM;
  if (w == "FM") return FM;
  if (w == "SSB") return kHz >= 10000 || (kHz >= k60m.lowKhz && kHz <= k60m.highKhz) ? USB : LSB;
  return std::nullopt;
}

// A number such as "5", "1.5", "14.195", "1-3" or "5/10" (the low end), optionally
// ending in "K" or "KHZ"; mhz is set when it ends in "MHZ".
std::optional<double> NumberOf(std::string_view word, bool& mhz) {
  size_t i = 0;
  while (i < word.size() && (IsDigit(word[i]) || word[i] == '.')) ++i;
  if (i == 0 || word.substr(0, i).find_first_of("0123456789") == std::string_view::npos) return std::nullopt;
  if (word.substr(0, i).find('.') != word.substr(0, i).rfind('.')) return std::nullopt;
  std::string_view rest = word.substr(i);
  if (!rest.empty() && (rest[0] == '-' || rest[0] == '/')) {
    size_t j = 1;
    while (j < rest.size() && (IsDigit(rest[j]) || rest[j] == '.')) ++j;
    if (j == 1) return std::nullopt;
    rest = rest.substr(j);
  }
  mhz = rest == "MHZ";
  if (!rest.empty() && rest != "K" && rest != "KHZ" && !mhz) return std::nullopt;
  double value = 0;
  if (std::from_chars(word.data(), word.data() + i, value).ptr != word.data() + i) return std::nullopt;
  return value;
}

// The listening frequency (kHz) of "QSX f": kHz, MHz, or the last three kHz digits.
std::optional<double> QsxKhz(double spotKhz, double value, bool hasDot) {
  if (value >= 1000) return BandOf(value) ? std::optional(value) : std::nullopt;
  if (hasDot && BandOf(value * 1000)) return value * 1000;
  const BandEdges* band = BandOf(spotKhz);
  const double khz = std::floor(spotKhz / 1000) * 1000 + value;
  if (band && khz >= band->lowKhz && khz <= band->highKhz) return khz;
  return std::nullopt;
}

// The split of words[i] and what follows it, in kHz, if they name one.
std::optional<double> SplitAt(const std::vector<std::string>& words, size_t i, double kHz, RigMode mode) {
  const std::string& w = words[i];
  auto argument = [&](std::string_view head) -> std::string {
    if (w.size() > head.size()) return w.substr(head.size());
    return i + 1 < words.size() ? words[i + 1] : std::string();
  };
  // The signed offset in kHz of "UP ..." or "DN ...".
  auto offset = [&](std::string_view head, double sign) -> std::optional<double> {
    const std::string arg = argument(head);
    const bool attached = w.size() > head.size();
    bool mhz = false;
    std::optional<double> n = NumberOf(arg, mhz);
    if (!n) {
      // "UP" alone, unless it is "UP TO ..." or a word that merely starts so ("UPDATE").
      if (attached || arg == "TO") return std::nullopt;
      return sign * (mode == CW || mode == CWR ? 1.0 : 5.0);
    }
    const size_t next = attached ? i + 1 : i + 2;
    if (mhz || (next < words.size() && words[next] == "MHZ")) return std::nullopt;
    if (*n <= 0 || *n > kMaxSplitKhz) return std::nullopt;
    return sign * *n;
  };
  if (w.starts_with("UP")) {
    std::optional<double> o = offset("UP", 1);
    return o ? std::optional(kHz + *o) : std::nullopt;
  }
  for (std::string_view down : {"DOWN", "DWN", "DN"})
    if (w.starts_with(down)) {
      std::optional<double> o = offset(down, -1);
      return o ? std::optional(kHz + *o) : std::nullopt;
    }
  if (w.starts_with("QSX")) {
    const std::string arg = argument("QSX");
    if (w.size() == 3 && (arg == "UP" || arg == "DN" || arg == "DOWN" || arg == "DWN") && i + 1 < words.size())
      return SplitAt(words, i + 1, kHz, mode);
    bool mhz = false;
    std::optional<double> n = NumberOf(arg, mhz);
    if (!n || arg.find_first_of("-/") != std::string::npos) return std::nullopt;
    if (mhz) return BandOf(*n * 1000) ? std::optional(*n * 1000) : std::nullopt;
    return QsxKhz(kHz, *n, arg.find('.') != std::string::npos);
  }
  return std::nullopt;
}
}  // namespace

RigMode SpotMode(double kHz, std::string_view comment) {
  for (const std::string& w : Words(comment, ""))
    if (std::optional<RigMode> mode = ModeOfWord(w, kHz)) return *mode;
  for (double dial : kFtDials)
    if (std::abs(kHz - dial) <= kFtReachKhz) return DIG;
  if (kHz >= k60m.lowKhz && kHz <= k60m.highKhz) return USB;
  return BandPlanMode(static_cast<long long>(std::floor(kHz)));
}

std::optional<long long> SplitHz(double kHz, std::string_view comment, RigMode mode) {
  const std::vector<std::string> words = Words(comment, ".-/");
  for (size_t i = 0; i < words.size(); ++i) {
    std::optional<double> tx = SplitAt(words, i, kHz, mode);
    if (!tx) continue;
    if (!BandOf(*tx) || std::abs(*tx - kHz) < 0.05) return std::nullopt;
    return std::llround(*tx * 1000);
  }
  return std::nullopt;
}

RigMode OfferedMode(RigMode wanted, const std::function<bool(RigMode)>& offers) {
  if (offers(wanted)) return wanted;
  if (wanted == RTTY) return OfferedMode(DIG, offers);
  if (wanted == DIG) return USB;
  if (wanted == DIGR) return LSB;
  return wanted;
}

TunePlan PlanTune(long long rxHz, std::string_view comment) {
  const double kHz = static_cast<double>(rxHz) / 1000;
  TunePlan plan{rxHz, SpotMode(kHz, comment), std::nullopt};
  plan.txHz = SplitHz(kHz, comment, plan.mode);
  return plan;
}

}  // namespace varnak
