#include "app/rig_controller.h"

#include <QTimer>
#include <algorithm>
#include <charconv>
#include <utility>

#include "app/settings.h"
#include "app/spot_model.h"
#include "app/win1252.h"
#include "links/rig_control.h"
#include "links/rig_factory.h"
#include "links/rigctld_client.h"
#include "telnet/second_ticker.h"

namespace varnak {

namespace {
constexpr const char* kHamlibAddress = "https://hamlib.github.io/";

QString Capitalised(QString text) {
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}
}  // namespace

RigController::RigController(Settings& settings, QObject* parent)
    : QObject(parent), settings_(settings), rig_(MakeRigControl()) {
  Attach();
  UseTicker(std::make_unique<TimerTicker>());
}

RigController::~RigController() = default;

void RigController::UseRig(std::unique_ptr<RigControl> rig) {
  SetOn(false);
  rig_->disconnect(this);
  rig_ = std::move(rig);
  Attach();
}

void RigController::UseTicker(std::unique_ptr<SecondTicker> ticker) {
  const bool running = ticker_ && ticker_->Running();
  ticker_ = std::move(ticker);
  ticker_->onSecond = [this] { Tick(); };
  if (running) ticker_->Start();
}

void RigController::Attach() {
  connect(rig_.get(), &RigControl::OnParamsChange, this, &RigController::RadioChanged);
  connect(rig_.get(), &RigControl::Failed, this, &RigController::LinkBroke);
}

void RigController::SetState(State state) {
  state_ = state;
  emit stateChanged(state);
}

QString RigController::Endpoint() const {
  return QString("%1:%2").arg(QString::fromStdString(settings_.RigHost)).arg(settings_.RigPort);
}

QString RigController::FailureText(const QString& reason) const {
  QString start = "rigctld -m MODEL -r DEVICE";
  if (settings_.RigPort != RigctldClient::kDefaultPort) start += QString(" -t %1").arg(settings_.RigPort);
  return QString("No OmniRig driver\nPlease download at %1\n\n%2.\nStart rigctld for your radio on %3:\n    %4\n"
                 "(rigctl -l lists the models), or set its address in \"Setup Omnirig\".")
      .arg(kHamlibAddress, Capitalised(reason), QString::fromStdString(settings_.RigHost), start);
}

void RigController::SetOn(bool on) {
  if (on == IsOn()) return;
  settings_.RigEnabled = on;
  if (!on) {
    StopTries();
    asker_ = Asker::Nobody;
    modeHeld_ = false;  // a pending mode write is dropped with the link
    pendingTune_.reset();
    SetState(State::Off);
    rig_->Disconnect();
    return;
  }
  retrySeconds_ = kFirstRetrySeconds;
  outageNoted_ = false;
  SetState(State::Connecting);
  Connect(Asker::Operator);
}

void RigController::Resume() {
  if (!settings_.RigEnabled || IsOn()) return;
  retrySeconds_ = kFirstRetrySeconds;
  outageNoted_ = false;
  SetState(State::Connecting);
  Connect(Asker::Nobody);
}

void RigController::Connect(Asker asker) {
  StopTries();
  asker_ = asker;
  rig_->Connect(QString::fromStdString(settings_.RigHost), settings_.RigPort, [this](const QString& error) {
    if (!error.isEmpty()) return ConnectFailed(error);
    asker_ = Asker::Nobody;
    retrySeconds_ = kFirstRetrySeconds;
    if (outageNoted_) emit note(QString("Rig: rigctld at %1 answers again").arg(Endpoint()));
    outageNoted_ = false;
    SetState(State::On);
    if (pendingTune_) SendTune(*std::exchange(pendingTune_, std::nullopt));
  });
}

void RigController::ConnectFailed(const QString& reason) {
  if (asker_ == Asker::Operator) return OperatorFailed(reason);
  if (asker_ == Asker::Setup) emit linkFailed(FailureText(reason));
  asker_ = Asker::Nobody;
  if (!outageNoted_) {
    outageNoted_ = true;
    emit note(QString("Rig: %1; trying again until it answers (switch \"OmniRig\" off to stop)").arg(reason));
  }
  WaitForNextTry();
}

void RigController::OperatorFailed(const QString& reason) {
  // Every pending call of a broken link fails: only the first one speaks.
  if (!IsOn()) return;
  SetOn(false);
  emit linkFailed(FailureText(reason));
}

void RigController::LinkBroke(const QString& reason) {
  if (!IsOn()) return;
  asker_ = Asker::Nobody;
  modeHeld_ = false;
  retrySeconds_ = kFirstRetrySeconds;
  outageNoted_ = false;
  SetState(State::Connecting);
  ConnectFailed(reason);
}

void RigController::WaitForNextTry() {
  countdown_ = retrySeconds_;
  retrySeconds_ = std::min(retrySeconds_ * 2, kLastRetrySeconds);
  waiting_ = true;
  ticker_->Start();
}

void RigController::Tick() {
  if (!waiting_ || --countdown_ > 0) return;
  Connect(Asker::Nobody);
}

void RigController::StopTries() {
  waiting_ = false;
  countdown_ = 0;
  ticker_->Stop();
}

void RigController::SetAddress(const std::string& host, int port) {
  const bool same = host == settings_.RigHost && port == settings_.RigPort;
  settings_.RigHost = host;
  settings_.RigPort = port;
  if (!IsOn() || (same && state_ == State::On)) return;
  retrySeconds_ = kFirstRetrySeconds;
  outageNoted_ = false;
  SetState(State::Connecting);
  Connect(Asker::Setup);
}

void RigController::RadioChanged() {
  const long long hz = rig_->Frequency();
  if (IsRigFrequency(hz)) {
    lastFrequency_ = hz;
    const QString text = QString::fromStdString(RigFrequencyText(hz));
    const int page = ListIndexOfBand(BandTextOfKhz(hz / 1000));
    emit frequencyChanged(text, QString("Radio: %1 kHz%2").arg(text, page > 0 ? QString("  ") + kSpotPageTitles[page].data() : ""));
  }
  // A mode off the list (RTTY) leaves the list as it is.
  std::optional<RigMode> mode = rig_->Mode();
  if (mode && static_cast<int>(*mode) < kRigModeCount && !modeHeld_) emit modeChanged(*mode);
}

void RigController::TuneTo(const std::string& text, std::string_view comment) {
  long long hz = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), hz);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
    emit refused(QString("'%1' is not a valid integer value").arg(ToQString(text)));
    return;
  }
  if (!IsRigFrequency(hz)) {
    emit refused(QString("%1 Hz is not a frequency a radio can be tuned to").arg(hz));
    return;
  }
  const TunePlan plan = PlanTune(hz, comment);
  if (state_ == State::On) return SendTune(plan);
  // Not yet usable (off, or the server still looked for): the operator asks now, so the
  // tune waits for a usable check whose failure he is told about.
  if (!IsOn()) {
    settings_.RigEnabled = true;
    retrySeconds_ = kFirstRetrySeconds;
    outageNoted_ = false;
    SetState(State::Connecting);
  }
  pendingTune_ = plan;
  Connect(Asker::Operator);
}

void RigController::SendTune(const TunePlan& plan) {
  auto check = [this](const QString& error) {
    if (!error.isEmpty()) OperatorFailed(error);
  };
  const RigMode mode = OfferedMode(plan.mode, [this](RigMode m) { return rig_->Offers(m); });
  // Some radios keep a frequency per mode: the frequency again after the mode.
  rig_->SetFrequency(plan.rxHz, check);
  rig_->SetMode(mode, check);
  rig_->SetFrequency(plan.rxHz, check);
  if (!settings_.RigSplitFromSpot) return;
  // A radio without split refuses to clear it too: only a split the spot asks for is
  // worth a word.
  rig_->SetSplit(plan.txHz, mode, [this, split = plan.txHz.has_value()](const QString& error) {
    if (!error.isEmpty() && split && IsOn()) emit refused(QString("The radio cannot transmit split: %1").arg(error));
  });
}

void RigController::ChooseMode(int index) {
  if (index < 0 || index >= kRigModeCount) return;
  if (!rig_->Usable()) {
    emit refused(state_ == State::Off
                     ? QString("The radio cannot take the mode: rig control is switched off.")
                     : QString("The radio cannot take the mode: nothing answers at %1 yet.").arg(Endpoint()));
    return;
  }
  // Reports still on their way show the old mode; the operator's choice stands
  // until the radio has had a moment with the new one.
  modeHeld_ = true;
  // A link that breaks under the write fails it here and is then looked for again
  // quietly: this one report is the operator's.
  rig_->SetMode(static_cast<RigMode>(index), [this](const QString& error) {
    QTimer::singleShot(kModeSettleMs, this, [this] { modeHeld_ = false; });
    if (!error.isEmpty()) emit refused(error);
  });
}

}  // namespace varnak
