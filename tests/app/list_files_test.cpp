#include "app/list_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "core/atomic_file.h"
#include "support/temp_dir.h"

using namespace varnak;

namespace {

const DateTime kNow{2026, 12, 6, 21, 7, 30, 0};
const std::string kMarker = "*** Varnak started at 21:07 | 12-06";

std::string Numbered(int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) s += "DX de Q2ABC:     14025.0  Q3DEF   row " + std::to_string(i) + " | 12-05\r\n";
  return s;
}

std::vector<std::string> FilesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(ListFiles, LineRules) {
  // CR LF, CR and LF all end a row; TABs stay in the row; a row never spans lines.
  EXPECT_EQ(ParseListFile("a\tb\r\n\r\nc\rd\ne"), (ListRows{"a\tb", "", "c", "d", "e"}));
  EXPECT_TRUE(ParseListFile("").empty());
  EXPECT_EQ(FormatListFile({"", "x\xe9", "a\rb\nc"}), "\r\nx\xe9\r\na b c\r\n");
  EXPECT_EQ(ListFileNames().front(), std::string("dx.dxc"));
  EXPECT_EQ(ListFileNames()[3], std::string("60.dxc"));
  EXPECT_EQ(ListFileNames()[12], std::string("4.dxc"));
  EXPECT_EQ(ListFileNames().back(), std::string("shf.dxc"));
}

TEST(ListFiles, FirstStartWithNoFiles) {
  test::TempDir dir;
  FixedClock clock(kNow);
  SavedState s = LoadAll(dir.path(), false, clock);
  for (const auto& rows : s.lists) EXPECT_EQ(rows, (ListRows{"", kMarker}));
  EXPECT_TRUE(s.paneLines.empty());
  EXPECT_TRUE(s.talkLines.empty());
  EXPECT_TRUE(FilesIn(dir.path()).empty()) << "loading must not create files";
}

TEST(ListFiles, OverlongFilesKeepTheirNewestRows) {
  test::TempDir dir;
  dir.Write("20.dxc", Numbered(1, 1500));
  dir.Write("dx.dxc", Numbered(1, 2001));
  dir.Write("160.dxc", Numbered(1, 1000));
  dir.Write("80.dxc", "");  // an empty file: the list keeps its empty first row
  SavedState s = LoadAll(dir.path(), false, FixedClock(kNow));

  const ListRows& b20 = s.lists[ListIndexOfBand("20")];
  ASSERT_EQ(b20.size(), 1001u);
  EXPECT_NE(b20.front().find("row 501 |"), std::string::npos);
  EXPECT_NE(b20[999].find("row 1500 |"), std::string::npos);
  EXPECT_EQ(b20.back(), kMarker);

  ASSERT_EQ(s.lists[0].size(), 2001u);
  EXPECT_NE(s.lists[0].front().find("row 2 |"), std::string::npos);
  EXPECT_EQ(s.lists[1].size(), 1001u) << "a list exactly at its limit is not cut";
  EXPECT_NE(s.lists[1].front().find("row 1 |"), std::string::npos);
  EXPECT_EQ(s.lists[2], (ListRows{"", kMarker}));
}

TEST(ListFiles, SaveAndLoadKeepsListsPanesAndColours) {
  test::TempDir dir;
  SavedState out;
  for (size_t i = 0; i < kListCount; ++i) out.lists[i] = {"", "row of list " + std::to_string(i) + "\t\xe9 | 12-05"};
  out.paneLines = {{255, 0, 0, "*** Connected to node"},
                   {0, 0, 255, "To ALL de Q2ABC: {braces} and \\back\\slash \xc4\xd6"},
                   {128, 128, 128, ""},
                   {0, 128, 0, "  1234 leading blanks and digits"}};
  out.talkLines = {"[12-06 21:07] Q2ABC de Q1ABC: hello", "second"};
  ASSERT_TRUE(SaveAll(dir.path(), out, false));

  SavedState in = LoadAll(dir.path(), false, FixedClock(kNow));
  for (size_t i = 0; i < kListCount; ++i) {
    ListRows expected = out.lists[i];
    expected.push_back(kMarker);
    EXPECT_EQ(in.lists[i], expected) << ListFileNames()[i];
  }
  EXPECT_EQ(in.paneLines, out.paneLines);
  EXPECT_EQ(in.talkLines, out.talkLines);
  EXPECT_EQ(dir.Read("talk.dxc"), "[12-06 21:07] Q2ABC de Q1ABC: hello\r\nsecond\r\n");
}

TEST(ListFiles, PaneFileOverTheLimitKeepsItsNewestLines) {
  test::TempDir dir;
  std::vector<RtfLine> lines(kPaneLoadLimit, RtfLine{0, 0, 255, "line"});
  lines.front().text = "oldest";
  lines.push_back(RtfLine{0, 0, 0, "newest"});  // a busy session saves 1001 lines
  dir.Write("all.rtf", WriteRtf(lines));
  std::vector<RtfLine> loaded = LoadAll(dir.path(), false, FixedClock(kNow)).paneLines;
  ASSERT_EQ(loaded.size(), kPaneLoadLimit);
  EXPECT_EQ(loaded.front(), lines[1]);
  EXPECT_EQ(loaded.back(), lines.back());
}

TEST(ListFiles, ClearDxLeavesListFilesAloneButATrimStillSaves) {
  test::TempDir dir;
  dir.Write("20.dxc", Numbered(1, 1500));
  dir.Write("dx.dxc", "old all\r\n");
  dir.Write("talk.dxc", "old talk\r\n");

  // Start with ClearDx: empty lists, no marker, files unread; the panes still load.
  SavedState s = LoadAll(dir.path(), true, FixedClock(kNow));
  for (const auto& rows : s.lists) EXPECT_EQ(rows, ListRows{""});
  EXPECT_EQ(s.talkLines, std::vector<std::string>{"old talk"});

  // The 20 m list overflows during the run and its trim saves it anyway.
  ListRows trimmed{"after trim 1", "after trim 2"};
  ASSERT_TRUE(SaveList(dir.path(), ListIndexOfBand("20"), trimmed));
  s.lists[0] = {"", "new spot"};
  s.talkLines.push_back("new talk");
  s.paneLines = {{255, 0, 0, "pane"}};
  ASSERT_TRUE(SaveAll(dir.path(), s, true));

  EXPECT_EQ(dir.Read("dx.dxc"), "old all\r\n") << "ClearDx must not save the lists at exit";
  EXPECT_EQ(dir.Read("20.dxc"), "after trim 1\r\nafter trim 2\r\n");
  EXPECT_EQ(dir.Read("talk.dxc"), "old talk\r\nnew talk\r\n");

  // Switching ClearDx off brings the files back at the next start.
  SavedState later = LoadAll(dir.path(), false, FixedClock(kNow));
  EXPECT_EQ(later.lists[0], (ListRows{"old all", kMarker}));
  EXPECT_EQ(later.lists[ListIndexOfBand("20")], (ListRows{"after trim 1", "after trim 2", kMarker}));
  EXPECT_EQ(later.paneLines, (std::vector<RtfLine>{{255, 0, 0, "pane"}}));
}

TEST(ListFiles, FullDiskLeavesTheOldFilesWhole) {
  test::TempDir dir;
  dir.Write("dx.dxc", "old all\r\n");
  dir.Write("all.rtf", WriteRtf({{255, 0, 0, "old pane"}}));
  SavedState big;
  for (auto& rows : big.lists) rows.assign(200, std::string(80, 'x'));
  big.paneLines.assign(200, RtfLine{0, 0, 0, std::string(80, 'y')});

  // A file size limit makes every write beyond 4 KiB fail as a full disk would, even
  // for root, who ignores a read-only folder.
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  bool ok = SaveAll(dir.path(), big, false, &error);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(ok);
  EXPECT_NE(error.find("dx.dxc"), std::string::npos) << error;
  EXPECT_EQ(dir.Read("dx.dxc"), "old all\r\n");
  EXPECT_EQ(ReadRtf(dir.Read("all.rtf")), (std::vector<RtfLine>{{255, 0, 0, "old pane"}}));
  for (const auto& name : FilesIn(dir.path())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST(ListFiles, OneFileThatCannotBeReplacedDoesNotStopTheOthers) {
  test::TempDir dir;
  // A folder where "20.dxc" should be: the rename over it cannot happen.
  std::filesystem::create_directories(dir.path() / "20.dxc" / "inside");
  SavedState s;
  for (auto& rows : s.lists) rows = {"", "spot"};
  s.talkLines = {"talk"};
  std::string error;
  EXPECT_FALSE(SaveAll(dir.path(), s, false, &error));
  EXPECT_NE(error.find("20.dxc"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "20.dxc" / "inside"));
  EXPECT_EQ(dir.Read("shf.dxc"), "\r\nspot\r\n");
  EXPECT_EQ(dir.Read("talk.dxc"), "talk\r\n");
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "all.rtf"));
}
