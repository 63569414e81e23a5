// The spot filter's conditions against spots as nodes send them, and the named filters
// as the "Filter" section keeps them.
#include "app/spot_filter.h"

#include <gtest/gtest.h>

#include "app/spotter_continents.h"
#include "callsign/call_parser.h"
#include "callsign/locator_geometry.h"
#include "core/ini_file.h"

namespace varnak {
namespace {

Spot Received(const char* line, std::string continent = "EU", NeedMark need = NeedMark::None) {
  Spot s = ParseSpotLine(line);
  s.continent = std::move(continent);
  s.need = need;
  return s;
}

TEST(SpotFilter, EachConditionPassesItsSpotsAndHidesTheRest) {
  TCallParser parser;
  parser.SetProgramDir(std::string(VARNAK_DATA_DIR) + "/");
  parser.SetPrefixFile("prefix.lst");
  SpotterContinents continents(parser);
  SpotterPlaces places(parser, continents);
  const GeoPosition own = LocatorToPosition("JO62QM");
  places.SetOwnPosition(static_cast<double>(own.Latitude), static_cast<double>(own.Longitude));

  const Spot cw20 = Received("DX de DL1ABC:    14025.0  VP8PJ        CW 22 dB 25 WPM CQ             2215Z", "SA");
  const Spot ssb40 = Received("DX de DL1ABC:     7150.0  K1ABCD       loud                           2215Z", "NA");
  const Spot skim = Received("DX de W3LPL-#:   14030.0  DL1XYZ       CW 12 dB 20 WPM CQ             2216Z");
  const Spot near = Received("DX de W3LPL-#:   14001.0  JA1ABC       tnx qso                   PM95 1305Z JO31", "AS");
  const Spot zones = Received("DX de Q7ZZZ:     21025.0  DK0WCY/B     beacon                      15 1303Z  5");
  const Spot busy = Received("DX de DL1ABC:    14026.0  K1ABC        cq test                        2216Z", "NA");
  const Spot marker = ParseSpotRow("*** Varnak started 08-Dec-2026 21:00");
  EXPECT_EQ(near.spotterLocator, "JO31");  // set/dxgrid: the spotter's locator after the time
  EXPECT_TRUE(zones.spotterLocator.empty());  // set/dxcq: a zone there

  struct Case {
    const char* what;
    SpotFilter filter;
    std::vector<const Spot*> shown;
    bool neededKnown = true;
  };
  const auto with = [](auto set) {
    SpotFilter f;
    set(f);
    return f;
  };
  const std::vector<const Spot*> all = {&cw20, &ssb40, &skim, &near, &zones, &busy};
  const std::vector<Case> cases = {
      {"nothing set", {}, all},
      {"bands", with([](SpotFilter& f) { f.bands = {"20", "15"}; }), {&cw20, &skim, &near, &zones, &busy}},
      {"modes", with([](SpotFilter& f) { f.modes = {ModeGroup::Phone}; }), {&ssb40}},
      {"dx continents", with([](SpotFilter& f) { f.dxContinents = {"SA", "AS"}; }), {&cw20, &near}},
      {"spotter continents", with([](SpotFilter& f) { f.spotterContinents = {"EU"}; }), {&cw20, &ssb40, &busy}},
      // DL1ABC from its country, W3LPL-# from the locator it sent; Q7ZZZ is nowhere.
      {"spotter distance", with([](SpotFilter& f) { f.spotterKm = 2000; }), {&cw20, &ssb40, &near, &busy}},
      {"skimmers hidden", with([](SpotFilter& f) { f.skimmers = SkimmerSpots::Hide; }), {&cw20, &ssb40, &zones, &busy}},
      {"skimmers only", with([](SpotFilter& f) { f.skimmers = SkimmerSpots::Only; }), {&skim, &near}},
      {"never", with([](SpotFilter& f) { f.neverCalls = {"*/B", "DL*", "K1AB?"}; }), {&cw20, &ssb40, &near}},
      {"all at once", with([](SpotFilter& f) {
         f.modes = {ModeGroup::Cw};
         f.spotterContinents = {"EU"};
         f.spotterKm = 2000;
       }), {&cw20, &busy}},
  };
  for (const Case& c : cases) {
    const SpotFilterMatcher matcher(c.filter, c.neededKnown);
    for (const Spot* s : all) {
      const bool expected = std::find(c.shown.begin(), c.shown.end(), s) != c.shown.end();
      EXPECT_EQ(matcher.Shows(*s, places), expected) << c.what << ": " << s->line();
    }
    EXPECT_TRUE(matcher.Shows(marker, places)) << c.what;
  }

  // Needed only: the marks count once a log is read; before, they would hide everything.
  SpotFilter needed;
  needed.needs = {NeedMark::NewEntity, NeedMark::NewMode};
  const Spot newOne = Received("DX de DL1ABC:    14025.0  VP8PJ        cq                             2215Z", "SA",
                               NeedMark::NewEntity);
  const Spot newBand = Received("DX de DL1ABC:    14025.0  VP8PJ        cq                             2215Z", "SA",
                                NeedMark::NewBand);
  EXPECT_TRUE(SpotFilterMatcher(needed, true).Shows(newOne, places));
  EXPECT_FALSE(SpotFilterMatcher(needed, true).Shows(newBand, places));
  EXPECT_FALSE(SpotFilterMatcher(needed, true).Shows(cw20, places));
  EXPECT_TRUE(SpotFilterMatcher(needed, false).Shows(newBand, places));
  // Every spotter call is looked up once, however many spots it sends.
  const auto queries = parser.QueryCount();
  SpotFilter far;
  far.spotterKm = 100;
  for (int i = 0; i < 100; ++i) (void)SpotFilterMatcher(far, true).Shows(ssb40, places);
  EXPECT_EQ(parser.QueryCount(), queries);
}

TEST(SpotFilter, NamedFiltersSurviveTheFileAndHandEditsAreTamed) {
  SpotFilterSettings s;
  s.on = true;
  s.chosen = 3;
  s.filters.resize(4);
  s.filters[0].name = kAllFilterName;
  s.filters[1].name = "Home CW";
  s.filters[1].bands = {"40", "SHF"};
  s.filters[1].modes = {ModeGroup::Cw, ModeGroup::Digital};
  s.filters[1].dxContinents = {"OC"};
  s.filters[1].spotterContinents = {"EU", "AF"};
  s.filters[1].spotterKm = 2000;
  s.filters[1].skimmers = SkimmerSpots::Only;
  s.filters[1].needs = {NeedMark::NewBand};
  s.filters[1].neverCalls = {"*/B", "DL?ABC"};
  s.filters[2].name = "Filter 2";
  s.filters[3].name = "Contest weekend";
  s.filters[3].skimmers = SkimmerSpots::Hide;
  IniFile ini;
  WriteSpotFilterSettings(ini, s);
  IniFile again;
  again.LoadText(ini.Text());
  const SpotFilterSettings read = ReadSpotFilterSettings(again);
  EXPECT_EQ(read.on, s.on);
  EXPECT_EQ(read.chosen, s.chosen);
  EXPECT_EQ(read.filters, s.filters);

  IniFile edited;
  edited.LoadText("[Filter]\nOn=1\nChosen=7\nBands1=20 21 20\nModes1=cw ssb\nDx1=eu xx\nKm1=-5\nSkimmers1=Maybe\n");
  const SpotFilterSettings tamed = ReadSpotFilterSettings(edited);
  ASSERT_EQ(tamed.filters.size(), 3u);  // "All" and two of the operator's
  EXPECT_EQ(tamed.chosen, 2);
  EXPECT_EQ(tamed.filters[1].name, "Filter 1");
  EXPECT_EQ(tamed.filters[1].bands, std::vector<std::string>{"20"});
  EXPECT_EQ(tamed.filters[1].modes, std::vector<ModeGroup>{ModeGroup::Cw});
  EXPECT_EQ(tamed.filters[1].dxContinents, std::vector<std::string>{"EU"});
  EXPECT_EQ(tamed.filters[1].spotterKm, 0);
  EXPECT_EQ(tamed.filters[1].skimmers, SkimmerSpots::Show);
}

}  // namespace
}  // namespace varnak
