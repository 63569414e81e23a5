#include "core/tune_plan.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace varnak;
using enum RigMode;

TEST(TunePlan, ModeAndSplitOfRealSpots) {
  struct Row {
    long long hz;
    const char* comment;
    RigMode mode;
    long long txHz;  // 0: no split
  };
  const Row rows[] = {
      // Mode words, whole words in any case, before the calling frequencies and the band plan.
      {7074000, "FT8", DIG, 0}, {5357000, "60m ft8", DIG, 0}, {3575400, "FT8 -19dB", DIG, 0},
      {14090000, "ft4 tnx", DIG, 0}, {7040000, "LOFT8 de", LSB, 0}, {14070000, "PSK31", DIG, 0},
      {14080000, "RTTY test", RTTY, 0}, {14074000, "CW 22 dB 25 WPM CQ", CW, 0}, {14200000, "AM", AM, 0},
      {7150000, "SSB", LSB, 0}, {10120000, "ssb", USB, 0}, {5360000, "SSB", USB, 0}, {3750000, "USB", USB, 0},
      // The FT8/FT4 calling frequencies without a word, 2 kHz either side.
      {1840000, "", DIG, 0}, {7047500, "", DIG, 0}, {7045000, "", LSB, 0}, {14076000, "", DIG, 0},
      {14077000, "", USB, 0}, {50313000, "", DIG, 0},
      // 60 m phone is USB; elsewhere the band plan stands.
      {5403500, "", USB, 0}, {14195000, "", USB, 0}, {1830000, "", CW, 0},
      // Splits as DX Spider users write them.
      {14195000, "UP 5", USB, 14200000}, {14025000, "up5", CW, 14030000}, {14025000, "UP", CW, 14026000},
      {14195000, "listening UP.", USB, 14200000}, {14074000, "FT8 UP", DIG, 14079000},
      {14025000, "UP 1-3", CW, 14026000}, {14025000, "up 1.5 khz", CW, 14026500},
      {7090000, "DN 2", LSB, 7088000}, {7090000, "DOWN 2", LSB, 7088000},
      {14160000, "QSX 14195", USB, 14195000}, {14160000, "QSX 14.195", USB, 14195000},
      {14160000, "qsx 195", USB, 14195000}, {3795000, "QSX 805", LSB, 3805000},
      {7170000, "pse QSX UP 10", LSB, 7180000}, {7065000, "QSX 3.799", LSB, 3799000},
      // Not a split: other words, a frequency off the bands, too far, in MHz.
      {14025000, "UP TO 5 MHZ", CW, 0}, {14025000, "UP 5 MHZ", CW, 0}, {14025000, "UPDATE", CW, 0},
      {14025000, "GROUP", CW, 0}, {14025000, "up 100", CW, 0}, {14160000, "QSX 995", USB, 0},
      {14195000, "TNX QSO 599", USB, 0},
  };
  for (const Row& r : rows) {
    const TunePlan plan = PlanTune(r.hz, r.comment);
    EXPECT_EQ(plan.rxHz, r.hz);
    EXPECT_EQ(plan.mode, r.mode) << r.hz << " \"" << r.comment << "\"";
    EXPECT_EQ(plan.txHz.value_or(0), r.txHz) << r.hz << " \"" << r.comment << "\"";
  }
}

TEST(TunePlan, ModesARadioLacksFallBack) {
  auto only = [](std::initializer_list<RigMode> modes) {
    return [modes](RigMode m) { return std::find(modes.begin(), modes.end(), m) != modes.end(); };
  };
  EXPECT_EQ(OfferedMode(RTTY, only({RTTY, DIG})), RTTY);
  EXPECT_EQ(OfferedMode(RTTY, only({DIG})), DIG);
  EXPECT_EQ(OfferedMode(RTTY, only({USB})), USB);
  EXPECT_EQ(OfferedMode(DIG, only({USB})), USB);
  EXPECT_EQ(OfferedMode(DIGR, only({LSB})), LSB);
  EXPECT_EQ(OfferedMode(CW, only({USB})), CW);
}
