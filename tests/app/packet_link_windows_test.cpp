// The monitor and heard windows offscreen.
#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "ui/windows.h"

namespace varnak {
namespace {

QString Text(TextWindow& w) { return w.text()->toPlainText(); }

TEST(MonitorWindow, ShowdataAddsOneLinePerCrAndKeepsTheTailPastTenThousand) {
  TMoniForm moni;
  EXPECT_TRUE(moni.text()->isReadOnly());
  EXPECT_TRUE(moni.windowFlags() & Qt::WindowStaysOnTopHint);

  moni.Showdata("");
  moni.Showdata("  first\r\r second \rthird");
  EXPECT_EQ(Text(moni), "\nfirst\nsecond\nthird");

  moni.Clear();
  const std::string line(99, 'a');  // with its line break, 100 characters a line
  for (int i = 0; i < 100; ++i) moni.Showdata(line);
  EXPECT_EQ(Text(moni).size(), 9999);
  moni.Showdata("bb");  // 10002: keep from character 8000 on
  const QString t = Text(moni);
  EXPECT_EQ(t.size(), 10002 - 7999);
  EXPECT_TRUE(t.endsWith("\nbb"));
  EXPECT_EQ(moni.text()->textCursor().position(), t.size());
}

TEST(MheardWindow, ClearStartsAfreshAndLinesKeepTheirBlanks) {
  TMheard heard;
  heard.AddLine("Port1");
  heard.AddLine("    Q2AAA");
  EXPECT_EQ(Text(heard), "Port1\n    Q2AAA");
  heard.Clear();
  heard.AddLine("");
  heard.AddLine("Port2");
  EXPECT_EQ(Text(heard), "\nPort2");
}

}  // namespace
}  // namespace varnak
