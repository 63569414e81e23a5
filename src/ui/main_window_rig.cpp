// The radio on the main window: the "OmniRig" box with its switch, mode list and
// frequency display and "Split from spot", "Set QRG" from the spot menu, a double click
// or Ctrl+Return on a spot, the
// radio's band in the status line, and "Setup Omnirig". What the radio does is the
// station's RigController; this file binds the widgets to it.
#include <QMessageBox>
#include <QMouseEvent>

#include "app/rig_controller.h"
#include "app/spot_model.h"
#include "app/spot_resolver.h"
#include "ui/spot_list_views.h"
#include "ui/main_window.h"
#include "ui/rig_setup_dialog.h"

namespace varnak {

void TForm1::WireRig() {
  RigController& rig = station_->rig();
  RigSetupDlg = new TRigSetupDlg(this);
  connect(RigSetupDlg, &QDialog::accepted, this,
          [this] { station_->rig().SetAddress(RigSetupDlg->Host().toStdString(), RigSetupDlg->Port()); });
  connect(VrCheckLed1, &QCheckBox::toggled, &rig, &RigController::SetOn);
  connect(SplitFromSpotCheck, &QCheckBox::toggled, this,
          [this](bool on) { station_->settings().RigSplitFromSpot = on; });
  connect(station_.get(), &Station::configurationRead, this,
          [this] { SplitFromSpotCheck->setChecked(station_->settings().RigSplitFromSpot); });
  // Ctrl+Return tunes the row as a double click does; the column views come and go.
  for (int list = 0; list < kSpotListCount; ++list)
    connect(SpotGrids[static_cast<size_t>(list)], &SpotListView::rowTuned, this,
            [this, list](int row) { SpotRowDoubleClicked(list, row); });
  connect(ModeBox, &QComboBox::activated, this, &TForm1::ModeBoxChange);
  SpotMenuItems[SetQRG1]->setEnabled(true);
  connect(SpotMenuItems[SetQRG1], &QAction::triggered, this, &TForm1::SetQRG1Click);

  // The switch follows when the controller moves it (a failure, a tune while off); its
  // toggle then finds the controller in that state already. Switched on, the display
  // says "no radio" until the radio is read, also while rigctld is still looked for.
  auto showState = [this](RigController::State state) {
    const bool on = state != RigController::State::Off;
    VrCheckLed1->setChecked(on);
    VrCheckLed1->setText(on ? "On" : "Off");
    if (!on) VrStrEdit1->setText("- - - - - -");
    if (state != RigController::State::On) {
      if (on) VrStrEdit1->setText("no radio");
      RigStatus->clear();
    }
  };
  showState(rig.CurrentState());
  connect(&rig, &RigController::stateChanged, this, showState);
  connect(&rig, &RigController::frequencyChanged, this, [this](const QString& text, const QString& status) {
    VrStrEdit1->setText(text);
    DxQrgEdit->setText(text);
    RigStatus->setText(status);
  });
  // Setting the index leaves the keyboard focus where it is.
  connect(&rig, &RigController::modeChanged, this,
          [this](RigMode mode) { ModeBox->setCurrentIndex(static_cast<int>(mode)); });
  connect(&rig, &RigController::linkFailed, this,
          [this](const QString& text) { OpenRigBox(QMessageBox::Information, "Information", text); });
  connect(&rig, &RigController::refused, this,
          [this](const QString& text) { OpenRigBox(QMessageBox::Critical, "Error", text); });

  QTimer::singleShot(0, this, [this] {
    if (!closing_) station_->rig().Resume();
  });
}

void TForm1::SetQRG1Click() {
  if (station_->freeze().Frozen()) station_->freeze().ShortenForSend();
  // The mode and split come from the comment of the spot whose frequency is tuned.
  const Spot& spot = station_->currentSpot();
  const std::string& hz = station_->CurrentSpot.HzText;
  station_->rig().TuneTo(hz, LookupRecordOf(spot).HzText == hz ? std::string_view(spot.comment) : std::string_view());
}

void TForm1::ModeBoxChange(int index) {
  FocusVisibleSendPage();
  station_->rig().ChooseMode(index);
}

void TForm1::SetupOmnirig1Click() {
  const Settings& s = station_->settings();
  RigSetupDlg->Present(QString::fromStdString(s.RigHost), s.RigPort);
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
