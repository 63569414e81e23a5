#include "app/win1252.h"

#include <gtest/gtest.h>

using namespace varnak;

TEST(Win1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(FromQString(ToQString(all)), all);
  EXPECT_EQ(ToQString("\x80"), QString(QChar(0x20AC)));  // euro sign, not a control
  EXPECT_EQ(ToQString("\xf6"), QString(QChar(0xF6)));
  EXPECT_EQ(FromQString(QString(QChar(0x4E2D))), "?");
}
