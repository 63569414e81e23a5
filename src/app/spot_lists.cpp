#include "app/spot_lists.h"

#include <QElapsedTimer>
#include <algorithm>

#include "app/list_files.h"
#include "app/spot_resolver.h"
#include "app/win1252.h"

namespace varnak {

namespace {

std::shared_ptr<Spot> EmptyRow() { return std::make_shared<Spot>(ParseSpotRow({})); }

int UtcOffsetMinutes(const Clock& clock) {
  const std::int64_t utc = MinuteOf(clock.UtcNow()), local = MinuteOf(clock.LocalNow());
  if (utc == kUnknownMinute || local == kUnknownMinute) return 0;
  return static_cast<int>(local - utc);
}

}  // namespace

SpotListModel::SpotListModel(const Clock* clock, SpotResolver* lookup, QObject* parent)
    : QAbstractListModel(parent), clock_(clock), lookup_(lookup) {
  spots_.push_back(EmptyRow());
  slice_.setSingleShot(true);
  slice_.setInterval(0);
  connect(&slice_, &QTimer::timeout, this, [this] { RunSlice(SliceMs); });
}

int SpotListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(spots_.size());
}

QVariant SpotListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(spots_.size())) return {};
  return ToQString(spots_[static_cast<size_t>(index.row())]->row);
}

std::vector<std::string> SpotListModel::Rows() const {
  std::vector<std::string> rows;
  rows.reserve(spots_.size());
  for (const auto& spot : spots_) rows.push_back(spot->row);
  return rows;
}

const std::string& SpotListModel::Row(int row) const {
  static const std::string empty;
  const Spot* spot = SpotAt(row);
  return spot ? spot->row : empty;
}

const Spot* SpotListModel::SpotAt(int row) const {
  return (row >= 0 && row < static_cast<int>(spots_.size())) ? spots_[static_cast<size_t>(row)].get() : nullptr;
}

std::shared_ptr<Spot> SpotListModel::SharedSpot(int row) const {
  return (row >= 0 && row < static_cast<int>(spots_.size())) ? spots_[static_cast<size_t>(row)] : nullptr;
}

int SpotListModel::AppendSpot(std::shared_ptr<Spot> spot) {
  const int row = static_cast<int>(spots_.size());
  const bool stale = lookup_ && spot->generation != lookup_->Generation();
  beginInsertRows({}, row, row);
  spots_.push_back(std::move(spot));
  endInsertRows();
  selectedRow_ = row;
  emit selectedRowChanged(row);
  if (stale) Refresh();
  return row;
}

void SpotListModel::SetRows(std::vector<std::string> rows) {
  const std::int64_t now = clock_ ? MinuteOf(clock_->LocalNow()) : kUnknownMinute;
  const int offset = clock_ ? UtcOffsetMinutes(*clock_) : 0;
  const int year = clock_ ? clock_->LocalNow().year : 0;
  beginResetModel();
  spots_.clear();
  spots_.reserve(std::max<std::size_t>(rows.size(), 1));
  for (const std::string& text : rows) {
    auto spot = std::make_shared<Spot>(ParseSpotRow(text));
    spot->filedMinute = EstimatedAddedMinute(*spot, text, now, offset, year);
    spots_.push_back(std::move(spot));
  }
  if (spots_.empty()) spots_.push_back(EmptyRow());
  endResetModel();
  selectedRow_ = 0;
  Refresh();
}

void SpotListModel::RemoveFirstRows(int count) {
  count = std::min(count, static_cast<int>(spots_.size()) - 1);
  if (count > 0) {
    beginRemoveRows({}, 0, count - 1);
    spots_.erase(spots_.begin(), spots_.begin() + count);
    endRemoveRows();
    if (cursor_ >= 0) cursor_ = std::max(-1, cursor_ - count);
  }
  SelectLastRow();
}

void SpotListModel::KeepLastRows(size_t n) {
  if (n == 0) n = 1;
  if (spots_.size() > n) RemoveFirstRows(static_cast<int>(spots_.size() - n));
  SelectLastRow();
}

void SpotListModel::SelectLastRow() {
  selectedRow_ = static_cast<int>(spots_.size()) - 1;
  emit selectedRowChanged(selectedRow_);
}

void SpotListModel::Refresh() {
  if (!lookup_) return;
  cursor_ = static_cast<int>(spots_.size()) - 1;
  if (cursor_ >= 0) slice_.start();
}

void SpotListModel::FinishNow() {
  slice_.stop();
  RunSlice(-1);
}

void SpotListModel::RunSlice(qint64 budgetMs) {
  if (!lookup_) return;
  QElapsedTimer spent;
  spent.start();
  const int generation = lookup_->Generation();
  bool changed = false;
  int done = 0;
  for (; cursor_ >= 0; --cursor_) {
    Spot& spot = *spots_[static_cast<std::size_t>(cursor_)];
    if (spot.generation == generation) continue;
    lookup_->Update(spot);
    changed = true;
    if (budgetMs >= 0 && (++done & 31) == 0 && spent.elapsed() >= budgetMs) {
      --cursor_;
      break;
    }
  }
  // Spots shared with another list may have been brought up to date by that list's pass.
  if (cursor_ >= 0) slice_.start();
  if (changed || cursor_ < 0) emit cellsChanged();
}

SpotLists::SpotLists(const Clock& clock, QObject* parent, SpotResolver* lookup) : QObject(parent), clock_(&clock) {
  for (auto& list : lists_) list = new SpotListModel(clock_, lookup, this);
}

int SpotLists::AddSpotRow(int list, std::string_view text) {
  rowWritten_ = true;
  auto spot = std::make_shared<Spot>(ParseSpotLine(text));
  const DateTime now = clock_->LocalNow();
  spot->row = SpotRowText(text, now);
  if (spot->valid) spot->filedMinute = MinuteOf(now);
  else spot->comment = spot->row;
  return List(list)->AppendSpot(std::move(spot));
}

void SpotLists::FileSpot(std::shared_ptr<Spot> spot) {
  const DateTime now = clock_->LocalNow();
  spot->row.append(SpotRowText({}, now));
  // A row that is no spot shows its whole text.
  if (spot->valid) spot->filedMinute = MinuteOf(now);
  else spot->comment = spot->row;
  rowWritten_ = true;
  const int bandList = ListIndexOfBand(spot->band);
  if (bandList != kAllList && List(bandList)->AppendSpot(spot) > kBandListTrimIndex) TrimAndSaveList(bandList);
  if (All()->AppendSpot(spot) > kAllListTrimIndex) TrimAndSaveList(kAllList);
  emit spotFiled(spot, bandList);
}

void SpotLists::TrimAndSaveList(int list) {
  List(list)->RemoveFirstRows(kTrimBlock);
  emit listTrimmed(list);
}

void SpotLists::Refresh() {
  for (SpotListModel* list : lists_) list->Refresh();
}

}  // namespace varnak
