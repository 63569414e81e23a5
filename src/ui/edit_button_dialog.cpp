#include "ui/edit_button_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "app/win1252.h"
#include "telnet/operator_commands.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/work_area_fit.h"

namespace varnak {

namespace {
std::filesystem::path ButtonFileFor(QWidget* parent) {
  // The station folder is the working directory too; the main window names it exactly.
  if (auto* form = qobject_cast<TForm1*>(parent)) return form->station().ProgramPath("buttons.cfg");
  return "buttons.cfg";
}
}  // namespace

TEditButtonDlg::TEditButtonDlg(QWidget* parent) : TEditButtonDlg(ButtonFileFor(parent), parent) {}

TEditButtonDlg::TEditButtonDlg(const std::filesystem::path& file, QWidget* parent)
    : QDialog(parent, Qt::Window), file_(file) {
  setWindowTitle("Edit buttons");
  setObjectName("EditButtonDlg");
  setModal(false);
  Build();
  Load(LoadButtonTable(file_, &error_));
  if (auto* form = qobject_cast<TForm1*>(parent)) form->AttachButtonEditor(this);
}

void TEditButtonDlg::Build() {
  auto* layout = new QVBoxLayout(this);
  SortGrid1 = new QTableWidget(0, 2, this);
  SortGrid1->setObjectName("SortGrid1");
  SortGrid1->setHorizontalHeaderLabels({"Caption:", "Command to send:"});
  SortGrid1->verticalHeader()->hide();
  SortGrid1->setColumnWidth(0, 90);
  SortGrid1->horizontalHeader()->setStretchLastSection(true);
  SortGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  SortGrid1->setTabKeyNavigation(true);
  // Not on a mere change of the current cell: the dialog opened with its first cell
  // in edit mode, and the first key typed replaced "WCY".
  SortGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                             QAbstractItemView::EditKeyPressed);
  layout->addWidget(SortGrid1, 1);

  auto* hint = new QLabel("HINT: The shorter the Captiontext is\nthe more buttons you can add!", this);
  layout->addWidget(hint);

  auto* row = new QHBoxLayout;
  AddButton = new QPushButton("Add", this);
  AddButton->setToolTip("Add new button");
  DeleteButton = new QPushButton("Delete", this);
  DeleteButton->setToolTip("Delete this button!");
  UpButton = new QPushButton("Up", this);
  UpButton->setToolTip("Move up");
  DownButton = new QPushButton("Down", this);
  DownButton->setToolTip("Move down");
  SaveButton = new QPushButton("Save", this);
  CancelButton = new QPushButton("Cancel", this);
  for (auto* b : {AddButton, DeleteButton, UpButton, DownButton, SaveButton, CancelButton}) {
    b->setAutoDefault(false);
    row->addWidget(b);
  }
  layout->addLayout(row);
  resize(420, 320);
  KeepInWorkArea(this);

  connect(AddButton, &QPushButton::clicked, this, &TEditButtonDlg::AddClick);
  connect(DeleteButton, &QPushButton::clicked, this, &TEditButtonDlg::DeleteClick);
  connect(UpButton, &QPushButton::clicked, this, &TEditButtonDlg::UpClick);
  connect(DownButton, &QPushButton::clicked, this, &TEditButtonDlg::DownClick);
  connect(SaveButton, &QPushButton::clicked, this, &TEditButtonDlg::SaveClick);
  connect(CancelButton, &QPushButton::clicked, this, &TEditButtonDlg::CancelClick);
}

void TEditButtonDlg::Load(const Table& table) {
  int columns = static_cast<int>(std::max<size_t>(2, TableColumnCount(table)));
  SortGrid1->setColumnCount(columns);
  SortGrid1->setRowCount(static_cast<int>(table.size()));
  for (int r = 0; r < static_cast<int>(table.size()); ++r) {
    for (int c = 0; c < columns; ++c) {
      const TableRow& row = table[r];
      SortGrid1->setItem(r, c, new QTableWidgetItem(c < static_cast<int>(row.size()) ? ToQString(row[c]) : QString()));
    }
  }
}

Table TEditButtonDlg::ButtonTable() const {
  Table table;
  for (int r = 0; r < SortGrid1->rowCount(); ++r) {
    TableRow row;
    for (int c = 0; c < SortGrid1->columnCount(); ++c) {
      QTableWidgetItem* item = SortGrid1->item(r, c);
      row.push_back(item ? FromQString(item->text()) : std::string());
    }
    table.push_back(std::move(row));
  }
  return table;
}

std::string TEditButtonDlg::CommandAt(int row) const {
  if (row < 0 || row >= SortGrid1->rowCount()) return {};
  QTableWidgetItem* item = SortGrid1->item(row, 1);
  return item ? FromQString(item->text()) : std::string();
}

void TEditButtonDlg::AddClick() {
  int r = SortGrid1->rowCount();
  SortGrid1->insertRow(r);
  for (int c = 0; c < SortGrid1->columnCount(); ++c) SortGrid1->setItem(r, c, new QTableWidgetItem);
  SortGrid1->setCurrentCell(r, 0);
}

void TEditButtonDlg::DeleteClick() {
  int r = SortGrid1->currentRow();
  if (r >= 0) SortGrid1->removeRow(r);
}

void TEditButtonDlg::SwapRows(int a, int b) {
  int column = SortGrid1->currentColumn();
  for (int c = 0; c < SortGrid1->columnCount(); ++c) {
    QTableWidgetItem* ia = SortGrid1->takeItem(a, c);
    QTableWidgetItem* ib = SortGrid1->takeItem(b, c);
    SortGrid1->setItem(a, c, ib);
    SortGrid1->setItem(b, c, ia);
  }
  SortGrid1->setCurrentCell(b, std::max(0, column));
}

void TEditButtonDlg::UpClick() {
  int r = SortGrid1->currentRow();
  if (r > 0) SwapRows(r, r - 1);
}

void TEditButtonDlg::DownClick() {
  int r = SortGrid1->currentRow();
  if (r >= 0 && r + 1 < SortGrid1->rowCount()) SwapRows(r, r + 1);
}

void TEditButtonDlg::SaveClick() {
  // A cell still being typed in counts as part of the table.
  if (QWidget* editor = SortGrid1->indexWidget(SortGrid1->currentIndex())) {
    QMetaObject::invokeMethod(SortGrid1->itemDelegate(), "commitData", Q_ARG(QWidget*, editor));
  }
  if (buildButtons) buildButtons();
  error_.clear();
  if (!SaveButtonTable(file_, ButtonTable(), &error_)) {
    OpenMessageBox(this, QMessageBox::Critical, "Error", ToQString(error_));  // never a nested loop
    return;
  }
  hide();
}

void TEditButtonDlg::CancelClick() { hide(); }

}  // namespace varnak
