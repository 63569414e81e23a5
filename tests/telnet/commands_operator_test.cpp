#include "telnet/operator_commands.h"

#include <gtest/gtest.h>
#include <set>

#include "support/temp_dir.h"

using namespace varnak;

namespace {
std::vector<std::string> Walk(CommandHistory& h, bool up, int steps) {
  std::vector<std::string> seen;
  for (int i = 0; i < steps; ++i) {
    auto text = up ? h.Up() : h.Down();
    seen.push_back(text ? *text : "<none>");
  }
  return seen;
}
}  // namespace

TEST(CommandHistory, UpWalksBackToAnEmptySlotAndDownReturns) {
  CommandHistory h;
  for (const char* t : {"a", "b", "c"}) h.Record(t);
  EXPECT_EQ(Walk(h, true, 4), (std::vector<std::string>{"c", "b", "a", ""}));
  EXPECT_EQ(Walk(h, false, 5), (std::vector<std::string>{"a", "b", "c", "", "<none>"}));
  EXPECT_EQ(h.Index(), 20);
}

TEST(CommandHistory, KeepsTheLastNineteenAndStopsAtSlotOne) {
  CommandHistory h;
  for (int i = 1; i <= 25; ++i) h.Record("cmd" + std::to_string(i));
  auto seen = Walk(h, true, 20);
  EXPECT_EQ(seen.front(), "cmd25");
  EXPECT_EQ(seen[18], "cmd7");
  EXPECT_EQ(seen[19], "<none>");  // slot 1 is the end
  // A send while walking starts the walk again from the newest.
  h.Record("");
  EXPECT_EQ(*h.Up(), "");
  EXPECT_EQ(*h.Up(), "cmd25");
}

TEST(OperatorLines, SpotAnnounceAndTalk) {
  EXPECT_EQ(SpotCommand("Q3DEF", "14025.0", "up 2"), "dx Q3DEF 14025.0 up 2");
  EXPECT_EQ(SpotCommand("", "", ""), "dx   ");
  EXPECT_EQ(AnnounceCommand(kAnnounceFull, "QRV"), "ANN FULL QRV");
  EXPECT_EQ(AnnounceCommand(kAnnounceLocal, ""), "ANN ");
  EXPECT_EQ(*TalkCommand("Q2XYZ", "hi"), "T Q2XYZ hi");
  EXPECT_FALSE(TalkCommand("Q2XYZ", "").has_value());
  EXPECT_EQ(TalkPaneLine(DateTime{2026, 12, 6, 21, 7, 5}, "Q2XYZ", "Q1ABC", "hello"),
            "[12-06 21:07]-Q2XYZ de Q1ABC: hello");
}

TEST(OperatorLines, SpotMenuLookupsTakeTheRightCall) {
  std::vector<std::string> lines;
  for (SpotLookup item : kSpotLookups) lines.push_back(SpotLookupLine(item, "QQ/Q3DEF", "Q3DEF"));
  EXPECT_EQ(lines, (std::vector<std::string>{"show/qrz Q3DEF", "sh/dx Q3DEF", "sh/db0sdx Q3DEF", "sh/wm7d Q3DEF",
                                             "sh/dxqsl Q3DEF", "sh/pre QQ/Q3DEF", "sh/dxcc QQ/Q3DEF",
                                             "sh/time QQ/Q3DEF", "sh/sun QQ/Q3DEF", "sh/moon QQ/Q3DEF"}));
  EXPECT_STREQ(SpotLookupName(SpotLookup::Showdxcc1), "Showdxcc1");
}

TEST(Words, BlankSeparatedAndNumberedFromOne) {
  EXPECT_EQ(WordCount(""), 0);
  EXPECT_EQ(WordCount("   "), 0);
  EXPECT_EQ(WordCount("  3   0 12 "), 3);
  EXPECT_EQ(ExtractWord(1, "  3   0 12 "), "3");
  EXPECT_EQ(ExtractWord(3, "  3   0 12 "), "12");
  EXPECT_EQ(ExtractWord(4, "  3   0 12 "), "");
  EXPECT_EQ(ExtractWord(0, "a"), "");
  EXPECT_EQ(WordCount("a\tb"), 1);  // only the blank separates
}

TEST(PasswordChallenge, PasswordCharactersFollowedByOneToFourFillers) {
  // A scripted source: filler lengths 1 then 4, alphabet positions counting up.
  std::vector<int> draws = {1, 0, 4, 10, 35, 36, 61};
  size_t next = 0;
  RandomInt scripted = [&](int lo, int hi) {
    int v = draws.at(next++);
    EXPECT_GE(v, lo);
    EXPECT_LE(v, hi);
    return v;
  };
  EXPECT_EQ(PasswordChallengeAnswer("3 0", "pqrs", scripted), "s1pazAZ");

  // The real generator, watched: the answer's shape follows its filler draws.
  RandomInt real = DefaultRandom();
  std::vector<int> fills;
  RandomInt watched = [&](int lo, int hi) {
    int v = real(lo, hi);
    if (lo == 1 && hi == 4) fills.push_back(v);
    return v;
  };
  std::set<int> lengths;
  for (int i = 0; i < 200; ++i) {
    fills.clear();
    std::string a = PasswordChallengeAnswer("3 0", "pqrs", watched);
    ASSERT_EQ(fills.size(), 2u);
    lengths.insert(fills[0]);
    ASSERT_EQ(a.size(), 2u + fills[0] + fills[1]);
    EXPECT_EQ(a[0], 's');
    EXPECT_EQ(a[1 + fills[0]], 'p');
    for (size_t k = 1; k < a.size(); ++k) {
      if (k != size_t(1 + fills[0])) {
        EXPECT_NE(kChallengeAlphabet.find(a[k]), std::string_view::npos);
      }
    }
  }
  EXPECT_EQ(lengths, (std::set<int>{1, 2, 3, 4}));
}

TEST(PasswordChallenge, BadWordsAddNothing) {
  RandomInt never = [](int, int) -> int {
    ADD_FAILURE() << "no filler expected";
    return 0;
  };
  EXPECT_EQ(PasswordChallengeAnswer("", "pqrs", never), "");
  EXPECT_EQ(PasswordChallengeAnswer("x -1 4 99999999999 2a", "pqrs", never), "");
  EXPECT_EQ(PasswordChallengeAnswer("0", "", never), "");
}

TEST(UserButtonTable, MissingFileIsCreatedWithTheDefaults) {
  test::TempDir dir;
  std::string error;
  Table t = LoadButtonTable(dir / "buttons.cfg", &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(t, DefaultButtonTable());
  EXPECT_EQ(dir.Read("buttons.cfg"), "WCY\tsh/wcy\r\nWWY\tsh/wwv\r\nWHO\twho\r\nSH/C\tsh/c\r\n");

  // Extra fields stay, a line without a TAB has no command.
  dir.Write("buttons.cfg", "A\tcmd a\textra\nB\r\n\t\r\n");
  t = LoadButtonTable(dir / "buttons.cfg");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0], (TableRow{"A", "cmd a", "extra"}));
  EXPECT_EQ(ButtonCommand(t, 0), "cmd a");
  EXPECT_EQ(ButtonCommand(t, 1), "");
  EXPECT_EQ(ButtonCommand(t, 2), "");
  EXPECT_EQ(ButtonCommand(t, 9), "");
}

TEST(UserButtonTable, ButtonsStandEdgeToEdge) {
  auto places = LayoutUserButtons(DefaultButtonTable());
  ASSERT_EQ(places.size(), 4u);
  std::vector<std::pair<int, int>> got;
  for (auto p : places) got.emplace_back(p.left, p.width);
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{1, 38}, {39, 38}, {77, 38}, {115, 44}}));
  EXPECT_EQ(UserButtonWidth(""), 20);
  // A giant caption is capped instead of wrapping the width around.
  Table huge = {{std::string(5'000'000, 'X'), "c"}, {std::string(5'000'000, 'Y'), "c"}, {"Z", "c"}};
  auto big = LayoutUserButtons(huge);
  EXPECT_GT(big[0].width, 0);
  EXPECT_GT(big[2].left, 0);
}
