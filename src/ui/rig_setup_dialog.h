#pragma once
// "Setup Omnirig": where rigctld listens, with a "Test" that asks it for the radio.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <memory>

namespace varnak {

class RigControl;

class TRigSetupDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TRigSetupDlg(QWidget* parent = nullptr);
  ~TRigSetupDlg() override;

  // Fills the fields; the dialog is then opened without blocking.
  void Present(const QString& host, int port);
  QString Host() const { return HostEdit->text().trimmed(); }
  int Port() const { return PortEdit->value(); }

  QLineEdit* HostEdit = nullptr;
  QSpinBox* PortEdit = nullptr;
  QPushButton* TestButton = nullptr;
  QPushButton* OkButton = nullptr;
  QLabel* TestResult = nullptr;

  // "Dummy rig, 14.025500 MHz CW"
  static QString FoundText(const RigControl& rig);

 private:
  void Test();
  void done(int result) override;

  std::unique_ptr<RigControl> probe_;
};

}  // namespace varnak
