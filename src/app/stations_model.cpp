#include "app/stations_model.h"

#include <algorithm>

#include "app/alert_rules.h"
#include "app/win1252.h"
#include "core/pace.h"
#include "core/text.h"

namespace varnak {

namespace {

constexpr int kReorderDelayMs = 300;
constexpr int kExpiryCheckMs = 60000;

std::string KeyOf(const Spot& spot) {
  std::string key = spot.dx;
  key += '\t';
  key += spot.band;
  key += static_cast<char>('0' + static_cast<int>(*spot.mode));
  return key;
}

bool ParseNumber(std::string_view word, int& out) { return !word.empty() && ParseInt(word, out); }

template <typename T>
void AddDistinct(std::vector<T>& list, const T& value) {
  if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

}  // namespace

SkimmerFigures ReadSkimmerComment(std::string_view comment) {
  SkimmerFigures f;
  std::string_view before;
  while (!comment.empty()) {
    const std::size_t start = comment.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    comment.remove_prefix(start);
    const std::size_t end = std::min(comment.find(' '), comment.size());
    const std::string_view word = comment.substr(0, end);
    comment.remove_prefix(end);
    int n = 0;
    if (word == "dB" && ParseNumber(before, n)) f.snr = n;
    else if (word == "WPM" && ParseNumber(before, n)) f.wpm = n;
    else if (word == "?" || word == "Q:1") f.doubtful = true;
    before = word;
  }
  return f;
}

StationsModel::StationsModel(NowMinuteFn now, QObject* parent) : QAbstractTableModel(parent), now_(std::move(now)) {
  reorderTimer_.setSingleShot(true);
  reorderTimer_.setInterval(kReorderDelayMs);
  connect(&reorderTimer_, &QTimer::timeout, this, &StationsModel::Reorder);
  expiryTimer_.setInterval(kExpiryCheckMs);
  connect(&expiryTimer_, &QTimer::timeout, this, &StationsModel::Reorder);
  expiryTimer_.start();
  publishTimer_.setSingleShot(true);
  connect(&publishTimer_, &QTimer::timeout, this, &StationsModel::Publish);
}

StationsModel::~StationsModel() = default;

void StationsModel::Add(std::shared_ptr<const Spot> shared) {
  const Spot& spot = *shared;
  if (!spot.valid || spot.band.empty() || !spot.mode) return;
  std::string key = KeyOf(spot);
  std::uint32_t id;
  if (const auto it = byKey_.find(key); it != byKey_.end()) {
    id = it->second;
    // A row moves to the end when the order is brought up, unless it is the last one
    // and none waits to move behind it.
    if (!moving_[id] && (indexOf_[id] + 1 != static_cast<int>(order_.size()) || !moved_.empty())) {
      moving_[id] = 1;
      moved_.push_back(id);
    }
  } else {
    if (freeIds_.empty()) {
      id = static_cast<std::uint32_t>(slots_.size());
      slots_.push_back(nullptr);
      indexOf_.push_back(0);
      moving_.push_back(0);
    } else {
      id = freeIds_.back();
      freeIds_.pop_back();
    }
    slots_[id] = std::make_unique<StationRow>();
    slots_[id]->firstUtc = spot.utc;
    indexOf_[id] = static_cast<int>(order_.size());
    order_.push_back(id);
    byKey_.emplace(std::move(key), id);
    if (!moved_.empty()) {  // it belongs after the rows waiting to move
      moving_[id] = 1;
      moved_.push_back(id);
    }
  }
  StationRow* row = slots_[id].get();
  row->last = std::move(shared);
  row->lastMinute = spot.filedMinute;
  row->lastSeq = ++seq_;
  ++row->spots;
  AddDistinct(spot.skimmer ? row->skimmers : row->persons, spot.spotter);
  if (spot.skimmer) {
    const SkimmerFigures f = ReadSkimmerComment(spot.comment);
    row->bestSnr = std::max(row->bestSnr, f.snr);
    if (f.wpm != StationRow::kNoValue) row->wpm = f.wpm;
    row->doubtful = f.doubtful;
  } else {
    if (const std::string_view comment = TrimView(spot.comment); !comment.empty()) row->personComment.assign(comment);
    row->doubtful = false;  // a person heard it
  }
  if (const int at = indexOf_[id]; at < shown_) {
    changedFirst_ = changedLast_ < 0 ? at : std::min(changedFirst_, at);
    changedLast_ = std::max(changedLast_, at);
  }
  SchedulePublish();
  if (!moved_.empty()) ScheduleReorder();
}

// The first change after a quiet spell is shown at once, those of a busy spell together.
void StationsModel::SchedulePublish() {
  if (publishTimer_.isActive()) return;
  if (const int wait = lastPublish_.isValid() ? MsUntilDue(lastPublish_.elapsed(), kPublishMs) : 0; wait == 0)
    Publish();
  else
    publishTimer_.start(wait);
}

void StationsModel::Publish() {
  publishTimer_.stop();
  lastPublish_.start();
  if (changedLast_ >= 0) {
    const int first = changedFirst_, last = changedLast_;
    changedLast_ = -1;
    emit dataChanged(index(first, 0), index(last, StColumnCount - 1));
  }
  const int rows = static_cast<int>(order_.size());
  if (shown_ < rows) {
    beginInsertRows({}, shown_, rows - 1);
    shown_ = rows;
    endInsertRows();
  }
}

void StationsModel::ScheduleReorder() {
  if (!held_ && !reorderTimer_.isActive()) reorderTimer_.start();
}

void StationsModel::SetHeld(bool held) {
  held_ = held;
  if (!held) Reorder();
}

void StationsModel::Renumber(std::size_t from) {
  // Over the small id arrays only: the rows themselves are large and scattered.
  for (std::size_t i = from; i < order_.size(); ++i) indexOf_[order_[i]] = static_cast<int>(i);
}

void StationsModel::Reorder() {
  Publish();
  if (held_) return;
  reorderTimer_.stop();
  if (!moved_.empty()) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> held;
    held.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& i : before) held.push_back(order_[static_cast<std::size_t>(i.row())]);
    // The rows heard again go to the end in the order heard; the others close up.
    std::sort(moved_.begin(), moved_.end(),
              [this](std::uint32_t a, std::uint32_t b) { return slots_[a]->lastSeq < slots_[b]->lastSeq; });
    std::size_t first = order_.size();
    for (std::uint32_t id : moved_) first = std::min(first, static_cast<std::size_t>(indexOf_[id]));
    std::size_t write = first;
    for (std::size_t read = first; read < order_.size(); ++read)
      if (!moving_[order_[read]]) order_[write++] = order_[read];
    for (std::uint32_t id : moved_) {
      moving_[id] = 0;
      order_[write++] = id;
    }
    moved_.clear();
    Renumber(first);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
      after.push_back(index(indexOf_[held[static_cast<std::size_t>(i)]], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  }
  // In order of arrival, the rows heard last before the window are the first ones.
  const std::int64_t now = now_ ? now_() : kUnknownMinute;
  if (now == kUnknownMinute) return;
  std::size_t old = 0;
  while (old < order_.size() && slots_[order_[old]]->lastMinute != kUnknownMinute &&
         now - slots_[order_[old]]->lastMinute >= windowMinutes_)
    ++old;
  if (old == 0) return;
  beginRemoveRows({}, 0, static_cast<int>(old) - 1);
  for (std::size_t i = 0; i < old; ++i) {
    const std::uint32_t id = order_[i];
    byKey_.erase(KeyOf(*slots_[id]->last));
    slots_[id].reset();
    freeIds_.push_back(id);
  }
  order_.erase(order_.begin(), order_.begin() + static_cast<std::ptrdiff_t>(old));
  shown_ -= static_cast<int>(old);
  Renumber(0);
  endRemoveRows();
}

const StationRow* StationsModel::RowAt(int row) const {
  return row >= 0 && row < static_cast<int>(order_.size()) ? slots_[order_[static_cast<std::size_t>(row)]].get() : nullptr;
}

int StationsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

int StationsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : StColumnCount; }

QString StationsModel::CellText(const StationRow& r, int column) const {
  const Spot& s = *r.last;
  const auto figure = [](int n) { return n == StationRow::kNoValue ? QString() : QString::number(n); };
  const auto continents = [this, &r] {
    std::vector<std::string> seen;
    for (const auto* calls : {&r.persons, &r.skimmers})
      for (const std::string& call : *calls)
        if (std::string c = continentOf_ ? continentOf_(call) : std::string(); !c.empty()) AddDistinct(seen, c);
    QStringList out;
    for (const auto& c : seen) out << ToQString(c);
    return out.join(' ');
  };
  switch (column) {
    case StLast: return ToQString(s.utc);
    case StFirst: return ToQString(r.firstUtc);
    case StKhz: return ToQString(s.khzText);
    case StDx: return ToQString(s.dx);
    case StBand: return ToQString(s.band);
    case StMode: return s.mode ? QString::fromLatin1(ModeGroupText(*s.mode)) : QString();
    case StSpots: return QString::number(r.spots);
    case StSpotters: return QString::number(r.persons.size());
    case StSkimmers: return QString::number(r.skimmers.size());
    case StConts: return continents();
    case StSnr: return figure(r.bestSnr);
    case StWpm: return figure(r.wpm);
    case StComment: return ToQString(r.personComment);
    case StEntity: return ToQString(s.entity);
    case StKm: return s.km >= 0 ? QString::number(s.km) : QString();
    case StDeg: return s.deg >= 0 ? QString::number(s.deg) : QString();
    case StNeed: return QString::fromLatin1(NeedMarkTag(s.need));
    case StCheck: return r.Unverified() ? QStringLiteral("unverified") : QString();
    default: return {};
  }
}

QVariant StationsModel::data(const QModelIndex& index, int role) const {
  const StationRow* row = RowAt(index.row());
  if (!row) return {};
  if (role == Qt::DisplayRole) return CellText(*row, index.column());
  if (role == Qt::TextAlignmentRole) {
    switch (index.column()) {
      case StKhz: case StSpots: case StSpotters: case StSkimmers: case StSnr: case StWpm: case StKm: case StDeg:
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      default: break;
    }
  }
  return {};
}

QVariant StationsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= StColumnCount) return {};
  return QString::fromLatin1(kStationColumnNames[static_cast<std::size_t>(section)]);
}

}  // namespace varnak
