#include "ui/alerts_dialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/alert_controller.h"
#include "app/win1252.h"
#include "core/text.h"

namespace varnak {

namespace {

enum { kOn = 0, kSound = 6, kNotify = 7, kColour = 8, kColumns = 9 };

bool IsTick(int column) { return column == kOn || column == kNotify; }

}  // namespace

TAlertsDlg::TAlertsDlg(AlertController& rules, QString stationFolder, QWidget* parent)
    : QDialog(parent), rules_(rules), folder_(std::move(stationFolder)) {
  setObjectName("AlertsDlg");
  setWindowTitle("Alerts");
  auto* layout = new QVBoxLayout(this);
  Grid = new QTableWidget(0, kColumns, this);
  Grid->setObjectName("AlertsGrid");
  QStringList heading;
  for (const auto& h : AlertRulesHeading()) heading << ToQString(h);
  Grid->setHorizontalHeaderLabels(heading);
  Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid->setSelectionMode(QAbstractItemView::SingleSelection);
  Grid->horizontalHeader()->setStretchLastSection(true);
  for (int c = 0; c < kColumns; ++c) Grid->setColumnWidth(c, IsTick(c) ? 50 : c == 1 ? 180 : 85);
  Grid->setToolTip("Calls: patterns with * and ?, or entity names (\"South Shetland Islands\" in quotes)\n"
                   "Bands: 160 80 60 40 ... 6 4 2 70cm SHF   Modes: CW PHONE DIGI   Needs: NEW BAND MODE\n"
                   "Spotters: continents AF AN AS EU NA OC SA   An empty cell matches everything.");
  layout->addWidget(Grid, 1);

  auto* row = new QHBoxLayout;
  AddButton = new QPushButton("Add", this);
  RemoveButton = new QPushButton("Remove", this);
  SoundButton = new QPushButton("Sound...", this);
  ColourButton = new QPushButton("Colour...", this);
  for (auto* b : {AddButton, RemoveButton, SoundButton, ColourButton}) row->addWidget(b);
  row->addStretch(1);
  layout->addLayout(row);
  Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(Buttons);
  resize(820, 320);

  connect(AddButton, &QPushButton::clicked, this, [this] {
    AddRule(AlertRule{});
    Grid->setCurrentCell(Grid->rowCount() - 1, 1);
  });
  connect(RemoveButton, &QPushButton::clicked, this, [this] {
    if (Grid->currentRow() >= 0) Grid->removeRow(Grid->currentRow());
  });
  connect(SoundButton, &QPushButton::clicked, this, &TAlertsDlg::ChooseSound);
  connect(ColourButton, &QPushButton::clicked, this, &TAlertsDlg::ChooseColour);
  connect(Buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Save()) accept();
  });
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TAlertsDlg::Present() {
  Grid->setRowCount(0);
  for (const AlertRule& rule : rules_.Rules()) AddRule(rule);
  show();
  raise();
}

void TAlertsDlg::AddRule(const AlertRule& rule) {
  const TableRow cells = FormatAlertRules({rule}).back();
  const int r = Grid->rowCount();
  Grid->insertRow(r);
  for (int c = 0; c < kColumns; ++c) {
    auto* item = new QTableWidgetItem;
    if (IsTick(c)) {
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
      item->setCheckState(cells[static_cast<std::size_t>(c)] == "1" ? Qt::Checked : Qt::Unchecked);
    } else {
      item->setText(ToQString(cells[static_cast<std::size_t>(c)]));
    }
    Grid->setItem(r, c, item);
  }
  SetColour(r, ToQString(rule.colour));
}

void TAlertsDlg::SetColour(int row, const QString& colour) {
  QTableWidgetItem* item = Grid->item(row, kColour);
  if (!item) return;
  item->setText(colour);
  item->setBackground(QColor::isValidColorName(colour) ? QBrush(QColor(colour)) : QBrush());
}

Table TAlertsDlg::Rows() const {
  Table table{AlertRulesHeading()};
  for (int r = 0; r < Grid->rowCount(); ++r) {
    TableRow row;
    for (int c = 0; c < kColumns; ++c) {
      const QTableWidgetItem* item = Grid->item(r, c);
      if (IsTick(c))
        row.push_back(item && item->checkState() == Qt::Checked ? "1" : "0");
      else
        row.push_back(item ? Trim(FromQString(item->text())) : std::string());
    }
    table.push_back(std::move(row));
  }
  return table;
}

bool TAlertsDlg::Save() {
  std::vector<std::string> problems;
  std::vector<AlertRule> rules = ParseAlertRules(Rows(), &problems);
  std::string error;
  if (problems.empty() && rules_.SaveRules(std::move(rules), &error)) return true;
  std::string text;
  for (const auto& p : problems) text += p + "\n";
  text += error;
  // The operator's own action, in a dialog of its own: the box waits for no loop.
  auto* box = new QMessageBox(QMessageBox::Warning, "Alerts", ToQString("Not saved:\n" + text), QMessageBox::Ok, this);
  box->setObjectName("AlertsBox");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
  return false;
}

void TAlertsDlg::ChooseSound() {
  const int r = Grid->currentRow();
  if (r < 0) return;
  const QString file = QFileDialog::getOpenFileName(this, "Alert sound", folder_, "WAV files (*.wav)");
  if (file.isEmpty()) return;
  // A sound in the station folder is kept by its bare name, so the folder may move.
  const QFileInfo info(file);
  const bool inFolder = QDir(folder_).canonicalPath() == info.canonicalPath();
  Grid->item(r, kSound)->setText(inFolder ? info.fileName() : file);
}

void TAlertsDlg::ChooseColour() {
  const int r = Grid->currentRow();
  if (r < 0) return;
  const QColor start(Grid->item(r, kColour)->text());
  const QColor colour = QColorDialog::getColor(start.isValid() ? start : QColor(255, 208, 64), this, "Row colour");
  if (colour.isValid()) SetColour(r, colour.name());
}

}  // namespace varnak
