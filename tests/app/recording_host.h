#pragma once
// A classifier host that records what the classifier asked of the station, with the
// session's real models behind it.
#include <string>
#include <vector>

#include "app/classifier.h"

namespace varnak::test {

class RecordingHost : public ClassifierHost {
 public:
  RecordingHost()
      : clock(DateTime{2026, 12, 6, 21, 7, 45}), lists(clock), classifier(*this, lists, pane, talk, users) {
    lists.SetSaveHook([this](std::string_view file, const std::vector<std::string>& rows) {
      saved.emplace_back(std::string(file), rows);
    });
  }

  const std::string& MyCall() const override { return myCall; }
  const std::string& ConnectCall() const override { return connectCall; }
  const std::string& Password() const override { return password; }
  int Telnet() const override { return telnet; }
  int TelnetOut() const override { return telnetOut; }
  bool Sound() const override { return sound; }
  bool TelnetConnected() const override { return telnetConnected; }
  bool NodeConnected() const override { return nodeConnected; }
  bool Frozen() const override { return frozen; }
  const Clock& GetClock() const override { return clock; }

  void SendTelnetLine(const std::string& text) override { telnetSent.push_back(text); }
  void SendLine(const std::string& text) override {
    sent.push_back(text);
    classifier.ClassifyLine(text);  // the echo, while the classifier is still busy
  }
  void RelayLine(const std::string& line) override { relayed.push_back(line); }
  std::string LookupSpot(const std::string& line) override {
    lookedUp.push_back(line);
    return ClassifierHost::LookupSpot(line);
  }
  void PresentCurrentSpot() override { ++presented; }
  void PlaySpotSound() override { ++spotSounds; }
  void PlayTalkSound() override { ++talkSounds; }
  int VisibleSpotPage() const override { return page; }
  void RememberFocus() override { ++focusTaken; }
  void RestoreFocus() override { ++focusGiven; }
  void HoldMonitorLine(const std::string& line) override { held += line + "\r"; }
  void ShowMonitorLine(const std::string& line) override { monitor.push_back(line); }

  std::vector<std::string> PaneTexts() const { return pane.Texts(); }
  std::vector<std::string> TalkLines() const { return {talk.Lines().begin(), talk.Lines().end()}; }
  const ClusterTextModel::Line& LastPaneLine() const { return pane.Lines().back(); }

  std::string myCall = "Q1ABC", connectCall = "Q9NODE", password = "secret";
  int telnet = 1, telnetOut = 0;
  bool sound = false, telnetConnected = true, nodeConnected = false, frozen = false;
  int page = 0;
  FixedClock clock;

  std::vector<std::string> telnetSent, sent, relayed, lookedUp, monitor;
  std::vector<std::pair<std::string, std::vector<std::string>>> saved;
  std::string held;
  int presented = 0, spotSounds = 0, talkSounds = 0, focusTaken = 0, focusGiven = 0;

  SpotLists lists;
  ClusterTextModel pane;
  TalkModel talk;
  UserListModel users;
  Classifier classifier;
};

}  // namespace varnak::test
