#include "app/alerts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSoundEffect>
#include <QTest>
#include <filesystem>

#include "support/temp_dir.h"

using namespace varnak;

namespace {

void CopyShippedSounds(const test::TempDir& dir) {
  for (const char* name : {"blip.wav", "ring.wav"})
    std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / name, dir / name);
}

}  // namespace

TEST(Alerts, SoundOffOpensNoFile) {
  test::TempDir dir;
  CopyShippedSounds(dir);
  Alerts alerts(QString::fromStdString(dir.path().string()));
  alerts.SetSoundOn(false);
  alerts.PlaySpotSound();
  alerts.PlayTalkSound();
  EXPECT_EQ(alerts.OpenCount(), 0);
  EXPECT_EQ(alerts.Player(Alerts::Sound::Spot), nullptr) << "not even a player may be made";
  EXPECT_EQ(alerts.Player(Alerts::Sound::Talk), nullptr);
}

TEST(Alerts, MissingFileIsSilence) {
  test::TempDir dir;
  Alerts alerts(QString::fromStdString(dir.path().string()));
  alerts.SetSoundOn(true);
  alerts.PlaySpotSound();
  alerts.PlayTalkSound();
  EXPECT_EQ(alerts.OpenCount(), 0);
}

TEST(Alerts, EachSoundPlaysItsFileFromTheCurrentFolder) {
  test::TempDir dir;
  CopyShippedSounds(dir);
  QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path().string())));
  {
    Alerts alerts;  // bare names in the current folder, as the program uses them
    alerts.SetSoundOn(true);
    alerts.PlaySpotSound();
    alerts.PlayTalkSound();
    alerts.PlaySpotSound();  // again while the first may still be loading or playing
    EXPECT_EQ(alerts.OpenCount(), 3);
    QSoundEffect* spot = alerts.Player(Alerts::Sound::Spot);
    QSoundEffect* talk = alerts.Player(Alerts::Sound::Talk);
    ASSERT_TRUE(spot && talk);
    EXPECT_NE(spot, talk);
    EXPECT_TRUE(spot->source().toLocalFile().endsWith("/blip.wav"));
    EXPECT_TRUE(talk->source().toLocalFile().endsWith("/ring.wav"));
    // Whether or not the machine has an audio device, loading settles without an error
    // reaching us and without holding up the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return spot->status() != QSoundEffect::Loading; }, 5000));
  }
  QDir::setCurrent(before);
}
