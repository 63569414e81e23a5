#include "ui/batched_list_proxy.h"

namespace varnak {

BatchedListProxy::BatchedListProxy(QAbstractItemModel* source, QObject* parent)
    : QAbstractListModel(parent), source_(source), throttle_(kRefreshMs, [this] { Due(); }, this) {
  shown_ = source->rowCount();
  connect(source, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int, int last) {
    if (last + 1 != source_->rowCount()) reset_ = true;
    throttle_.Schedule();
  });
  connect(source, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
    if (first != 0) reset_ = true;
    offset_ += last - first + 1;
    throttle_.Schedule();
  });
  const auto resetLater = [this] {
    reset_ = true;
    throttle_.Schedule();
  };
  connect(source, &QAbstractItemModel::modelReset, this, resetLater);
  connect(source, &QAbstractItemModel::layoutChanged, this, resetLater);
  connect(source, &QAbstractItemModel::dataChanged, this, resetLater);
  connect(source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
}

int BatchedListProxy::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

int BatchedListProxy::SourceRow(int row) const {
  const int sourceRow = row - offset_;
  return (source_ && sourceRow >= 0 && sourceRow < source_->rowCount()) ? sourceRow : -1;
}

int BatchedListProxy::DataRow(int row) const {
  if (!source_) return -1;
  return reset_ ? (row < source_->rowCount() ? row : -1) : SourceRow(row);
}

QVariant BatchedListProxy::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !source_) return {};
  const int sourceRow = DataRow(index.row());
  return sourceRow < 0 ? QVariant() : source_->data(source_->index(sourceRow, 0), role);
}

QVariant BatchedListProxy::headerData(int section, Qt::Orientation orientation, int role) const {
  return source_ ? source_->headerData(section, orientation, role) : QVariant();
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
  if (!reset_) {
    const int removed = std::min(offset_, shown_);
    if (removed > 0) {
      beginRemoveRows({}, 0, removed - 1);
      shown_ -= removed;
      offset_ -= removed;
      endRemoveRows();
    }
    // Rows that came and went between two updates were never shown.
    if (shown_ == 0) offset_ = 0;
    if (offset_ != 0 || target < shown_) reset_ = true;
  }
  if (reset_) {
    beginResetModel();
    reset_ = false;
    offset_ = 0;
    shown_ = target;
    endResetModel();
  } else if (target > shown_) {
    beginInsertRows({}, shown_, target - 1);
    shown_ = target;
    endInsertRows();
  }
  emit synced();
}

}  // namespace varnak
