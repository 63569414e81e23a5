#include "callsign/call_parser.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace varnak {
namespace {

std::string Normalised(const std::string& text) {
  TCallParser p;
  p.SetCall(text);
  return p.NormaliseCall() ? p.Call() : "<fail>";
}

TEST(NormaliseCall, PortablePrefixesAndCallAreas) {
  EXPECT_EQ(Normalised("DL1ABC/P"), "DL1ABC/P");
  EXPECT_EQ(Normalised("W1ABC/4"), "W4");
  EXPECT_EQ(Normalised("DL1ABC/5"), "DL5");
  EXPECT_EQ(Normalised("3DA0XY/1"), "3DA1");
  EXPECT_EQ(Normalised("G4ABC/2"), "<fail>");
  EXPECT_EQ(Normalised("F/G4ABC"), "F0");
  EXPECT_EQ(Normalised("G4ABC/F"), "F0");
  EXPECT_EQ(Normalised("EA8/DL1ABC"), "EA8");
  EXPECT_EQ(Normalised("DL1ABC/EA8"), "EA8");
  EXPECT_EQ(Normalised("W1ABC/KH6"), "KH6");
  EXPECT_EQ(Normalised("DL1ABC/M/P"), "M0/P");
  EXPECT_EQ(Normalised("HK3ABC/0M"), "HK3ABC/0M");
  EXPECT_EQ(Normalised("FR5ABC/G"), "FR5ABC/G");
}

TEST(NormaliseCall, SuffixWordsBlanksAndCase) {
  EXPECT_EQ(Normalised("DL1ABC/QRP"), "DL1ABC");
  EXPECT_EQ(Normalised("DL1ABC/BCN"), "DL1ABC");
  EXPECT_EQ(Normalised("QRP/DL1ABC"), "QRP");  // the first part is never a suffix word
  EXPECT_EQ(Normalised("dl1abc"), "DL1ABC");
  EXPECT_EQ(Normalised(" \tDL 1ABC \r\n"), "DL1ABC");
  EXPECT_EQ(Normalised("DL1ABC/"), "DL1ABC");
}

TEST(NormaliseCall, Failures) {
  for (const char* bad : {"DL1ABC-5", "K", "/P", "A//B", "DL1ABC/P/5", "A/B/C/D/E", "DL1ABC/MM",
                          "DL1ABC/P/XY", "W1ABC/4/5", "", "DL\xC4" "1"})
    EXPECT_EQ(Normalised(bad), "<fail>") << bad;
  // Only the text as passed in is checked for /MM, case-sensitively; in lower case MM is
  // just a suffix word.
  EXPECT_EQ(Normalised("dl1abc/mm"), "DL1ABC");
}

TEST(NormaliseCall, AntarcticSuffixIsAnEntityQuery) {
  EXPECT_EQ(Normalised("CE9XY/ANT"), "ADIF013");
}

TEST(CompareParts, PrefixAndSuffix) {
  EXPECT_EQ(TCallParser::ComparePrefixPart("DL1ABC", "DL"), 2);
  EXPECT_EQ(TCallParser::ComparePrefixPart("DL", "D[A-R]#"), 1);
  EXPECT_EQ(TCallParser::ComparePrefixPart("DS1", "D[A-R]#"), 0);
  EXPECT_EQ(TCallParser::ComparePrefixPart("DL1ABC", "DL1ABC."), 2);
  EXPECT_EQ(TCallParser::ComparePrefixPart("DL1ABCD", "DL1ABC."), 0);
  EXPECT_EQ(TCallParser::ComparePrefixPart("DL1", "DL1ABC."), 1);  // ends at a call-area digit
  EXPECT_EQ(TCallParser::ComparePrefixPart("DL1A", "DL1ABC."), 0);
  EXPECT_EQ(TCallParser::ComparePrefixPart("", "DL"), 0);
  EXPECT_EQ(TCallParser::ComparePrefixPart("DL", "/P"), 0);
  EXPECT_EQ(TCallParser::CompareSuffixPart("DL1ABC", "DL/P"), 2);
  EXPECT_EQ(TCallParser::CompareSuffixPart("DL1ABC/P", "DL"), 3);
  EXPECT_EQ(TCallParser::CompareSuffixPart("DL1ABC/M", "DL"), 3);
  EXPECT_EQ(TCallParser::CompareSuffixPart("DL1ABC/X", "DL"), 1);
  EXPECT_EQ(TCallParser::CompareSuffixPart("DL1ABC", "DL"), 3);
  EXPECT_EQ(TCallParser::CompareSuffixPart("DL1ABC/P", "DL/P"), 3);
  EXPECT_EQ(TCallParser::CompareSuffixPart("DL1ABC/M", "DL/P"), 0);
}

// Germany > South > Upper > {NoCoordSub, Munich}, and a later top-level "Later".
class CallParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("prefix.lst",
               "h\nh\nh\n"
               "0100|1800|9000|Germany|DL|EU|14|28|1|230||||D[A-R]|\n"
               "0201|1900|9100|South|DLs|||||||||D[A-R]1|\n"
               "0202|2000|9200|Upper||||||||||DL1|\n"
               "0303||9300|NoCoordSub|X|||||||||DL1A|\n"
               "0903|2100|9400|Munich||||||||||DL1AB|\n"
               "0600|2200|9500|Later|DL1|||||231||||DL1|\n"
               "0100|0|0|Antarctica|CE9|||||13||||CE9|\n");
    parser_.SetProgramDir(dir_.path().string() + "/");
    parser_.SetPrefixFile("prefix.lst");
    ASSERT_EQ(parser_.LastLoadError(), "");
  }
  test::TempDir dir_;
  TCallParser parser_;
};

TEST_F(CallParserTest, RowsRunFromTheLastTopLevelMatchAndMergeUpwards) {
  parser_.ParseCall("DL1ABC");
  const auto& rows = parser_.HitList();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Name, "Later");
  EXPECT_EQ(rows[0].EntityNumber, "231");
  const auto& b = rows[1];
  EXPECT_EQ(b.Name, "Germany");
  EXPECT_EQ(b.Regions, "South, Upper");
  EXPECT_EQ(b.SubArea, "Munich");
  EXPECT_EQ(b.ExtraNames, std::vector<std::string>{"NoCoordSub"});
  EXPECT_EQ(b.Longitude, 2100);  // the most specific record's position
  EXPECT_EQ(b.Latitude, 9400);
  EXPECT_EQ(b.Prefix, "DLs");  // Munich and Upper have none
  EXPECT_EQ(b.Text5, "EU");
  EXPECT_EQ(b.EntityNumber, "230");
}

TEST_F(CallParserTest, PortableSuffixes) {
  parser_.ParseCall("DL1ABC/P");
  EXPECT_EQ(parser_.HitList().size(), 2u);
  parser_.ParseCall("DL1ABC/X");  // a suffix no mask has: no full match anywhere
  EXPECT_TRUE(parser_.HitList().empty());
  parser_.ParseCall("DL1ABC/MM");
  EXPECT_TRUE(parser_.HitList().empty());
}

TEST_F(CallParserTest, TypedPrefixMatchesLongerMasksOnlyAtTheTop) {
  parser_.ParseCall("DL");
  ASSERT_EQ(parser_.HitList().size(), 2u);
  EXPECT_EQ(parser_.HitList()[0].Name, "Later");
  EXPECT_EQ(parser_.HitList()[1].Name, "Germany");
  EXPECT_EQ(parser_.HitList()[1].Regions, "");
}

TEST_F(CallParserTest, EntityQueries) {
  parser_.ParseCall("ADIF230");
  ASSERT_EQ(parser_.HitList().size(), 1u);
  EXPECT_EQ(parser_.HitList()[0].Name, "Germany");
  parser_.ParseCall("CE9XY/ANT");
  ASSERT_EQ(parser_.HitList().size(), 1u);
  EXPECT_EQ(parser_.HitList()[0].Name, "Antarctica");
  parser_.ParseCall("ADIF999");
  ASSERT_EQ(parser_.HitList().size(), 1u);
  EXPECT_EQ(parser_.HitList()[0].Longitude, 0);
  EXPECT_EQ(parser_.HitList()[0].Name, "");
}

TEST_F(CallParserTest, EntityQueryOnNonNumberReportsConversionError) {
  dir_.Write("bad.lst", "h\nh\nh\n0100|1|2|Bad|B|||||abc||||B|\n0100|1|2|Good|G|||||7||||G|\n");
  parser_.SetPrefixFile("bad.lst");
  EXPECT_THROW(parser_.ParseCall("ADIF7"), ConvertError);
  EXPECT_TRUE(parser_.HitList().empty());
  parser_.ParseCall("G4ABC");  // callsign queries do not read entity numbers
  EXPECT_EQ(parser_.HitList().size(), 1u);
}

TEST_F(CallParserTest, CallFileOverridesTheRules) {
  dir_.Write("calls.txt", "XX9XX=230\r\nyy1yy=DL1ABC\r\nZZ1ZZ=\r\n");
  parser_.SetCallFile("calls.txt");
  parser_.ParseCall("xx9xx");
  EXPECT_EQ(parser_.Call(), "ADIF230");
  ASSERT_EQ(parser_.HitList().size(), 1u);
  EXPECT_EQ(parser_.HitList()[0].Name, "Germany");
  parser_.ParseCall("YY1YY");
  EXPECT_EQ(parser_.Call(), "DL1ABC");
  parser_.ParseCall("ZZ1ZZ");  // an empty value does not count
  EXPECT_EQ(parser_.Call(), "ZZ1ZZ");
}

TEST_F(CallParserTest, DamagedOrMissingFileIsSwallowed) {
  dir_.Write("short.lst", "h\nh\nh\n0100|1|2|Kept|K|||||291||||K|\n0100|1|2|3\n");
  parser_.SetPrefixFile("short.lst");
  EXPECT_NE(parser_.LastLoadError(), "");
  parser_.ParseCall("K1ABC");
  EXPECT_TRUE(parser_.HitList().empty());  // no index after a failed load
  parser_.ParseCall("ADIF291");
  ASSERT_EQ(parser_.HitList().size(), 1u);
  EXPECT_EQ(parser_.HitList()[0].Name, "Kept");
  parser_.SetPrefixFile("missing.lst");
  EXPECT_NE(parser_.LastLoadError(), "");
  EXPECT_EQ(parser_.PrefixList().Count(), 1);
}

TEST(ResolveDataFile, RelativeNamesGoBelowTheProgramFolder) {
  TCallParser p;
  p.SetProgramDir("/station/");
  EXPECT_EQ(p.ResolveDataFile("prefix.lst"), "/station/prefix.lst");
  EXPECT_EQ(p.ResolveDataFile("/abs/prefix.lst"), "/abs/prefix.lst");
  EXPECT_EQ(p.ResolveDataFile("a\\\\b"), "/station/a\\b");
}

}  // namespace
}  // namespace varnak
