#pragma once
// Views of the spot lists, the search results and the user list: one column, fixed-pitch
// font, whole-row selection.
#include <QListView>
#include <cstdint>
#include <QTableView>
#include <functional>

#include "app/spot.h"

namespace varnak {

class AppendOnlyRepaint;
class BatchedListProxy;
class SpotListModel;
class SpotRowDelegate;
class SearchResultsModel;
class SpotViewHold;
class UserListModel;

// One spot list on its notebook page. It selects and shows the row the program selects
// (the newest spot), and reports presses and keys by row, so the window can freeze the
// lists and make the row's spot the current one. New rows reach the view in batches (BatchedListProxy), so a burst of
// spots lays the list out and paints it once.
class SpotListView : public QListView {
  Q_OBJECT
 public:
  explicit SpotListView(SpotListModel* model, QWidget* parent = nullptr);
  SpotListModel* spotModel() const { return model_; }
  BatchedListProxy* shownModel() const { return proxy_; }
  SpotViewHold* hold() const { return hold_; }
  // Rows whose spot shows fails are left out of this view and the columns view of the
  // same list (the list keeps them); marker rows always show. Empty: every row shows.
  // Takes effect at once; new rows are tested as they come.
  void SetShownFilter(std::function<bool(const Spot&)> shows);
  // Spots the filter hides now; changes when the view takes new rows or a new filter.
  int HiddenCount() const;

 signals:
  // Any mouse button pressed on a row of the list; text is the row as shown
  // (Windows-1252 bytes), for whoever copies it.
  void rowPressed(int row, const QByteArray& text, Qt::MouseButton button);
  // The operator moved the current row with the keyboard.
  void rowKeyed(int row);
  // Enter on the current row.
  void rowEntered(int row);
  // Ctrl+Return on the current row: tune to it.
  void rowTuned(int row);
  // A double click on a row: the row under the pointer now, whatever the first click hit.
  void rowDoubleClicked(int row);

 public slots:
  // Shows the rows added so far and selects the row the program selected last.
  void Sync();
  // While held (the lists are frozen) new rows are shown but the selection and the
  // scroll position stay where the operator put them; on release the view catches up.
  void HoldSelection(bool held);
  // A fixed row height in pixels (small desktops); 0 = from the font.
  void SetRowHeight(int pixels);
  int RowHeight() const;
  // Colours the rows by their spots (band, age, own call, the log's mark).
  void ColourRows(std::function<std::int64_t()> nowMinute);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void doItemsLayout() override;
  void verticalScrollbarValueChanged(int value) override;
  void updateGeometries() override;
  bool event(QEvent* event) override;
  void horizontalScrollbarValueChanged(int value) override;

 private:
  void FollowSelection();
  SpotRowDelegate* Delegate();
  SpotListModel* model_;
  BatchedListProxy* proxy_;
  AppendOnlyRepaint* repaint_ = nullptr;
  SpotViewHold* hold_;
  std::function<std::int64_t()> nowMinute_;
  bool coloured_ = false;
  bool scrollPending_ = false;
  bool held_ = false;
  bool followPending_ = false;
};

class SearchResultsView : public QListView {
  Q_OBJECT
 public:
  explicit SearchResultsView(SearchResultsModel* model, QWidget* parent = nullptr);
};

// The users list with its header cell "Local users".
class UserListView : public QTableView {
  Q_OBJECT
 public:
  explicit UserListView(UserListModel* model, QWidget* parent = nullptr);
};

}  // namespace varnak
