#include "app/spot_row_cache.h"

#include <QElapsedTimer>
#include <algorithm>

#include "app/spot_lists.h"

namespace varnak {

SpotRowCache::SpotRowCache(SpotListModel& list, SpotRowResolver& resolver, QObject* parent)
    : QObject(parent), list_(list), resolver_(resolver) {
  slice_.setSingleShot(true);
  slice_.setInterval(0);
  connect(&slice_, &QTimer::timeout, this, [this] { RunSlice(SliceMs); });
  // The list only grows at its end and loses rows at its start (trims).
  connect(&list, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
    if (first != static_cast<int>(rows_.size())) return Rebuild();
    for (int r = first; r <= last; ++r) rows_.push_back(Make(list_.Row(r), false));
  });
  connect(&list, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
    if (first != 0 || last >= static_cast<int>(rows_.size())) return Rebuild();
    rows_.erase(rows_.begin(), rows_.begin() + (last + 1));
    if (cursor_ >= 0) cursor_ = std::max(-1, cursor_ - (last + 1));
  });
  connect(&list, &QAbstractItemModel::modelReset, this, &SpotRowCache::Rebuild);
  Rebuild();
}

std::shared_ptr<SpotRowInfo> SpotRowCache::Make(const std::string& row, bool loaded) {
  if (!loaded) return resolver_.NewRow(row);
  // Loaded rows wait for the background work.
  auto info = std::make_shared<SpotRowInfo>(ParseSpotRow(row));
  info->addedMinute =
      EstimatedAddedMinute(*info, row, resolver_.NowMinute(), resolver_.UtcOffsetMinutes(), resolver_.Year());
  return info;
}

void SpotRowCache::Rebuild() {
  rows_.clear();
  const auto& texts = list_.Rows();
  for (const std::string& text : texts) rows_.push_back(Make(text, true));
  Refresh();
}

const SpotRowInfo* SpotRowCache::Info(int row) const {
  return (row >= 0 && row < static_cast<int>(rows_.size())) ? rows_[static_cast<std::size_t>(row)].get() : nullptr;
}

void SpotRowCache::Refresh() {
  cursor_ = static_cast<int>(rows_.size()) - 1;
  if (cursor_ >= 0) slice_.start();
}

void SpotRowCache::FinishNow() {
  slice_.stop();
  RunSlice(-1);
}

void SpotRowCache::RunSlice(qint64 budgetMs) {
  QElapsedTimer spent;
  spent.start();
  const int generation = resolver_.Generation();
  bool changed = false;
  int done = 0;
  for (; cursor_ >= 0; --cursor_) {
    SpotRowInfo& info = *rows_[static_cast<std::size_t>(cursor_)];
    if (info.generation == generation) continue;
    resolver_.Update(info);
    changed = true;
    if (budgetMs >= 0 && (++done & 31) == 0 && spent.elapsed() >= budgetMs) {
      --cursor_;
      break;
    }
  }
  // Rows shared with another list may have been brought up to date by that list's pass.
  if (cursor_ >= 0) slice_.start();
  if (changed || cursor_ < 0) emit cellsChanged();
}

}  // namespace varnak
