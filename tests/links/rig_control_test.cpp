#include "links/rig_control.h"
#include "links/rigctld_client.h"

#include <gtest/gtest.h>

using namespace varnak;
using enum RigMode;

TEST(RigText, FrequencyDisplayAndModeNames) {
  EXPECT_EQ(RigFrequencyText(14025500), "14025.5");
  EXPECT_EQ(RigFrequencyText(145000000), "145000.0");
  EXPECT_EQ(RigFrequencyText(50), "0.0");
  EXPECT_EQ(MegahertzText(14025500), "14.025500");
  EXPECT_EQ(MegahertzText(7000), "0.007000");
  EXPECT_EQ(RigModeOfName("PKTLSB"), DIGR);
  EXPECT_EQ(RigModeOfName("RTTY"), std::nullopt);
  EXPECT_FALSE(IsRigFrequency(0));
  EXPECT_FALSE(IsRigFrequency(1'000'000'000'000));
}
