#include "app/spot_model.h"
#include "app/spot.h"

#include "app/list_files.h"

#include <gtest/gtest.h>

using namespace varnak;

TEST(BandTable, LowestFrequencyBoundsWithoutUpperLimits) {
  const std::pair<const char*, const char*> cases[] = {
      {"1799.9", ""},     {"1800.0", "160"},  {"3000.0", "160"},     {"3500.0", "80"},  {"7000.0", "40"},
      {"5249.9", "80"},   {"5250.0", "60"},   {"5357.0", "60"},      {"5450.9", "60"},  {"5451.0", "80"},
      {"69899.0", "6"},   {"69900.0", "4"},   {"70500.9", "4"},      {"70501.0", "6"},
      {"10100.0", "30"},  {"14069.9", "20"},  {"18067.9", "20"},     {"18068.0", "17"}, {"21000.0", "15"},
      {"24890.0", "12"},  {"29600.0", "10"},  {"29999.0", "10"},     {"50000.0", "6"},  {"145500.0", "2"},
      {"432000.0", "70cm"}, {"1239999.0", "70cm"}, {"10368000.0", "SHF"}, {"99999999999999999999.0", "SHF"},
      {"14025", ""},      {".5", ""},         {"x14025.0", ""},       {"-14025.0", ""},  {"", ""}};
  for (const auto& [token, band] : cases) EXPECT_EQ(BandOfFrequencyToken(token), band) << token;
}

TEST(BandTable, FrequencyTokenIsFirstWordAfterFirstColon) {
  EXPECT_EQ(FrequencyTokenOfSpot("DX de Q2ABC:     14025.0  Q3DEF        up 2      2215Z"), "14025.0");
  EXPECT_EQ(BandOfSpotLine("DX de Q2ABC-#: 7012.5 Q3DEF 2215Z"), "40");
  EXPECT_EQ(BandOfSpotLine("DX de "), "");
  EXPECT_EQ(BandOfSpotLine("DX de Q2ABC:"), "");
  EXPECT_EQ(ListIndexOfBand("160"), 1);
  EXPECT_EQ(ListIndexOfBand("60"), 3);  // pages in band order
  EXPECT_EQ(ListIndexOfBand("4"), 12);
  EXPECT_EQ(ListIndexOfBand("SHF"), kSpotListCount - 1);
  EXPECT_EQ(ListIndexOfBand(""), 0);
}

TEST(ReformatShowDx, ListingLineBecomesSpotLineWithExactColumns) {
  bool reformatted = false;
  const std::string line = ReformatShowDx(
      "  14025.0  Q3DEF       6-Dec-2026 2215Z up 2                          <Q2ABC>\r", &reformatted);
  EXPECT_TRUE(reformatted);
  const std::string expected = std::string("DX de ") + "Q2ABC: " + "    14025.0" + "  " + "Q3DEF        " +
                               "up 2" + std::string(27, ' ') + "2215Z|6-Dec";
  EXPECT_EQ(line, expected);
  EXPECT_EQ(line.substr(70, 5), "2215Z");  // columns 71-75
  EXPECT_EQ(line[75], '|');
  // Longer spotter calls are not cut; they shift the rest.
  EXPECT_EQ(ReformatShowDx("1296100.0  Q3DEF/P     16-Dec-2026 0712Z  <Q2ABCDEF-2>"),
            "DX de Q2ABCDEF-2:  1296100.0  Q3DEF/P" + std::string(6 + 31, ' ') + "0712Z|16-Dec");
}

TEST(ReformatShowDx, TimeStaysAWordAfterLongAndUtf8Comments) {
  // Columns count bytes: "Grüße" is 7 of them.
  const std::string utf8 = ReformatShowDx("  14025.0 Q3DEF        8-Dec-2026 2215Z Gr\xc3\xbc\xc3\x9f" "e  <Q2ABC>");
  EXPECT_EQ(utf8.substr(70, 5), "2215Z");
  const std::string longer = ReformatShowDx(
      "  14025.0 Q3DEFGHIJKLMN 8-Dec-2026 1308Z worked him on cw, he is loud for sure <Q2ABC>");
  EXPECT_NE(longer.find("Q3DEFGHIJKLMN worked"), std::string::npos);
  EXPECT_NE(longer.find("for sure 1308Z|8-Dec"), std::string::npos);
  const Spot spot = ParseSpotLine(longer);
  EXPECT_TRUE(spot.valid);
  EXPECT_EQ(spot.utc, "1308Z");
  EXPECT_EQ(spot.comment, "worked him on cw, he is loud for sure");
}

TEST(ReformatShowDx, AnyNumberOfBlanksBeforeTheCall) {
  // DX Spider's "%9.1f %-11s %s %s" has one blank, other nodes two.
  const std::string spot = "DX de Q2XYZ:     14195.0  I2BAA        live spot" + std::string(22, ' ') + "0146Z|8-Dec";
  for (const char* listing : {"  14195.0 I2BAA        8-Dec-2026 0146Z live spot            <Q2XYZ>",
                              "  14195.0  I2BAA       8-Dec-2026 0146Z live spot            <Q2XYZ>",
                              "14195.0     I2BAA 8-Dec-2026 0146Z live spot <Q2XYZ>"})
    EXPECT_EQ(ReformatShowDx(listing), spot) << listing;
}

TEST(ReformatShowDx, OtherLinesComeBackTrimmed) {
  const char* unchanged[] = {
      "Q1ABC de node.example.org 6-Dec-2026 2215Z >",     // dotted host in a prompt
      "14025.0  Q3DEF  6Dec2026 2215Z up 2 <Q2ABC>",       // no "-" in the date
      "14025.0  Q3DEF  6-Dec-2026 2215Z up 2 Q2ABC>",      // no "<" before the final ">"
      "14025.0>", "1.>", "1. >", "1.  X >", "1.  X 1-2 >", "DX de Q2ABC: 14025.0 Q3DEF up 2 2215Z",
      "14195.0        8-Dec-2026 0146Z no call <Q2XYZ>", "14195.0 <Q2XYZ>", "14195.0 Q3DEF <Q2XYZ>",
      "To ALL de Q2ABC: hello"};
  for (const char* line : unchanged) {
    bool reformatted = true;
    EXPECT_EQ(ReformatShowDx(line, &reformatted), line) << line;
    EXPECT_FALSE(reformatted) << line;
  }
  // DX Spider ends spot lines with two BELs.
  EXPECT_EQ(ReformatShowDx("DX de Q2ABC:  14025.0  Q3DEF  up 2  2215Z\a\a\r\n"),
            "DX de Q2ABC:  14025.0  Q3DEF  up 2  2215Z");
  EXPECT_EQ(ReformatShowDx(std::string("\0\xff \x01", 4)), "\xff");
}

TEST(SpotHistory, RemembersTheLastFiftySpots) {
  SpotHistory history;
  EXPECT_FALSE(history.Test("\x01"));  // the start value is in every slot
  history.Reset();
  EXPECT_TRUE(history.Test("DX de A"));
  EXPECT_FALSE(history.Test("DX de A"));
  for (int i = 0; i < 49; ++i) EXPECT_TRUE(history.Test("DX de other " + std::to_string(i)));
  // The repeat itself went into the ring, so 49 other spots do not push it out...
  EXPECT_FALSE(history.Test("DX de A"));
  for (int i = 0; i < 50; ++i) history.Test("DX de more " + std::to_string(i));
  // ...but 50 do.
  EXPECT_TRUE(history.Test("DX de A"));
  // Only the first 75 characters count.
  const std::string head(75, 'x');
  EXPECT_TRUE(history.Test(head + "1"));
  EXPECT_FALSE(history.Test(head + "2"));
  EXPECT_EQ(history.Slots().back(), head);
  EXPECT_EQ(history.Slots().size(), 50u);
}

TEST(TextRules, DosLettersTalkStampAndRowDate) {
  std::string text = "\x81\x84\x86\x8e\x8f\x91\x92\x94\x99\x9a\x9b\x9d\x80\x9c\xe4 a";
  ConvertDosLetters(text);
  EXPECT_EQ(text, "\xfc\xe4\xe5\xc4\xc5\xe6\xc6\xf6\xd6\xdc\xf8\xd8\x80\x9c\xe4 a");
  const DateTime t{2026, 3, 7, 9, 5, 4};
  EXPECT_EQ(TalkLineText(t, "hi"), "[03-07 09:05] hi");
  EXPECT_EQ(LongTimeText(t), "09:05:04");
  EXPECT_EQ(SpotRowText("DX de X", t), "DX de X | 03-07");
}

TEST(UserList, SortedWithoutCaseNoDuplicatesHeaderKept) {
  UserList users;
  EXPECT_EQ(users.Rows(), (std::vector<std::string>{"Local users", ""}));
  EXPECT_TRUE(users.Add(" q2b "));
  EXPECT_TRUE(users.Add("Q1A"));
  EXPECT_TRUE(users.Add("Q3C"));
  EXPECT_FALSE(users.Add("Q1A"));
  EXPECT_FALSE(users.Add("   "));
  EXPECT_FALSE(users.Add("Local users"));
  EXPECT_EQ(users.Rows(), (std::vector<std::string>{"Local users", "Q1A", "q2b", "Q3C"}));
  EXPECT_TRUE(users.Remove("q2b"));
  EXPECT_FALSE(users.Remove("Q2B"));  // exact
  EXPECT_FALSE(users.Remove("Local users"));
  users.Remove("Q1A");
  users.Remove("Q3C");
  EXPECT_TRUE(users.Add("Q4D"));
  EXPECT_EQ(users.Rows(), (std::vector<std::string>{"Local users", "Q4D"}));
}

TEST(SearchRows, LowerCaseFindsCapitalsAndReportsMisses) {
  const std::vector<std::string> rows = {"", "DX de Q2ABC: 14025.0 Q3DEF | 12-06", "DX de Q2ABC: 7010.0 Q4XYZ | 12-06"};
  EXPECT_EQ(SearchRows(rows, "q3def"), std::vector<std::string>{rows[1]});
  EXPECT_EQ(SearchRows(rows, "q2abc").size(), 2u);
  EXPECT_EQ(SearchRows(rows, "zz9"), std::vector<std::string>{"\"zz9\" not found!"});
  std::vector<std::string> many = {"a", "b", "c", "d"};
  KeepLastRows(many, 2);
  EXPECT_EQ(many, (std::vector<std::string>{"c", "d"}));
  KeepLastRows(many, 5);
  EXPECT_EQ(many.size(), 2u);
}
