#include "app/rig_controller.h"

#include <QTimer>
#include <charconv>

#include "app/settings.h"
#include "app/spot_model.h"
#include "app/win1252.h"
#include "links/rig_control.h"
#include "links/rig_factory.h"

namespace varnak {

namespace {
constexpr const char* kHamlibAddress = "https://hamlib.github.io/";
}

RigController::RigController(Settings& settings, QObject* parent)
    : QObject(parent), settings_(settings), rig_(MakeRigControl()) {
  Attach();
}

RigController::~RigController() = default;

void RigController::UseRig(std::unique_ptr<RigControl> rig) {
  SetOn(false);
  rig_->disconnect(this);
  rig_ = std::move(rig);
  Attach();
}

void RigController::Attach() {
  connect(rig_.get(), &RigControl::OnParamsChange, this, &RigController::RadioChanged);
  connect(rig_.get(), &RigControl::Failed, this, &RigController::Fail);
}

void RigController::SetState(State state) {
  state_ = state;
  emit stateChanged(state);
}

void RigController::SetOn(bool on) {
  if (on == IsOn()) return;
  settings_.RigEnabled = on;
  if (!on) {
    modeHeld_ = false;  // a pending mode write is dropped with the link
    SetState(State::Off);
    rig_->Disconnect();
    return;
  }
  SetState(State::Connecting);
  Connect();
}

void RigController::Connect() {
  rig_->Connect(QString::fromStdString(settings_.RigHost), settings_.RigPort, [this](const QString& error) {
    if (!error.isEmpty()) return Fail(error);
    SetState(State::On);
  });
}

void RigController::Resume() {
  if (settings_.RigEnabled) SetOn(true);
}

void RigController::SetAddress(const std::string& host, int port) {
  settings_.RigHost = host;
  settings_.RigPort = port;
  if (!IsOn()) return SetOn(true);
  settings_.RigEnabled = true;
  Connect();
}

void RigController::RadioChanged() {
  const long long hz = rig_->Frequency();
  if (IsRigFrequency(hz)) {
    lastFrequency_ = hz;
    const QString text = QString::fromStdString(RigFrequencyText(hz));
    const int page = ListIndexOfBand(BandTextOfKhz(hz / 1000));
    emit frequencyChanged(text, QString("Radio: %1 kHz%2").arg(text, page > 0 ? QString("  ") + kSpotPageTitles[page].data() : ""));
  }
  if (std::optional<RigMode> mode = rig_->Mode(); mode && !modeHeld_) emit modeChanged(*mode);
}

void RigController::TuneTo(const std::string& text) {
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
  // Switched on first, so the writes queue behind the usable check.
  SetOn(true);
  auto check = [this](const QString& error) {
    if (!error.isEmpty()) Fail(error);
  };
  // Some radios keep a frequency per mode: the frequency again after the mode.
  rig_->SetFrequency(hz, check);
  rig_->SetMode(BandPlanMode(hz / 1000), check);
  rig_->SetFrequency(hz, check);
}

void RigController::ChooseMode(int index) {
  if (index < 0 || index >= kRigModeCount) return;
  if (!rig_->Usable()) {
    emit refused("The radio cannot take the mode: rig control is switched off.");
    return;
  }
  // Reports still on their way show the old mode; the operator's choice stands
  // until the radio has had a moment with the new one.
  modeHeld_ = true;
  rig_->SetMode(static_cast<RigMode>(index), [this](const QString& error) {
    QTimer::singleShot(kModeSettleMs, this, [this] { modeHeld_ = false; });
    if (!error.isEmpty()) emit refused(error);
  });
}

void RigController::Fail(const QString& reason) {
  // Every pending call of a broken link fails: only the first one speaks.
  if (!IsOn()) return;
  // The operator's choice is kept for the next start: the server may just not run yet.
  const bool wanted = settings_.RigEnabled;
  SetOn(false);
  settings_.RigEnabled = wanted;
  emit linkFailed(QString("No OmniRig driver\nPlease download at %1\n\n%2").arg(kHamlibAddress, reason));
}

}  // namespace varnak
