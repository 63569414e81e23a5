#include "agw/message_logger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/text.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace varnak {
namespace {

const DateTime kLocal{2024, 6, 1, 13, 5, 9, 42};
const DateTime kUtc{2024, 6, 1, 11, 5, 9, 42};

std::shared_ptr<FixedClock> Clock1June() { return std::make_shared<FixedClock>(kLocal, kUtc); }

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(FrameLogger, HexDumpMatchesTheTwentyByteExample) {
  const std::string text = "ABCDEFGHIJKLMNOPQRST";
  auto lines = HexDumpLines(text.data(), text.size());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "41 42 43 44 45 46 47 48 - 49 4A 4B 4C 4D 4E 4F 50 |ABCDEFGHIJKLMNOP");
  EXPECT_EQ(lines[1], "51 52 53 54 " + std::string(38, ' ') + "|QRST");
  EXPECT_EQ(lines[1].find('|'), 50u);

  auto sixteen = HexDumpLines(text.data(), 16);
  ASSERT_EQ(sixteen.size(), 1u);
  auto eight = HexDumpLines("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
  ASSERT_EQ(eight.size(), 1u);
  EXPECT_EQ(eight[0], "01 02 03 04 05 06 07 08 " + std::string(26, ' ') + "|........");
  EXPECT_TRUE(HexDumpLines("", 0).empty());
}

TEST(FrameLogger, FileNamesFollowDateSuffixAndExtensionRules) {
  test::TempDir dir;
  TMessageLogger logger(dir.path().string(), "varnak.log", Clock1June());
  const std::string folder = dir.path().string() + "/";
  EXPECT_EQ(logger.LogFilePath(), folder);
  EXPECT_EQ(logger.PhysicalLogFileName(), folder + "varnak 24-06-01L.log");
  logger.SetUTC(true);
  EXPECT_EQ(logger.PhysicalLogFileName(), folder + "varnak 24-06-01Z.log");
  logger.SetShowLocalZulu(false);
  EXPECT_EQ(logger.PhysicalLogFileName(), folder + "varnak 24-06-01.log");
  logger.SetLogFileName("station.txt");
  EXPECT_EQ(logger.LogFileName(), "station");
  EXPECT_EQ(logger.PhysicalLogFileName(), folder + "station 24-06-01.log");
  logger.SetLogFilePath("");
  EXPECT_EQ(logger.LogFilePath(), "");
}

TEST(FrameLogger, WritesEntriesInCallOrderWithTimeStamps) {
  test::TempDir dir;
  std::vector<std::string> added;
  {
    TMessageLogger logger(dir.path().string(), "varnak.log", Clock1June());
    logger.OnEntryAdded = [&](const std::string& e) { added.push_back(e); };
    logger.Log("first");
    logger.Log("second 100%s");
    logger.Log("third");
  }  // stopping writes what is queued
  EXPECT_EQ(ReadFile(dir / "varnak 24-06-01L.log"),
            "<13:05:09.042L> first\r\n<13:05:09.042L> second 100%s\r\n<13:05:09.042L> third\r\n");
  ASSERT_EQ(added.size(), 3u);
  EXPECT_EQ(added[0], "<13:05:09.042L> first");
}

TEST(FrameLogger, EntriesLoggedWhileTheWriterIsBusyGoOutAsOneBatch) {
  test::TempDir dir;
  TMessageLogger logger(dir.path().string(), "varnak.log", Clock1June());
  // Hold the writer in OnFileCreated of the first batch, queue two more, release.
  std::function<void()> held;
  std::mutex m;
  std::condition_variable cv;
  logger.SetUiPoster([&](std::function<void()> fn) {
    std::lock_guard g(m);
    held = std::move(fn);
    cv.notify_all();
  });
  logger.OnFileCreated = [](TCustomMessageLogger*, const std::string&) {};
  logger.Log("one");
  {
    std::unique_lock lk(m);
    ASSERT_TRUE(cv.wait_for(lk, std::chrono::seconds(5), [&] { return bool(held); }));
  }
  logger.Log("two");
  logger.Log("three");
  held();
  ASSERT_TRUE(logger.WaitIdle(5000));
  EXPECT_EQ(logger.BatchesWritten(), 2u);
  EXPECT_EQ(Split(ReadFile(dir / "varnak 24-06-01L.log"), '\n').size(), 4u);
}

TEST(FrameLogger, OverSizeFileIsArchivedAndANewOneCreated) {
  test::TempDir dir;
  dir.Write("varnak 24-06-01L.log", std::string(150, 'x'));
  std::vector<std::string> created;
  {
    TMessageLogger logger(dir.path().string(), "varnak.log", Clock1June());
    logger.SetMaxFileSize(100);
    logger.OnFileCreated = [&](TCustomMessageLogger*, const std::string& name) { created.push_back(name); };
    logger.Log("fresh");
    ASSERT_TRUE(logger.WaitIdle(5000));
  }
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0], (dir / "varnak 24-06-01L.log").string());
  EXPECT_EQ(ReadFile(dir / "varnak 24-06-01L.log"), "<13:05:09.042L> fresh\r\n");
  EXPECT_EQ(ReadFile(dir / "varnak 24-06-01 13:05:09L.log"), std::string(150, 'x'));
}

TEST(FrameLogger, PurgeDeletesOldLogsOncePerDay) {
  test::TempDir dir;
  auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 4);
  for (const char* name : {"varnak 24-05-01L.log", "varnak 24-05-02L.log", "other 24-05-01L.log", "varnak.txt"}) {
    dir.Write(name, "x");
    fs::last_write_time(dir / name, old);
  }
  dir.Write("varnak 24-05-31L.log", "recent");
  TCustomMessageLogger::ForgetLastPurgeDay();
  {
    TMessageLogger logger(dir.path().string(), "varnak.log", Clock1June());
    logger.SetPurgeFileDays(3);
    logger.Log("purges");
    EXPECT_FALSE(fs::exists(dir / "varnak 24-05-01L.log"));
    EXPECT_FALSE(fs::exists(dir / "varnak 24-05-02L.log"));
    EXPECT_TRUE(fs::exists(dir / "other 24-05-01L.log"));
    EXPECT_TRUE(fs::exists(dir / "varnak.txt"));
    EXPECT_TRUE(fs::exists(dir / "varnak 24-05-31L.log"));
    // The same day again: nothing more is deleted.
    dir.Write("varnak 24-05-03L.log", "x");
    fs::last_write_time(dir / "varnak 24-05-03L.log", old);
    logger.Log("no purge");
    EXPECT_TRUE(fs::exists(dir / "varnak 24-05-03L.log"));
  }
  TCustomMessageLogger::ForgetLastPurgeDay();
}

TEST(FrameLogger, WriterThatCannotCreateItsFileStopsAndReportsOnce) {
  test::TempDir dir;
  dir.Write("blocker", "a file where the log folder should be");
  TMessageLogger logger((dir / "blocker" / "logs").string(), "varnak.log", Clock1June());
  std::vector<std::string> errors;
  std::mutex m;
  logger.OnWriterError = [&](const std::string& e) {
    std::lock_guard g(m);
    errors.push_back(e);
  };
  logger.Log("lost");
  ASSERT_TRUE(logger.WaitIdle(5000));
  EXPECT_FALSE(logger.WriterRunning());
  logger.Log("also lost");
  std::lock_guard g(m);
  EXPECT_EQ(errors.size(), 1u);
}

}  // namespace
}  // namespace varnak
