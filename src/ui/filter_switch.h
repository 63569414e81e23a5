#pragma once
// FilterSwitch: the spot filter's switch beside the spot notebook.
//
// Responsibilities: turns the filter on and off, picks one of the named filters, and
// shows how many spots of the list in view it hides ("n hidden", nothing while off).
//
// Collaborations: SpotFilterController (follows its changed(), so the dialog's new
// names show at once); the window hands in the hidden count of the list in view.
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;

namespace varnak {

class SpotFilterController;

class FilterSwitch : public QWidget {
  Q_OBJECT
 public:
  FilterSwitch(SpotFilterController& filter, QWidget* parent = nullptr);
  void SetHiddenCount(int count);

  QCheckBox* OnBox = nullptr;
  QComboBox* ChoiceBox = nullptr;
  QLabel* HiddenLabel = nullptr;

 private:
  void Follow();
  SpotFilterController& filter_;
  int hidden_ = 0;
};

}  // namespace varnak
