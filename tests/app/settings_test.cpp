#include "app/settings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/station.h"
#include "core/ini_file.h"
#include "support/temp_dir.h"

using namespace varnak;

namespace {
WorkArea Area(int width) { return WorkArea{0, 0, width, 700}; }
}  // namespace

TEST(Settings, DefaultsFromAMissingFileAndTheWorkArea) {
  test::TempDir dir;
  Settings s = ReadSettingsFile(dir / "Varnak.ini", Area(1024));
  EXPECT_EQ(s.MyCall, "NOCALL");
  EXPECT_EQ(s.MyLocator, "AA00AA");
  EXPECT_EQ(s.AX25port, 1);
  EXPECT_EQ(s.AGWport, "8000");
  EXPECT_EQ(s.OutTelnetPort, 2373);
  EXPECT_TRUE(s.Sound);
  EXPECT_TRUE(s.Reconnect);
  EXPECT_EQ(s.TelnetDbPos, 117);
  EXPECT_EQ(s.Width, 850);
  EXPECT_EQ(s.Height, 700);
  EXPECT_EQ(ReadSettingsFile(dir / "Varnak.ini", Area(800)).Width, 800);
  EXPECT_EQ(ReadSettingsFile(dir / "Varnak.ini", Area(851)).Width, 850);
  EXPECT_FALSE(std::filesystem::exists(dir / "Varnak.ini"));  // reading never creates it
}

TEST(Settings, StoredValuesPortZeroAndObsoleteKeys) {
  test::TempDir dir;
  dir.Write("Varnak.ini",
            "[AGWlink]\r\nMyCall=Q1ABC\r\nAX25port=0\r\nSound=0\r\n"
            "[TelnetLink]\r\nTelnetHost=old.example\r\nTelnetPort=23\r\nTelnetDbPos=5\r\n"
            "[Misc]\r\nReconnect=0\r\n[Custom]\r\nMine=kept\r\n");
  Settings s = ReadSettingsFile(dir / "Varnak.ini", Area(1024));
  EXPECT_EQ(s.MyCall, "Q1ABC");
  EXPECT_EQ(s.AX25port, 1);
  EXPECT_FALSE(s.Sound);
  EXPECT_EQ(s.TelnetDbPos, 5);
  EXPECT_FALSE(s.Reconnect);
  std::string after = dir.Read("Varnak.ini");
  EXPECT_EQ(after.find("TelnetHost"), std::string::npos);
  EXPECT_EQ(after.find("TelnetPort"), std::string::npos);
  EXPECT_NE(after.find("Mine=kept"), std::string::npos);
}

// A hand-edited port nothing can listen on or reach is not used; the pane says which.
TEST(Settings, PortsOutOfRangeGiveWayToTheDefaultsWithAPaneLine) {
  test::TempDir dir;
  dir.Write("Varnak.ini",
            "[AGWlink]\r\nOutTelnetPort=70000\r\nAGWport=0\r\n[OmniRig]\r\nPort=-1\r\n"
            "[TelnetLink]\r\nTelnetOut=0\r\n");
  Station station(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 50, 0}));
  station.ReadConfiguration(Area(1024));
  EXPECT_EQ(station.settings().OutTelnetPort, 2373);
  EXPECT_EQ(station.settings().AGWport, "8000");
  EXPECT_EQ(station.settings().RigPort, 4532);
  station.StartupRoutine();
  const auto pane = station.pane().Texts();
  for (const char* line : {"*** OutTelnetPort=70000 in Varnak.ini is no port (1 to 65535): 2373 is used",
                           "*** AGWport=0 in Varnak.ini is no port (1 to 65535): 8000 is used",
                           "*** [OmniRig] Port=-1 in Varnak.ini is no port (1 to 65535): 4532 is used"})
    EXPECT_NE(std::find(pane.begin(), pane.end(), line), pane.end()) << line;
}

TEST(Settings, MaximizedCloseKeepsTheLastNormalBounds) {
  test::TempDir dir;
  Settings s;
  s.Left = 10, s.Top = 20, s.Width = 700, s.Height = 500;
  ASSERT_TRUE(WriteSettingsFile(dir / "Varnak.ini", s, "1.00"));
  s.Maximized = true;
  s.Left = 0, s.Top = 0, s.Width = 1920, s.Height = 1080;
  ASSERT_TRUE(WriteSettingsFile(dir / "Varnak.ini", s, "1.00"));
  Settings back = ReadSettingsFile(dir / "Varnak.ini", Area(1024));
  EXPECT_TRUE(back.Maximized);
  EXPECT_EQ(back.Left, 10);
  EXPECT_EQ(back.Top, 20);
  EXPECT_EQ(back.Width, 700);
  EXPECT_EQ(back.Height, 500);
  IniFile ini;
  ini.Load(dir / "Varnak.ini");
  EXPECT_EQ(ini.ReadString("VarnakVersion", "Version", ""), "1.00");
}

TEST(Password, ScrambleAndEscapeRoundTripEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string scrambled = ScrambleText(all, kPasswordKey);
  EXPECT_EQ(scrambled.size(), 256u);
  EXPECT_EQ(static_cast<unsigned char>(scrambled[255]), static_cast<unsigned char>(255 + kPasswordKey));
  EXPECT_EQ(UnscrambleText(scrambled, kPasswordKey), all);
  std::string escaped = EscapeIniValue(scrambled);
  for (char c : escaped) EXPECT_TRUE(c > 0x20 && c < 0x7F);
  EXPECT_EQ(UnescapeIniValue(escaped), scrambled);
  EXPECT_EQ(UnescapeIniValue("50%x%4"), "50%x%4");  // hand-written "%" stays

  test::TempDir dir;
  for (const std::string& pw : {all, std::string(" lead and trail "), std::string()}) {
    ASSERT_TRUE(WritePasswordFile(dir / "Q9NODE.pw", pw));
    EXPECT_EQ(ReadPasswordFile(dir / "Q9NODE.pw"), pw);
  }
  EXPECT_EQ(std::filesystem::status(dir / "Q9NODE.pw").permissions() & std::filesystem::perms::group_read,
            std::filesystem::perms::none);
  EXPECT_EQ(ReadPasswordFile(dir / "missing.pw"), "");
}

TEST(ClusterTable, SelectionSortingAndBadRows) {
  Table t = ParseTable(
      "No\tCall\tA\tB\tHost\tPort\r\n"
      "200\tQ2\ta\tb\thost200\t7300\r\n"
      "7\tQ7\ta\tb\thost7\t23\r\n"
      "x\tBAD\ta\tb\thostx\t1\r\n"
      "9\tQ9\ta\tb\thost9\tnoport\r\n"
      "117\tQ117\ta\tb\thost117\t8000\r\n");
  ClusterTable table = ParseClusterTable(t);
  ASSERT_EQ(table.rows.size(), 3u);
  EXPECT_EQ(table.rows[0][0], "7");
  EXPECT_EQ(table.rows[2][0], "200");

  Settings s;
  SelectCluster(s, table);
  EXPECT_EQ(s.ClusterHost, "host117");
  EXPECT_EQ(s.ClusterPort, 8000);
  EXPECT_EQ(s.NextClusterNumber, 201);

  Settings none;
  none.TelnetDbPos = 5;
  SelectCluster(none, table);
  EXPECT_EQ(none.ClusterHost, "");

  test::TempDir dir;
  ClusterTable missing = ReadClusterTable(dir / "telnet.cfg");
  EXPECT_TRUE(missing.rows.empty());
}

// The page in front is kept by its number; numbers from before 60 m and 4 m had pages
// still name the same page.
TEST(Settings, TheStoredPageSurvivesTheNewBandPages) {
  test::TempDir dir;
  for (const auto& [oldTab, band] : std::vector<std::pair<int, const char*>>{{2, "80"}, {3, "40"}, {10, "6"}, {11, "2"}}) {
    dir.Write("Varnak.ini", "[Position]\r\nTab=" + std::to_string(oldTab) + "\r\n");
    EXPECT_EQ(ReadSettingsFile(dir / "Varnak.ini", Area(1024)).Tab, ListIndexOfBand(band)) << band;
  }
  dir.Write("Varnak.ini", "[Position]\r\nTab=14\r\n");  // the search page
  Settings s = ReadSettingsFile(dir / "Varnak.ini", Area(1024));
  EXPECT_EQ(s.Tab, kSpotListCount);
  ASSERT_TRUE(WriteSettingsFile(dir / "Varnak.ini", s, "1.00"));
  EXPECT_EQ(ReadSettingsFile(dir / "Varnak.ini", Area(1024)).Tab, kSpotListCount);
}
