#pragma once
// TEditButtonDlg: the editor of the user-button table "buttons.cfg".
#include <QDialog>

namespace varnak {

class TEditButtonDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TEditButtonDlg(QWidget* parent = nullptr);
};

}  // namespace varnak
