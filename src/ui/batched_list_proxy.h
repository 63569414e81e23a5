#pragma once
// Hands a view the changes of a list model that only grows at its end and shrinks at
// its start (spot lists, panes) in batches, at most ten times a second. A busy cluster
// can bring thousands of lines a second; laying out and painting a list for each of
// them would cost more than everything else the program does with a line. A line after
// a quiet spell is shown at once, so an ordinary evening's spots appear as they come.
// A filter may hide rows: the view then shows the rows it accepts, in the source's order.
#include <QAbstractListModel>
#include <QPointer>
#include <functional>
#include <vector>

#include "ui/throttle.h"

namespace varnak {

class BatchedListProxy : public QAbstractListModel {
  Q_OBJECT
 public:
  // Each refresh of a list on screen costs a few milliseconds whatever it brings.
  static constexpr int kRefreshMs = 100;

  explicit BatchedListProxy(QAbstractItemModel* source, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // Row of the source that a shown row stands for; -1 when it is gone already.
  int SourceRow(int row) const;
  // Shown row of a source row; -1 when it is hidden or not shown yet.
  int ShownRow(int sourceRow) const;
  // The shown row of that source row or, when it is hidden, of the nearest one above it.
  int ShownRowAtOrBefore(int sourceRow) const;
  // Row of the source whose data a shown row presents now (until a pending reset is
  // shown, rows are read as they stand); -1 for none.
  int DataRow(int row) const;
  // Brings the shown rows up to date now.
  void Sync();
  // Asks for an update (and the synced() signal) even when no row changed.
  void RequestSync() { Later(); }
  // A list on a page out of sight need not follow a flood: while paused the batches
  // wait (Sync() still works), and the first update on resuming brings them all.
  void SetPaused(bool paused);
  bool Paused() const { return paused_; }
  // Which source rows are shown (empty: all); the rows are filtered again at once, and
  // new rows are tested as they are shown.
  using Accepts = std::function<bool(int sourceRow)>;
  void SetFilter(Accepts accepts);
  // Source rows the filter hid at the last update.
  int Hidden() const { return seen_ - static_cast<int>(rows_.size()); }

 signals:
  // Before and after the shown rows are brought up to date.
  void aboutToSync();
  void synced();

 private:
  void Due();  // the throttle's turn
  void Later();
  int Shown() const { return static_cast<int>(rows_.size()); }
  QPointer<QAbstractItemModel> source_;
  Throttle throttle_;
  Accepts accepts_;
  std::vector<int> rows_;  // the shown rows' source rows, as numbered at the last update
  int seen_ = 0;           // source rows at the last update
  int offset_ = 0;  // rows taken from the source's start since the last update
  bool reset_ = false;
  bool paused_ = false;
  bool missed_ = false;  // an update was due while paused
};

}  // namespace varnak
