#pragma once
// The one entry for every line the cluster sends, the operator sends and the program
// writes for itself: ClassifyLine decides what the line is and routes it into the spot
// lists, the cluster text pane, the talk pane, the user list, the login replies and the
// relay.
//
// Responsibilities: the classifier keeps its own state (the previous line, the user
// listing capture, whether "sh/users" was sent on this connection, the duplicate spot
// history) and fills the session's models. Everything that belongs to the station - its
// settings, its links, the callsign lookup, the talk sound, the clock - it reaches
// through ClassifierHost.
//
// Collaborations: a spot goes to SpotLists::FileSpot, whose spotFiled signal is what the
// station, the window and the alerts act on; the window keeps the keyboard focus where
// it was across each line through lineStarted and lineFinished.
#include <QObject>
#include <QTimer>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "app/pane_models.h"
#include "app/spot_lists.h"
#include "app/spot_model.h"
#include "core/clock.h"

namespace varnak {

class ClassifierHost {
 public:
  virtual ~ClassifierHost() = default;

  // Settings, by their INI key names.
  virtual const std::string& MyCall() const = 0;
  virtual const std::string& ConnectCall() const = 0;
  virtual const std::string& Password() const = 0;
  virtual int Telnet() const = 0;     // 1 = Telnet link, 0 = packet link
  virtual int TelnetOut() const = 0;  // 1 = relay every line
  virtual bool Sound() const = 0;

  // Link state.
  virtual bool TelnetConnected() const = 0;
  virtual bool NodeConnected() const = 0;
  virtual bool Frozen() const { return false; }

  // Time stamps of the panes and dates of the spot rows.
  virtual const Clock& GetClock() const = 0;

  // Text + CR LF on the Telnet connection, no echo.
  virtual void SendTelnetLine(const std::string& text) = 0;
  // The node's first prompt ended the login phase: the login is through.
  virtual void LoginThrough() {}
  // Sends on the active link and classifies the sent line as an echo (which the
  // classifier queues while it is busy).
  virtual void SendLine(const std::string& text) = 0;
  // The line + CR LF to the oldest relay client.
  virtual void RelayLine(const std::string& line) = 0;

  // Looks up the spot of a new "DX de" line, which the classifier has parsed once for
  // the duplicate test and the lists. Without a callsign lookup it stays as parsed (its
  // band from the band table alone).
  virtual void LookUp(Spot& /*spot*/) {}
  virtual void PlayTalkSound() {}

  // Monitored packet lines: held while frozen (the host appends line + CR to its held
  // lines), otherwise shown in the monitor window.
  virtual void HoldMonitorLine(const std::string& /*line*/) {}
  virtual void ShowMonitorLine(const std::string& /*line*/) {}
};

class Classifier : public QObject {
  Q_OBJECT
 public:
  Classifier(ClassifierHost& host, SpotLists& lists, ClusterTextModel& pane, TalkModel& talk, UserListModel& users,
             QObject* parent = nullptr);

  // Never throws. A line that arrives while a line is being classified (the echo of
  // "sh/users", a line read meanwhile) is queued and classified right after it.
  void ClassifyLine(std::string_view line);

  // Text of one monitored packet frame; lines are classified (when no node is
  // connected) once a frame ends a line.
  void AddMonitorText(std::string_view text);

  void AddPaneLine(QRgb colour, std::string_view text) { pane_.AddPaneLine(colour, text); }
  // "[mm-dd hh:mm] " + text into the talk pane.
  void AddTalkLine(std::string_view text);

  const std::string& LastLine() const { return lastLine_; }
  bool UserListCapture() const { return userListCapture_; }
  bool UsersRequested() const { return usersRequested_; }
  // Cleared when the Telnet link goes down and when a packet connection is requested.
  void SetUsersRequested(bool requested) { usersRequested_ = requested; }
  // From each new Telnet connection until the node's first prompt (or LoginPhaseMs) the
  // classifier answers the node's "login:" and "password:" prompts, once each.
  void SetLoggingIn(bool loggingIn);
  bool LoggingIn() const { return loggingIn_; }
  int LoginPhaseMs = 60000;
  // At every run of the start-up routine: the history holds the newest spots of "All".
  void ResetSpotHistory();
  const SpotHistory& History() const { return history_; }
  bool Busy() const { return running_; }
  // The latest solar report, for the propagation view; empty until one came.
  const std::string& LastWwvLine() const { return lastWwvLine_; }

 signals:
  // Around each line that is classified: the control that had the keyboard focus
  // before it gets it back after it. A dropped repeat is not finished.
  void lineStarted();
  void lineFinished();

 private:
  void Classify(std::string_view line);
  void EndLogin();
  void AddUserListing(const std::string& line);
  void RefreshCallTexts();

  ClassifierHost& host_;
  SpotLists& lists_;
  ClusterTextModel& pane_;
  TalkModel& talk_;
  UserListModel& users_;

  std::string lastLine_;
  std::string lastWwvLine_;
  bool userListCapture_ = false;
  bool usersRequested_ = false;
  bool loggingIn_ = false, loginAnswered_ = false, passwordAnswered_ = false;
  QTimer loginTimer_;
  SpotHistory history_;

  bool running_ = false;
  std::deque<std::string> pending_;
  std::string monitorBuffer_;

  // MyCall + " de" and MyCall + " de " + ConnectCall, rebuilt when the settings change.
  std::string myCall_, connectCall_, myCallDe_, nodePrompt_;
};

}  // namespace varnak
