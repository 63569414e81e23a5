#include "ui/filter_switch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include "app/spot_filter_controller.h"
#include "app/win1252.h"

namespace varnak {

FilterSwitch::FilterSwitch(SpotFilterController& filter, QWidget* parent) : QWidget(parent), filter_(filter) {
  setObjectName("FilterSwitch");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 0, 2, 0);
  row->setSpacing(4);
  OnBox = new QCheckBox("Filter", this);
  OnBox->setObjectName("FilterOn");
  OnBox->setToolTip("Show only the spots the chosen filter passes (\"Setup\" > \"Filter\" edits them)");
  ChoiceBox = new QComboBox(this);
  ChoiceBox->setObjectName("FilterChoice");
  ChoiceBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  HiddenLabel = new QLabel(this);
  HiddenLabel->setObjectName("FilterHidden");
  row->addWidget(OnBox);
  row->addWidget(ChoiceBox);
  row->addWidget(HiddenLabel);
  Follow();
  connect(OnBox, &QCheckBox::toggled, &filter_, &SpotFilterController::SetEnabled);
  connect(ChoiceBox, qOverload<int>(&QComboBox::activated), &filter_, &SpotFilterController::Choose);
  connect(&filter_, &SpotFilterController::changed, this, &FilterSwitch::Follow);
}

void FilterSwitch::SetHiddenCount(int count) {
  hidden_ = count;
  const QString text = filter_.Enabled() && count > 0 ? QString("%1 hidden").arg(count) : QString();
  if (HiddenLabel->text() != text) HiddenLabel->setText(text);
}

void FilterSwitch::Follow() {
  const QSignalBlocker blockOn(OnBox), blockChoice(ChoiceBox);
  OnBox->setChecked(filter_.Enabled());
  QStringList names;
  for (const SpotFilter& f : filter_.Filters()) names << ToQString(f.name);
  QStringList shown;
  for (int i = 0; i < ChoiceBox->count(); ++i) shown << ChoiceBox->itemText(i);
  if (shown != names) {
    ChoiceBox->clear();
    ChoiceBox->addItems(names);
  }
  ChoiceBox->setCurrentIndex(filter_.Chosen());
  SetHiddenCount(hidden_);
}

}  // namespace varnak
