#pragma once
// StationsModel: one row per DX call, band and mode class heard in the last hour (a
// setting) instead of one per spot, the way a spot database keeps them: first and last
// heard, how many spots and spotters (skimmers apart), the spotters' continents, the
// skimmers' best SNR and speed, the newest comment a person wrote, and the lookup of the
// newest spot (entity, km, bearing, need).
//
// Responsibilities: folds each filed spot into its row in place (constant work per
// spot); keeps the rows in order of last heard, oldest first like the spot lists, and
// drops rows that fell out of the time window. Reordering and dropping wait a moment, so
// a burst costs one; while held (the lists are frozen) they wait for the release, so
// nothing moves under a clicked row. Views hear of new and changed rows at most ten
// times a second: a view's bookkeeping per new row cost more than the row itself.
//
// Collaborations: the station adds its filed spots and answers spotters' continents;
// the stations view shows the rows and picks a row's newest spot.
#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/spot.h"

namespace varnak {

enum StationColumn {
  StLast, StFirst, StKhz, StDx, StBand, StMode, StSpots, StSpotters, StSkimmers, StConts,
  StSnr, StWpm, StComment, StEntity, StKm, StDeg, StNeed, StCheck, StColumnCount
};
inline constexpr std::array<const char*, StColumnCount> kStationColumnNames = {
    "Last", "First", "kHz", "DX", "Band", "Mode", "Spots", "Spotters", "Skimmers", "Cont",
    "SNR", "WPM", "Comment", "Entity", "km", "Deg", "Need", "Check"};

struct StationRow {
  // The newest spot, shared with the lists that hold it: a copy per row made the table
  // the biggest thing in memory on a busy evening. Never null.
  std::shared_ptr<const Spot> last;
  std::string firstUtc;
  std::int64_t lastMinute = kUnknownMinute;
  std::uint64_t lastSeq = 0;  // order of arrival of the newest spot
  int spots = 0;
  std::vector<std::string> persons, skimmers;  // distinct spotters
  int bestSnr = kNoValue, wpm = kNoValue;
  std::string personComment;  // the newest comment a person wrote
  bool doubtful = false;      // the node tags the newest skimmer spot "?" or "Q:1"
  static constexpr int kNoValue = -1000;
  // Heard by one skimmer and no person, or doubted by the node.
  bool Unverified() const { return doubtful || (persons.empty() && skimmers.size() == 1); }
};

// The skimmer's figures as the node writes them: "CW 22 dB 25 WPM CQ" gives 22 and 25;
// kNoValue where a figure is missing.
struct SkimmerFigures {
  int snr = StationRow::kNoValue, wpm = StationRow::kNoValue;
  bool doubtful = false;
};
SkimmerFigures ReadSkimmerComment(std::string_view comment);

class StationsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using NowMinuteFn = std::function<std::int64_t()>;
  explicit StationsModel(NowMinuteFn now, QObject* parent = nullptr);
  ~StationsModel() override;

  void SetWindowMinutes(int minutes) { windowMinutes_ = minutes; }
  // The spotters' continents are looked up only when a row is shown: a spotter's call
  // costs a walk of the prefix table the first time.
  using ContinentOf = std::function<std::string(std::string_view spotter)>;
  void SetContinentOf(ContinentOf continentOf) { continentOf_ = std::move(continentOf); }
  void Add(const Spot& spot) { Add(std::make_shared<const Spot>(spot)); }
  void Add(std::shared_ptr<const Spot> spot);
  // Brings the order up to date and drops old rows now, unless held.
  void Reorder();
  // Tells the views of the rows added and changed since the last time, now.
  void Publish();
  static constexpr int kPublishMs = 100;
  void SetHeld(bool held);
  bool Held() const { return held_; }

  // Also rows the views have not heard of yet (they follow the others).
  const StationRow* RowAt(int row) const;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  QString CellText(const StationRow& row, int column) const;

 private:
  void ScheduleReorder();
  void SchedulePublish();
  void Renumber(std::size_t from);

  NowMinuteFn now_;
  ContinentOf continentOf_;
  int windowMinutes_ = 60;
  // Rows live in slots by id; the model's rows are ids in order_. Reordering moves the
  // small ids, never the large rows.
  std::vector<std::unique_ptr<StationRow>> slots_;
  std::vector<std::uint32_t> freeIds_;
  std::vector<std::uint32_t> order_;  // model row -> id
  std::vector<int> indexOf_;          // id -> model row
  std::vector<char> moving_;          // id -> heard again, goes to the end at the next reorder
  std::unordered_map<std::string, std::uint32_t> byKey_;
  std::uint64_t seq_ = 0;
  bool held_ = false;
  std::vector<std::uint32_t> moved_;  // rows heard again since the order was brought up
  QTimer reorderTimer_;
  QTimer expiryTimer_;
  // The views know of the first shown_ rows of order_; of those, changedFirst_ to
  // changedLast_ changed since.
  int shown_ = 0;
  int changedFirst_ = 0, changedLast_ = -1;
  QTimer publishTimer_;
  QElapsedTimer lastPublish_;
};

}  // namespace varnak
