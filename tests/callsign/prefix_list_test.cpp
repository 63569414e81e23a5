#include "callsign/prefix_list.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace varnak {
namespace {

constexpr const char* kHeader = "header 1\r\nheader 2\r\nheader 3\r\n";

std::string Record(const std::string& head, const std::string& name, const std::string& masks,
                   const std::string& lon = "1", const std::string& lat = "2") {
  return head + "|" + lon + "|" + lat + "|" + name + "|P|5|6|7|8|9|10|11|12|" + masks + "|\r\n";
}

class PrefixListTest : public ::testing::Test {
 protected:
  void Load(const std::string& body) {
    dir_.Write("prefix.lst", kHeader + body);
    list_.Load((dir_ / "prefix.lst").string());
  }
  std::vector<std::string> CellNames(char a, char b) const {
    std::vector<std::string> names;
    for (const auto* e : list_.Cell(a, b)) names.push_back(e->Data.Name);
    return names;
  }
  test::TempDir dir_;
  TPrefixList list_;
};

TEST(ExpandElement, FixedSetsAndBracketLists) {
  auto expand = [](std::string mask, std::string* rest = nullptr) {
    std::string s = TPrefixList::ExpandElement(mask);
    if (rest) *rest = mask;
    return s;
  };
  std::string rest;
  EXPECT_EQ(expand("#A", &rest), "0123456789");
  EXPECT_EQ(rest, "A");
  EXPECT_EQ(expand("@"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(expand("?"), std::string(PrefixAlphabet));
  EXPECT_EQ(expand("[A-C]X", &rest), "ABC");
  EXPECT_EQ(rest, "X");
  EXPECT_EQ(expand("[-A]"), "-A");
  EXPECT_EQ(expand("[A-]"), "-A");
  EXPECT_EQ(expand("[AC-E]"), "ACDE");
  EXPECT_EQ(expand("[C-A]"), "AC");  // a backwards range adds nothing between
  EXPECT_EQ(expand("[A-CX-Z]"), "ABCXYZ");
  EXPECT_EQ(expand("[AB", &rest), "AB");  // unclosed: the rest of the mask
  EXPECT_EQ(rest, "");
  EXPECT_EQ(expand(""), "");
  EXPECT_EQ(expand(".", &rest), ".");
}

TEST_F(PrefixListTest, HeaderOnlyGivesAnEmptyTable) {
  Load("");
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_TRUE(list_.Cell('D', 'L').empty());
}

TEST_F(PrefixListTest, FieldsAndKinds) {
  Load(Record("L0102", "A", "DL") + Record("0700", "skipped kind", "DL") + "a|b|c\r\n" +
       Record("0100", "NoLon", "K", "", "9270") + Record("-0600", "B", "X", " -33 ", "x"));
  ASSERT_EQ(list_.Count(), 3);
  const auto& e = list_.Entries();
  EXPECT_EQ(e[0].Kind, 1);
  EXPECT_EQ(e[0].Level, 2);
  EXPECT_EQ(e[0].Data.EntityNumber, "9");
  EXPECT_EQ(e[0].Data.Text10, "10");
  EXPECT_EQ(e[0].Masks, "DL");
  EXPECT_FALSE(e[1].Data.HasCoordinates());
  EXPECT_EQ(e[1].Data.Latitude, 9270);
  EXPECT_EQ(e[2].Kind, 6);
  EXPECT_EQ(e[2].Data.Longitude, -33);
  EXPECT_EQ(e[2].Data.Latitude, NoValue);
}

TEST_F(PrefixListTest, ParentIsTheNearestEarlierRecordOfSmallerLevel) {
  Load(Record("0903", "orphan", "A") + Record("0100", "L0", "B") + Record("0201", "L1", "C") +
       Record("0202", "L2", "D") + Record("0201", "L1b", "E"));
  const auto& e = list_.Entries();
  EXPECT_EQ(e[0].Parent, -1);
  EXPECT_EQ(e[1].Parent, -1);
  EXPECT_EQ(e[2].Parent, 1);
  EXPECT_EQ(e[3].Parent, 2);
  EXPECT_EQ(e[4].Parent, 1);
  EXPECT_EQ(e[1].Children, (std::vector<std::int32_t>{2, 4}));
}

TEST_F(PrefixListTest, IndexCells) {
  Load(Record("0100", "K", "K") + Record("0600", "Twice", "DL,D[K-M],\"DA\" DB") +
       Record("0200", "Region", "DL") + Record("0100", "Odd", "+L,D+,d[?],[!-#]X"));
  for (char c : PrefixAlphabet) EXPECT_EQ(CellNames('K', c), std::vector<std::string>{"K"}) << c;
  EXPECT_EQ(CellNames('D', 'L'), std::vector<std::string>{"Twice"});
  EXPECT_EQ(CellNames('D', 'K'), std::vector<std::string>{"Twice"});
  EXPECT_EQ(CellNames('D', 'A'), std::vector<std::string>{"Twice"});
  EXPECT_EQ(CellNames('D', 'B'), std::vector<std::string>{"Twice"});
  EXPECT_TRUE(CellNames('D', 'C').empty());
  EXPECT_TRUE(list_.Cell('k', 'A').empty());
  EXPECT_TRUE(list_.Cell('/', 'A').empty());
}

TEST_F(PrefixListTest, ShortRecordLineStopsTheLoadButKeepsEarlierRecords) {
  dir_.Write("prefix.lst", kHeader + Record("0100", "Kept", "K") + "0100|1|2|3|4|5|6\r\n" + Record("0100", "Lost", "W"));
  EXPECT_THROW(list_.Load((dir_ / "prefix.lst").string()), PrefixFileError);
  ASSERT_EQ(list_.Count(), 1);
  EXPECT_EQ(list_.Entries()[0].Data.Name, "Kept");
  EXPECT_TRUE(list_.Cell('K', '1').empty());
  EXPECT_FALSE(list_.Indexed());
}

TEST_F(PrefixListTest, MissingFileChangesNothing) {
  Load(Record("0100", "Kept", "K"));
  EXPECT_THROW(list_.Load((dir_ / "nope.lst").string()), PrefixFileError);
  EXPECT_EQ(list_.Count(), 1);
  EXPECT_EQ(CellNames('K', '1'), std::vector<std::string>{"Kept"});
}

TEST_F(PrefixListTest, DamagedLinesNeverCrash) {
  std::string huge(200000, 'A');
  Load(Record("0100", huge, "[" + huge) + Record("0100", "x", "[[[,]]],[Z-A],\xff\x80,\"unclosed") +
       "||||\r\n|\r\n\r\n" + Record("", "kind0", "K") + Record("0", "short", "K") +
       "0100|1|2|3|4|5|6|7|8|9|10|11|12||\r\n");
  EXPECT_EQ(list_.Count(), 3);
  EXPECT_GE(list_.MemoryBytes(), huge.size());
}

}  // namespace
}  // namespace varnak
