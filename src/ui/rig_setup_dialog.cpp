#include "ui/rig_setup_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "links/rig_factory.h"

namespace varnak {

TRigSetupDlg::TRigSetupDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("RigSetupDlg");
  setWindowTitle("Setup Omnirig");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  HostEdit = new QLineEdit(this);
  HostEdit->setToolTip("Host where Hamlib's rigctld runs");
  PortEdit = new QSpinBox(this);
  PortEdit->setRange(1, 65535);
  PortEdit->setToolTip("TCP port of rigctld (its option -t)");
  form->addRow("rigctld host:", HostEdit);
  form->addRow("Port:", PortEdit);
  layout->addLayout(form);
  TestButton = new QPushButton("Test", this);
  TestResult = new QLabel(this);
  TestResult->setObjectName("TestResult");
  TestResult->setWordWrap(true);
  TestResult->setMinimumWidth(320);
  layout->addWidget(TestButton);
  layout->addWidget(TestResult);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  OkButton = buttons->button(QDialogButtonBox::Ok);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(TestButton, &QPushButton::clicked, this, &TRigSetupDlg::Test);
}

TRigSetupDlg::~TRigSetupDlg() = default;

void TRigSetupDlg::Present(const QString& host, int port) {
  HostEdit->setText(host);
  PortEdit->setValue(port);
  TestResult->clear();
  open();
}

QString TRigSetupDlg::FoundText(const RigControl& rig) {
  QString model = QString::fromStdString(rig.ModelName());
  return QString("%1 rig, %2 MHz %3")
      .arg(model.isEmpty() ? "Unnamed" : model, QString::fromStdString(MegahertzText(rig.Frequency())),
           QString::fromStdString(rig.ModeName()));
}

void TRigSetupDlg::Test() {
  // A link of its own, so that the test leaves the window's link as it is.
  probe_ = MakeRigControl();
  TestResult->setText(QString("Asking rigctld at %1:%2 ...").arg(Host()).arg(Port()));
  TestButton->setEnabled(false);
  RigControl* probe = probe_.get();
  auto finish = [this](const QString& text) {
    TestResult->setText(text);
    TestButton->setEnabled(true);
    probe_->Disconnect();
  };
  probe->Connect(Host(), Port(), [this, probe, finish](const QString& error) {
    if (!error.isEmpty()) return finish(error);
    probe->Refresh([probe, finish](const QString& readError) {
      finish(readError.isEmpty() ? FoundText(*probe) : readError);
    });
  });
}

void TRigSetupDlg::done(int result) {
  if (probe_) probe_->Disconnect();
  TestButton->setEnabled(true);
  QDialog::done(result);
}

}  // namespace varnak
