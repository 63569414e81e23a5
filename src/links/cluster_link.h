#pragma once
// ClusterLink: the way to the cluster node, whatever carries it (a Telnet connection or
// an AX.25 link through a packet engine).
//
// Responsibilities: connect and disconnect at the operator's word (the "Connect" and
// "Disconnect" buttons), send the operator's lines (echoed) and the login replies (not
// echoed), hand on what the node sends line by line, keep its state (down, connecting,
// logging in, logged in, waiting to reconnect) and say once per connection when the
// login is through. It tells status texts and problems; showing them is the owner's.
//
// Collaborations: the station classifies the lines it hands on and the echoes of what
// was sent, follows its state (buttons, flags) and puts its status texts and problems
// on the window. It reads the settings it needs through LinkSettings at the moment of
// use, so a new setup takes effect without telling it. Features that must act once the
// node listens (commands after login) connect to loggedIn().
//
// Texts are Windows-1252 bytes in std::string, like every other line of the program.
#include <QObject>
#include <string>

namespace varnak {

// What a link reads of the station, each time it needs it.
class LinkSettings {
 public:
  virtual ~LinkSettings() = default;
  virtual bool Telnet() const = 0;  // the Telnet link is the one in force, not the packet link
  virtual const std::string& MyCall() const = 0;
  virtual const std::string& MyLocator() const = 0;
  virtual const std::string& ConnectCall() const = 0;  // the node's call
  virtual const std::string& ClusterHost() const = 0;
  virtual int ClusterPort() const = 0;
  virtual bool Reconnect() const = 0;    // a lost Telnet link is tried again
  virtual bool AutoConnect() const = 0;  // connect to the node without a click
  virtual const std::string& AGWhost() const = 0;
  virtual const std::string& AGWport() const = 0;
  virtual int AX25port() const = 0;
  virtual const std::string& ClientBanner() const = 0;  // "{Varnak 1.0}"
  virtual std::string TimeText() const = 0;             // "21:07:45", for pane lines
};

class ClusterLink : public QObject {
  Q_OBJECT

 public:
  enum class State { Down, Connecting, LoggingIn, LoggedIn, WaitingToReconnect };
  // Information: the operator's action could not be done (an OK box). Error: the
  // general error report.
  enum class Problem { Information, Error };

  using QObject::QObject;
  ~ClusterLink() override = default;

  // The "Connect" button, also the automatic connect.
  virtual void Connect() = 0;
  // The "Disconnect" button.
  virtual void Disconnect() = 0;
  // One operator line to the node, then its echo (lineSent). False when it was refused
  // or failed; the reason has been reported and the caller's action should stop.
  virtual bool Send(const std::string& line) = 0;
  // A login reply: sent without echo and without a report. False when the link is down.
  virtual bool SendQuiet(const std::string& line) = 0;
  // Brings up what the link runs on; only the packet link has something (the engine).
  virtual void Open() {}
  // Ends the link and what it runs on, with no more tries of its own (a new setup, the
  // end of the program, a practice node that died).
  virtual void Close() = 0;
  // The classifier saw the node's first prompt. The Telnet login ends there; a packet
  // link is logged in once the node has connected.
  virtual void LoginThrough() {}
  // A connect under way can be called off with "Disconnect" (shown while it runs).
  virtual bool ConnectCanBeCalledOff() const { return false; }

  State state() const { return state_; }

 signals:
  // One line from the node, in arrival order.
  void lineReceived(const std::string& line);
  // A line of the link's own for the pane ("*** Connected to ...", engine notices).
  void noticeLine(const std::string& line);
  // The echo of a line sent with Send.
  void lineSent(const std::string& line);
  void stateChanged(varnak::ClusterLink::State state);
  void statusText(const std::string& text);
  void problem(varnak::ClusterLink::Problem kind, const std::string& text);
  // Once per connection, when the node listens to commands.
  void loggedIn();

 protected:
  // Emits stateChanged (also for the same state: a new try announces itself again),
  // and loggedIn when the login has just gone through.
  void SetState(State state) {
    const bool login = state == State::LoggedIn && state_ != State::LoggedIn;
    state_ = state;
    emit stateChanged(state);
    if (login) emit loggedIn();
  }

 private:
  State state_ = State::Down;
};

}  // namespace varnak
