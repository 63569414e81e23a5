// The station's side of the line classifier: the models it fills, the settings and
// links it reads, the spot lookup, and the files the lists and panes live in.
#include <cstdio>
#include <optional>
#include <utility>

#include "app/list_files.h"
#include "app/operator_log.h"
#include "app/station.h"
#include "core/file_writer.h"
#include "agw/packet_cluster_link.h"
#include "telnet/relay_server.h"

namespace varnak {

namespace {

constexpr int kTrimSaveDelayMs = 1000;

class StationHost : public ClassifierHost {
 public:
  explicit StationHost(Station& s) : s_(s) {}

  const std::string& MyCall() const override { return s_.settings().MyCall; }
  const std::string& ConnectCall() const override { return s_.settings().ConnectCall; }
  const std::string& Password() const override { return s_.settings().Password; }
  int Telnet() const override { return s_.settings().Telnet; }
  int TelnetOut() const override { return s_.settings().TelnetOut; }
  bool Sound() const override { return s_.settings().Sound; }
  bool TelnetConnected() const override { return s_.TelnetConnected; }
  bool NodeConnected() const override { return s_.NodeConnected; }
  bool Frozen() const override { return s_.freeze().Frozen(); }
  const Clock& GetClock() const override { return s_.clock(); }

  void SendTelnetLine(const std::string& text) override { s_.SendTelnetLine(text); }
  void LoginThrough() override { s_.LoginThrough(); }
  void SendLine(const std::string& text) override { s_.SendLine(text); }
  void RelayLine(const std::string& line) override { s_.RelayLine(line); }

  // While the lists are frozen (a Telnet node goes on sending) the spot is filed as
  // usual, but the clicked spot stays the current one until the freeze ends.
  std::string LookupSpot(const std::string& line) override {
    if (!s_.freeze().Frozen()) {
      s_.LookupCurrentSpot(line);
      spotMark = s_.CurrentSpotMark;
      return s_.CurrentSpot.BandText;
    }
    heldSpot = LookupSpotLine(line, s_.parser(), s_.OwnLatitude, s_.OwnLongitude, BandOf);
    spotMark = MarkLookedUpSpot(s_.operatorLog(), s_.parser(), *heldSpot, line);
    heldSpotShown = false;
    return heldSpot->BandText;
  }
  void PresentCurrentSpot() override {
    if (heldSpot) {
      heldSpotShown = true;
    } else if (s_.View()) {
      s_.View()->PresentSpot(s_.CurrentSpot);
      s_.View()->ShowSpotOnMaps(s_.CurrentSpot);
    }
  }
  // Without a log read, every spot may be a needed one.
  void PlaySpotSound() override {
    if (s_.operatorLog().Loaded()) {
      s_.alerts().PlaySpotSound(spotMark);
    } else {
      s_.alerts().PlaySpotSound();
    }
  }
  void PlayTalkSound() override { s_.alerts().PlayTalkSound(); }
  int VisibleSpotPage() const override { return s_.View() ? s_.View()->VisibleSpotPage() : kAllList; }
  void RememberFocus() override {
    if (s_.View()) s_.View()->RememberFocus();
  }
  void RestoreFocus() override {
    if (s_.View()) s_.View()->RestoreFocus();
  }
  void HoldMonitorLine(const std::string& line) override {
    s_.freeze().HoldIfFrozen(FreezeControl::Source::Monitor, line);
  }
  void ShowMonitorLine(const std::string& line) override { s_.Packet().Showdata(line); }

  static std::string BandOf(double kHz) { return std::string(BandTextOfKhz(static_cast<long long>(kHz))); }

  std::optional<dxrec> heldSpot;  // the newest spot filed while frozen
  bool heldSpotShown = false;     // ... and it was for the page in view
  NeedMark spotMark = NeedMark::None;  // of the spot filed last

 private:
  Station& s_;
};

}  // namespace

void Station::WireClassifier() {
  lists_ = std::make_unique<SpotLists>(*clock_, this);
  pane_ = std::make_unique<ClusterTextModel>(this);
  talk_ = std::make_unique<TalkModel>(this);
  users_ = std::make_unique<UserListModel>(this);
  parser_ = std::make_unique<TCallParser>();
  parser_->SetProgramDir(programDir_);
  parser_->SetPrefixFile("prefix.lst");
  host_ = std::make_unique<StationHost>(*this);
  classifier_ = std::make_unique<Classifier>(*host_, *lists_, *pane_, *talk_, *users_);

  // A list trimmed while spots come in is saved soon, so a crash loses little: within a
  // second, so that a flood trimming it ten times a second costs one save, and by the
  // writer's thread, as the flush to disk may take long and spots keep coming.
  writer_ = std::make_unique<FileWriter>();
  trimSaveTimer_.setSingleShot(true);
  trimSaveTimer_.setInterval(kTrimSaveDelayMs);
  connect(&trimSaveTimer_, &QTimer::timeout, this, &Station::SaveTrimmedLists);
  lists_->SetSaveHook([this](std::string_view fileName, const std::vector<std::string>&) {
    const auto& names = ListFileNames();
    for (size_t i = 0; i < names.size(); ++i)
      if (fileName == names[i]) trimmed_[i] = true;
    if (!trimSaveTimer_.isActive()) trimSaveTimer_.start();
  });
}

void Station::SaveTrimmedLists() {
  trimSaveTimer_.stop();
  for (size_t i = 0; i < trimmed_.size(); ++i) {
    if (!std::exchange(trimmed_[i], false)) continue;
    writer_->Write(std::filesystem::path(programDir_) / ListFileNames()[i],
                   FormatListFile(lists_->List(static_cast<int>(i))->Rows()));
  }
}

void Station::LookupCurrentSpot(std::string_view line) {
  CurrentSpot = LookupSpotLine(line, *parser_, OwnLatitude, OwnLongitude, StationHost::BandOf);
  CurrentSpotMark = MarkLookedUpSpot(*log_, *parser_, CurrentSpot, line);
  emit currentSpotChanged();
}

void Station::CatchUpAfterFreeze() {
  auto& host = static_cast<StationHost&>(*host_);
  if (!host.heldSpot) return;
  CurrentSpot = std::move(*host.heldSpot);
  CurrentSpotMark = host.spotMark;
  host.heldSpot.reset();
  emit currentSpotChanged();
  if (host.heldSpotShown && view_) view_->PresentSpot(CurrentSpot);
}

void Station::LoadListsAndPanes() {
  SavedState state = LoadAll(programDir_, settings_.ClearDx, *clock_);
  for (int i = 0; i < kSpotListCount; ++i) lists_->List(i)->SetRows(std::move(state.lists[static_cast<size_t>(i)]));
  std::vector<ClusterTextModel::Line> lines;
  lines.reserve(state.paneLines.size());
  for (auto& l : state.paneLines) lines.push_back({std::move(l.text), qRgb(l.r, l.g, l.b)});
  pane_->SetLines(std::move(lines));
  talk_->SetLines(std::move(state.talkLines));
  if (!settings_.ClearDx) SwitchDatesToMonthDay();  // every list got its marker row
}

bool Station::SaveListsAndPanesNow(std::string* error) {
  // The lists are written anew below, unless they are not kept: only then is a trim's
  // save still waiting worth writing. A save already under way must not land after (and
  // over) this one; its failure is no loss once this save succeeds, so it goes to the
  // terminal only.
  if (settings_.ClearDx) {
    SaveTrimmedLists();
  } else {
    trimSaveTimer_.stop();
    trimmed_.fill(false);
  }
  for (const std::string& failure : writer_->Finish()) std::fprintf(stderr, "varnak: %s\n", failure.c_str());
  SavedState state;
  for (int i = 0; i < kSpotListCount; ++i) state.lists[static_cast<size_t>(i)] = lists_->List(i)->Rows();
  for (const auto& l : pane_->Lines())
    state.paneLines.push_back(RtfLine{static_cast<uint8_t>(qRed(l.colour)), static_cast<uint8_t>(qGreen(l.colour)),
                                      static_cast<uint8_t>(qBlue(l.colour)), l.text});
  state.talkLines.assign(talk_->Lines().begin(), talk_->Lines().end());
  return SaveAll(programDir_, state, settings_.ClearDx, error);
}

}  // namespace varnak
