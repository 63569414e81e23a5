#include "core/text.h"

#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "core/version.h"

using namespace varnak;

TEST(Text, TrimRemovesBytesUpTo32Only) {
  EXPECT_EQ(Trim(std::string("\x00\x07 \tab c\r\n\x20", 10)), "ab c");
  EXPECT_EQ(Trim("\x21x\x7f"), "\x21x\x7f");
  EXPECT_EQ(Trim("\xa0x\xa0"), "\xa0x\xa0");  // no-break space is a letter here
  EXPECT_EQ(Trim("   "), "");
}

TEST(Text, ParseIntAcceptsOnlyWholeNumbers) {
  int v = 5;
  EXPECT_TRUE(ParseInt(" 8001 ", v));
  EXPECT_EQ(v, 8001);
  EXPECT_TRUE(ParseInt("-3", v));
  EXPECT_EQ(v, -3);
  for (const char* bad : {"", "12a", "a", "99999999999", "1 2", "+"}) {
    v = 7;
    EXPECT_FALSE(ParseInt(bad, v)) << bad;
    EXPECT_EQ(v, 7);
  }
}

TEST(Version, ShortAndLongTexts) {
  EXPECT_EQ(ShortVersionText(2, 0, 5), "2.05");
  EXPECT_EQ(LongVersionText(2, 0, 5, 7), "2.05 (Build 7)");
  EXPECT_EQ(ShortVersionText(1, 2, 3), "1.23");
}

TEST(IniFile, KeysAreCaseInsensitiveAndDefaultsApply) {
  IniFile ini;
  ini.LoadText("[AGWlink]\r\nMyCall=Q1ABC\r\nAX25port=x\r\nSound=2\r\n");
  EXPECT_EQ(ini.ReadString("agwlink", "MYCALL", "NOCALL"), "Q1ABC");
  EXPECT_EQ(ini.ReadInteger("AGWlink", "AX25port", 1), 1);
  EXPECT_TRUE(ini.ReadBool("AGWlink", "Sound", false));
  EXPECT_EQ(ini.ReadString("Misc", "None", "d"), "d");
  ini.DeleteKey("AGWlink", "MyCall");
  EXPECT_FALSE(ini.HasKey("AGWlink", "MyCall"));
  ini.WriteInteger("Position", "Left", -4);
  IniFile back;
  back.LoadText(ini.Text());
  EXPECT_EQ(back.ReadInteger("Position", "Left", 0), -4);
}
