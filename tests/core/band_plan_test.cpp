#include "core/band_plan.h"

#include <gtest/gtest.h>

using namespace varnak;
using enum RigMode;

TEST(BandPlanMode, EveryBoundOfTheTable) {
  struct Row {
    long long kHz;
    RigMode below, from;
  };
  const Row rows[] = {
      {1800, AM, CW},      {1838, CW, LSB},     {3500, LSB, CW},       {3600, CW, LSB},      {7000, LSB, CW},
      {7040, CW, LSB},     {10100, LSB, CW},    {14070, CW, USB},      {18068, USB, CW},     {18100, CW, USB},
      {21000, USB, CW},    {21070, CW, USB},    {24890, USB, CW},      {24920, CW, USB},     {24929, USB, CW},
      {24931, CW, USB},    {28000, USB, CW},    {28225, CW, USB},      {29510, USB, FM},     {50000, FM, CW},
      {50100, CW, USB},    {51210, USB, FM},    {144000, FM, CW},      {144150, CW, USB},    {144400, USB, CW},
      {144500, CW, USB},   {144800, USB, FM},   {432000, FM, CW},      {432150, CW, USB},    {433000, USB, FM},
      {1296000, FM, CW},   {1296150, CW, USB},  {1297000, USB, FM}};
  for (const Row& r : rows) {
    EXPECT_EQ(BandPlanMode(r.kHz - 1), r.below) << r.kHz - 1;
    EXPECT_EQ(BandPlanMode(r.kHz), r.from) << r.kHz;
  }
  EXPECT_EQ(BandPlanMode(0), AM);
  EXPECT_EQ(BandPlanMode(10'000'000), FM);
}
