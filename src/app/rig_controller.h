#pragma once
// RigController: the radio as the operator works it from the main window.
//
// Responsibilities:
//  - own the rig link (the factory's, or a double a test puts in its place) and switch
//    it on and off, keeping the operator's choice in the settings ([OmniRig] Enabled);
//  - handle a failing link: switch off, keep the stored choice for the next start (the
//    server may just not run yet), and report once however many calls were pending;
//  - follow the radio: its frequency, band and mode for display, while holding back the
//    mode reports that still show the old mode after the operator chose a new one;
//  - tune to a spot: frequency, the band plan's mode, frequency again.
//
// Collaborations: RigControl does the talking; Settings holds the address and the
// switch. The window binds its switch, mode list and displays to the signals below,
// forwards the operator's actions, and shows the texts of linkFailed and refused in boxes.
#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "core/band_plan.h"

namespace varnak {

class RigControl;
struct Settings;

class RigController : public QObject {
  Q_OBJECT
 public:
  // How long the operator's mode choice stands against the radio's reports.
  static constexpr int kModeSettleMs = 50;

  enum class State {
    Off,         // switched off (also after a failure)
    Connecting,  // switched on, the server not yet found usable
    On,          // the server is usable; no radio reading may have come yet
  };

  explicit RigController(Settings& settings, QObject* parent = nullptr);
  ~RigController() override;

  // Switches off and puts another link (a test double) in place of the current one.
  void UseRig(std::unique_ptr<RigControl> rig);

  bool IsOn() const { return state_ != State::Off; }
  // The operator's switch; the same state again does nothing.
  void SetOn(bool on);
  // Back on at start when the operator left it on.
  void Resume();
  // A new address from the setup; it takes effect at once.
  void SetAddress(const std::string& host, int port);
  // The operator picked a mode from the list (its index is the RigMode).
  void ChooseMode(int index);
  // Tunes to a spot's frequency in Hz as the spot gives it ("14025500"); switches on first.
  void TuneTo(const std::string& hzText);

  // The last frequency the radio reported that a radio can be on; 0 before that.
  long long LastFrequency() const { return lastFrequency_; }

 signals:
  void stateChanged(varnak::RigController::State state);
  // The radio is on a new frequency: the display's text ("14025.5") and the status
  // line's ("Radio: 14025.5 kHz  20m").
  void frequencyChanged(const QString& text, const QString& status);
  void modeChanged(varnak::RigMode mode);
  // The link broke or could not be made: switched off, the text explains.
  void linkFailed(const QString& text);
  // An action the radio or the spot could not take (a bad frequency, a refused mode).
  void refused(const QString& text);

 private:
  void Attach();
  void Connect();
  void Fail(const QString& reason);
  void RadioChanged();
  void SetState(State state);

  Settings& settings_;
  std::unique_ptr<RigControl> rig_;
  State state_ = State::Off;
  bool modeHeld_ = false;
  long long lastFrequency_ = 0;
};

}  // namespace varnak
