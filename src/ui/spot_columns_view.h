#pragma once
// The columns view of a spot list: the same rows as the one-column view, cut into
// cells (time, frequency, calls, entity, path, age, the log's mark), sortable by a
// header click without touching the list itself. It shows the rows of the one-column
// view's batched proxy, so both views take new spots in the same batches.
#include <QPersistentModelIndex>
#include <QSortFilterProxyModel>
#include <array>
#include <functional>

#include "app/spot.h"
#include "ui/row_scroll_area.h"

class QHeaderView;

namespace varnak {

class BatchedListProxy;
class SpotListView;
class SpotListModel;
class SpotRowDelegate;
class SpotViewHold;

enum SpotColumn { ColUtc, ColKhz, ColDx, ColNeed, ColEntity, ColCont, ColKm, ColDeg, ColComment, ColSpotter, ColAge, ColCount };
inline constexpr std::array<const char*, ColCount> kSpotColumnNames = {
    "UTC", "kHz", "DX", "Need", "Entity", "Cont", "km", "Deg", "Comment", "Spotter", "Age"};

using NowMinuteFn = std::function<std::int64_t()>;

// Text of one cell; bad rows show their whole text under "Comment" only.
QString SpotCellText(const Spot& spot, int column, std::int64_t nowMinute);

class SpotColumnsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  SpotColumnsModel(BatchedListProxy* rows, const SpotListModel* list, NowMinuteFn now, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // A marker row ("*** Varnak started ...") is a separator, never a spot to pick.
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  const Spot* Info(int row) const;
  // Row of the spot list a row here stands for; -1 when it is gone.
  int ListRow(int row) const;
  std::int64_t NowMinute() const { return now_ ? now_() : kUnknownMinute; }

 private:
  BatchedListProxy* rows_;
  const SpotListModel* list_;
  NowMinuteFn now_;
};

// Sorts by the clicked column; rows that lack the column's value (bad rows, calls the
// prefix table does not know) stay last whichever way. Equal keys keep time order.
class SpotSortProxy : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

// Draws its rows itself, as the one-column list does and for the same reason: a table view
// repaints every row it shows after each batch of new rows. The header is a QHeaderView
// above the rows, so columns are moved, resized and sorted as in any table.
class SpotColumnsView : public RowScrollArea {
  Q_OBJECT
 public:
  SpotColumnsView(SpotListView* plain, NowMinuteFn now, QWidget* parent = nullptr);

  SpotColumnsModel* columnsModel() const { return columns_; }
  SpotSortProxy* sorter() const { return sorter_; }
  // The rows as shown: sorted, one column per cell.
  QAbstractItemModel* model() const;
  QHeaderView* horizontalHeader() const { return header_; }
  SpotViewHold* hold() const { return hold_; }
  SpotRowDelegate* itemDelegate() const { return delegate_; }
  // The current (selected) row of model(); invalid for none.
  QModelIndex currentIndex() const;
  void setCurrentIndex(const QModelIndex& index);
  // The cell's place in the viewport; empty for none or a hidden column.
  QRect visualRect(const QModelIndex& index) const;
  // The cell at a viewport point; invalid for none.
  QModelIndex indexAt(const QPoint& point) const;
  void scrollTo(const QModelIndex& index);
  // Row of the spot list shown in a row of this view; -1 when gone.
  int ListRowAt(int viewRow) const;
  int ViewRowOf(int listRow) const;
  // -1: time order.
  int SortColumn() const { return sorter_->sortColumn(); }
  // The header's third click on a column returns to time order.
  void SortBy(int column, Qt::SortOrder order);
  void SortInTimeOrder();

  // Column layout as stored: names in visual order, widths in that order, hidden names.
  struct Layout {
    QString order, widths, hidden;
  };
  Layout CurrentLayout() const;
  void ApplyLayout(const Layout& layout);
  void SetRowHeight(int pixels);

 signals:
  // Rows of the spot list, as the one-column view reports them.
  void rowPressed(int row, Qt::MouseButton button);
  void rowKeyed(int row);
  void rowEntered(int row);
  // Ctrl+Return on the current row: tune to it.
  void rowTuned(int row);
  // A double click: the row under the pointer now, whatever the first click hit.
  void rowDoubleClicked(int row);
  // The operator changed widths, order or visibility of the columns.
  void layoutEdited();

 public slots:
  void HoldSelection(bool held);
  // Background updates of the rows' cells.
  void CellsChanged();

 protected:
  int RowCount() const override;
  int Step() const override;
  int ContentsWidth() const override;
  int CurrentRow() const override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FollowSelection();
  void HeaderClicked(int column);
  void ShowHeaderMenu(const QPoint& at);
  void UpdateStripeColumn();
  void FitColumn(int column);
  void LayOut();  // the header above the rows, the bars
  void SetCurrentRow(int row);
  bool Selectable(int row) const;

  SpotListView* plain_;
  SpotColumnsModel* columns_;
  SpotSortProxy* sorter_;
  SpotRowDelegate* delegate_;
  QHeaderView* header_ = nullptr;
  SpotViewHold* hold_;
  QPersistentModelIndex current_;  // follows the row through sorts and trims
  mutable int step_ = 0;           // row height from the font; 0 until measured
  bool held_ = false;
  bool followPending_ = false;
  bool scrollPending_ = false;
  bool applying_ = false;
};

}  // namespace varnak
