#pragma once
// StationsView: the "Stations" page, one row per DX call, band and mode class.
//
// Responsibilities: shows the stations model with the spot rows' colours (band stripe,
// age, need, the alert rules' colour) and reports the operator's picks by row as the
// spot lists do: a press, an arrow key, Enter, and a tune (double click or Ctrl+Return).
// While held (the lists are frozen) it keeps its selection and scroll position; new
// rows come in below.
//
// Collaborations: StationsModel holds the rows; the main window freezes the lists, makes
// the row's newest spot current, opens the spot menu and tunes the radio.
#include <QTableView>
#include <functional>

namespace varnak {

class StationsModel;
class SpotRowDelegate;

class StationsView : public QTableView {
  Q_OBJECT
 public:
  StationsView(StationsModel* model, std::function<std::int64_t()> nowMinute, QWidget* parent = nullptr);
  StationsModel* stationsModel() const { return model_; }
  void HoldSelection(bool held);
  void SetRowHeight(int pixels);

 signals:
  void rowPressed(int row, Qt::MouseButton button);
  void rowKeyed(int row);
  void rowEntered(int row);
  void rowTuned(int row);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FollowNewest();
  void CatchUp();
  void FitToFont();
  StationsModel* model_;
  SpotRowDelegate* delegate_;
  bool atBottom_ = true;
  bool followPending_ = false;
};

}  // namespace varnak
