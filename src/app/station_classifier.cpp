// The station's side of the line classifier: the models it fills, the settings and
// links it reads, the spot lookup, the current spot, and the files the lists and panes
// live in.
#include <cstdio>
#include <utility>

#include "app/list_files.h"
#include "app/operator_log.h"
#include "app/spot_filter_controller.h"
#include "app/spot_resolver.h"
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

  void LookUp(Spot& spot) override { s_.spotResolver().Update(spot, true); }
  void PlayTalkSound() override { s_.alerts().PlayTalkSound(); }
  void HoldMonitorLine(const std::string& line) override {
    s_.freeze().HoldIfFrozen(FreezeControl::Source::Monitor, line);
  }
  void ShowMonitorLine(const std::string& line) override { s_.Packet().Showdata(line); }

 private:
  Station& s_;
};

}  // namespace

void Station::WireClassifier() {
  parser_ = std::make_unique<TCallParser>();
  parser_->SetProgramDir(programDir_);
  parser_->SetPrefixFile("prefix.lst");
  spotResolver_ = std::make_unique<SpotResolver>(*parser_);
  current_ = std::make_shared<Spot>();
  lists_ = std::make_unique<SpotLists>(*clock_, this, spotResolver_.get());
  pane_ = std::make_unique<ClusterTextModel>(this);
  talk_ = std::make_unique<TalkModel>(this);
  users_ = std::make_unique<UserListModel>(this);
  host_ = std::make_unique<StationHost>(*this);
  classifier_ = std::make_unique<Classifier>(*host_, *lists_, *pane_, *talk_, *users_);
  connect(lists_.get(), &SpotLists::spotFiled, this, &Station::SpotFiled);
  // Without a log read, every spot may be a needed one.
  connect(this, &Station::spotFiled, &alerts_, [this](const Spot& spot) {
    if (!settings_.Sound || !filter_->Shows(spot)) return;
    if (log_->Loaded()) {
      alerts_.PlaySpotSound(spot.need);
    } else {
      alerts_.PlaySpotSound();
    }
  });

  // A list trimmed while spots come in is saved soon, so a crash loses little: within a
  // second, so that a flood trimming it ten times a second costs one save, and by the
  // writer's thread, as the flush to disk may take long and spots keep coming.
  writer_ = std::make_unique<FileWriter>();
  trimSaveTimer_.setSingleShot(true);
  trimSaveTimer_.setInterval(kTrimSaveDelayMs);
  connect(&trimSaveTimer_, &QTimer::timeout, this, &Station::SaveTrimmedLists);
  connect(lists_.get(), &SpotLists::listTrimmed, this, [this](int list) {
    trimmed_[static_cast<size_t>(list)] = true;
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

const Spot& Station::currentSpot() const { return *current_; }

void Station::MakeCurrent(std::shared_ptr<Spot> spot) {
  current_ = std::move(spot);
  CurrentSpot = LookupRecordOf(*current_);
  CurrentSpotMark = current_->need;
  emit currentSpotChanged();
}

// While the lists are frozen (a Telnet node goes on sending) the spot is filed as usual,
// but the clicked spot stays the current one until the freeze ends.
void Station::SpotFiled(const std::shared_ptr<Spot>& spot, int list) {
  if (freeze_->Frozen()) {
    held_ = spot;
    heldShown_ = false;
  } else {
    MakeCurrent(spot);
  }
  emit spotFiled(*spot, list);
}

void Station::PresentFiledSpot() {
  if (held_) {
    // The freeze holds the lists and the lookup line, not the automatic map displays.
    heldShown_ = true;
    emit spotPresented(*held_);
    return;
  }
  if (view_) view_->PresentSpot(CurrentSpot);
  emit spotPresented(*current_);
}

void Station::PickSpot(int list, int row) {
  std::shared_ptr<Spot> spot = lists_->List(list)->SharedSpot(row);
  if (!spot) return;
  spotResolver_->Update(*spot, true);
  // A spot filed before this pick must not take its place when the freeze ends.
  held_.reset();
  heldShown_ = false;
  MakeCurrent(std::move(spot));
}

void Station::CatchUpAfterFreeze() {
  if (!held_) return;
  std::shared_ptr<Spot> spot = std::move(held_);
  held_.reset();
  MakeCurrent(std::move(spot));
  if (heldShown_ && view_) view_->PresentSpot(CurrentSpot);
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
