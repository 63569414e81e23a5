#pragma once
// The freeze: a click on a spot list keeps the lists still while the operator reads
// them. Meanwhile lines from the packet node and monitored lines are held back instead
// of being classified; Telnet lines are never held, a Telnet node cannot be paused and
// its lines go on arriving. When FreezeTimer fires the held lines are classified in
// arrival order, all node lines before all monitored lines.
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <string_view>

namespace varnak {

class FreezeControl : public QObject {
  Q_OBJECT
 public:
  static constexpr int kFreezeMs = 10000;     // click on a spot list
  static constexpr int kMouseAwayMs = 1;      // mouse over a pane outside the lists
  static constexpr int kSendMs = 100;         // a line sent, rig tuned, send page clicked
  static constexpr int kSpotMenuMs = 30000;   // spot menu opened

  enum class Source { Telnet, PacketNode, Monitor };

  struct Callbacks {
    std::function<void(const std::string&)> classifyLine;  // ClassifyLine
    std::function<bool()> nodeConnected;                   // NodeConnected
    std::function<void(bool)> showPanel;                   // FreezePanel shown / hidden
  };

  explicit FreezeControl(Callbacks callbacks, QObject* parent = nullptr);

  // Click on a spot list: frozen for 10 s, counting again from now if already frozen.
  void StartFreeze();

  // A received line while frozen is appended to HeldNodeLines (PacketNode) or
  // HeldMonitorLines (Monitor) followed by CR, and true comes back: the caller does
  // nothing more with it. Telnet lines and lines while not frozen are not held.
  bool HoldIfFrozen(Source source, std::string_view line);

  // Set FreezeTimer's interval; a running timer starts counting again. Outside a
  // freeze only the interval changes, the next StartFreeze sets 10 s anyway.
  void ShortenForMouse() { SetInterval(kMouseAwayMs); }
  void ShortenForSend() { SetInterval(kSendMs); }
  void LengthenForSpotMenu() { SetInterval(kSpotMenuMs); }

  // Ends the freeze at once (ShortenForMouse) whenever the mouse enters or moves over
  // this object: the cluster text pane, the talk pane, the lookup line, the side panel,
  // the "Packet" and "OmniRig" boxes. Entering is enough, so the widgets need no mouse
  // tracking.
  void ShortenOnMouseOver(QObject* watched);

  // What FreezeTimer does when it fires; public so the shutdown path or a test can end
  // the freeze at once.
  void EndFreeze();

  bool Frozen() const { return frozen_; }
  const std::string& HeldNodeLines() const { return heldNodeLines_; }
  const std::string& HeldMonitorLines() const { return heldMonitorLines_; }
  int Interval() const { return timer_.interval(); }
  bool TimerActive() const { return timer_.isActive(); }

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void SetInterval(int ms);
  // The next held line: text before the first CR, trimmed; the CR and the blanks that
  // follow are removed from the buffer.
  static std::string TakeLine(std::string& buffer);

  Callbacks callbacks_;
  QTimer timer_;
  bool frozen_ = false;
  std::string heldNodeLines_;
  std::string heldMonitorLines_;
};

}  // namespace varnak
