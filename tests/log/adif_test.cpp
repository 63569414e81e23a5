// The operator's log file: ADIF reading, mode groups and bands.
#include "log/adif.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log_book.h"

#include "support/sample_log.h"

using namespace varnak;

namespace {

const std::string& kLog = test::kSampleLog;

std::vector<AdifRecord> ReadAll(const std::string& text, AdifCounts* counts) {
  std::vector<AdifRecord> records;
  *counts = ReadAdif(text, [&](const AdifRecord& r) { records.push_back(r); });
  return records;
}

}  // namespace

TEST(Adif, ReadsFieldsAnyCaseAndSkipsWhatIsDamaged) {
  AdifCounts counts;
  auto records = ReadAll(kLog, &counts);  // views into kLog
  ASSERT_EQ(counts.Records, 3u);
  EXPECT_EQ(counts.Skipped, 0u);
  EXPECT_EQ(records[1].Call, "dk2xyz");
  EXPECT_EQ(records[1].Freq, "7.150");
  EXPECT_EQ(records[1].Submode, "LSB");
  EXPECT_EQ(records[2].Dxcc, "291");

  const std::string damaged = kLog +
                              "<CALL:9>JA1XX <BAND:3>15m <EOR>\n"  // length too long
                              "<CALL:3>JA1XX <BAND:3>15m <EOR>\n"  // too short
                              + std::string("\x01\xff<\x80<<:>\0 garbage <EOR>\n", 24) +
                              "<CALL:99999999999>X <EOR>\n"        // huge length
                              "<BAND:3>20m <EOR>\n"                // neither call nor DXCC
                              "<CALL:5>VK2AA <BAND:3>40m <EOR>\n"  // still read
                              "<CALL:5>ZL1AA <BAND:3>4";           // cut off
  records = ReadAll(damaged, &counts);
  EXPECT_EQ(counts.Records, 4u);
  EXPECT_EQ(counts.Skipped, 6u);
  EXPECT_EQ(records.back().Call, "VK2AA");
}

TEST(Adif, ModeGroupsAndBands) {
  EXPECT_EQ(ModeGroupOfAdif("SSB", "USB"), ModeGroup::Phone);
  EXPECT_EQ(ModeGroupOfAdif("DIGITALVOICE", ""), ModeGroup::Phone);
  EXPECT_EQ(ModeGroupOfAdif("MFSK", "FT4"), ModeGroup::Digital);
  EXPECT_EQ(ModeGroupOfAdif("", ""), std::nullopt);
  EXPECT_EQ(SpotModeGroup(14074, "FT8 -12 dB"), ModeGroup::Digital);
  EXPECT_EQ(SpotModeGroup(14074, ""), ModeGroup::Digital);
  EXPECT_EQ(SpotModeGroup(14200, "CW 25 WPM"), ModeGroup::Cw);
  EXPECT_EQ(SpotModeGroup(14025, "pse QSY SSB"), ModeGroup::Phone);
  EXPECT_EQ(SpotModeGroup(14025, "JT1CO psk31"), ModeGroup::Digital);
  EXPECT_EQ(SpotModeGroup(14025, "tnx qso"), ModeGroup::Cw);  // the band plan
  EXPECT_EQ(AdifBandOfKhz(50313), AdifBandOfName("6M"));
  EXPECT_EQ(AdifBandOfKhz(14500), -1);
}

