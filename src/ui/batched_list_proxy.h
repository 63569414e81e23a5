#pragma once
// Hands a view the changes of a list model that only grows at its end and shrinks at
// its start (spot lists, panes) in batches, at most about 25 times a second. A busy
// cluster can bring thousands of lines a second; laying out and painting a list for
// each of them would cost more than everything else the program does with a line.
#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace varnak {

// Calls its action once, soon after the first Schedule(), and never more often than
// every kInterval milliseconds.
class UpdateThrottle : public QObject {
  Q_OBJECT
 public:
  static constexpr int kInterval = 40;
  UpdateThrottle(std::function<void()> action, QObject* parent);
  void Schedule();
  void RunNow();

 private:
  std::function<void()> action_;
  QTimer timer_;
  QElapsedTimer sinceRun_;
};

class BatchedListProxy : public QAbstractListModel {
  Q_OBJECT
 public:
  explicit BatchedListProxy(QAbstractItemModel* source, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // Row of the source that a shown row stands for; -1 when it is gone already.
  int SourceRow(int row) const;
  int ShownRow(int sourceRow) const { return sourceRow + offset_; }
  // Row of the source whose data a shown row presents now (until a pending reset is
  // shown, rows are read as they stand); -1 for none.
  int DataRow(int row) const;
  // Brings the shown rows up to date now.
  void Sync();
  // Asks for an update (and the synced() signal) even when no row changed.
  void RequestSync() { throttle_.Schedule(); }

 signals:
  void synced();

 private:
  QPointer<QAbstractItemModel> source_;
  UpdateThrottle throttle_;
  int shown_ = 0;
  int offset_ = 0;  // rows taken from the source's start since the last update
  bool reset_ = false;
};

}  // namespace varnak
