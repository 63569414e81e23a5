#pragma once
// TSetupDlg: station data, link kind, the Telnet cluster table and the switches.
#include <QDialog>

namespace varnak {

class TSetupDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TSetupDlg(QWidget* parent = nullptr);
};

}  // namespace varnak
