#pragma once
// LoginCommands: the operator's node commands (filters, line options, a first look at
// the last spots) sent again after every login, so a reconnect leaves the node set up
// as the operator left it.
//
// Responsibilities: read "login.cfg" at each login and send its rows on the link that
// logged in, one at a time: a row goes once the node has answered every line sent
// before it with its prompt, or 3 s after the one before went, whichever comes first.
// Nothing goes before the login is through; a link lost midway ends the round, and the
// next login starts the list over.
//
// Collaborations: follows both ClusterLinks (loggedIn, lineReceived, lineSent,
// stateChanged) and sends with ClusterLink::Send, so each row is echoed in the pane as
// the operator's lines are. The station's own "sh/users" goes at the node's first prompt
// and so comes first; it owes a prompt like any line sent, which is why every lineSent
// counts. LinkSettings tells the prompt ("Q1ABC de ..."); a SecondTicker beats the
// waiting (tests step it).
#include <QObject>
#include <QPointer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/table_file.h"

namespace varnak {

class ClusterLink;
class LinkSettings;
class SecondTicker;

inline constexpr const char* kLoginCommandsFile = "login.cfg";
inline constexpr const char* kLoginCommandsHeading = "Command";

// Rows the setup dialog offers to tick, as DX Spider spells them.
struct ReadyLoginCommand {
  const char* label;
  const char* command;
  const char* opposite;  // a row that undoes this one: ticking one drops the other
};
inline constexpr ReadyLoginCommand kReadyLoginCommands[] = {
    {"Skimmer spots on", "set/skimmer", "unset/skimmer"},
    {"Skimmer spots off", "unset/skimmer", "set/skimmer"},
    {"Locators in spots", "set/dxgrid", "unset/dxgrid"},
    {"The last 30 spots", "sh/dx 30", ""},
};

// The rows of "login.cfg" without its heading, trimmed, blank rows left out; none when
// the file is missing.
std::vector<std::string> ReadLoginCommands(const std::filesystem::path& path);
// The heading row, then one command a row.
bool WriteLoginCommands(const std::filesystem::path& path, const std::vector<std::string>& commands,
                        std::string* error = nullptr);

class LoginCommands : public QObject {
  Q_OBJECT

 public:
  // How long a row waits for the prompt of the line before it.
  static constexpr int kPromptWaitS = 3;

  LoginCommands(std::filesystem::path file, const LinkSettings& settings, QObject* parent = nullptr);
  ~LoginCommands() override;

  // Follow a link before anything else connects to its lineReceived: a prompt has to
  // count as the answer to the lines sent before it, not to what the station sends on
  // seeing it (the "sh/users" at the first prompt).
  void Follow(ClusterLink& link);
  void SetTicker(std::unique_ptr<SecondTicker> ticker);
  // Rows of this round still to send.
  size_t Pending() const { return active_ ? rows_.size() - next_ : 0; }

 private:
  void Start(ClusterLink* link);
  void Stop();
  void OnLine(ClusterLink* link, const std::string& line);
  void OnSecond();
  void TrySend();
  bool IsPrompt(const std::string& line) const;

  std::filesystem::path file_;
  const LinkSettings& settings_;
  std::unique_ptr<SecondTicker> ticker_;
  QPointer<ClusterLink> link_;  // the link of the round under way
  std::vector<std::string> rows_;
  size_t next_ = 0;
  int unanswered_ = 0;  // lines sent on the link that its prompt has not answered yet
  int waitedS_ = 0;
  bool active_ = false;
};

}  // namespace varnak
