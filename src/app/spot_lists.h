#pragma once
// The fourteen spot lists as item models: "All" (list 0) and one per band (lists 1 to
// 13, in the order of kBandTexts), each a single column of row texts, newest last. A
// row is a Spot; a spot filed now is shared by its band list and "All".
#include <QAbstractListModel>
#include <QTimer>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/spot.h"
#include "app/spot_model.h"
#include "core/clock.h"

namespace varnak {

class SpotResolver;

// One list. Responsibilities: holds its rows' spots and shows their row texts; keeps
// the spots up to date with the lookup settings, a slice at a time from the event loop,
// newest first, so the window never stalls when the settings or the log's marks change.
class SpotListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  // A list starts with one empty row. Without a clock rows from files have no age,
  // without a lookup they are never looked up.
  explicit SpotListModel(const Clock* clock = nullptr, SpotResolver* lookup = nullptr, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // The row texts, as the files and the search take them.
  std::vector<std::string> Rows() const;
  const std::string& Row(int row) const;  // empty text for a row that does not exist
  // The spot of a row; null for a row that does not exist.
  const Spot* SpotAt(int row) const;
  std::shared_ptr<Spot> SharedSpot(int row) const;
  int Size() const { return static_cast<int>(spots_.size()); }
  // Appends a filed spot and selects it; returns its index.
  int AppendSpot(std::shared_ptr<Spot> spot);
  // Replaces every row (loading a list file); the list keeps at least one row. The rows
  // are cut into spots now and looked up later.
  void SetRows(std::vector<std::string> rows);
  // Drops the first count rows and selects the last row.
  void RemoveFirstRows(int count);
  // Keeps the last n rows and selects the last row.
  void KeepLastRows(size_t n);
  int SelectedRow() const { return selectedRow_; }
  void SelectLastRow();

  // Rows of an older lookup generation are brought up to date in the background from now on.
  void Refresh();
  // Finishes the background work now (tests, benchmarks).
  void FinishNow();
  bool Busy() const { return cursor_ >= 0; }
  // Longest a background slice may run.
  int SliceMs = 4;

 signals:
  // The program selected a row (a new spot, a trim, a page change); views follow it.
  void selectedRowChanged(int row);
  // Rows changed their cells without the list changing (background updates).
  void cellsChanged();

 private:
  void RunSlice(qint64 budgetMs);

  const Clock* clock_;
  SpotResolver* lookup_;
  std::vector<std::shared_ptr<Spot>> spots_;
  int selectedRow_ = 0;
  QTimer slice_;
  int cursor_ = -1;  // next row the background work looks at, walking down to 0
};

class SpotLists : public QObject {
  Q_OBJECT
 public:
  // lookup: how rows loaded from files are looked up later; none in tests of the lists.
  explicit SpotLists(const Clock& clock, QObject* parent = nullptr, SpotResolver* lookup = nullptr);

  SpotListModel* List(int index) const { return lists_[static_cast<size_t>(index)]; }
  SpotListModel* All() const { return lists_[kAllList]; }

  // text + " | " + today as MM-DD (SpotRowText) at the end of the list, selected; returns its index.
  int AddSpotRow(int list, std::string_view text);
  // Into the band's list (when the band is one of the table's), then into "All", with
  // today's date after its line; a list whose new row passes its limit is trimmed.
  void FileSpot(std::shared_ptr<Spot> spot);
  // Drops the 100 oldest rows, selects the last one and reports the trim.
  void TrimAndSaveList(int list);
  void KeepLastRows(int list, size_t n) { List(list)->KeepLastRows(n); }
  // A spot row has been written during this run (banner dates switch to MM-DD then).
  bool RowWritten() const { return rowWritten_; }
  // Every list brings its rows up to date with the lookup settings (in the background).
  void Refresh();

 signals:
  // A new spot was filed into its band list (list 1 to 13; 0 when the band has no list)
  // and into "All". Once per spot, after the lists have it.
  void spotFiled(const std::shared_ptr<varnak::Spot>& spot, int list);
  // A list lost its oldest rows; its owner saves the rest to the list's file
  // (kSpotListFiles) in the station folder.
  void listTrimmed(int list);

 private:
  const Clock* clock_;
  bool rowWritten_ = false;
  std::array<SpotListModel*, kSpotListCount> lists_{};
};

}  // namespace varnak
