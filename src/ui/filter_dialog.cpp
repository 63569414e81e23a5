#include "ui/filter_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/spot_filter_controller.h"
#include "app/spot_model.h"
#include "app/win1252.h"
#include "ui/work_area_fit.h"

namespace varnak {

namespace {

constexpr ModeGroup kModeOrder[] = {ModeGroup::Cw, ModeGroup::Phone, ModeGroup::Digital};
constexpr NeedMark kNeedOrder[] = {NeedMark::NewEntity, NeedMark::NewBand, NeedMark::NewMode};
constexpr int kBandColumns = 8;
constexpr int kMostKm = 20100;  // half the earth's circumference, and some

template <typename T>
bool Has(const std::vector<T>& list, const T& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

QGroupBox* TickGroup(const QString& title, const QStringList& texts, std::vector<QCheckBox*>& boxes, QWidget* parent,
                     int columns) {
  auto* group = new QGroupBox(title, parent);
  auto* grid = new QGridLayout(group);
  for (int i = 0; i < texts.size(); ++i) {
    auto* box = new QCheckBox(texts[i], group);
    grid->addWidget(box, i / columns, i % columns);
    boxes.push_back(box);
  }
  return group;
}

}  // namespace

TFilterDlg::TFilterDlg(SpotFilterController& filter, QWidget* parent) : QDialog(parent), filter_(filter) {
  setObjectName("FilterDlg");
  setWindowTitle("Filter");
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);

  auto* head = new QFormLayout;
  FilterBox = new QComboBox(body);
  FilterBox->setObjectName("FilterBox");
  head->addRow("Filter:", FilterBox);
  NameEdit = new QLineEdit(body);
  NameEdit->setObjectName("NameEdit");
  NameEdit->setMaxLength(30);
  head->addRow("Name:", NameEdit);
  layout->addLayout(head);

  QStringList bands, continents;
  for (std::string_view b : kBandTexts) bands << QString::fromLatin1(b.data(), static_cast<int>(b.size()));
  for (std::string_view c : kContinents) continents << QString::fromLatin1(c.data(), static_cast<int>(c.size()));
  layout->addWidget(TickGroup("Bands (none ticked: every band)", bands, BandBoxes, body, kBandColumns));

  auto* classes = new QHBoxLayout;
  std::vector<QCheckBox*> modes, needs;
  classes->addWidget(TickGroup("Modes (none: every mode)", {"CW", "Phone", "Digital"}, modes, body, 3));
  classes->addWidget(TickGroup("Needed only (none: any spot)", {"NEW", "BAND", "MODE"}, needs, body, 3));
  std::copy(modes.begin(), modes.end(), ModeBoxes.begin());
  std::copy(needs.begin(), needs.end(), NeedBoxes.begin());
  NeedBoxes[0]->setToolTip("An entity not worked yet (with the log set up in \"Setup Varnak\")");
  layout->addLayout(classes);
  layout->addWidget(TickGroup("DX continents (none: every continent)", continents, DxBoxes, body, 7));
  layout->addWidget(TickGroup("Spotter continents (none: every continent)", continents, SpotterBoxes, body, 7));

  auto* rest = new QFormLayout;
  KmBox = new QSpinBox(body);
  KmBox->setObjectName("KmBox");
  KmBox->setRange(0, kMostKm);
  KmBox->setSingleStep(100);
  KmBox->setSuffix(" km");
  KmBox->setSpecialValueText("any distance");
  KmBox->setToolTip("From the spotter's locator where the node sends it (set/dxgrid), else from its call's country");
  rest->addRow("Spotter within:", KmBox);
  SkimmerBox = new QComboBox(body);
  SkimmerBox->setObjectName("SkimmerBox");
  SkimmerBox->addItems({"Show", "Hide", "Only these"});
  rest->addRow("Skimmer spots:", SkimmerBox);
  NeverEdit = new QLineEdit(body);
  NeverEdit->setObjectName("NeverEdit");
  NeverEdit->setToolTip("Calls and prefixes with * and ?, separated by blanks: */B DL* K1ABC");
  rest->addRow("Never show:", NeverEdit);
  layout->addLayout(rest);

  auto* whole = new QVBoxLayout(this);
  whole->addWidget(ScrollingBody(body, this), 1);
  Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  whole->addWidget(Buttons);
  // The whole body at once where the screen has room; the work area fit cuts it down.
  resize(body->sizeHint().width() + 40, body->sizeHint().height() + Buttons->sizeHint().height() + 40);
  KeepInWorkArea(this);

  connect(FilterBox, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
    Take();
    Show(index);
  });
  connect(NameEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (shown_ >= 0) FilterBox->setItemText(shown_, text);
  });
  connect(Buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Save()) accept();
  });
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TFilterDlg::Present() {
  const std::vector<SpotFilter>& all = filter_.Filters();
  edited_.assign(all.begin() + 1, all.end());
  shown_ = -1;
  {
    QSignalBlocker block(FilterBox);
    FilterBox->clear();
    for (const SpotFilter& f : edited_) FilterBox->addItem(ToQString(f.name));
    // The one in use, when it is the operator's.
    FilterBox->setCurrentIndex(std::max(0, filter_.Chosen() - 1));
  }
  Show(FilterBox->currentIndex());
  show();
  raise();
  activateWindow();
}

void TFilterDlg::Show(int named) {
  if (named < 0 || named >= static_cast<int>(edited_.size())) return;
  shown_ = named;
  const SpotFilter& f = edited_[static_cast<std::size_t>(named)];
  NameEdit->setText(ToQString(f.name));
  for (std::size_t i = 0; i < BandBoxes.size(); ++i) BandBoxes[i]->setChecked(Has(f.bands, std::string(kBandTexts[i])));
  for (std::size_t i = 0; i < ModeBoxes.size(); ++i) ModeBoxes[i]->setChecked(Has(f.modes, kModeOrder[i]));
  for (std::size_t i = 0; i < NeedBoxes.size(); ++i) NeedBoxes[i]->setChecked(Has(f.needs, kNeedOrder[i]));
  for (std::size_t i = 0; i < DxBoxes.size(); ++i) {
    DxBoxes[i]->setChecked(Has(f.dxContinents, std::string(kContinents[i])));
    SpotterBoxes[i]->setChecked(Has(f.spotterContinents, std::string(kContinents[i])));
  }
  KmBox->setValue(f.spotterKm);
  SkimmerBox->setCurrentIndex(static_cast<int>(f.skimmers));
  NeverEdit->setText(ToQString(JoinWords(f.neverCalls)));
}

void TFilterDlg::Take() {
  if (shown_ < 0 || shown_ >= static_cast<int>(edited_.size())) return;
  SpotFilter f;
  f.name = FromQString(NameEdit->text().simplified());
  for (std::size_t i = 0; i < BandBoxes.size(); ++i)
    if (BandBoxes[i]->isChecked()) f.bands.emplace_back(kBandTexts[i]);
  for (std::size_t i = 0; i < ModeBoxes.size(); ++i)
    if (ModeBoxes[i]->isChecked()) f.modes.push_back(kModeOrder[i]);
  for (std::size_t i = 0; i < NeedBoxes.size(); ++i)
    if (NeedBoxes[i]->isChecked()) f.needs.push_back(kNeedOrder[i]);
  for (std::size_t i = 0; i < DxBoxes.size(); ++i) {
    if (DxBoxes[i]->isChecked()) f.dxContinents.emplace_back(kContinents[i]);
    if (SpotterBoxes[i]->isChecked()) f.spotterContinents.emplace_back(kContinents[i]);
  }
  f.spotterKm = KmBox->value();
  f.skimmers = static_cast<SkimmerSpots>(std::max(0, SkimmerBox->currentIndex()));
  f.neverCalls = UpperWords(FromQString(NeverEdit->text()));
  edited_[static_cast<std::size_t>(shown_)] = std::move(f);
}

std::vector<SpotFilter> TFilterDlg::Edited() {
  Take();
  return edited_;
}

bool TFilterDlg::Save() {
  std::string error;
  if (filter_.SaveFilters(Edited(), &error)) return true;
  auto* box = new QMessageBox(QMessageBox::Critical, "Error", "The filters could not be saved.\n" + ToQString(error),
                              QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
  return false;
}

}  // namespace varnak
