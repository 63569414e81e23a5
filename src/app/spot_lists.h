#pragma once
// The fourteen spot lists as item models: "All" (list 0) and one per band (lists 1 to
// 13, in the order of kBandTexts), each a single column of row texts, newest last.
#include <QAbstractListModel>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/spot_model.h"
#include "core/clock.h"

namespace varnak {

class SpotListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  // A list starts with one empty row.
  explicit SpotListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  const std::vector<std::string>& Rows() const { return rows_; }
  const std::string& Row(int row) const;  // empty text for a row that does not exist
  // Appends a row as it stands and selects it; returns its index.
  int AppendRow(std::string text);
  // Replaces every row (loading a list file); the list keeps at least one row.
  void SetRows(std::vector<std::string> rows);
  // Drops the first count rows and selects the last row.
  void RemoveFirstRows(int count);
  // Keeps the last n rows and selects the last row.
  void KeepLastRows(size_t n);
  int SelectedRow() const { return selectedRow_; }
  void SelectLastRow();

 signals:
  // The program selected a row (a new spot, a trim, a page change); views follow it.
  void selectedRowChanged(int row);

 private:
  std::vector<std::string> rows_;
  int selectedRow_ = 0;
};

class SpotLists : public QObject {
  Q_OBJECT
 public:
  // Receives the rows of a list that was trimmed, with the list's bare file name
  // ("20.dxc"); the owner writes them to the station folder, one row per line, CR LF.
  using SaveHook = std::function<void(std::string_view fileName, const std::vector<std::string>& rows)>;

  explicit SpotLists(const Clock& clock, QObject* parent = nullptr);

  SpotListModel* List(int index) const { return lists_[static_cast<size_t>(index)]; }
  SpotListModel* All() const { return lists_[kAllList]; }
  void SetSaveHook(SaveHook hook) { save_ = std::move(hook); }
  void SetClock(const Clock& clock) { clock_ = &clock; }

  // text + " | " + today as MM-DD (SpotRowText) at the end of the list, selected; returns its index.
  int AddSpotRow(int list, std::string_view text);
  // Into the band's list (when the band is one of the table's), then into "All";
  // a list whose new row passes its limit is trimmed and saved.
  void FileSpot(std::string_view line, std::string_view band);
  // Drops the 100 oldest rows, selects the last one and hands the rows to the save hook.
  void TrimAndSaveList(int list, std::string_view fileName);
  void TrimAndSaveList(int list) { TrimAndSaveList(list, kSpotListFiles[static_cast<size_t>(list)]); }
  void KeepLastRows(int list, size_t n) { List(list)->KeepLastRows(n); }
  // A spot row has been written during this run (banner dates switch to MM-DD then).
  bool RowWritten() const { return rowWritten_; }

 private:
  const Clock* clock_;
  SaveHook save_;
  bool rowWritten_ = false;
  std::array<SpotListModel*, kSpotListCount> lists_{};
};

}  // namespace varnak
