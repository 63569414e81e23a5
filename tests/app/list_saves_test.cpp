// Lists saved after a trim go to disk from the writer's thread while spots keep coming.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/list_files.h"
#include "app/station.h"
#include "core/file_writer.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

using namespace varnak;

namespace {
std::string SpotLine(int serial) {
  char line[120];
  // Each spot on its own tenth of a kHz, so none is a repeat.
  std::snprintf(line, sizeof line, "DX de Q2ABC:     %7.1f  Q3ABC        serial #%06d                 2215Z\a\a",
                14000.0 + serial / 10.0, serial);
  return line;
}

ListRows FileRows(const std::filesystem::path& path) {
  ListRows rows;
  ReadListFile(path, rows);
  return rows;
}
}  // namespace

TEST(ListSaves, TrimmedListsReachTheirFilesWholeAndInOrderAlsoAtTheEnd) {
  test::TempDir dir;
  auto station = std::make_unique<Station>(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 8, 22, 15, 0}));
  station->ReadConfiguration(WorkArea{});
  station->LoadListsAndPanes();
  SpotListModel* all = station->lists().All();
  SpotListModel* band20 = station->lists().List(ListIndexOfBand("20"));
  int serial = 0;
  for (int i = 0; i < 2500; ++i) station->ClassifyLine(SpotLine(++serial));  // "All" and 20 m trimmed
  ASSERT_LT(all->Rows().size(), 2100u);
  WAIT_TRUE(FileRows(dir / "dx.dxc") == all->Rows(), 10000);
  WAIT_TRUE(FileRows(dir / "20.dxc") == band20->Rows(), 10000);
  EXPECT_NE(band20->Rows().back().find(SpotLine(serial).substr(0, 70)), std::string::npos);

  // Trimmed again and the program ends at once: nothing of it is lost.
  for (int i = 0; i < 450; ++i) station->ClassifyLine(SpotLine(++serial));
  const ListRows allRows = all->Rows(), band20Rows = band20->Rows();
  station.reset();
  EXPECT_EQ(FileRows(dir / "dx.dxc"), allRows);
  EXPECT_EQ(FileRows(dir / "20.dxc"), band20Rows);
}

TEST(FileWriter, LastWriteOfAFileWinsAndFailuresAreReported) {
  test::TempDir dir;
  FileWriter writer;
  for (int i = 0; i < 200; ++i) {
    writer.Write(dir / "a.txt", "a" + std::to_string(i));
    writer.Write(dir / "b.txt", "b" + std::to_string(i));
  }
  writer.Write(dir / "missing" / "c.txt", "c");
  const std::vector<std::string> failures = writer.Finish();
  EXPECT_EQ(dir.Read("a.txt"), "a199");
  EXPECT_EQ(dir.Read("b.txt"), "b199");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("c.txt"), std::string::npos) << failures[0];
  EXPECT_TRUE(writer.Finish().empty());
}

TEST(ListSaves, AFolderFromBeforeThe60And4mListsStartsThemEmptyAnd5357kHzIsFiledIn60) {
  test::TempDir dir;
  dir.Write("40.dxc", "DX de Q2ABC:      7025.0  Q3FORTY      cq                    2215Z | 12-07\r\n");
  dir.Write("6.dxc", "DX de Q2ABC:     50313.0  Q3SIX        ft8                   2215Z | 12-07\r\n");
  auto station = std::make_unique<Station>(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 8, 22, 15, 0}));
  station->ReadConfiguration(WorkArea{});
  station->LoadListsAndPanes();
  const auto rows = [&](const char* band) { return station->lists().List(ListIndexOfBand(band))->Rows(); };
  EXPECT_NE(rows("40").front().find("Q3FORTY"), std::string::npos);  // each old file in its own list
  EXPECT_NE(rows("6").front().find("Q3SIX"), std::string::npos);
  for (const char* band : {"60", "4"}) {
    ASSERT_EQ(rows(band).size(), 2u) << band;  // the empty first row and the start marker
    EXPECT_EQ(rows(band).front(), "");
  }

  station->ClassifyLine("DX de Q2ABC:      5357.0  Q3SIXTY      FT8 -12 dB                    2215Z\a\a");
  std::string error;
  ASSERT_TRUE(station->SaveListsAndPanesNow(&error)) << error;
  EXPECT_NE(FileRows(dir / "60.dxc").back().find("Q3SIXTY"), std::string::npos);
  EXPECT_EQ(FileRows(dir / "80.dxc").back().find("Q3SIXTY"), std::string::npos);
  EXPECT_EQ(FileRows(dir / "4.dxc").size(), 2u);
}
