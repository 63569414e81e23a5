#include "core/table_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

using namespace varnak;

TEST(TableFile, CellsAndLineEnds) {
  // CR LF, CR and LF all end a line; n TABs give n + 1 cells; the final line end adds no row.
  Table t = ParseTable("a\tb\r\nc\rd\t\te\n\tf");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0], (TableRow{"a", "b"}));
  EXPECT_EQ(t[1], (TableRow{"c"}));
  EXPECT_EQ(t[2], (TableRow{"d", "", "e"}));
  EXPECT_EQ(t[3], (TableRow{"", "f"}));
  EXPECT_EQ(TableColumnCount(t), 3u);
  EXPECT_TRUE(ParseTable("").empty());
  EXPECT_EQ(ParseTable("\r\n").size(), 1u);
}

TEST(TableFile, RoundTripKeepsBytes) {
  Table t{{"117", "Q9NODE", "x\xff\x01y"}, {""}, {"a", "", ""}};
  EXPECT_EQ(FormatTable(t), "117\tQ9NODE\tx\xff\x01y\r\n\r\na\t\t\r\n");
  EXPECT_EQ(ParseTable(FormatTable(t)), t);
}

TEST(TableFile, MissingFileAndFailedWriteKeepOldFile) {
  test::TempDir dir;
  EXPECT_FALSE(ReadTableFile(dir / "nope.cfg").has_value());
  ASSERT_TRUE(WriteTableFile(dir / "t.cfg", {{"old"}}));
  // A target that cannot be replaced (a folder in the way) fails and leaves no temporary.
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_directory(dir / "sub" / "t.cfg");
  std::filesystem::create_directory(dir / "sub" / "t.cfg" / "x");
  std::string error;
  EXPECT_FALSE(WriteTableFile(dir / "sub" / "t.cfg", {{"new"}}, &error));
  EXPECT_NE(error.find("t.cfg"), std::string::npos);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "sub"), {}), 1);
  EXPECT_EQ(dir.Read("t.cfg"), "old\r\n");
}
