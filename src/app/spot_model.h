#pragma once
// What a DX spot is inside the program, and the small text rules around spots, talk and
// the user list. Plain C++: the classifier and the list models build on these.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"

namespace varnak {

// The spot lists, in notebook page order: page 0 is "All", then the bands of kBandTexts
// in the same order. Code elsewhere counts with these, never with list numbers.
inline constexpr int kSpotListCount = 16;
inline constexpr int kAllList = 0;
inline constexpr std::array<std::string_view, kSpotListCount - 1> kBandTexts = {
    "160", "80", "60", "40", "30", "20", "17", "15", "12", "10", "6", "4", "2", "70cm", "SHF"};
inline constexpr std::array<std::string_view, kSpotListCount> kSpotListFiles = {
    "dx.dxc", "160.dxc", "80.dxc", "60.dxc", "40.dxc", "30.dxc", "20.dxc", "17.dxc",
    "15.dxc", "12.dxc",  "10.dxc", "6.dxc",  "4.dxc",  "2.dxc",  "70cm.dxc", "shf.dxc"};
inline constexpr std::array<std::string_view, kSpotListCount> kSpotPageTitles = {
    "All", "160m", "80m", "60m", "40m", "30m", "20m", "17m", "15m", "12m", "10m", "6m", "4m", "2m", "70cm", "SHF"};
// A band list is trimmed when a new row's index passes this; "All" at twice as much.
inline constexpr int kBandListTrimIndex = 1000;
inline constexpr int kAllListTrimIndex = 2000;
inline constexpr int kTrimBlock = 100;

// Band text of a frequency in kHz: 60 m is 5250 to 5450 and 4 m 69900 to 70500 kHz;
// elsewhere the band whose lowest frequency is the greatest one not above it, so the
// gaps between the HF bands count to the band below. Below 1800 gives the empty text.
std::string_view BandTextOfKhz(long long khz);
// Band of a frequency token such as "14025.0": the integer before the first "."; a token
// without "." or with no number before it gives the empty band.
std::string_view BandOfFrequencyToken(std::string_view token);
// The frequency token of a spot line: the first blank-separated word after the first ":".
//   DX de Q2ABC:     14025.0  Q3DEF        up 2                        2215Z
std::string_view FrequencyTokenOfSpot(std::string_view line);
std::string_view BandOfSpotLine(std::string_view line);
// List (and page) index of a band text: 1 to kSpotListCount - 1, or 0 ("All" only) for any other text.
int ListIndexOfBand(std::string_view band);
// Whether a spot filed into a band list (0 when its band has none) shows on a page of
// the spot notebook: "All" shows every spot.
inline bool SpotShownOnPage(int list, int page) { return page == kAllList || page == list; }

// Turns one line of a DX listing into a spot line; any other line comes back trimmed.
//   14025.0  Q3DEF        6-Dec-2026 2215Z  up 2                          <Q2ABC>
// becomes "DX de Q2ABC:     14025.0  Q3DEF        up 2 ... 2215Z|6-Dec".
// *reformatted tells which of the two happened.
std::string ReformatShowDx(std::string_view line, bool* reformatted = nullptr);

// The duplicate filter: the keys of the last 50 spots. A spot's key is its spotter, DX
// call, kHz to 0.1 and time, so the same spot is known again whether it came live (with
// the zones or locators a node's line options add), from a listing or from a list file.
// A "DX de" line that does not follow the spot layout keys on its first 75 characters.
class SpotHistory {
 public:
  static constexpr size_t kSlots = 50;
  static constexpr size_t kKeyLength = 75;
  SpotHistory() { Reset(); }
  // Every slot becomes the text "\x01", which no received line matches.
  void Reset();
  // True when no slot holds the line's key; records it either way, so a spot repeated
  // often stays in the ring.
  bool Test(std::string_view line);
  // The same for the key of a spot parsed already (SpotHistoryKey).
  bool TestKey(std::string key);
  // Records the key of a spot already filed (SpotHistoryKey of a row loaded from its
  // file) as if it had come now.
  void Remember(std::string key) { TestKey(std::move(key)); }
  // Oldest first.
  std::vector<std::string> Slots() const;

 private:
  std::array<std::string, kSlots> slots_;
  std::array<size_t, kSlots> hashes_{};  // of slots_: most keys differ there already
  size_t oldest_ = 0;
};

// Replaces the twelve DOS code-page letters by the same letters of the ANSI code page.
void ConvertDosLetters(std::string& text);

// "[mm-dd hh:mm] " + text, the form of every talk pane line.
std::string TalkLineText(const DateTime& now, std::string_view text);
// Hours, minutes and seconds joined by ":", as announcements are stamped in the pane.
std::string LongTimeText(const DateTime& now);

// Keeps the last n rows (all of them when there are no more than n).
void KeepLastRows(std::vector<std::string>& rows, size_t n);

// The connected users: row 0 is the header, the data rows are sorted without regard to
// case and hold no duplicates.
class UserList {
 public:
  static constexpr std::string_view kHeader = "Local users";
  UserList() { Clear(); }
  // Back to the header and one empty data row.
  void Clear();
  // Trims the name; ignores it when empty or when any row, header included, holds it.
  // Returns whether the list changed.
  bool Add(std::string_view name);
  // Deletes every row equal to the name.
  bool Remove(std::string_view name);
  const std::vector<std::string>& Rows() const { return rows_; }

 private:
  std::vector<std::string> rows_;
};

// The rows whose upper-cased text contains the upper-cased search text, top to bottom;
// when none does, the one line "\"<text>\" not found!".
std::vector<std::string> SearchRows(const std::vector<std::string>& rows, std::string_view text);

}  // namespace varnak
