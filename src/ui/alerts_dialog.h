#pragma once
// TAlertsDlg: "Setup" > "Alerts", the editor of the alert rules table.
//
// Responsibilities: shows the rules one per row in the columns of "alerts.cfg" (On and
// Notify as ticks, the colour as its own background), adds and removes rows, picks a
// WAV file and a colour, and on "OK" checks every row as the file reader would: a row it
// would skip is named in a box and nothing is saved.
//
// Collaborations: AlertController reads and writes the rules.
#include <QDialog>
#include <QString>
#include <vector>

#include "app/alert_rules.h"

class QDialogButtonBox;
class QPushButton;
class QTableWidget;

namespace varnak {

class AlertController;

class TAlertsDlg : public QDialog {
  Q_OBJECT
 public:
  TAlertsDlg(AlertController& rules, QString stationFolder, QWidget* parent = nullptr);

  // Fills the table from the rules in force and shows the dialog.
  void Present();
  // The table's rows as the file's rows, heading first.
  Table Rows() const;
  void AddRule(const AlertRule& rule);
  void SetColour(int row, const QString& colour);
  // Checks and saves; false (a box says why) keeps the dialog open.
  bool Save();

  QTableWidget* Grid = nullptr;
  QPushButton* AddButton = nullptr;
  QPushButton* RemoveButton = nullptr;
  QPushButton* SoundButton = nullptr;
  QPushButton* ColourButton = nullptr;
  QDialogButtonBox* Buttons = nullptr;

 private:
  void ChooseSound();
  void ChooseColour();
  AlertController& rules_;
  QString folder_;
};

}  // namespace varnak
