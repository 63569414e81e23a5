#include "telnet/operator_commands.h"

#include <algorithm>
#include <fmt/format.h>
#include <random>

#include "core/atomic_file.h"
#include "core/text.h"

namespace varnak {

void CommandHistory::Record(const std::string& text) {
  slots_[kSlots] = text;
  for (int k = 1; k < kSlots; ++k) slots_[k] = slots_[k + 1];
  index_ = kSlots;
  slots_[kSlots].clear();
}

std::optional<std::string> CommandHistory::Up() {
  if (index_ <= 1) return std::nullopt;
  --index_;
  return slots_[index_];
}

std::optional<std::string> CommandHistory::Down() {
  if (index_ >= kSlots) return std::nullopt;
  ++index_;
  return slots_[index_];
}

std::string SpotCommand(std::string_view dxCall, std::string_view qrg, std::string_view info) {
  return fmt::format("dx {} {} {}", dxCall, qrg, info);
}

std::string AnnounceCommand(std::string_view prefix, std::string_view text) {
  return std::string(prefix) + std::string(text);
}

std::optional<std::string> TalkCommand(std::string_view call, std::string_view text) {
  if (text.empty()) return std::nullopt;
  return fmt::format("T {} {}", call, text);
}

std::string TalkPaneLine(const DateTime& t, std::string_view call, std::string_view myCall, std::string_view text) {
  return fmt::format("[{:02}-{:02} {:02}:{:02}]-{} de {}: {}", t.month, t.day, t.hour, t.minute, call, myCall, text);
}

namespace {
struct LookupEntry {
  SpotLookup item;
  const char* name;
  const char* command;
  bool homeCall;
};
constexpr LookupEntry kLookupTable[] = {
    {SpotLookup::Showqrz1, "Showqrz1", "show/qrz ", true},
    {SpotLookup::Showdx1, "Showdx1", "sh/dx ", true},
    {SpotLookup::Showdb0sdx1, "Showdb0sdx1", "sh/db0sdx ", true},
    {SpotLookup::Showwm7d1, "Showwm7d1", "sh/wm7d ", true},
    {SpotLookup::Showdxqsl1, "Showdxqsl1", "sh/dxqsl ", true},
    {SpotLookup::Showprefix1, "Showprefix1", "sh/pre ", false},
    {SpotLookup::Showdxcc1, "Showdxcc1", "sh/dxcc ", false},
    {SpotLookup::Showtime1, "Showtime1", "sh/time ", false},
    {SpotLookup::Showsun1, "Showsun1", "sh/sun ", false},
    {SpotLookup::Showmoon1, "Showmoon1", "sh/moon ", false},
};
const LookupEntry& Entry(SpotLookup item) { return kLookupTable[static_cast<int>(item)]; }
}  // namespace

const char* SpotLookupName(SpotLookup item) { return Entry(item).name; }

std::string SpotLookupLine(SpotLookup item, std::string_view dxCall, std::string_view homeCall) {
  const LookupEntry& e = Entry(item);
  return std::string(e.command) + std::string(e.homeCall ? homeCall : dxCall);
}

namespace {
// The words of a text, in order.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t start = text.find_first_not_of(' ', pos);
    if (start == std::string_view::npos) break;
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    words.push_back(text.substr(start, end - start));
    pos = end;
  }
  return words;
}
}  // namespace

int WordCount(std::string_view text) { return static_cast<int>(Words(text).size()); }

std::string ExtractWord(int n, std::string_view text) {
  auto words = Words(text);
  if (n < 1 || n > static_cast<int>(words.size())) return {};
  return std::string(words[n - 1]);
}

RandomInt DefaultRandom() {
  auto engine = std::make_shared<std::mt19937>(std::random_device{}());
  return [engine](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(*engine); };
}

std::string PasswordChallengeAnswer(std::string_view challenge, std::string_view password, const RandomInt& random) {
  std::string answer;
  const int alphabet = static_cast<int>(kChallengeAlphabet.size());
  for (std::string_view word : Words(challenge)) {
    int k = 0;
    // Nodes send valid positions; anything else must not read past the password.
    if (!ParseInt(word, k) || k < 0 || static_cast<size_t>(k) >= password.size()) continue;
    answer += password[k];
    int fill = random(1, 4);
    for (int i = 0; i < fill; ++i) answer += kChallengeAlphabet[random(0, alphabet - 1)];
  }
  return answer;
}

Table DefaultButtonTable() { return {{"WCY", "sh/wcy"}, {"WWY", "sh/wwv"}, {"WHO", "who"}, {"SH/C", "sh/c"}}; }

Table LoadButtonTable(const std::filesystem::path& path, std::string* error) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    Table defaults = DefaultButtonTable();
    if (!WriteTableFile(path, defaults, error)) return defaults;
  }
  auto table = ReadTableFile(path);
  if (!table) {
    if (error) *error = "Cannot open file " + path.string();
    return DefaultButtonTable();
  }
  return *table;
}

bool SaveButtonTable(const std::filesystem::path& path, const Table& table, std::string* error) {
  return WriteTableFile(path, table, error);
}

namespace {
// Qt's largest widget size; a caption of a million characters must not wrap an int.
constexpr long long kMaxExtent = 16777215;
}  // namespace

int UserButtonWidth(std::string_view caption) {
  return static_cast<int>(std::min<long long>(6LL * static_cast<long long>(caption.size()) + 20, kMaxExtent));
}

std::vector<ButtonPlace> LayoutUserButtons(const Table& table) {
  std::vector<ButtonPlace> places;
  places.reserve(table.size());
  long long x = 1;
  for (const auto& row : table) {
    int width = UserButtonWidth(row.empty() ? std::string_view() : std::string_view(row[0]));
    places.push_back({static_cast<int>(std::min(x, kMaxExtent)), width});
    x += width;
  }
  return places;
}

std::string ButtonCommand(const Table& table, int row) {
  if (row < 0 || static_cast<size_t>(row) >= table.size() || table[row].size() < 2) return {};
  return table[row][1];
}

}  // namespace varnak
