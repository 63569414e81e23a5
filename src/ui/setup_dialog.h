#pragma once
// TSetupDlg: station data, link kind, the Telnet cluster table "telnet.cfg", the relay
// and the switches. "Save" closes the running links, takes the values over, writes and
// re-reads the configuration and runs the start-up routine again.
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <functional>
#include <vector>

#include "app/station.h"
#include "core/table_file.h"

namespace varnak {

// A titled group of radio buttons with one selected index. clicked() follows every
// change of the index, made by the operator or by the program, and no other time.
class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& title, const QStringList& items, QWidget* parent);
  int ItemIndex() const { return index_; }
  void SetItemIndex(int index);
  QRadioButton* Item(int i) const { return buttons_.at(i); }

 signals:
  void clicked();

 private:
  std::vector<QRadioButton*> buttons_;
  int index_ = -1;
};

class TSetupDlg : public QDialog {
  Q_OBJECT
 public:
  TSetupDlg(Station& station, QWidget* parent = nullptr);

  // Runs whenever the dialog becomes the active window: reloads "telnet.cfg" and fills
  // every field from the settings.
  void FormActivate();
  void ConnectGroupClick();
  void TelnetOutGroupClick();
  void TelnetGridClick();
  void Button1Click();  // "Add"
  void Button3Click();  // "Delete"
  // "Save"; false when it stopped at a check or a conversion error.
  bool OKBtnClick();
  void CancelBtnClick();

  enum class SortKind { Numeric, Text };
  static SortKind TelnetGridBeginSort(int column);
  // Sorts the data rows by a column; the current row stays on its cluster.
  void SortTelnetGrid(int column, bool ascending);

  // The grid as "telnet.cfg" holds it: the heading row, then the data rows.
  Table GridTable() const;

  // Message boxes; tests replace them.
  std::function<void(const QString&)> informationBox;
  std::function<void(const QString&)> errorBox;
  std::function<bool(const QString&)> confirmBox;  // Yes = true
  // The work area the configuration reading derives its defaults from.
  std::function<WorkArea()> workArea;

  RadioGroup* ConnectGroup = nullptr;
  RadioGroup* TelnetOutGroup = nullptr;
  QLineEdit* Edit6 = nullptr;     // Port out
  QLineEdit* EditBind = nullptr;  // relay listening address
  QLineEdit* Edit1 = nullptr;     // MyCall
  QLineEdit* Edit7 = nullptr;     // MyLocator
  QLineEdit* Edit2 = nullptr;     // ClusterCall
  QLineEdit* Edit12 = nullptr;    // Password
  RadioGroup* RadioGroup1 = nullptr;  // Autoconnect?
  RadioGroup* ReconnectGroup = nullptr;  // Reconnect? (a lost Telnet link)
  QLineEdit* Edit3 = nullptr;     // AgwPort
  QLineEdit* Edit4 = nullptr;     // AGWhost
  QLineEdit* Edit5 = nullptr;     // AX25port
  QLineEdit* Edit9 = nullptr;     // NodeCall
  QLineEdit* ViaEdit = nullptr;   // never shown
  QLineEdit* SearchCallEdit = nullptr;  // never shown
  RadioGroup* ClearDxGroup = nullptr;
  QLineEdit* Edit11 = nullptr;    // Font size
  QLineEdit* EditName = nullptr;
  QLineEdit* EditHost = nullptr;
  QLineEdit* EditPort = nullptr;
  QTableWidget* TelnetGrid = nullptr;
  QPushButton* Button1 = nullptr;  // Add
  QPushButton* Button3 = nullptr;  // Delete
  QLineEdit* EditLog = nullptr;          // "Log file (ADIF):"
  QPushButton* LogFileBtn = nullptr;     // its file chooser
  QComboBox* SoundChoice = nullptr;      // "Sound on:" all spots / needed only
  QPlainTextEdit* LoginEdit = nullptr;   // "After login send:", one command a line
  std::vector<QCheckBox*> ReadyBoxes;    // its ready rows (kReadyLoginCommands)
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void reject() override;

 private:
  void Build();
  QWidget* BuildTelnetBox();
  QWidget* BuildLogBox();
  void FillLogFields();
  void TakeLogFields();
  QWidget* BuildLoginBox();  // setup_dialog_login.cpp
  void FillLoginFields();
  bool TakeLoginFields();  // false when "login.cfg" could not be written (reported)
  void TickReadyCommand(size_t index, bool on);
  void ShowReadyCommands();
  void ChooseLogFile();
  bool ReturningFromLogChooser();
  void LoadTable(std::string* error);
  void SetRow(int row, const TableRow& cells);
  QString Cell(int row, int column) const;
  bool TakeInteger(const QString& text, int& target);
  bool CheckFields();
  bool TakeFields(Settings& s);
  void Inform(const QString& text);
  void ReportError(const QString& text);
  bool Confirm(const QString& text);

  Station& station_;
  std::string via_;
  bool justShown_ = false;
  bool returningFromBox_ = false;
  bool choosingLog_ = false;
  QPointer<QWidget> logChooser_;
};

}  // namespace varnak
