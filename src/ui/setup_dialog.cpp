#include "ui/setup_dialog.h"

namespace varnak {

TSetupDlg::TSetupDlg(QWidget* parent) : QDialog(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setWindowTitle("Setup");
  setModal(false);
}

}  // namespace varnak
