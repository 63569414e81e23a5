#include "app/alerts.h"

#include <QDir>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace varnak {

Alerts::Alerts(QString folder, QObject* parent) : QObject(parent), folder_(std::move(folder)) {}

Alerts::~Alerts() = default;

QSoundEffect* Alerts::Player(Sound sound) const {
  return sound == Sound::Spot ? spot_.get() : talk_.get();
}

QString Alerts::PathOf(const QString& name) const {
  if (QFileInfo(name).isAbsolute()) return name;
  return folder_.isEmpty() ? QDir::current().absoluteFilePath(name) : QDir(folder_).absoluteFilePath(name);
}

void Alerts::Play(Sound sound) {
  if (!soundOn_) return;
  Start(sound == Sound::Spot ? spot_ : talk_, PathOf(QString::fromLatin1(FileName(sound))));
}

void Alerts::PlayRuleSound(const QString& file) {
  if (!soundOn_ || file.isEmpty()) return;
  const QString path = PathOf(file);
  if (!QFileInfo(path).isFile()) return;
  if (spot_) spot_->stop();
  Start(rule_, path);
}

void Alerts::Start(std::unique_ptr<QSoundEffect>& player, const QString& path) {
  if (!QFileInfo(path).isFile()) return;
  // Players are made on first use, so a run with sound off never touches the audio
  // system. QSoundEffect loads and plays asynchronously; with no device it stays silent.
  if (!player) player = std::make_unique<QSoundEffect>();
  player->stop();
  // Clearing the source first makes the player read the file again even when the name
  // is the same as last time.
  player->setSource(QUrl());
  player->setSource(QUrl::fromLocalFile(path));
  ++openCount_;
  player->play();
}

}  // namespace varnak
