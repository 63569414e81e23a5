// The operator's log in the session: the marks of spots, re-reads and the spot sound.
#include "app/operator_log.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <filesystem>
#include <fstream>

#include "app/station.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

#include "support/sample_log.h"

using namespace varnak;

namespace {

const std::string& kLog = test::kSampleLog;

}  // namespace

class OperatorLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst");
    std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "blip.wav", dir / "blip.wav");
    oldDir = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));  // the sounds are found by bare name
    dir.Write("log.adi", kLog);
    dir.Write("Varnak.ini", "[Log]\nAdif=log.adi\nSoundNeeded=1\n");
    station = std::make_unique<Station>(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 8, 6, 0, 0}));
    station->operatorLog().DebounceMs = 50;
    QSignalSpy read(&station->operatorLog(), &OperatorLog::marksChanged);
    station->ReadConfiguration(WorkArea{});
    WAIT_TRUE(read.count() == 1, 10000);
  }
  void TearDown() override {
    station.reset();
    QDir::setCurrent(oldDir);
  }
  std::string Lookup(const std::string& kHz, const std::string& call, const std::string& comment = "") {
    station->ClassifyLine("DX de Q1ABC:     " + kHz + "  " + call + "  " + comment + "  0600Z");
    return station->CurrentSpot.LookupText;
  }
  std::vector<std::string> Pane() const { return station->pane().Texts(); }

  test::TempDir dir;
  QString oldDir;
  std::unique_ptr<Station> station;
};

TEST_F(OperatorLogTest, MarksSpotsAndTagsTheLookupLine) {
  EXPECT_EQ(Pane().back(), "Log: 3 QSOs read, 0 skipped");
  EXPECT_TRUE(Lookup("14025.0", "JA1ABC").ends_with(" [NEW]"));
  EXPECT_EQ(station->CurrentSpotMark, NeedMark::NewEntity);
  EXPECT_TRUE(Lookup("21025.0", "DL5QQ").ends_with(" [BAND]"));
  EXPECT_TRUE(Lookup("14074.0", "DF1ZZ", "FT8").ends_with(" [MODE]"));
  EXPECT_TRUE(Lookup("7150.0", "DL5QQ").ends_with(" [CFM?]"));
  EXPECT_TRUE(Lookup("14025.0", "DL5QQ").ends_with("km]")) << "worked and confirmed: no tag";
  EXPECT_EQ(station->CurrentSpotMark, NeedMark::None);

  const NeedMarker marker = station->operatorLog().Marker();
  EXPECT_EQ(marker("291", 14075, "FT8"), NeedMark::None);
  EXPECT_EQ(marker("291", 14200, "SSB"), NeedMark::NewMode);
  EXPECT_EQ(marker("", 14200, ""), NeedMark::None) << "unknown entity";
}

TEST_F(OperatorLogTest, ReadsAgainWhenTheLoggerReplacesTheFile) {
  QSignalSpy changed(&station->operatorLog(), &OperatorLog::marksChanged);
  // As loggers save: a new file renamed over the old one, with a damaged record.
  dir.Write("log.tmp", kLog + "<CALL:6>JA1ABC <BAND:3>20m <MODE:2>CW <EOR>\n<CALL:9>X <EOR>\n");
  std::filesystem::rename(dir / "log.tmp", dir / "log.adi");
  WAIT_TRUE(changed.count() >= 1, 10000);
  EXPECT_EQ(Pane().back(), "Log: 4 QSOs read, 1 skipped");
  EXPECT_TRUE(Lookup("14025.0", "JA1ABC").ends_with(" [CFM?]"));

  // Watched again after the rename; gone, it keeps the marks and says why.
  std::filesystem::remove(dir / "log.adi");
  WAIT_TRUE(Pane().back().starts_with("Log: cannot open "), 10000);
  EXPECT_TRUE(Pane().back().ends_with("log.adi: No such file or directory")) << Pane().back();
  EXPECT_EQ(station->operatorLog().Mark("339", 14025, "CW"), NeedMark::Unconfirmed);

  dir.Write("log.adi", kLog);
  WAIT_TRUE(Pane().back() == "Log: 3 QSOs read, 0 skipped", 10000);
  EXPECT_EQ(station->operatorLog().Mark("339", 14025, "CW"), NeedMark::NewEntity);
}

TEST_F(OperatorLogTest, NeededOnlySoundsForNewEntityBandOrMode) {
  station->alerts().SetSoundOn(true);
  ASSERT_TRUE(station->alerts().NeededOnly());
  const auto spot = [&](const std::string& line) {
    const int before = station->alerts().OpenCount();
    station->ClassifyLine(line);
    return station->alerts().OpenCount() - before;
  };
  EXPECT_EQ(spot("DX de Q1ABC:     14025.0  JA1ABC       cq                     0601Z"), 1);
  EXPECT_EQ(spot("DX de Q1ABC:     14026.0  DL5QQ        cq                     0602Z"), 0);
  EXPECT_EQ(spot("DX de Q1ABC:      7150.0  DL5QQ        unconfirmed only       0603Z"), 0);
  EXPECT_EQ(spot("DX de Q1ABC:     14220.0  DL5QQ        SSB                    0604Z"), 1);

  station->alerts().SetNeededOnly(false);
  EXPECT_EQ(spot("DX de Q1ABC:     14027.0  DL5QQ        cq                     0605Z"), 1);
}

// With the columns view up and a log read every row is looked up, yet a spot costs one
// parser query: when it is filed, and none when its row is picked later.
TEST_F(OperatorLogTest, EachSpotIsLookedUpOnce) {
  station->SetRowLookupsWanted(true);
  const TCallParser& parser = station->parser();
  const std::uint64_t before = parser.QueryCount();
  for (const char* line : {"DX de Q1ABC:     14025.0  JA1ABC       cq                     0601Z",
                           "DX de Q1ABC:      7150.0  DL5QQ        cq                     0602Z",
                           "DX de Q1ABC:     21025.0  W1AW         cq                     0603Z"})
    station->ClassifyLine(line);
  for (int i = 0; i < kSpotListCount; ++i) station->lists().List(i)->FinishNow();
  EXPECT_EQ(parser.QueryCount() - before, 3u);

  station->PickSpot(kAllList, station->lists().All()->Size() - 3);
  EXPECT_EQ(station->CurrentSpot.SpotCall, "JA1ABC");
  EXPECT_EQ(station->currentSpot().need, NeedMark::NewEntity);
  EXPECT_EQ(parser.QueryCount() - before, 3u);
}
