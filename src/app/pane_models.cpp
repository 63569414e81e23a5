#include "app/pane_models.h"

#include "app/win1252.h"
#include "app/spot_lists.h"

namespace varnak {

int ClusterTextModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant ClusterTextModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(lines_.size())) return {};
  const Line& line = lines_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) return ToQString(line.text);
  if (role == Qt::ForegroundRole) return QColor::fromRgb(line.colour);
  return {};
}

void ClusterTextModel::AddPaneLine(QRgb colour, std::string_view text) {
  const int row = static_cast<int>(lines_.size());
  beginInsertRows({}, row, row);
  lines_.push_back({std::string(text), colour});
  endInsertRows();
}

void ClusterTextModel::RemoveFirstLine() {
  if (lines_.empty()) return;
  beginRemoveRows({}, 0, 0);
  lines_.pop_front();
  endRemoveRows();
}

void ClusterTextModel::Clear() { SetLines({}); }

void ClusterTextModel::SetLines(std::vector<Line> lines) {
  beginResetModel();
  lines_.assign(std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
  endResetModel();
}

std::vector<std::string> ClusterTextModel::Texts() const {
  std::vector<std::string> out;
  out.reserve(lines_.size());
  for (const auto& line : lines_) out.push_back(line.text);
  return out;
}

int TextLinesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant TextLinesModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(lines_.size())) return {};
  return ToQString(lines_[static_cast<size_t>(index.row())]);
}

void TextLinesModel::AppendLine(std::string text) {
  const int row = static_cast<int>(lines_.size());
  beginInsertRows({}, row, row);
  lines_.push_back(std::move(text));
  endInsertRows();
}

void TextLinesModel::RemoveFirstLine() {
  if (lines_.empty()) return;
  beginRemoveRows({}, 0, 0);
  lines_.pop_front();
  endRemoveRows();
}

void TextLinesModel::Clear() { SetLines({}); }

void TextLinesModel::SetLines(std::vector<std::string> lines) {
  beginResetModel();
  lines_.assign(std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
  endResetModel();
}

int UserListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(users_.Rows().size()) - 1;
}

QVariant UserListModel::data(const QModelIndex& index, int role) const {
  const auto& rows = users_.Rows();
  if (role != Qt::DisplayRole || !index.isValid() || index.row() + 1 >= static_cast<int>(rows.size())) return {};
  return ToQString(rows[static_cast<size_t>(index.row()) + 1]);
}

QVariant UserListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section != 0) return {};
  return ToQString(users_.Rows().front());
}

void UserListModel::Add(std::string_view name) {
  UserList next = users_;
  if (!next.Add(name)) return;
  beginResetModel();
  users_ = std::move(next);
  endResetModel();
}

void UserListModel::Remove(std::string_view name) {
  UserList next = users_;
  if (!next.Remove(name)) return;
  beginResetModel();
  users_ = std::move(next);
  endResetModel();
}

void UserListModel::Clear() {
  beginResetModel();
  users_.Clear();
  endResetModel();
}

std::vector<std::string> UserListModel::Names() const {
  std::vector<std::string> out;
  for (size_t i = 1; i < users_.Rows().size(); ++i)
    if (!users_.Rows()[i].empty()) out.push_back(users_.Rows()[i]);
  return out;
}

void SearchSpots(SearchMode mode, std::string_view text, const SpotListModel& all,
                 const ClusterTextModel& pane, SearchResultsModel& results) {
  results.Clear();
  results.SetLines(SearchRows(mode == SearchMode::Dx ? all.Rows() : pane.Texts(), text));
}

}  // namespace varnak
