#pragma once
// The two alert sounds: "blip.wav" for a new spot, "ring.wav" for talk addressed to us,
// and the sound an alert rule names (a shipped one or a WAV of the operator's).
// They are looked up by bare name in the current directory (the station folder) each
// time they play, so an operator can swap a file while the program runs. Each sound has
// its own player, so the two may overlap. Playing never blocks and never reports: a
// missing file or a missing audio device means silence.
#include <QObject>
#include <QString>
#include <memory>

#include "core/need_mark.h"

class QSoundEffect;

namespace varnak {

class Alerts : public QObject {
  Q_OBJECT
 public:
  enum class Sound { Spot, Talk };

  // folder: where the sound files are looked for; empty means the current directory.
  explicit Alerts(QString folder = QString(), QObject* parent = nullptr);
  ~Alerts() override;

  // The `Sound` setting. While it is off nothing is opened, not even the audio device.
  void SetSoundOn(bool on) { soundOn_ = on; }
  bool SoundOn() const { return soundOn_; }

  void PlaySpotSound() { Play(Sound::Spot); }
  // "Sound on: needed only": the spot sound is kept for spots that bring a new entity,
  // band or mode. A spot worked but not confirmed does not beep: in a pile-up that is
  // most spots of a common entity.
  void SetNeededOnly(bool on) { neededOnly_ = on; }
  bool NeededOnly() const { return neededOnly_; }
  static bool IsNeeded(NeedMark mark) {
    return mark == NeedMark::NewEntity || mark == NeedMark::NewBand || mark == NeedMark::NewMode;
  }
  void PlaySpotSound(NeedMark mark) {
    if (!neededOnly_ || IsNeeded(mark)) Play(Sound::Spot);
  }
  void PlayTalkSound() { Play(Sound::Talk); }
  void Play(Sound sound);
  // A rule's sound: a bare name is looked up like the two sounds, a path as it stands.
  // It stands in for the spot sound of the same spot, so the two never overlap.
  void PlayRuleSound(const QString& file);

  static const char* FileName(Sound sound) { return sound == Sound::Spot ? "blip.wav" : "ring.wav"; }
  // How many times a sound file was handed to a player; for tests.
  int OpenCount() const { return openCount_; }
  // The player of a sound, or null while it never played; for tests.
  QSoundEffect* Player(Sound sound) const;
  QSoundEffect* RulePlayer() const { return rule_.get(); }

 private:
  QString folder_;
  bool soundOn_ = false;
  bool neededOnly_ = false;
  int openCount_ = 0;
  QString PathOf(const QString& name) const;
  void Start(std::unique_ptr<QSoundEffect>& player, const QString& path);
  std::unique_ptr<QSoundEffect> spot_, talk_, rule_;
};

}  // namespace varnak
