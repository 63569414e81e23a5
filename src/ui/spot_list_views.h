#pragma once
// Views of the spot lists, the search results and the user list: one column, fixed-pitch
// font, whole-row selection.
#include <QListView>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <cstdint>
#include <functional>

#include "app/spot.h"
#include "ui/row_scroll_area.h"

namespace varnak {

class BatchedListProxy;
class SpotListModel;
class SpotRowDelegate;
class SearchResultsModel;
class SpotViewHold;
class UserListModel;

// One spot list on its notebook page. It selects and shows the row the program selects
// (the newest spot), and reports presses and keys by row, so the window can freeze the
// lists and make the row's spot the current one. New rows reach the view in batches
// (BatchedListProxy), ten times a second at most in a flood.
//
// The list draws its rows itself rather than through QListView: an item view lays out
// every row of its model after each batch and walks its selection machinery to move the
// selected row, which for a list of two thousand spots costs many times what painting the
// few new rows does (RowScrollArea paints only those).
class SpotListView : public RowScrollArea {
  Q_OBJECT
 public:
  explicit SpotListView(SpotListModel* model, QWidget* parent = nullptr);
  SpotListModel* spotModel() const { return model_; }
  BatchedListProxy* shownModel() const { return proxy_; }
  // The rows shown, as an item model (the shown model).
  QAbstractItemModel* model() const;
  SpotViewHold* hold() const { return hold_; }
  SpotRowDelegate* itemDelegate() const { return delegate_; }
  // Rows whose spot shows fails are left out of this view and the columns view of the
  // same list (the list keeps them); marker rows always show. Empty: every row shows.
  // Takes effect at once; new rows are tested as they come.
  void SetShownFilter(std::function<bool(const Spot&)> shows);
  // Spots the filter hides now; changes when the view takes new rows or a new filter.
  int HiddenCount() const;

  // The current (selected) row of the shown model; invalid for none.
  QModelIndex currentIndex() const;
  void setCurrentIndex(const QModelIndex& index);
  // Where a shown row is in the viewport; empty for none.
  QRect visualRect(const QModelIndex& index) const;
  // The shown row at a viewport point; invalid for none.
  QModelIndex indexAt(const QPoint& point) const;
  void scrollTo(const QModelIndex& index);

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
  int RowCount() const override;
  int Step() const override;
  int ContentsWidth() const override { return contentsWidth_; }
  int CurrentRow() const override { return current_; }
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FollowSelection();
  void RowsInserted(int first, int last);
  void MeasureRows();  // the widths of all rows again, and a repaint
  void SetCurrentRow(int row);
  SpotListModel* model_;
  BatchedListProxy* proxy_;
  SpotRowDelegate* delegate_ = nullptr;
  SpotViewHold* hold_ = nullptr;
  std::function<std::int64_t()> nowMinute_;
  int current_ = -1;        // shown row; -1 for none
  mutable int step_ = 0;            // row height from the font; 0 until measured
  int contentsWidth_ = 0;   // of the widest row shown
  std::size_t longest_ = 0;  // characters of the longest row measured
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
