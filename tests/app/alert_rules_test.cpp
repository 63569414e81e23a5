// The rules file as an operator writes it by hand, and which spots a rule covers.
#include "app/alert_rules.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace varnak {
namespace {

Spot MakeSpot(std::string dx, std::string band, ModeGroup mode, NeedMark need = NeedMark::None,
              std::string entity = "") {
  Spot s;
  s.valid = true;
  s.dx = std::move(dx);
  s.band = std::move(band);
  s.mode = mode;
  s.need = need;
  s.entity = std::move(entity);
  s.spotter = "DL1ABC";
  return s;
}

TEST(AlertRules, HandEditedFileReadsBackAndDamagedRowsAreNamed) {
  test::TempDir dir;
  dir.Write("alerts.cfg",
            "On\tCalls\tBands\tModes\tNeeds\tSpotters\tSound\tNotify\tColour\r\n"
            "1\tvp8* \"South Orkney Islands\" Bouvet\t20 40\tcw DIGI\tNEW band\teu NA\tring.wav\t1\t#FFD040\r\n"
            "0\t\t\t\t\t\t\t\t\r\n"
            "yes\tK1ABC\r\n"          // On must be 1 or 0
            "1\t\t\tRTTY\r\n"         // no such mode class
            "1\t\t\t\t\tXX\r\n"       // no such continent
            "1\t\t\t\t\t\t\t0\tred\r\n"
            "1\tQ1ABC\r\n");          // short rows leave the rest empty
  std::vector<std::string> problems;
  const auto rules = ReadAlertRulesFile(dir / "alerts.cfg", &problems);
  ASSERT_EQ(rules.size(), 3u);
  const AlertRule& r = rules[0];
  EXPECT_EQ(r.calls, (std::vector<std::string>{"VP8*", "SOUTH ORKNEY ISLANDS", "BOUVET"}));
  EXPECT_EQ(r.bands, (std::vector<std::string>{"20", "40"}));
  EXPECT_EQ(r.modes, (std::vector<ModeGroup>{ModeGroup::Cw, ModeGroup::Digital}));
  EXPECT_EQ(r.needs, (std::vector<NeedMark>{NeedMark::NewEntity, NeedMark::NewBand}));
  EXPECT_EQ(r.spotters, (std::vector<std::string>{"EU", "NA"}));
  EXPECT_EQ(r.sound, "ring.wav");
  EXPECT_TRUE(r.notify);
  EXPECT_EQ(r.colour, "#ffd040");
  EXPECT_FALSE(rules[1].on);
  EXPECT_EQ(rules[2].calls, std::vector<std::string>{"Q1ABC"});
  EXPECT_EQ(problems, (std::vector<std::string>{"alerts.cfg line 4 skipped: On is \"yes\", not 1 or 0",
                                                "alerts.cfg line 5 skipped: mode \"RTTY\" is not CW, PHONE or DIGI",
                                                "alerts.cfg line 6 skipped: \"XX\" is no continent",
                                                "alerts.cfg line 7 skipped: colour \"red\" is not #rrggbb"}));

  // Written back, the same rules come in again, names with blanks still quoted.
  ASSERT_TRUE(WriteAlertRulesFile(dir / "copy.cfg", rules));
  EXPECT_EQ(ReadAlertRulesFile(dir / "copy.cfg", nullptr), rules);
  EXPECT_EQ(FormatAlertRules(rules)[0], AlertRulesHeading());
  EXPECT_TRUE(ReadAlertRulesFile(dir / "missing.cfg", nullptr).empty());
}

TEST(AlertRules, PatternsEntitiesAndEmptyCellsMatchAsOperatorsExpect) {
  EXPECT_TRUE(CallPatternMatches("VP8*", "VP8PJ"));
  EXPECT_TRUE(CallPatternMatches("*/P", "DL1ABC/P"));
  EXPECT_TRUE(CallPatternMatches("3Y?B*", "3Y0B"));
  EXPECT_TRUE(CallPatternMatches("k*1*", "K1ABC1"));
  EXPECT_FALSE(CallPatternMatches("VP8*", "XVP8PJ"));
  EXPECT_FALSE(CallPatternMatches("VP8?", "VP8PJ"));
  EXPECT_FALSE(CallPatternMatches("*/P", "DL1ABC/QRP"));

  const auto continent = [](std::string_view spotter) { return spotter == "DL1ABC" ? "EU" : "NA"; };
  AlertRule all;  // every cell empty
  EXPECT_TRUE(RuleMatches(all, MakeSpot("K1ABC", "80", ModeGroup::Phone), continent));
  Spot invalid;
  EXPECT_FALSE(RuleMatches(all, invalid, continent));

  AlertRule rule;
  rule.calls = {"VP8*", "BOUVET"};
  rule.bands = {"20"};
  rule.modes = {ModeGroup::Cw};
  rule.needs = {NeedMark::NewEntity, NeedMark::NewBand};
  rule.spotters = {"EU"};
  EXPECT_TRUE(RuleMatches(rule, MakeSpot("VP8PJ", "20", ModeGroup::Cw, NeedMark::NewBand), continent));
  EXPECT_TRUE(RuleMatches(rule, MakeSpot("3Y0J", "20", ModeGroup::Cw, NeedMark::NewEntity, "Bouvet"), continent));
  EXPECT_FALSE(RuleMatches(rule, MakeSpot("VP8PJ", "40", ModeGroup::Cw, NeedMark::NewBand), continent));
  EXPECT_FALSE(RuleMatches(rule, MakeSpot("VP8PJ", "20", ModeGroup::Digital, NeedMark::NewBand), continent));
  EXPECT_FALSE(RuleMatches(rule, MakeSpot("VP8PJ", "20", ModeGroup::Cw, NeedMark::Unconfirmed), continent));
  EXPECT_FALSE(RuleMatches(rule, MakeSpot("VP9ABC", "20", ModeGroup::Cw, NeedMark::NewEntity, "Bermuda"), continent));
  Spot fromNa = MakeSpot("VP8PJ", "20", ModeGroup::Cw, NeedMark::NewEntity);
  fromNa.spotter = "W3LPL-#";
  EXPECT_FALSE(RuleMatches(rule, fromNa, continent));
}

}  // namespace
}  // namespace varnak
