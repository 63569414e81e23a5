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
    QObject::connect(&lists, &SpotLists::listTrimmed, [this](int list) {
      saved.emplace_back(std::string(kSpotListFiles[static_cast<size_t>(list)]), lists.List(list)->Rows());
    });
    // What the station and the window do with a filed spot.
    QObject::connect(&lists, &SpotLists::spotFiled, [this](const std::shared_ptr<Spot>&, int list) {
      if (sound) ++spotSounds;
      if (SpotShownOnPage(list, page)) ++presented;
    });
    QObject::connect(&classifier, &Classifier::lineStarted, [this] { ++focusTaken; });
    QObject::connect(&classifier, &Classifier::lineFinished, [this] { ++focusGiven; });
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
  void LoginThrough() override { ++loginsThrough; }
  void SendLine(const std::string& text) override {
    sent.push_back(text);
    classifier.ClassifyLine(text);  // the echo, while the classifier is still busy
  }
  void RelayLine(const std::string& line) override { relayed.push_back(line); }
  void LookUp(Spot& spot) override { lookedUp.push_back(std::string(spot.line())); }
  void PlayTalkSound() override { ++talkSounds; }
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
  int presented = 0, spotSounds = 0, talkSounds = 0, focusTaken = 0, focusGiven = 0, loginsThrough = 0;

  SpotLists lists;
  ClusterTextModel pane;
  TalkModel talk;
  UserListModel users;
  Classifier classifier;
};

}  // namespace varnak::test
