#include "ui/batched_list_proxy.h"

#include <algorithm>

namespace varnak {

BatchedListProxy::BatchedListProxy(QAbstractItemModel* source, QObject* parent)
    : QAbstractListModel(parent), source_(source), throttle_(kRefreshMs, [this] { Due(); }, this) {
  seen_ = source->rowCount();
  rows_.resize(static_cast<size_t>(seen_));
  for (int i = 0; i < seen_; ++i) rows_[static_cast<size_t>(i)] = i;
  connect(source, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int, int last) {
    if (last + 1 != source_->rowCount()) reset_ = true;
    Later();
  });
  connect(source, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
    if (first != 0) reset_ = true;
    offset_ += last - first + 1;
    Later();
  });
  const auto resetLater = [this] {
    reset_ = true;
    Later();
  };
  connect(source, &QAbstractItemModel::modelReset, this, resetLater);
  connect(source, &QAbstractItemModel::layoutChanged, this, resetLater);
  connect(source, &QAbstractItemModel::dataChanged, this, resetLater);
  connect(source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
}

int BatchedListProxy::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Shown(); }

int BatchedListProxy::SourceRow(int row) const {
  if (row < 0 || row >= Shown()) return -1;
  const int sourceRow = rows_[static_cast<size_t>(row)] - offset_;
  return (source_ && sourceRow >= 0 && sourceRow < source_->rowCount()) ? sourceRow : -1;
}

int BatchedListProxy::ShownRow(int sourceRow) const {
  const int row = ShownRowAtOrBefore(sourceRow);
  return row >= 0 && rows_[static_cast<size_t>(row)] == sourceRow + offset_ ? row : -1;
}

int BatchedListProxy::ShownRowAtOrBefore(int sourceRow) const {
  const auto after = std::upper_bound(rows_.begin(), rows_.end(), sourceRow + offset_);
  return static_cast<int>(after - rows_.begin()) - 1;
}

int BatchedListProxy::DataRow(int row) const {
  if (!source_) return -1;
  if (!reset_) return SourceRow(row);
  // Until the reset is shown the old numbering means nothing: read the rows as they stand.
  const int sourceRow = accepts_ && row >= 0 && row < Shown() ? rows_[static_cast<size_t>(row)] : row;
  return sourceRow >= 0 && sourceRow < source_->rowCount() ? sourceRow : -1;
}

void BatchedListProxy::SetFilter(Accepts accepts) {
  // Every filter change of the window reaches each list; without a filter before or after
  // nothing changes, and a reset would only lose the scroll position.
  if (!accepts && !accepts_) return;
  accepts_ = std::move(accepts);
  reset_ = true;
  Sync();
}

QVariant BatchedListProxy::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !source_) return {};
  const int sourceRow = DataRow(index.row());
  return sourceRow < 0 ? QVariant() : source_->data(source_->index(sourceRow, 0), role);
}

QVariant BatchedListProxy::headerData(int section, Qt::Orientation orientation, int role) const {
  return source_ ? source_->headerData(section, orientation, role) : QVariant();
}

// A paused list only notes that it is behind: its timer would wake the program ten times
// a second in a flood to do nothing.
void BatchedListProxy::Later() {
  if (paused_) missed_ = true;
  else throttle_.Schedule();
}

void BatchedListProxy::Due() {
  if (paused_) missed_ = true;
  else Sync();
}

void BatchedListProxy::SetPaused(bool paused) {
  paused_ = paused;
  if (paused_ || !(missed_ || throttle_.Pending())) return;
  missed_ = false;
  throttle_.RunNow();
}

void BatchedListProxy::Sync() {
  if (!source_) return;
  emit aboutToSync();
  const int target = source_->rowCount();
  if (!reset_ && offset_ > 0) {
    const auto gone = std::lower_bound(rows_.begin(), rows_.end(), offset_) - rows_.begin();
    if (gone > 0) {
      beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
      rows_.erase(rows_.begin(), rows_.begin() + gone);
      endRemoveRows();
    }
    for (int& row : rows_) row -= offset_;
    // Rows that came and went between two updates were never shown.
    seen_ = std::max(0, seen_ - offset_);
    offset_ = 0;
  }
  if (target < seen_) reset_ = true;
  const auto accepted = [this](int from, int to) {
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(std::max(0, to - from)));
    for (int row = from; row < to; ++row)
      if (!accepts_ || accepts_(row)) rows.push_back(row);
    return rows;
  };
  if (reset_) {
    beginResetModel();
    reset_ = false;
    offset_ = 0;
    rows_ = accepted(0, target);
    seen_ = target;
    endResetModel();
  } else if (target > seen_) {
    const std::vector<int> added = accepted(seen_, target);
    seen_ = target;
    if (!added.empty()) {
      beginInsertRows({}, Shown(), Shown() + static_cast<int>(added.size()) - 1);
      rows_.insert(rows_.end(), added.begin(), added.end());
      endInsertRows();
    }
  }
  emit synced();
}

}  // namespace varnak
