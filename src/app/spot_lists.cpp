#include "app/spot_lists.h"

#include "app/list_files.h"
#include "app/win1252.h"

namespace varnak {

SpotListModel::SpotListModel(QObject* parent) : QAbstractListModel(parent), rows_(1) {}

int SpotListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant SpotListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  return ToQString(rows_[static_cast<size_t>(index.row())]);
}

const std::string& SpotListModel::Row(int row) const {
  static const std::string empty;
  return (row >= 0 && row < static_cast<int>(rows_.size())) ? rows_[static_cast<size_t>(row)] : empty;
}

int SpotListModel::AppendRow(std::string text) {
  const int row = static_cast<int>(rows_.size());
  beginInsertRows({}, row, row);
  rows_.push_back(std::move(text));
  endInsertRows();
  selectedRow_ = row;
  emit selectedRowChanged(row);
  return row;
}

void SpotListModel::SetRows(std::vector<std::string> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  if (rows_.empty()) rows_.emplace_back();
  endResetModel();
  selectedRow_ = 0;
}

void SpotListModel::RemoveFirstRows(int count) {
  count = std::min(count, static_cast<int>(rows_.size()) - 1);
  if (count > 0) {
    beginRemoveRows({}, 0, count - 1);
    rows_.erase(rows_.begin(), rows_.begin() + count);
    endRemoveRows();
  }
  SelectLastRow();
}

void SpotListModel::KeepLastRows(size_t n) {
  if (n == 0) n = 1;
  if (rows_.size() > n) RemoveFirstRows(static_cast<int>(rows_.size() - n));
  SelectLastRow();
}

void SpotListModel::SelectLastRow() {
  selectedRow_ = static_cast<int>(rows_.size()) - 1;
  emit selectedRowChanged(selectedRow_);
}

SpotLists::SpotLists(const Clock& clock, QObject* parent) : QObject(parent), clock_(&clock) {
  for (auto& list : lists_) list = new SpotListModel(this);
}

int SpotLists::AddSpotRow(int list, std::string_view text) {
  rowWritten_ = true;
  return List(list)->AppendRow(SpotRowText(text, clock_->LocalNow()));
}

void SpotLists::FileSpot(std::string_view line, std::string_view band) {
  std::string row = SpotRowText(line, clock_->LocalNow());
  rowWritten_ = true;
  const int bandList = ListIndexOfBand(band);
  if (bandList != kAllList && List(bandList)->AppendRow(row) > kBandListTrimIndex) TrimAndSaveList(bandList);
  if (All()->AppendRow(std::move(row)) > kAllListTrimIndex) TrimAndSaveList(kAllList);
}

void SpotLists::TrimAndSaveList(int list, std::string_view fileName) {
  SpotListModel* model = List(list);
  model->RemoveFirstRows(kTrimBlock);
  if (save_) save_(fileName, model->Rows());
}

}  // namespace varnak
