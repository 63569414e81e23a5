#include "ui/setup_dialog.h"

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

#include "app/input_checks.h"
#include "app/win1252.h"
#include "core/text.h"
#include "ui/message_boxes.h"
#include "ui/upper_case_edit.h"
#include "ui/work_area_fit.h"

namespace varnak {

namespace {
constexpr int kTableColumns = 6;
constexpr int kColumnWidths[kTableColumns] = {0, 90, 120, 110, 180, 40};
const TableRow kDefaultHeading = {"No", "Call", "Software", "Location", "Host", "Port"};

std::string Bytes(const QLineEdit* edit) { return FromQString(edit->text()); }
QString Text(const std::string& bytes) { return ToQString(bytes); }
QString Number(int n) { return QString::number(n); }
QString ConversionError(const QString& text) { return QString("'%1' is not a valid integer value").arg(text); }
}  // namespace

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent) : QGroupBox(title, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 2, 6, 2);
  layout->setSpacing(0);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_.push_back(button);
    layout->addWidget(button);
    connect(button, &QRadioButton::toggled, this, [this, i](bool on) {
      if (on && index_ != i) {
        index_ = i;
        emit clicked();
      }
    });
  }
}

void RadioGroup::SetItemIndex(int index) {
  if (index == index_) return;
  if (index >= 0 && index < static_cast<int>(buttons_.size())) {
    buttons_[index]->setChecked(true);  // toggled() raises clicked()
  } else {
    for (auto* b : buttons_) {
      b->setAutoExclusive(false);
      b->setChecked(false);
      b->setAutoExclusive(true);
    }
    index_ = -1;
    emit clicked();
  }
}

TSetupDlg::TSetupDlg(Station& station, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowStaysOnTopHint), station_(station) {
  setWindowTitle("Setup");
  setObjectName("SetupDlg");
  setModal(false);
  // Window-modal but not blocking: the action has stopped already, and an activation
  // that reports a bad table must not hold up the rest of the program.
  informationBox = [this](const QString& text) { OpenMessageBox(this, QMessageBox::Information, "Information", text); };
  errorBox = [this](const QString& text) { OpenMessageBox(this, QMessageBox::Critical, "Error", text); };
  // Only ever asked from the "Delete" button's click, never from a socket or timer, so
  // waiting for the answer here is safe.
  confirmBox = [this](const QString& text) {
    return QMessageBox::question(this, "Confirm", text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  };
  workArea = [this] {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return WorkArea{};
    QRect r = s->availableGeometry();
    return WorkArea{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  };
  Build();
}

namespace {
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& hint = {}) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  if (!hint.isEmpty()) edit->setToolTip(hint);
  return edit;
}
}  // namespace

void TSetupDlg::Build() {
  auto* whole = new QVBoxLayout(this);
  // The fields scroll on a screen too small for them; Save and Cancel stay in reach.
  auto* body = new QWidget(this);
  auto* outer = new QVBoxLayout(body);
  outer->setContentsMargins(0, 0, 0, 0);
  whole->addWidget(ScrollingBody(body, this), 1);
  auto* top = new QHBoxLayout;

  // Left column: link kind, station, AGW box.
  auto* left = new QVBoxLayout;
  ConnectGroup = new RadioGroup("Connect via:", {"AGW Packet Engine", "Telnet (Internet or LAN)"}, this);
  ConnectGroup->setObjectName("ConnectGroup");
  left->addWidget(ConnectGroup);

  auto* station = new QFormLayout;
  Edit1 = MakeEdit(this, "Edit1", "Enter your callsign\n( with SSID if you like )");
  ForceUpperCase(Edit1);
  Edit7 = MakeEdit(this, "Edit7", "Enter your QTH locator");
  ForceUpperCase(Edit7);
  Edit2 = MakeEdit(this, "Edit2", "Your clusters callsig with SSID\nfor example GB7MBC-2");
  ForceUpperCase(Edit2);
  Edit12 = MakeEdit(this, "Edit12");
  Edit12->setEchoMode(QLineEdit::Password);
  Edit12->setStyleSheet("lineedit-password-character: 42");
  station->addRow("MyCall:", Edit1);
  station->addRow("MyLocator:", Edit7);
  station->addRow("ClusterCall:", Edit2);
  station->addRow("Password:", Edit12);
  left->addLayout(station);

  auto* agw = new QGroupBox("AGW Packet Engine", this);
  auto* agwForm = new QFormLayout(agw);
  Edit3 = MakeEdit(agw, "Edit3", "Standard is port 8000");
  Edit4 = MakeEdit(agw, "Edit4",
                   "Normally \"localhost\" ( for AGW in same computer )\nOtherwise use the name or IP of the computer\n"
                   "where AGW resists.");
  Edit5 = MakeEdit(agw, "Edit5", "Enter 1 for the fisrt AGW-port");
  Edit9 = MakeEdit(agw, "Edit9", "Use this if you have to\nconnect to a node first!");
  ForceUpperCase(Edit9);
  ViaEdit = MakeEdit(agw, "ViaEdit");
  agwForm->addRow("AgwPort:", Edit3);
  agwForm->addRow("AGWhost:", Edit4);
  agwForm->addRow("AX25port:", Edit5);
  agwForm->addRow("NodeCall:", Edit9);
  auto* viaLabel = new QLabel("Via :", agw);
  agwForm->addRow(viaLabel, ViaEdit);
  viaLabel->hide();
  ViaEdit->hide();
  left->addWidget(agw);
  SearchCallEdit = MakeEdit(this, "SearchCallEdit");
  SearchCallEdit->hide();
  left->addStretch(1);
  top->addLayout(left);

  // Right column: switches, relay, font.
  auto* right = new QVBoxLayout;
  RadioGroup1 = new RadioGroup("Autoconnect?", {"No", "Yes"}, this);
  RadioGroup1->setObjectName("RadioGroup1");
  TelnetOutGroup = new RadioGroup("Telnet out?", {"No", "Yes"}, this);
  TelnetOutGroup->setObjectName("TelnetOutGroup");
  ClearDxGroup = new RadioGroup("Save DX-list?", {"No", "Yes"}, this);
  ClearDxGroup->setObjectName("ClearDxGroup");
  right->addWidget(RadioGroup1);
  ReconnectGroup = new RadioGroup("Reconnect?", {"No", "Yes"}, this);
  ReconnectGroup->setObjectName("ReconnectGroup");
  ReconnectGroup->setToolTip("Connect again by itself when the\nTelnet link is lost");
  right->addWidget(ReconnectGroup);
  right->addWidget(TelnetOutGroup);
  auto* relay = new QFormLayout;
  Edit6 = MakeEdit(this, "Edit6");
  EditBind = MakeEdit(this, "EditBind", "Address the relay listens on\n127.0.0.1 lets only this computer in");
  relay->addRow("Port out:", Edit6);
  relay->addRow("Address out:", EditBind);
  right->addLayout(relay);
  right->addWidget(ClearDxGroup);
  auto* font = new QFormLayout;
  Edit11 = MakeEdit(this, "Edit11");
  font->addRow("Font size", Edit11);
  right->addLayout(font);
  right->addStretch(1);
  top->addLayout(right);
  outer->addLayout(top);
  outer->addWidget(BuildLogBox());
  outer->addWidget(BuildLoginBox());

  outer->addWidget(BuildTelnetBox(), 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  OKBtn = new QPushButton("Save", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton("Cancel", this);
  CancelBtn->setObjectName("CancelBtn");
  CancelBtn->setAutoDefault(false);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  whole->addLayout(buttons);

  connect(ConnectGroup, &RadioGroup::clicked, this, &TSetupDlg::ConnectGroupClick);
  connect(TelnetOutGroup, &RadioGroup::clicked, this, &TSetupDlg::TelnetOutGroupClick);
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &TSetupDlg::CancelBtnClick);
  resize(640, 620);
  KeepInWorkArea(this);
}

QWidget* TSetupDlg::BuildTelnetBox() {
  auto* box = new QGroupBox("Telnet Cluster:", this);
  auto* layout = new QVBoxLayout(box);
  auto* selected = new QHBoxLayout;
  auto makeShown = [box](const char* name, const char* sample) {
    auto* edit = new QLineEdit(sample, box);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    QFont bold = edit->font();
    bold.setBold(true);
    edit->setFont(bold);
    return edit;
  };
  EditName = makeShown("EditName", "Q9NODE");
  EditHost = makeShown("EditHost", "dxc.example.net");
  EditPort = makeShown("EditPort", "7300");
  selected->addWidget(new QLabel("Call:", box));
  selected->addWidget(EditName);
  selected->addWidget(new QLabel("Host:", box));
  selected->addWidget(EditHost, 2);
  selected->addWidget(new QLabel("Port:", box));
  selected->addWidget(EditPort);
  layout->addLayout(selected);

  TelnetGrid = new QTableWidget(0, kTableColumns, box);
  TelnetGrid->setObjectName("TelnetGrid");
  TelnetGrid->verticalHeader()->hide();
  TelnetGrid->verticalHeader()->setMinimumSectionSize(10);
  TelnetGrid->verticalHeader()->setDefaultSectionSize(16);
  TelnetGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  TelnetGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
  TelnetGrid->horizontalHeader()->setSectionsClickable(true);
  TelnetGrid->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(TelnetGrid, 1);
  connect(TelnetGrid, &QTableWidget::cellClicked, this, [this] { TelnetGridClick(); });
  // Calls in upper case, as "ClusterCall:" holds them and the password file is named.
  connect(TelnetGrid, &QTableWidget::itemChanged, this, [](QTableWidgetItem* item) {
    if (item->column() != 1) return;
    const QString upper = item->text().toUpper();
    if (upper != item->text()) item->setText(upper);
  });
  connect(TelnetGrid->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { SortTelnetGrid(column, true); });
  connect(TelnetGrid->horizontalHeader(), &QHeaderView::customContextMenuRequested, this, [this](const QPoint& pos) {
    int column = TelnetGrid->horizontalHeader()->logicalIndexAt(pos);
    if (column >= 0) SortTelnetGrid(column, false);
  });

  auto* rowButtons = new QHBoxLayout;
  Button1 = new QPushButton("Add", box);
  Button1->setObjectName("Button1");
  Button1->setAutoDefault(false);
  Button3 = new QPushButton("Delete", box);
  Button3->setObjectName("Button3");
  Button3->setAutoDefault(false);
  rowButtons->addWidget(Button1);
  rowButtons->addWidget(Button3);
  rowButtons->addStretch(1);
  layout->addLayout(rowButtons);
  connect(Button1, &QPushButton::clicked, this, &TSetupDlg::Button1Click);
  connect(Button3, &QPushButton::clicked, this, &TSetupDlg::Button3Click);
  return box;
}

void TSetupDlg::SetRow(int row, const TableRow& cells) {
  for (int c = 0; c < TelnetGrid->columnCount(); ++c) {
    TelnetGrid->setItem(row, c, new QTableWidgetItem(c < static_cast<int>(cells.size()) ? Text(cells[c]) : QString()));
  }
}

QString TSetupDlg::Cell(int row, int column) const {
  QTableWidgetItem* item = (row >= 0 && column >= 0) ? TelnetGrid->item(row, column) : nullptr;
  return item ? item->text() : QString();
}

void TSetupDlg::LoadTable(std::string* error) {
  const std::filesystem::path path = station_.ProgramPath("telnet.cfg");
  std::optional<Table> file = ReadTableFile(path);
  TableRow heading = kDefaultHeading;
  Table rows;
  if (!file) {
    *error = "Cannot open file " + path.string();
  } else if (!file->empty()) {
    heading = file->front();
    rows.assign(file->begin() + 1, file->end());
  }
  if (rows.empty()) {
    // The one empty row to type into gets a number at once: column 0 is hidden, so
    // the operator could never give it one and "Save" could never take it. The same
    // number at every opening: nothing is used up until "Save" writes it.
    TableRow row(kTableColumns);
    row[0] = std::to_string(station_.settings().NextClusterNumber);
    rows.push_back(row);
  }
  Table all = rows;
  all.push_back(heading);
  int columns = static_cast<int>(std::max<size_t>(kTableColumns, TableColumnCount(all)));
  TelnetGrid->clear();
  TelnetGrid->setColumnCount(columns);
  QStringList headings;
  for (int c = 0; c < columns; ++c) headings << (c < static_cast<int>(heading.size()) ? Text(heading[c]) : QString());
  TelnetGrid->setHorizontalHeaderLabels(headings);
  TelnetGrid->setRowCount(static_cast<int>(rows.size()));
  const QSignalBlocker loading(TelnetGrid);  // the file's cells stay as written
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) SetRow(r, rows[r]);
}

void TSetupDlg::FormActivate() {
  Settings& s = station_.settings();
  std::string error;
  LoadTable(&error);
  for (int c = 0; c < kTableColumns; ++c) TelnetGrid->setColumnWidth(c, kColumnWidths[c]);
  TelnetGrid->setColumnHidden(0, true);

  for (int r = 0; r < TelnetGrid->rowCount(); ++r) {
    int number = 0;
    if (!ParseInt(FromQString(Cell(r, 0)), number)) {
      if (error.empty()) error = FromQString(ConversionError(Cell(r, 0)));
      continue;
    }
    if (number != s.TelnetDbPos) continue;
    s.ClusterHost = FromQString(Cell(r, 4));
    int port = 0;
    if (ParseInt(FromQString(Cell(r, 5)), port)) {
      s.ClusterPort = port;
    } else if (error.empty()) {
      error = FromQString(ConversionError(Cell(r, 5)));
    }
    EditName->setText(Cell(r, 1));
    EditHost->setText(Cell(r, 4));
    EditPort->setText(Cell(r, 5));
    TelnetGrid->setCurrentCell(r, 1);
    // Again once the dialog is laid out: a long table must show its selected cluster.
    TelnetGrid->scrollToItem(TelnetGrid->item(r, 1));
    QTimer::singleShot(0, TelnetGrid, [grid = TelnetGrid, r] {
      if (r < grid->rowCount()) grid->scrollToItem(grid->item(r, 1), QAbstractItemView::PositionAtCenter);
    });
  }

  Edit1->setText(Text(s.MyCall));
  Edit2->setText(Text(s.ConnectCall));
  Edit3->setText(Text(s.AGWport));
  Edit4->setText(Text(s.AGWhost));
  Edit5->setText(Number(s.AX25port));
  Edit6->setText(Number(s.OutTelnetPort));
  EditBind->setText(Text(s.OutTelnetBind));
  Edit7->setText(Text(s.MyLocator));
  Edit9->setText(Text(s.Nodecall));
  ConnectGroup->SetItemIndex(s.Telnet);  // raises ConnectGroupClick when it changes
  TelnetOutGroup->SetItemIndex(s.TelnetOut);
  Edit11->setText(Number(s.FontSize));
  FillLogFields();
  FillLoginFields();

  const bool relay = TelnetOutGroup->ItemIndex() == 1;
  Edit6->setEnabled(relay);
  EditBind->setEnabled(relay);
  const bool telnet = ConnectGroup->ItemIndex() != 0;
  for (QWidget* w : std::initializer_list<QWidget*>{Edit3, Edit4, Edit5, Edit9, ViaEdit}) w->setEnabled(!telnet);
  for (QWidget* w : std::initializer_list<QWidget*>{TelnetGrid, Button1, Button3}) w->setEnabled(telnet);

  ClearDxGroup->SetItemIndex(s.ClearDx ? 0 : 1);
  Edit12->setText(Text(s.Password));
  RadioGroup1->SetItemIndex(s.AutoConnect ? 1 : 0);
  ReconnectGroup->SetItemIndex(s.Reconnect ? 1 : 0);

  // A bad table is reported after the fields are filled, so that "Save" never takes
  // over half-filled fields.
  if (!error.empty()) ReportError(Text(error));
}

void TSetupDlg::ConnectGroupClick() {
  const bool telnet = ConnectGroup->ItemIndex() != 0;
  for (QWidget* w : std::initializer_list<QWidget*>{Edit3, Edit4, Edit5, Edit9}) w->setEnabled(!telnet);
  for (QWidget* w : std::initializer_list<QWidget*>{TelnetGrid, Button1, Button3, Edit12}) w->setEnabled(telnet);
}

void TSetupDlg::TelnetOutGroupClick() {
  const bool relay = TelnetOutGroup->ItemIndex() == 1;
  Edit6->setEnabled(relay);
  EditBind->setEnabled(relay);
}

void TSetupDlg::TelnetGridClick() {
  int r = TelnetGrid->currentRow();
  if (r < 0) return;
  Settings& s = station_.settings();
  EditName->setText(Cell(r, 1));
  // Saved under the upper-case call (from "ClusterCall:"), whatever case the cell has.
  const std::filesystem::path pwFile = PasswordFilePath(station_.ProgramDir(), FromQString(EditName->text().toUpper()));
  std::error_code ec;
  if (!pwFile.empty() && std::filesystem::exists(pwFile, ec)) {
    s.Password = ReadPasswordFile(pwFile);
    Edit12->setText(Text(s.Password));
  } else {
    Edit12->clear();
  }
  Edit2->setText(EditName->text());
  EditHost->setText(Cell(r, 4));
  EditPort->setText(Cell(r, 5));
}

TSetupDlg::SortKind TSetupDlg::TelnetGridBeginSort(int column) {
  return (column == 0 || column == 5) ? SortKind::Numeric : SortKind::Text;
}

void TSetupDlg::SortTelnetGrid(int column, bool ascending) {
  const int rows = TelnetGrid->rowCount();
  const int columns = TelnetGrid->columnCount();
  if (column < 0 || column >= columns || rows < 2) return;
  const SortKind kind = TelnetGridBeginSort(column);
  std::vector<std::string> keys(rows);
  for (int r = 0; r < rows; ++r) keys[r] = FromQString(Cell(r, column));
  std::vector<int> order(rows);
  std::iota(order.begin(), order.end(), 0);
  auto less = [&](int a, int b) {
    if (kind == SortKind::Numeric) {
      int na = 0, nb = 0;
      bool ia = ParseInt(keys[a], na), ib = ParseInt(keys[b], nb);
      if (ia && ib) return na < nb;
      if (ia != ib) return ia;  // numbers before anything else
    }
    return ToLowerAscii(keys[a]) < ToLowerAscii(keys[b]);
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return ascending ? less(a, b) : less(b, a); });

  const int current = TelnetGrid->currentRow();
  const int currentColumn = std::max(0, TelnetGrid->currentColumn());
  std::vector<std::vector<QTableWidgetItem*>> items(rows, std::vector<QTableWidgetItem*>(columns));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) items[r][c] = TelnetGrid->takeItem(r, c);
  }
  int newCurrent = -1;
  QSignalBlocker moving(TelnetGrid);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) TelnetGrid->setItem(r, c, items[order[r]][c]);
    if (order[r] == current) newCurrent = r;
  }
  moving.unblock();
  if (newCurrent >= 0) TelnetGrid->setCurrentCell(newCurrent, currentColumn);
}

void TSetupDlg::Button1Click() {
  Settings& s = station_.settings();
  // Past every number in the grid too: an empty table's first row holds the next
  // number already.
  for (int r = 0; r < TelnetGrid->rowCount(); ++r) {
    int number = 0;
    if (ParseInt(FromQString(Cell(r, 0)), number) && number >= s.NextClusterNumber) s.NextClusterNumber = number + 1;
  }
  int r = TelnetGrid->rowCount();
  TelnetGrid->insertRow(r);
  TableRow row(TelnetGrid->columnCount());
  row[0] = std::to_string(s.NextClusterNumber);
  SetRow(r, row);
  TelnetGrid->setFocus();
  TelnetGrid->setCurrentCell(r, 1, QItemSelectionModel::ClearAndSelect);
  TelnetGrid->scrollToItem(TelnetGrid->item(r, 1));
  TelnetGrid->editItem(TelnetGrid->item(r, 1));
  ++s.NextClusterNumber;
}

void TSetupDlg::Button3Click() {
  if (!Confirm("Delete this?")) return;
  int r = TelnetGrid->currentRow();
  if (r >= 0) TelnetGrid->removeRow(r);
}

void TSetupDlg::CancelBtnClick() { hide(); }

void TSetupDlg::reject() { CancelBtnClick(); }

Table TSetupDlg::GridTable() const {
  Table table;
  TableRow heading;
  for (int c = 0; c < TelnetGrid->columnCount(); ++c) {
    QTableWidgetItem* h = TelnetGrid->horizontalHeaderItem(c);
    heading.push_back(h ? FromQString(h->text()) : std::string());
  }
  table.push_back(heading);
  for (int r = 0; r < TelnetGrid->rowCount(); ++r) {
    TableRow row;
    for (int c = 0; c < TelnetGrid->columnCount(); ++c) row.push_back(FromQString(Cell(r, c)));
    table.push_back(std::move(row));
  }
  return table;
}

bool TSetupDlg::TakeInteger(const QString& text, int& target) {
  int value = 0;
  if (!ParseInt(FromQString(text), value)) {
    ReportError(ConversionError(text));
    return false;
  }
  target = value;
  return true;
}

// Checks that need no conversion, made before anything is closed or taken over, so a
// refused "Save" changes nothing. Each message names the field.
bool TSetupDlg::CheckFields() {
  auto refuse = [this](QLineEdit* field, const QString& text) {
    field->setFocus();
    Inform(text);
    return false;
  };
  if (!IsValidOwnCall(Bytes(Edit1)))
    return refuse(Edit1, QString("\"%1\" is no callsign: the MyCall field takes letters, digits and \"/\", with at "
                                 "least one letter and one digit (an SSID such as -2 may follow).")
                             .arg(Edit1->text()));
  if (!IsValidLocator(Bytes(Edit7)))
    return refuse(Edit7, QString("\"%1\" is no locator: the MyLocator field takes a 4- or 6-character Maidenhead "
                                 "locator such as JO57 or JO57XQ.")
                             .arg(Edit7->text()));
  if (!IsSafeNodeCall(Bytes(Edit2)))
    return refuse(Edit2, QString("\"%1\" cannot be a node call: the ClusterCall field takes letters, digits and "
                                 "\"-\" only.")
                             .arg(Edit2->text()));
  // Numbers outside 1..65535 would wrap or pick a random port; text that is no number
  // at all gets the conversion error of "Save" itself.
  auto portOk = [&](QLineEdit* field, const QString& name) {
    int port = 0;
    if (!ParseInt(Bytes(field), port) || (port >= 1 && port <= 65535)) return true;
    return refuse(field, QString("%1 is no port: the %2 field takes a port from 1 to 65535.").arg(field->text(), name));
  };
  if (!portOk(Edit6, "Port out:")) return false;
  if (ConnectGroup->ItemIndex() != 0) {
    if (!portOk(EditPort, "Port: (Telnet Cluster)")) return false;
  } else if (!portOk(Edit3, "AgwPort:")) {
    return false;
  }
  return true;
}

bool TSetupDlg::OKBtnClick() {
  // A cell still being typed in belongs to the table that is saved.
  if (QWidget* editor = TelnetGrid->indexWidget(TelnetGrid->currentIndex())) {
    QMetaObject::invokeMethod(TelnetGrid->itemDelegate(), "commitData", Q_ARG(QWidget*, editor));
  }
  if (Bytes(Edit1) == "NOCALL") {
    Edit1->setFocus();
    Inform("Your callsign in the MyCall field please!");
    return false;
  }
  if (Bytes(Edit7) == "AA00AA") {
    Edit7->setFocus();
    Inform("Your locator in the MyLocator field please!");
    return false;
  }
  if (!CheckFields()) return false;

  // The links close before the fields are taken; a field refused on the way leaves
  // them closed and the fields before it taken, as they always have.
  station_.CloseLinksForSetup();
  if (!TakeFields(station_.settings())) return false;
  std::string error;
  if (!station_.RestartWithSettings(workArea ? workArea() : WorkArea{}, &error)) {
    ReportError(Text(error));
    return false;
  }
  hide();
  return true;
}

// The dialog's fields into the settings; false at the first one refused (the dialog has
// said why).
bool TSetupDlg::TakeFields(Settings& s) {
  s.MyCall = Bytes(Edit1);
  s.MyLocator = Bytes(Edit7);
  s.ConnectCall = Bytes(Edit2);
  if (station_.View()) station_.View()->SetNodeField(Text(s.ConnectCall));
  s.AGWport = Bytes(Edit3);
  s.AGWhost = Bytes(Edit4);
  if (!TakeInteger(Edit5->text(), s.AX25port)) return false;
  if (!TakeInteger(Edit6->text(), s.OutTelnetPort)) return false;
  s.OutTelnetBind = Bytes(EditBind);
  s.Telnet = ConnectGroup->ItemIndex();
  s.TelnetOut = TelnetOutGroup->ItemIndex();
  if (!TakeInteger(EditPort->text(), s.ClusterPort)) return false;
  s.ClusterHost = Bytes(EditHost);
  if (!TakeInteger(Cell(TelnetGrid->currentRow(), 0), s.TelnetDbPos)) return false;

  std::string tableError;
  if (!WriteTableFile(station_.ProgramPath("telnet.cfg"), GridTable(), &tableError)) {
    ReportError(Text(tableError));
    return false;
  }

  s.Nodecall = Bytes(Edit9);
  via_ = Bytes(ViaEdit);
  if (!TakeInteger(Edit11->text(), s.FontSize)) return false;
  if (!TakeLoginFields()) return false;
  s.ClearDx = ClearDxGroup->ItemIndex() == 0;
  s.Password = Bytes(Edit12);
  s.AutoConnect = RadioGroup1->ItemIndex() == 1;
  s.Reconnect = ReconnectGroup->ItemIndex() == 1;
  TakeLogFields();
  return true;
}

void TSetupDlg::Inform(const QString& text) {
  returningFromBox_ = true;
  if (informationBox) informationBox(text);
}

void TSetupDlg::ReportError(const QString& text) {
  returningFromBox_ = true;
  if (errorBox) errorBox(text);
}

bool TSetupDlg::Confirm(const QString& text) {
  returningFromBox_ = true;
  return confirmBox ? confirmBox(text) : false;
}

void TSetupDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // Not every platform reports the activation of a window that was just shown.
  justShown_ = true;
  returningFromBox_ = false;
  FormActivate();
}

void TSetupDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (ReturningFromLogChooser()) return;
  if (!isActiveWindow()) {
    justShown_ = false;
    // Our own message boxes take the activation for a moment; coming back from one is
    // not the operator returning from another window, and must not undo the fields.
    if (!qobject_cast<QMessageBox*>(QApplication::activeWindow())) returningFromBox_ = false;
    return;
  }
  if (justShown_ || returningFromBox_) {
    justShown_ = false;
    returningFromBox_ = false;
    return;
  }
  FormActivate();
}

}  // namespace varnak
