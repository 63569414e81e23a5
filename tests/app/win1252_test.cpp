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

TEST(Win1252, ValidUtf8WithHighBytesIsShownAsUtf8) {
  EXPECT_EQ(ToQString("Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac \xf0\x9f\x93\xbb"), QString::fromUtf8("Grüße € 📻"));
  // Anything that is no UTF-8 stays Windows-1252: a lone lead byte, a cut sequence at the
  // end, an overlong form, a surrogate, a plain Latin letter.
  for (const char* bytes : {"\xc3 x", "ab\xe2\x82", "\xc0\xaf", "\xed\xa0\x80", "caf\xe9"}) {
    EXPECT_FALSE(IsUtf8Text(bytes)) << bytes;
    EXPECT_EQ(FromQString(ToQString(bytes)), bytes);
  }
  EXPECT_FALSE(IsUtf8Text("plain"));
}
