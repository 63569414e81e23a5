#include "ui/edit_button_dialog.h"

namespace varnak {

TEditButtonDlg::TEditButtonDlg(QWidget* parent) : QDialog(parent) { setWindowTitle("Edit buttons"); }

}  // namespace varnak
