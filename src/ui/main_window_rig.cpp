// The radio on the main window: the "OmniRig" box with its switch, mode list and
// frequency display, "Set QRG" from the spot menu or a double click on a spot, the
// radio's band in the status line, and "Setup Omnirig".
#include <QMessageBox>
#include <QMouseEvent>
#include <charconv>

#include "app/spot_model.h"
#include "app/win1252.h"
#include "links/rig_control.h"
#include "ui/main_window.h"
#include "ui/rig_setup_dialog.h"

namespace varnak {

namespace {
constexpr const char* kHamlibAddress = "https://hamlib.github.io/";
constexpr int kModeSettleMs = 50;

// A double click on a row of a spot list; its first press has made the row's spot the
// current one already.
class RowDoubleClick : public QObject {
 public:
  RowDoubleClick(SpotListView* grid, std::function<void()> onDoubleClick)
      : QObject(grid), grid_(grid), onDoubleClick_(std::move(onDoubleClick)) {
    grid->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonDblClick &&
        grid_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid())
      onDoubleClick_();
    return false;
  }

 private:
  SpotListView* grid_;
  std::function<void()> onDoubleClick_;
};
}  // namespace

void TForm1::WireRig() {
  RigSetupDlg = new TRigSetupDlg(this);
  connect(RigSetupDlg, &QDialog::accepted, this, [this] {
    Settings& s = station_->settings();
    s.RigHost = RigSetupDlg->Host().toStdString();
    s.RigPort = RigSetupDlg->Port();
    // A new address takes effect at once.
    if (VrCheckLed1->isChecked()) VrCheckLed1Click(true);
    else VrCheckLed1->setChecked(true);
  });
  connect(VrCheckLed1, &QCheckBox::toggled, this, &TForm1::VrCheckLed1Click);
  connect(ModeBox, &QComboBox::activated, this, &TForm1::ModeBoxChange);
  SpotMenuItems[SetQRG1]->setEnabled(true);
  connect(SpotMenuItems[SetQRG1], &QAction::triggered, this, &TForm1::SetQRG1Click);
  for (auto* grid : SpotGrids) new RowDoubleClick(grid, [this] { SetQRG1Click(); });
  AttachRig();
  // Back on at start when the operator left it on.
  QTimer::singleShot(0, this, [this] {
    if (station_->settings().RigEnabled && !closing_) VrCheckLed1->setChecked(true);
  });
}

void TForm1::UseRig(std::unique_ptr<RigControl> rig) {
  VrCheckLed1->setChecked(false);
  if (station_->OmniRigX1) station_->OmniRigX1->disconnect(this);
  station_->OmniRigX1 = std::move(rig);
  AttachRig();
}

void TForm1::AttachRig() {
  RigControl* rig = station_->OmniRigX1.get();
  connect(rig, &RigControl::OnParamsChange, this, &TForm1::OmniRigX1ParamsChange);
  connect(rig, &RigControl::Failed, this, &TForm1::RigFailure);
}

void TForm1::VrCheckLed1Click(bool on) {
  station_->settings().RigEnabled = on;
  RigControl& rig = *station_->OmniRigX1;
  if (!on) {
    modeHeld_ = false;  // a pending mode write is dropped with the link
    VrCheckLed1->setText("Off");
    VrStrEdit1->setText("- - - - - -");
    RigStatus->clear();
    rig.Disconnect();
    return;
  }
  const Settings& s = station_->settings();
  rig.Connect(QString::fromStdString(s.RigHost), s.RigPort, [this](const QString& error) {
    if (!error.isEmpty()) return RigFailure(error);
    VrCheckLed1->setText("On");
    VrStrEdit1->setText("no radio");
  });
}

void TForm1::OmniRigX1ParamsChange() {
  RigControl& rig = *station_->OmniRigX1;
  const long long hz = rig.Frequency();
  if (IsRigFrequency(hz)) {
    LastRigFrequency = hz;
    const QString text = QString::fromStdString(RigFrequencyText(hz));
    VrStrEdit1->setText(text);
    DxQrgEdit->setText(text);
    const int page = ListIndexOfBand(BandTextOfKhz(hz / 1000));
    RigStatus->setText(QString("Radio: %1 kHz%2").arg(text, page > 0 ? QString("  ") + kSpotPageTitles[page].data() : ""));
  }
  // Setting the index leaves the keyboard focus where it is.
  if (std::optional<RigMode> mode = RigModeOfName(rig.Mode()); mode && !modeHeld_)
    ModeBox->setCurrentIndex(static_cast<int>(*mode));
}

void TForm1::SetQRG1Click() {
  if (station_->freeze().Frozen()) station_->freeze().ShortenForSend();
  const std::string& text = station_->CurrentSpot.HzText;
  long long hz = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), hz);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
    OpenRigBox(QMessageBox::Critical, "Error", QString("'%1' is not a valid integer value").arg(ToQString(text)));
    return;
  }
  if (!IsRigFrequency(hz)) {
    OpenRigBox(QMessageBox::Critical, "Error", QString("%1 Hz is not a frequency a radio can be tuned to").arg(hz));
    return;
  }
  // Switched on first, so the writes queue behind the usable check.
  if (!VrCheckLed1->isChecked()) VrCheckLed1->setChecked(true);
  RigControl& rig = *station_->OmniRigX1;
  auto check = [this](const QString& error) {
    if (!error.isEmpty()) RigFailure(error);
  };
  // Some radios keep a frequency per mode: the frequency again after the mode.
  rig.SetFrequency(hz, check);
  rig.SetMode(BandPlanMode(hz / 1000), check);
  rig.SetFrequency(hz, check);
}

void TForm1::ModeBoxChange(int index) {
  FocusVisibleSendPage();
  if (index < 0 || index >= kRigModeCount) return;
  RigControl& rig = *station_->OmniRigX1;
  if (!rig.Usable()) {
    OpenRigBox(QMessageBox::Critical, "Error", "The radio cannot take the mode: rig control is switched off.");
    return;
  }
  // Reports still on their way show the old mode; the operator's choice stands
  // until the radio has had a moment with the new one.
  modeHeld_ = true;
  rig.SetMode(static_cast<RigMode>(index), [this](const QString& error) {
    QTimer::singleShot(kModeSettleMs, this, [this] { modeHeld_ = false; });
    if (!error.isEmpty()) OpenRigBox(QMessageBox::Critical, "Error", error);
  });
}

void TForm1::SetupOmnirig1Click() {
  const Settings& s = station_->settings();
  RigSetupDlg->Present(QString::fromStdString(s.RigHost), s.RigPort);
}

void TForm1::RigFailure(const QString& reason) {
  // Every pending call of a broken link fails: only the first one speaks.
  if (!VrCheckLed1->isChecked()) return;
  // The operator's choice is kept for the next start: rigctld may just not run yet.
  const bool wanted = station_->settings().RigEnabled;
  VrCheckLed1->setChecked(false);
  station_->settings().RigEnabled = wanted;
  OpenRigBox(QMessageBox::Information, "Information",
             QString("No OmniRig driver\nPlease download at %1\n\n%2").arg(kHamlibAddress, reason));
}

void TForm1::OpenRigBox(int icon, const QString& title, const QString& text) {
  // Raised from socket and timer handlers too: the box must not run a loop of its own.
  auto* box = new QMessageBox(static_cast<QMessageBox::Icon>(icon), title, text, QMessageBox::Ok, this);
  box->setObjectName("RigBox");
  box->setAttribute(Qt::WA_DeleteOnClose);
  RigBox = box;
  box->open();
}

}  // namespace varnak
