// A spot keeps what its lookup found, not the lookup texts: those are built again when
// shown and must read as the record of the line looked up on its own.
#include <gtest/gtest.h>

#include "app/spot_model.h"
#include "app/spot_resolver.h"
#include "callsign/call_parser.h"

using namespace varnak;

TEST(SpotResolver, LookupRecordReadsAsTheLineLookedUpOnItsOwn) {
  TCallParser parser;
  parser.SetPrefixFile(std::string(VARNAK_DATA_DIR) + "/prefix.lst");
  ASSERT_EQ(parser.LastLoadError(), "");
  const BandOfKhz band = [](double kHz) { return std::string(BandTextOfKhz(static_cast<long long>(kHz))); };
  SpotResolver resolver(parser);
  std::vector<std::string> numbers;
  resolver.SetMarker(
      [&numbers](std::string_view number, double kHz, std::string_view) {
        numbers.emplace_back(number);
        return kHz == 14025.5 ? NeedMark::NewEntity : NeedMark::None;
      },
      true);

  const std::string lines[] = {
      "DX de Q2ABC-#:   14025.5  DL1ABC       CW 22 dB 25 WPM CQ             2215Z",
      "DX de Q2ABC:      7025.0  VE3ABC       up 2                           0815Z JO62",  // a sub-area
      "DX de Q2ABC:     21025.0  EA8/DL1ABC/P cq                             0815Z",
      "DX de Q2ABC:      3525.0  Q3XYZ        not in the table               0815Z",
      "DX de Q2ABC:  14025.500000000000000001  JA1ABC  long frequency word   0815Z",
      "*** hand-edited: 7025 W1ABC row",  // no spot: looked up only when picked
  };
  for (const double own : {0.0, 48.5}) {
    resolver.SetOwnPosition(own, 11.0);
    for (const std::string& line : lines) {
      SCOPED_TRACE(line);
      std::shared_ptr<Spot> spot = resolver.NewSpot(line);
      resolver.Update(*spot, true);
      dxrec expected = LookupSpotLine(spot->row, parser, own, 11.0, band);
      if (spot->need == NeedMark::NewEntity) expected.LookupText += " [NEW]";
      const dxrec got = LookupRecordOf(*spot);
      EXPECT_EQ(got, expected) << got.LookupText << " / " << expected.LookupText;
      if (!expected.EntityName.empty()) {
        EXPECT_EQ(numbers.back(), parser.HitList().front().EntityNumber);
      }
    }
  }
  EXPECT_TRUE(LookupRecordOf(*resolver.NewSpot(lines[0])).LookupText.ends_with(" km] [NEW]"));
  EXPECT_EQ(LookupRecordOf(ParseSpotLine(lines[0])), dxrec{});  // never looked up

  // A new position brings a spot's texts along without a new lookup.
  std::shared_ptr<Spot> spot = resolver.NewSpot(lines[1]);
  const std::uint64_t queries = parser.QueryCount();
  resolver.SetOwnPosition(-33.9, 151.2);
  resolver.Update(*spot);
  EXPECT_EQ(parser.QueryCount(), queries);
  EXPECT_EQ(LookupRecordOf(*spot), LookupSpotLine(lines[1], parser, -33.9, 151.2, band));
}

// The duplicate test keys a line without making a spot of it; the key must be the one a
// spot of the line has, or a repeat would pass as new.
TEST(SpotHistory, KeyOfALineIsTheKeyOfItsSpot) {
  for (const std::string line : {
           "DX de Q2ABC-#:   14025.5  DL1ABC       CW 22 dB 25 WPM CQ             2215Z",
           "DX de Q2ABC:     3525.05  Q3XYZ        spotted 0815Z twice            0816Z JO62",
           "DX de Q2ABC:     3525.05  Q3XYZ        no time",
           "*** a row that is no spot but is longer than the key of a row that is no spot at all",
       }) {
    EXPECT_EQ(SpotHistoryKeyOfLine(line), SpotHistoryKey(ParseSpotLine(line))) << line;
  }
  EXPECT_EQ(SpotHistoryKeyOfLine("DX de Q2ABC:  3525.5  Q3XYZ  cq  0816Z"), "Q2ABC\x1fQ3XYZ\x1f" "35255\x1f" "0816Z");
}
