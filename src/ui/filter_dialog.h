#pragma once
// TFilterDlg: "Setup" > "Filter", the editor of the operator's named spot filters.
//
// Responsibilities: shows one named filter at a time (picked at the top; "All" is not
// editable and not listed), with its name, bands, mode classes, DX and spotter
// continents, the spotter's greatest distance, skimmer spots, needed only and the calls
// never to show; keeps the edits of every filter until "OK" saves them all or "Cancel"
// drops them.
//
// Collaborations: SpotFilterController holds and saves the filters.
#include <QDialog>
#include <array>
#include <vector>

#include "app/spot_filter.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QSpinBox;

namespace varnak {

class SpotFilterController;

class TFilterDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TFilterDlg(SpotFilterController& filter, QWidget* parent = nullptr);

  // Takes the filters in force and shows the dialog.
  void Present();
  // Saves the edited filters; false (a box says why) keeps the dialog open.
  bool Save();
  // The named filters as edited so far.
  std::vector<SpotFilter> Edited();

  QComboBox* FilterBox = nullptr;  // which named filter is shown
  QLineEdit* NameEdit = nullptr;
  std::vector<QCheckBox*> BandBoxes;  // in the order of the band table
  std::array<QCheckBox*, 3> ModeBoxes{};  // CW, phone, digital
  std::vector<QCheckBox*> DxBoxes, SpotterBoxes;  // in the order of kContinents
  QSpinBox* KmBox = nullptr;  // 0: any distance
  QComboBox* SkimmerBox = nullptr;  // show, hide, only
  std::array<QCheckBox*, 3> NeedBoxes{};  // NEW, BAND, MODE
  QLineEdit* NeverEdit = nullptr;
  QDialogButtonBox* Buttons = nullptr;

 private:
  void Show(int named);   // fills the fields from edited_[named]
  void Take();            // the fields back into edited_[shown_]
  SpotFilterController& filter_;
  std::vector<SpotFilter> edited_;
  int shown_ = -1;
};

}  // namespace varnak
