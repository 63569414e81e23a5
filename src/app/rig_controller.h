#pragma once
// RigController: the radio as the operator works it from the main window.
//
// Responsibilities:
//  - own the rig link (the factory's, or a double a test puts in its place) and switch
//    it on and off; the stored choice ([OmniRig] Enabled) is always what the switch shows;
//  - keep looking for the server while switched on and it does not answer (at start, or
//    after it went away): quiet tries after 1, 2, 4 ... 60 s, one pane line per outage;
//  - answer the operator's own actions (switching on, tuning, choosing a mode, a new
//    address) with one report when they fail, however many calls were pending; what
//    happens by itself never raises a box;
//  - follow the radio: its frequency, band and mode for display, while holding back the
//    mode reports that still show the old mode after the operator chose a new one;
//  - tune to a spot: frequency, the spot's mode (TunePlan: the band plan unless the
//    spot says otherwise, on what the radio offers), frequency again, and with "Split
//    from spot" the split the comment names, or none.
//
// Collaborations: RigControl does the talking; Settings holds the address and the
// switch; a SecondTicker beats the waits between tries. The window binds its switch,
// mode list and displays to the signals below, forwards the operator's actions, and
// shows the texts of linkFailed and refused in boxes; the station puts note in the pane.
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/band_plan.h"
#include "core/tune_plan.h"

namespace varnak {

class RigControl;
class SecondTicker;
struct Settings;

class RigController : public QObject {
  Q_OBJECT
 public:
  // How long the operator's mode choice stands against the radio's reports.
  static constexpr int kModeSettleMs = 50;
  // The waits between tries for a server that does not answer, doubling up to the last.
  static constexpr int kFirstRetrySeconds = 1;
  static constexpr int kLastRetrySeconds = 60;

  enum class State {
    Off,         // switched off
    Connecting,  // switched on, the server not (or no longer) found usable
    On,          // the server is usable; no radio reading may have come yet
  };

  explicit RigController(Settings& settings, QObject* parent = nullptr);
  ~RigController() override;

  // Switches off and puts another link (a test double) in place of the current one.
  void UseRig(std::unique_ptr<RigControl> rig);
  // Another beat for the waits between tries (a test steps through them).
  void UseTicker(std::unique_ptr<SecondTicker> ticker);

  State CurrentState() const { return state_; }
  bool IsOn() const { return state_ != State::Off; }
  // The operator's switch; the same state again does nothing.
  void SetOn(bool on);
  // Back on at start when the operator left it on; a server that is not there yet is
  // looked for quietly.
  void Resume();
  // A new address from the setup: stored, and used at once when switched on.
  void SetAddress(const std::string& host, int port);
  // The operator picked a mode from the list (its index is the RigMode).
  void ChooseMode(int index);
  // Tunes to a spot's frequency in Hz as the spot gives it ("14025500"), in the mode and
  // split its comment names; switches on first.
  void TuneTo(const std::string& hzText, std::string_view comment = {});

  // The last frequency the radio reported that a radio can be on; 0 before that.
  long long LastFrequency() const { return lastFrequency_; }
  // Seconds until the next quiet try; 0 when none is waiting.
  int NextTryIn() const { return waiting_ ? countdown_ : 0; }

 signals:
  void stateChanged(varnak::RigController::State state);
  // The radio is on a new frequency: the display's text ("14025.5") and the status
  // line's ("Radio: 14025.5 kHz  20m").
  void frequencyChanged(const QString& text, const QString& status);
  void modeChanged(varnak::RigMode mode);
  // The operator's action could not reach the server: the text explains.
  void linkFailed(const QString& text);
  // An action the radio or the spot could not take (a bad frequency, a refused mode).
  void refused(const QString& text);
  // A line for the pane, about what happened by itself ("rigctld ... does not answer").
  void note(const QString& text);

 private:
  // Who hears about the outcome of a connection attempt.
  enum class Asker {
    Nobody,    // a quiet try: a failure waits for the next one
    Operator,  // switching on or tuning: a failure switches off with a box
    Setup,     // a new address: a failure gives a box, the tries go on quietly
  };

  void Attach();
  void Connect(Asker asker);
  void ConnectFailed(const QString& reason);
  void OperatorFailed(const QString& reason);
  void LinkBroke(const QString& reason);
  void WaitForNextTry();
  void Tick();
  void StopTries();
  void RadioChanged();
  void SendTune(const TunePlan& plan);
  void SetState(State state);
  QString Endpoint() const;
  QString FailureText(const QString& reason) const;

  Settings& settings_;
  std::unique_ptr<RigControl> rig_;
  std::unique_ptr<SecondTicker> ticker_;
  State state_ = State::Off;
  Asker asker_ = Asker::Nobody;
  bool modeHeld_ = false;
  long long lastFrequency_ = 0;
  // A tune asked while the server was not yet usable: sent once it is, when the radio's
  // modes are known.
  std::optional<TunePlan> pendingTune_;
  // The quiet tries: the next wait, the seconds left of this one, and whether the
  // pane has been told about this outage.
  int retrySeconds_ = kFirstRetrySeconds;
  int countdown_ = 0;
  bool waiting_ = false;
  bool outageNoted_ = false;
};

}  // namespace varnak
