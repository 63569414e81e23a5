#pragma once
// The files that carry the spot lists, the cluster text pane and the talk pane from one
// run to the next, all in the station folder:
//   "dx.dxc" and "160.dxc" ... "shf.dxc"  one list row per line, CR LF after each
//                                          (kSpotListFiles)
//   "all.rtf"                              the cluster text pane, one colour per line
//   "talk.dxc"                             the talk pane, CR LF after each line
// A list file line is a row text as the list shows it, e.g.
//   DX de Q2ABC:     14025.0  Q3DEF        up 2                    2215Z | 12-06
// Everything is written through WriteFileAtomic, so a failed save leaves the old file.
#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/rtf.h"
#include "app/spot_model.h"
#include "core/clock.h"

namespace varnak {

inline constexpr size_t kListCount = kSpotListCount;  // "All" and the bands
inline constexpr size_t kAllListLimit = 2000;  // rows kept of "dx.dxc" when loading
inline constexpr size_t kBandListLimit = 1000; // rows kept of a band file when loading
inline constexpr size_t kPaneLoadLimit = 1000; // lines of "all.rtf" kept when loading, the newest

inline constexpr const char* kPaneFileName = "all.rtf";
inline constexpr const char* kTalkFileName = "talk.dxc";

using ListRows = std::vector<std::string>;

// File names of the lists: index 0 is "All" ("dx.dxc"), then the bands in band-table
// order ("160.dxc" ... "70cm.dxc", "shf.dxc").
const std::array<const char*, kListCount>& ListFileNames();

// Rows of a list file. CR LF, CR and LF all end a line; a final line end does not start
// another row. TABs stay inside the row text (the lists have one column).
ListRows ParseListFile(std::string_view bytes);
// The file bytes: every row followed by CR LF. A CR or LF inside a row would split it
// in two on the next load, so it is written as a blank.
std::string FormatListFile(const ListRows& rows);

// Reads a list file; false when it cannot be read (missing file), rows then untouched.
bool ReadListFile(const std::filesystem::path& path, ListRows& rows);
bool WriteListFile(const std::filesystem::path& path, const ListRows& rows, std::string* error = nullptr);

// Talk pane lines: same line rules as a list file.
bool ReadTalkFile(const std::filesystem::path& path, std::vector<std::string>& lines);
bool WriteTalkFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                   std::string* error = nullptr);

// "*** Varnak started at 21:07", before it becomes a row.
std::string StartMarkerText(const DateTime& now);
// A row as AddSpotRow stores it: text + " | " + MM-DD.
std::string SpotRowText(std::string_view text, const DateTime& now);

// What the lists and panes hold, as saved and loaded.
struct SavedState {
  std::array<ListRows, kListCount> lists;  // "All" first, then the bands in table order
  std::vector<RtfLine> paneLines;          // cluster text pane
  std::vector<std::string> talkLines;      // talk pane
};

// Reads everything at start. Without clearDx each list is its file (cut to its newest
// kAllListLimit / kBandListLimit rows) followed by the start-marker row; a missing file
// gives the empty first row and the marker (a folder from before a band had its list
// starts that list so). With clearDx every list is just the empty
// first row and no list file is read. A pane file over kPaneLoadLimit lines keeps its
// newest kPaneLoadLimit lines: the pane runs a line or two over its limit while spots come
// in, and a busy session must not lose the whole pane at the next start.
// Unreadable or missing files are skipped silently.
SavedState LoadAll(const std::filesystem::path& dir, bool clearDx, const Clock& clock);

// Writes everything at exit: "talk.dxc", then (unless clearDx) every list,
// "All" first, then "all.rtf". A file that cannot be written does not stop the others;
// returns false and the reasons (one per line) in *error when any failed.
bool SaveAll(const std::filesystem::path& dir, const SavedState& state, bool clearDx,
             std::string* error = nullptr);

// The list with this index (0 = "All") to its file; what a trim during the run calls.
bool SaveList(const std::filesystem::path& dir, size_t listIndex, const ListRows& rows,
              std::string* error = nullptr);

}  // namespace varnak
