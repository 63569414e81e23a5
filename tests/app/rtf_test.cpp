#include "app/rtf.h"

#include <gtest/gtest.h>

using namespace varnak;

TEST(Rtf, WhatWeWriteReadsBackExactly) {
  std::string every;
  for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
  std::vector<RtfLine> lines = {
      {255, 0, 0, "*** Varnak started 21:07:30 12-06"},
      {0, 0, 255, every},
      {0, 0, 255, ""},
      {1, 2, 3, "\\par {\\cf1 not markup} \\'41"},
      {0, 0, 0, "  7 leading blanks, a digit, trailing blanks  "},
      {255, 0, 0, "\ttab first"},
      {12, 34, 56, std::string("nul\0inside", 10)},
  };
  std::string rtf = WriteRtf(lines);
  EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
  EXPECT_EQ(ReadRtf(rtf), lines);
  EXPECT_TRUE(ReadRtf(WriteRtf({})).empty());
}

TEST(Rtf, ReadsWhatAWordProcessorSaves) {
  const char* doc =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 Courier New;}}\r\n"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}\r\n"
      "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
      "\\pard\\sa200\\sl276\\slmult1\\cf1\\f0\\fs20\\lang9 DX de Q2ABC: red\\par\r\n"
      "\\cf2 caf\\'e9 \\u8364\\'80 \\u8212?dash {\\b bold} end\\par\r\n"
      "\\cf0 {\\*\\unknowndest hidden}{\\info{\\author someone}}plain\\line tail\r\n"
      "\\par\r\n"
      "}\r\n";
  std::vector<RtfLine> lines = ReadRtf(doc);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], (RtfLine{255, 0, 0, "DX de Q2ABC: red"}));
  EXPECT_EQ(lines[1], (RtfLine{0, 128, 0, "caf\xe9 \x80 \x97" "dash bold end"}));
  EXPECT_EQ(lines[2], (RtfLine{0, 0, 0, "plain"}));
  EXPECT_EQ(lines[3], (RtfLine{0, 0, 0, "tail"}));
}

TEST(Rtf, DamagedInputKeepsWhatItCan) {
  // Truncated in the middle, bad escapes, a colour index past the table, stray braces.
  std::string doc =
      "{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}\\cf1 first\\par}}}\\cf7 second\\par"
      "\\'zzthird\\cf99999999999999999 \\par\\bin99999999 rest";
  std::vector<RtfLine> lines = ReadRtf(doc);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], (RtfLine{0, 0, 255, "first"}));
  EXPECT_EQ(lines[1], (RtfLine{0, 0, 0, "second"}));

  for (size_t cut = 0; cut < doc.size(); ++cut) ReadRtf(doc.substr(0, cut));
  EXPECT_TRUE(ReadRtf("").empty());
  EXPECT_TRUE(ReadRtf("{\\rtf1").empty());
  EXPECT_EQ(ReadRtf("{\\rtf1" + std::string(100000, '{') + "deep\\par"), (std::vector<RtfLine>{{0, 0, 0, "deep"}}));
}

TEST(Rtf, PlainTextIsTakenLineByLine) {
  EXPECT_EQ(ReadRtf("one\r\ntwo\nthree"),
            (std::vector<RtfLine>{{0, 0, 0, "one"}, {0, 0, 0, "two"}, {0, 0, 0, "three"}}));
}
