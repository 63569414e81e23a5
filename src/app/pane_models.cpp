#include "app/pane_models.h"

#include <algorithm>

#include "app/win1252.h"
#include "app/spot_lists.h"

namespace varnak {

std::string_view CutPaneLine(std::string_view text) {
  if (text.size() <= kPaneLineLimit) return text;
  size_t end = kPaneLineLimit;
  if (IsUtf8Text(text)) {
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  }
  return text.substr(0, end);
}

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
  lines_.push_back({std::string(CutPaneLine(text)), colour});
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
  for (Line& line : lines) line.text.resize(CutPaneLine(line.text).size());
  beginResetModel();
  lines_.assign(std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
  endResetModel();
}

void ClusterTextModel::DeleteText(int firstLine, int firstColumn, int lastLine, int lastColumn) {
  const int count = static_cast<int>(lines_.size());
  if (firstLine < 0 || firstLine >= count || lastLine < firstLine) return;
  if (lastLine >= count) {
    lastLine = count - 1;
    lastColumn = static_cast<int>(lines_.back().text.size());
  }
  Line& first = lines_[static_cast<size_t>(firstLine)];
  const std::string& lastText = lines_[static_cast<size_t>(lastLine)].text;
  const size_t from = std::min(static_cast<size_t>(std::max(firstColumn, 0)), first.text.size());
  const size_t to = std::min(static_cast<size_t>(std::max(lastColumn, 0)), lastText.size());
  if (firstLine == lastLine && to <= from) return;
  std::string joined = first.text.substr(0, from) + lastText.substr(to);
  if (lastLine > firstLine) {
    beginRemoveRows({}, firstLine + 1, lastLine);
    lines_.erase(lines_.begin() + firstLine + 1, lines_.begin() + lastLine + 1);
    endRemoveRows();
  }
  lines_[static_cast<size_t>(firstLine)].text = std::move(joined);
  const QModelIndex changed = index(firstLine);
  emit dataChanged(changed, changed);
}

std::pair<int, int> ClusterTextModel::LineAndColumnAt(int position) const {
  int line = 0;
  for (const Line& l : lines_) {
    const int length = static_cast<int>(l.text.size());
    if (position <= length) return {line, std::max(position, 0)};
    position -= length + 1;
    ++line;
  }
  return {line, 0};  // past the end
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

QVariant TalkModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= LineCount()) return {};
  std::string line = Lines()[static_cast<size_t>(index.row())];
  if (!IsUtf8Text(line)) ConvertDosLetters(line);
  return ToQString(line);
}

void TextLinesModel::AppendLine(std::string text) {
  const int row = static_cast<int>(lines_.size());
  beginInsertRows({}, row, row);
  text.resize(CutPaneLine(text).size());
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
  for (std::string& line : lines) line.resize(CutPaneLine(line).size());
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
