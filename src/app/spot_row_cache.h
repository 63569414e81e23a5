#pragma once
// The cells of one spot list's rows, kept beside the list so that no view parses or
// looks a row up while it paints. A new row is cut and looked up as it is added; when
// the settings, the log's marks or the need for lookups change, the rows are brought up
// to date a slice at a time from the event loop, newest first, so the window never stalls.
#include <QObject>
#include <QTimer>
#include <deque>

#include "app/spot_row.h"

namespace varnak {

class SpotListModel;

class SpotRowCache : public QObject {
  Q_OBJECT
 public:
  SpotRowCache(SpotListModel& list, SpotRowResolver& resolver, QObject* parent = nullptr);

  // Info of a row of the list; nullptr for a row that does not exist.
  const SpotRowInfo* Info(int row) const;
  int Size() const { return static_cast<int>(rows_.size()); }
  // Rows of an older resolver generation are updated in the background from now on.
  void Refresh();
  // Finishes the background work now (tests, benchmarks).
  void FinishNow();
  bool Busy() const { return cursor_ >= 0; }
  // Longest a background slice may run.
  int SliceMs = 4;

 signals:
  // Rows changed their cells without the list changing (background updates).
  void cellsChanged();

 private:
  std::shared_ptr<SpotRowInfo> Make(const std::string& row, bool loaded);
  void Rebuild();
  void RunSlice(qint64 budgetMs);

  SpotListModel& list_;
  SpotRowResolver& resolver_;
  std::deque<std::shared_ptr<SpotRowInfo>> rows_;
  QTimer slice_;
  int cursor_ = -1;  // next row the background work looks at, walking down to 0
};

}  // namespace varnak
