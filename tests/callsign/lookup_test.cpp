#include "callsign/lookup.h"

#include <gtest/gtest.h>

#include <sstream>

#include "callsign/locator_geometry.h"
#include "support/temp_dir.h"

namespace varnak {
namespace {

const std::string kPrefixLst = std::string(VARNAK_DATA_DIR) + "/prefix.lst";

std::string Band(double kHz) { return kHz >= 14000 ? "20" : kHz >= 7000 ? "40" : "80"; }

TEST(LookupTexts, HomeCallAndHz) {
  EXPECT_EQ(HomeCallOf("EA8/DL1ABC"), "DL1ABC");
  EXPECT_EQ(HomeCallOf("DL1ABC/P"), "DL1ABC");
  EXPECT_EQ(HomeCallOf("AB/CD"), "CD");
  EXPECT_EQ(HomeCallOf("W1ABC/KH6/P"), "KH6/P");
  EXPECT_EQ(HomeCallOf("DL1ABC"), "DL1ABC");
  EXPECT_EQ(HzTextOf("14025.5"), "14025500");
  EXPECT_EQ(HzTextOf("14025"), "1402500");
  EXPECT_EQ(HzTextOf("14025.55"), "140255500");
}

TEST(LookupTexts, WholeNumbersRoundHalfToEven) {
  EXPECT_EQ(WholeNumberText(1234.5L), "1234");
  EXPECT_EQ(WholeNumberText(1235.5L), "1236");
  EXPECT_EQ(WholeNumberText(1234.49L), "1234");
  EXPECT_EQ(WholeNumberText(359.7L), "360");
  EXPECT_EQ(WholeNumberText(0.5L), "0");
}

class SpotLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parser_.SetPrefixFile(kPrefixLst);
    ASSERT_EQ(parser_.LastLoadError(), "");
    own_ = LocatorToPosition("JO57XQ");
  }
  dxrec Lookup(const std::string& line) {
    return LookupSpotLine(line, parser_, static_cast<double>(own_.Latitude),
                          static_cast<double>(own_.Longitude), Band);
  }
  TCallParser parser_;
  GeoPosition own_;
};

TEST_F(SpotLookupTest, SpotLineGivesTheRecordAndItsLookupLine) {
  const dxrec r = Lookup("DX de K1ABC:     14025.5  DL1ABC       cq cq                  1234Z");
  EXPECT_EQ(r.FrequencyText, "14025.5");
  EXPECT_EQ(r.HzText, "14025500");
  EXPECT_EQ(r.SpotCall, "DL1ABC");
  EXPECT_EQ(r.HomeCall, "DL1ABC");
  EXPECT_EQ(r.BandText, "20");
  EXPECT_EQ(r.EntityName, "Fed. Rep. of Germany");
  EXPECT_EQ(r.PrefixText, "DL");
  EXPECT_NEAR(r.Lat, 51.0, 0.01);
  EXPECT_NEAR(r.Lon, 10.0, 0.01);
  const auto db = DistanceBearing(own_.Latitude, own_.Longitude, r.Lat, r.Lon);
  EXPECT_EQ(r.DistanceText, WholeNumberText(db.DistanceKm) + " km");
  EXPECT_EQ(r.BearingText, WholeNumberText(db.BearingDeg) + " deg");
  EXPECT_EQ(r.LookupText, "DL1ABC = DL: Fed. Rep. of Germany [" + r.BearingText + "] [" + r.DistanceText + "]");
}

TEST_F(SpotLookupTest, CapacitiesAndUnknownCalls) {
  const dxrec r = Lookup("DX de K1ABC: 7025 DL1ABCDEFGHIJKLMNOP x");
  EXPECT_EQ(r.SpotCall, "DL1ABCDEFGHIJKL");
  EXPECT_EQ(r.HzText, "702500");
  EXPECT_EQ(r.BandText, "");  // no "." in the token: no band
  const dxrec none = Lookup("DX de K1ABC: 14025.0 DL1ABC/MM x");
  EXPECT_EQ(none.Lat, 0);
  EXPECT_EQ(none.Lon, 0);
  EXPECT_EQ(none.LookupText, "");
  EXPECT_EQ(none.EntityName, "");
  const dxrec noColon = Lookup("garbage");
  EXPECT_EQ(noColon.FrequencyText, "garbage");
  const dxrec empty = Lookup("");
  EXPECT_EQ(empty.SpotCall, "");
}

TEST_F(SpotLookupTest, MenuCaptions) {
  const dxrec r = Lookup("DX de K1ABC: 14025.5 EA8/DL1ABC x");
  const auto c = SpotMenuCaptionsFor(r);
  EXPECT_EQ(c[SetQRG1], "Set QRG 14025.5");
  EXPECT_EQ(c[Showqrz1], "SHOW/QRZ DL1ABC (QRZ callbook)");
  EXPECT_EQ(c[Showdx1], "SHOW/DX DL1ABC");
  EXPECT_EQ(c[Showprefix1], "SHOW/PREFIX EA8/DL1ABC");
  EXPECT_EQ(c[ShowinDxAtlas1], "Show EA8/DL1ABC in Dx Atlas");
  EXPECT_EQ(DesignSpotMenuCaptions()[Showdb0sdx1], "Show/db0sdx");
  EXPECT_EQ(r.EntityName, "Canary Islands");
}

TEST(LookupWindow, RowLines) {
  TPrefixData row;
  row.Latitude = 9270;
  row.Longitude = -18;
  row.Prefix = "G";
  row.Name = "England";
  row.SubArea = "London";
  row.ExtraNames = {"A", "B"};
  EXPECT_EQ(LookupRowLines(row),
            (std::vector<std::string>{"Lat= 51.50 Lon=  -0.10      G  England /  / London", "    A", "    B"}));
}

TEST(LookupCli, PrintsEachTextThenTheWindowLines) {
  std::istringstream none;
  std::ostringstream out;
  EXPECT_EQ(RunLookupCli({"DL1ABC", "XX"}, none, out, kPrefixLst, 0, 0), 0);
  const std::string s = out.str();
  EXPECT_EQ(s.rfind("DL1ABC\nLat= 51.00 Lon=  10.00     DL  Fed. Rep. of Germany /  / \nXX\n", 0), 0u) << s;

  std::istringstream in("EA8/DL1ABC\r\n\r\nKH\n");
  std::ostringstream out2;
  EXPECT_EQ(RunLookupCli({}, in, out2, kPrefixLst, 0, 0), 0);
  EXPECT_NE(out2.str().find("EA8/DL1ABC\nLat="), std::string::npos);
  EXPECT_NE(out2.str().find("\nKH\nLat="), std::string::npos);

  std::ostringstream out3;
  EXPECT_EQ(RunLookupCli({"DL1ABC"}, none, out3, "/nonexistent/prefix.lst", 0, 0), 2);
}

}  // namespace
}  // namespace varnak
