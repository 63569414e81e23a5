#pragma once
// What the operator's controls send to the cluster node: the send notebook's lines, the
// look-up commands of the spot menu, the answer to a node's password challenge and the
// user-button table. Plain C++; the main window only collects the boxes' texts.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/table_file.h"

namespace varnak {

// The texts sent from the "Send text" box, walked with the Up and Down keys. Slot 20 is
// the place of the text being typed; slots 1 to 19 hold the last 19 sent texts, the
// newest in slot 19.
class CommandHistory {
 public:
  static constexpr int kSlots = 20;

  // A text went out: it becomes the newest entry, the oldest falls out and the walk
  // starts again at the empty slot 20.
  void Record(const std::string& text);
  // One step back (Up) or forward (Down); the slot's text, or nothing at either end.
  std::optional<std::string> Up();
  std::optional<std::string> Down();

  int Index() const { return index_; }
  const std::string& Slot(int n) const { return slots_.at(n); }

 private:
  std::array<std::string, kSlots + 1> slots_{};  // [0] unused
  int index_ = kSlots;
};

inline constexpr const char* kAnnounceLocal = "ANN ";
inline constexpr const char* kAnnounceFull = "ANN FULL ";
inline constexpr const char* kUpdateUsersCommand = "sh/users";

// "dx Q3DEF 14025.0 up 2": the boxes as typed, empty ones leave their place empty.
std::string SpotCommand(std::string_view dxCall, std::string_view qrg, std::string_view info);
std::string AnnounceCommand(std::string_view prefix, std::string_view text);
// "T Q2XYZ hi"; nothing when the text is empty.
std::optional<std::string> TalkCommand(std::string_view call, std::string_view text);
// "[12-06 21:07]-Q2XYZ de Q1ABC: hello", the talk pane's record of a sent talk line.
std::string TalkPaneLine(const DateTime& local, std::string_view call, std::string_view myCall,
                         std::string_view text);

// The look-up items of the spot menu, in menu order.
enum class SpotLookup {
  Showqrz1,
  Showdx1,
  Showdb0sdx1,
  Showwm7d1,
  Showdxqsl1,
  Showprefix1,
  Showdxcc1,
  Showtime1,
  Showsun1,
  Showmoon1,
};
inline constexpr std::array<SpotLookup, 10> kSpotLookups = {
    SpotLookup::Showqrz1,    SpotLookup::Showdx1,   SpotLookup::Showdb0sdx1, SpotLookup::Showwm7d1,
    SpotLookup::Showdxqsl1,  SpotLookup::Showprefix1, SpotLookup::Showdxcc1, SpotLookup::Showtime1,
    SpotLookup::Showsun1,    SpotLookup::Showmoon1};
// The menu item's component name ("Showdx1").
const char* SpotLookupName(SpotLookup item);
// The line the item sends for a spot: the callbook-style look-ups take the home call
// (without portable prefix or suffix), the geographic ones the call as spotted.
std::string SpotLookupLine(SpotLookup item, std::string_view dxCall, std::string_view homeCall);

// Words separated by blanks (byte 32 only); runs of blanks count as one, leading and
// trailing blanks are ignored. Words are numbered from 1; beyond the last gives "".
int WordCount(std::string_view text);
std::string ExtractWord(int n, std::string_view text);

// The alphabet of the random fillers in a challenge answer.
inline constexpr std::string_view kChallengeAlphabet =
    "1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
// A uniformly drawn integer from lo to hi inclusive.
using RandomInt = std::function<int(int lo, int hi)>;
RandomInt DefaultRandom();

// Answers a node's challenge such as "3 0": for every word the password character at
// that position (counted from 0), followed by one to four random alphanumerics. A word
// that is not a number or points outside the password adds nothing.
std::string PasswordChallengeAnswer(std::string_view challenge, std::string_view password, const RandomInt& random);

// User buttons: caption in column 0, command line in column 1, no heading row.
Table DefaultButtonTable();
// Reads the button table; a missing file is first created with the default rows.
// Fills *error and returns the defaults when the file can neither be read nor created.
Table LoadButtonTable(const std::filesystem::path& path, std::string* error = nullptr);
bool SaveButtonTable(const std::filesystem::path& path, const Table& table, std::string* error = nullptr);

struct ButtonPlace {
  int left = 0;
  int width = 0;
};
// Buttons stand edge to edge from left 1, each 6 pixels per caption character + 20.
int UserButtonWidth(std::string_view caption);
std::vector<ButtonPlace> LayoutUserButtons(const Table& table);
// The command of a table row as it stands; empty for a row that has none.
std::string ButtonCommand(const Table& table, int row);

}  // namespace varnak
