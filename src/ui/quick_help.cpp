#include "ui/quick_help.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QVBoxLayout>

#include "app/win1252.h"
#include "core/ini_file.h"
#include "core/table_file.h"
#include "core/text.h"
#include "ui/main_window.h"
#include "ui/work_area_fit.h"

namespace varnak {

namespace {
std::filesystem::path BoundsFileFor(QWidget* parent) {
  if (auto* form = qobject_cast<TForm1*>(parent)) return form->station().ProgramPath("Help.ini");
  return "Help.ini";
}
}  // namespace

TForm3::TForm3(QWidget* parent) : TForm3("help.txt", BoundsFileFor(parent), parent) {}

TForm3::TForm3(const std::filesystem::path& helpFile, const std::filesystem::path& boundsFile, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      mainForm_(qobject_cast<TForm1*>(parent)),
      boundsFile_(boundsFile) {
  setWindowTitle("Quickhelp DX-spider commands");
  setObjectName("Form3");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  HelpGrid = new QTableWidget(0, 3, this);
  HelpGrid->setObjectName("SortGrid1");
  QFont small("MS Sans Serif");
  small.setPointSize(8);
  HelpGrid->setFont(small);
  HelpGrid->verticalHeader()->hide();
  HelpGrid->verticalHeader()->setMinimumSectionSize(10);
  HelpGrid->verticalHeader()->setDefaultSectionSize(18);
  HelpGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  HelpGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  HelpGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  HelpGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  HelpGrid->setSortingEnabled(false);
  layout->addWidget(HelpGrid);
  LoadHelp(helpFile);
  // Only a row the operator selects copies its command: the grid making a row current
  // when it gets the focus must not overwrite what was typed. A click on the row that
  // is selected already copies it again.
  connect(HelpGrid, &QTableWidget::itemSelectionChanged, this, [this] {
    const QList<QTableWidgetSelectionRange> ranges = HelpGrid->selectedRanges();
    if (!ranges.isEmpty()) SortGrid1SelectCell(0, ranges.first().topRow());
  });
  connect(HelpGrid, &QTableWidget::cellClicked, this, [this](int row, int column) { SortGrid1SelectCell(column, row); });

}

void TForm3::LoadHelp(const std::filesystem::path& helpFile) {
  auto table = ReadTableFile(helpFile);
  if (!table) {
    loadError_ = "Cannot open file " + helpFile.string();
    // Reported without stopping the start: the program goes on without entries.
    auto* box = new QMessageBox(QMessageBox::Critical, "Error", ToQString(loadError_), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
  } else if (!table->empty()) {
    int columns = static_cast<int>(std::max<size_t>(3, TableColumnCount(*table)));
    HelpGrid->setColumnCount(columns);
    QStringList headings;
    for (int c = 0; c < columns; ++c) {
      headings << (c < static_cast<int>((*table)[0].size()) ? ToQString((*table)[0][c]) : QString());
    }
    HelpGrid->setHorizontalHeaderLabels(headings);
    HelpGrid->setRowCount(static_cast<int>(table->size()) - 1);
    for (size_t r = 1; r < table->size(); ++r) {
      const TableRow& row = (*table)[r];
      for (size_t c = 0; c < row.size(); ++c) {
        HelpGrid->setItem(static_cast<int>(r - 1), static_cast<int>(c), new QTableWidgetItem(ToQString(row[c])));
      }
    }
  }
  HelpGrid->setColumnWidth(0, 120);
  HelpGrid->setColumnWidth(1, 140);
  HelpGrid->setColumnWidth(2, 300);
}

void TForm3::SortGrid1SelectCell(int, int row) {
  if (!mainForm_ || row < 0) return;
  QTableWidgetItem* item = HelpGrid->item(row, 0);
  std::string command = item ? FromQString(item->text()) : std::string();
  mainForm_->SendTextEdit->setText(ToQString(ToLowerAscii(command)));
}

void TForm3::ApplyStoredBounds() {
  IniFile ini;
  ini.Load(boundsFile_);
  // All four are read before any is applied: applying the height is a resize, which
  // would store the current width over the saved one.
  int left = ini.ReadInteger("Position", "Left", 250);
  int top = ini.ReadInteger("Position", "Top", 100);
  int height = ini.ReadInteger("Position", "Height", 510);
  int width = ini.ReadInteger("Position", "Width", 540);
  applying_ = true;
  move(left, top);
  resize(width, height);
  applying_ = false;
}

void TForm3::StoreBounds() {
  if (applying_) return;
  IniFile ini;
  ini.Load(boundsFile_);
  ini.WriteInteger("Position", "Left", pos().x());
  ini.WriteInteger("Position", "Top", pos().y());
  ini.WriteInteger("Position", "Height", height());
  ini.WriteInteger("Position", "Width", width());
  ini.Save(boundsFile_);
}

void TForm3::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    ApplyStoredBounds();
    applying_ = true;
    FitToWorkArea(this);  // bounds stored on a larger screen
    applying_ = false;
    if (mainForm_ && mainForm_->station().settings().Maximized) mainForm_->showMaximized();
  }
  QWidget::showEvent(event);
}

void TForm3::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous()) StoreBounds();
}

void TForm3::closeEvent(QCloseEvent* event) {
  StoreBounds();
  QWidget::closeEvent(event);
}

void TForm3::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();  // as the lookup window closes
    return;
  }
  QWidget::keyPressEvent(event);
}

void TForm3::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isVisible()) StoreBounds();
}

}  // namespace varnak
