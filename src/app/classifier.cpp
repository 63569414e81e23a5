#include "app/classifier.h"

#include <algorithm>

#include "core/text.h"

namespace varnak {

namespace {

// A monitored frame as the packet engine shows it, "1:Fm Q1ABC To Q2DEF <UI>".
bool HasMonitorMark(std::string_view line, size_t at) { return line.size() >= at + 3 && line.substr(at, 3) == ":Fm"; }

// The word between the first and the second blank: "User Q1ABC has logged in".
std::string_view SecondWord(std::string_view line) {
  const size_t first = line.find(' ');
  if (first == std::string_view::npos) return {};
  const size_t second = line.find(' ', first + 1);
  return line.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
}

// A call, "not here" in parentheses as DX Spider shows it: "Q2XYZ-2", "(GB7TLH)".
bool IsCallWord(std::string_view word) {
  if (word.empty() || word.size() > 17) return false;
  bool digit = false, letter = false;
  for (char c : word) {
    if (c >= '0' && c <= '9')
      digit = true;
    else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
      letter = true;
    else if (c != '/' && c != '-' && c != '#' && c != '(' && c != ')')
      return false;
  }
  return digit && letter;
}

// A row of a user listing holds calls and nothing else:
//   "G0VGS        G1TLH        (GB7TLH)     Q2XYZ-2"
bool IsUserRow(std::string_view names) {
  bool any = false;
  size_t at = 0;
  while (at < names.size()) {
    const size_t begin = names.find_first_not_of(' ', at);
    if (begin == std::string_view::npos) break;
    size_t end = names.find(' ', begin);
    if (end == std::string_view::npos) end = names.size();
    if (!IsCallWord(names.substr(begin, end - begin))) return false;
    any = true;
    at = end;
  }
  return any;
}

}  // namespace

Classifier::Classifier(ClassifierHost& host, SpotLists& lists, ClusterTextModel& pane, TalkModel& talk,
                       UserListModel& users, QObject* parent)
    : QObject(parent), host_(host), lists_(lists), pane_(pane), talk_(talk), users_(users) {
  loginTimer_.setSingleShot(true);
  connect(&loginTimer_, &QTimer::timeout, this, [this] {
    if (loggingIn_) EndLogin();
  });
}

void Classifier::SetLoggingIn(bool loggingIn) {
  loggingIn_ = loggingIn;
  loginAnswered_ = passwordAnswered_ = false;
  if (loggingIn)
    loginTimer_.start(LoginPhaseMs);
  else
    loginTimer_.stop();
}

void Classifier::EndLogin() {
  loggingIn_ = false;
  loginTimer_.stop();
  host_.LoginThrough();
}

void Classifier::ResetSpotHistory() {
  history_.Reset();
  // What the lists already hold is no news: a listing after a restart files none of it.
  const SpotListModel& all = *lists_.All();
  for (int row = std::max(0, all.Size() - static_cast<int>(SpotHistory::kSlots)); row < all.Size(); ++row) {
    const Spot* spot = all.SpotAt(row);
    if (spot && spot->valid) history_.Remember(SpotHistoryKey(*spot));
  }
}

void Classifier::ClassifyLine(std::string_view line) {
  if (running_) {
    pending_.emplace_back(line);
    return;
  }
  running_ = true;
  // Only a line that has to wait is copied.
  std::string current;
  for (;;) {
    try {
      Classify(line);
    } catch (...) {
      // A failing host call must not lose the lines queued behind this one.
    }
    if (pending_.empty()) break;
    current = std::move(pending_.front());
    pending_.pop_front();
    line = current;
  }
  running_ = false;
}

void Classifier::RefreshCallTexts() {
  if (host_.MyCall() == myCall_ && host_.ConnectCall() == connectCall_ && !myCallDe_.empty()) return;
  myCall_ = host_.MyCall();
  connectCall_ = host_.ConnectCall();
  myCallDe_ = myCall_ + " de";
  nodePrompt_ = myCallDe_ + " " + connectCall_;
}

void Classifier::Classify(std::string_view received) {
  emit lineStarted();

  // Frames the engine monitors while a node is connected are not cluster text.
  if (host_.NodeConnected() && HasMonitorMark(received, 1)) return;
  if (received == lastLine_) return;
  lastLine_.assign(received);

  if (pane_.LineCount() > ClusterTextModel::kLineLimit) pane_.RemoveFirstLine();
  if (talk_.LineCount() > TalkModel::kLineLimit) talk_.RemoveFirstLine();

  bool reformatted = false;
  std::string line = ReformatShowDx(received, &reformatted);
  if (reformatted) pane_.AddPaneLine(pane_colour::kGrey, received);

  RefreshCallTexts();
  const auto stamped = [this](const std::string& text) { return LongTimeText(host_.GetClock().LocalNow()) + ": " + text; };

  std::shared_ptr<Spot> spot;
  if (StartsWith(line, "DX de ")) {
    spot = std::make_shared<Spot>(ParseSpotLine(line));
    if (!history_.TestKey(SpotHistoryKey(*spot))) spot.reset();
  }
  if (spot) {
    host_.LookUp(*spot);
    lists_.FileSpot(std::move(spot));
    // Spots heard in monitored traffic have no other place to be seen as text.
    if (host_.Telnet() == 0 && !host_.NodeConnected()) pane_.AddPaneLine(pane_colour::kBlack, line);
  } else if (HasMonitorMark(line, 1) || HasMonitorMark(line, 2)) {  // ports 1-9 and 10 on
    pane_.AddPaneLine(pane_colour::kGrey, line);
  } else if (StartsWith(line, "***")) {
    pane_.AddPaneLine(pane_colour::kRed, line);
  } else if (StartsWith(line, "To ALL de") || StartsWith(line, "To LOCAL de")) {
    pane_.AddPaneLine(pane_colour::kRed, stamped(line));
  } else if (StartsWith(line, "WCY de")) {
    pane_.AddPaneLine(pane_colour::kBlue, stamped(line));
  } else if (StartsWith(line, "WWV de")) {
    pane_.AddPaneLine(pane_colour::kGreen, stamped(line));
    lastWwvLine_ = line;
  } else {
    pane_.AddPaneLine(pane_colour::kBlack, line);
  }

  // Any user's announcement or talk may hold "login:" or "password:"; only the node's
  // own prompts, before its first command prompt, are answered. The prompt may name
  // another call than ConnectCall (an SSID, a node behind the address), so any line
  // ending ">" counts as one.
  if (loggingIn_ && host_.TelnetConnected()) {
    if (StartsWith(line, nodePrompt_) || EndsWith(line, ">")) {
      EndLogin();
    } else if (!loginAnswered_ && EndsWith(line, "login:")) {
      loginAnswered_ = true;
      host_.SendTelnetLine(myCall_);
    } else if (!passwordAnswered_ && EndsWith(line, "password:")) {
      passwordAnswered_ = true;
      host_.SendTelnetLine(host_.Password());
    }
  }

  if (StartsWith(line, "User")) {
    if (Contains(line, "has logged in")) users_.Add(SecondWord(line));
    if (Contains(line, "logged out")) users_.Remove(SecondWord(line));
  }

  // "Q1ABC de Q2DEF: hello" is talk; "Q1ABC de Q9NODE  6-Dec-2026 2215Z >" the prompt.
  // The talk pane keeps the bytes as received; it shows DOS letters as Windows ones.
  if (StartsWith(line, myCallDe_) && !line.empty() && line.back() != '>' && !StartsWith(line, nodePrompt_)) {
    AddTalkLine(line);
    if (host_.Sound()) host_.PlayTalkSound();
  }
  if (StartsWith(line, "Entering Talkmode")) AddTalkLine(line);

  if (userListCapture_) AddUserListing(line);
  if (StartsWith(line, "Callsigns connected")) {
    userListCapture_ = true;
    users_.Clear();
  }

  if (StartsWith(line, "Talk ")) AddTalkLine(line);

  if (!usersRequested_ && StartsWith(line, nodePrompt_)) {
    usersRequested_ = true;
    host_.SendLine("sh/users");
  }

  if (host_.TelnetOut() == 1) host_.RelayLine(line);

  emit lineFinished();
}

// "Q1ABC     Q2DEF     Q3GHI-2" - names separated by two blanks or more, possibly
// followed on the same line by the node's prompt. DX Spider puts a user who is "not
// here" in parentheses, "(Q2XYZ)"; the user list holds the call itself.
void Classifier::AddUserListing(const std::string& line) {
  const auto addName = [this](std::string_view name) {
    const std::string n = Trim(name);
    if (n.size() > 2 && n.front() == '(' && n.back() == ')')
      users_.Add(std::string_view(n).substr(1, n.size() - 2));
    else
      users_.Add(n);
  };
  std::string t = line;
  const size_t prompt = t.find(myCallDe_);
  if (prompt != std::string::npos) t.erase(prompt);
  t = Trim(t);
  t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
  std::string names;
  names.reserve(t.size());
  for (char c : t) {
    if (c == '\n')
      names += "  ";
    else
      names += c;
  }
  // A listing without a prompt after it must not make users of the lines that follow.
  if (!IsUserRow(names)) {
    userListCapture_ = false;
    return;
  }
  size_t pair;
  while ((pair = names.find("  ")) != std::string::npos) {
    addName(std::string_view(names).substr(0, pair));
    names = Trim(std::string_view(names).substr(pair + 1));
  }
  if (!Contains(names, " >")) addName(names);
  if (Contains(line, " >")) userListCapture_ = false;
}

void Classifier::AddTalkLine(std::string_view text) {
  talk_.AppendLine(TalkLineText(host_.GetClock().LocalNow(), text));
}

void Classifier::AddMonitorText(std::string_view text) {
  if (text.empty()) return;
  monitorBuffer_.append(text.substr(0, text.size() - 1));
  if (monitorBuffer_.empty() || monitorBuffer_.back() != '\r') return;
  std::string buffer;
  buffer.swap(monitorBuffer_);
  size_t start = 0;
  while (start < buffer.size()) {
    const size_t cr = buffer.find('\r', start);
    const std::string line = Trim(std::string_view(buffer).substr(start, cr - start));
    start = cr + 1;
    if (line.empty()) continue;  // Direwolf ends its frames with CR CR
    if (host_.Frozen()) {
      host_.HoldMonitorLine(line);
      continue;
    }
    if (!host_.NodeConnected()) ClassifyLine(line);
    host_.ShowMonitorLine(line);
  }
}

}  // namespace varnak
