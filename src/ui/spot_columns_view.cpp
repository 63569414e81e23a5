#include "ui/spot_columns_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "app/spot_lists.h"
#include "app/win1252.h"
#include "ui/batched_list_proxy.h"
#include "ui/quiet_scroll_bar.h"
#include "ui/spot_list_views.h"
#include "ui/spot_row_style.h"
#include "ui/spot_view_hold.h"

namespace varnak {

namespace {

constexpr std::array<int, ColCount> kDefaultWidths = {52, 78, 96, 44, 150, 42, 56, 42, 250, 92, 42};

QString Text(const std::string& s) { return ToQString(s); }

// Rank of a mark for sorting: the most wanted first; -1 for nothing to sort by.
int MarkRank(NeedMark mark) {
  switch (mark) {
    case NeedMark::NewEntity: return 0;
    case NeedMark::NewBand: return 1;
    case NeedMark::NewMode: return 2;
    case NeedMark::Unconfirmed: return 3;
    case NeedMark::None: break;
  }
  return -1;
}

std::int64_t AgeOf(const Spot& info, std::int64_t now) {
  if (info.filedMinute == kUnknownMinute || now == kUnknownMinute) return -1;
  return std::max<std::int64_t>(0, now - info.filedMinute);
}

int ColumnOfName(const QString& name) {
  for (int c = 0; c < ColCount; ++c)
    if (name == QLatin1String(kSpotColumnNames[static_cast<std::size_t>(c)])) return c;
  return -1;
}

}  // namespace

QString SpotCellText(const Spot& info, int column, std::int64_t nowMinute) {
  if (!info.valid) return column == ColComment ? Text(info.comment) : QString();
  switch (column) {
    case ColUtc: return Text(info.utc);
    case ColKhz: return Text(info.khzText);
    case ColDx: return Text(info.dx);
    case ColNeed: return Text(std::string(NeedMarkTag(info.need)));
    case ColEntity: return Text(info.entity);
    case ColCont: return Text(info.continent);
    case ColKm: return info.km >= 0 ? QString::number(info.km) : QString();
    case ColDeg: return info.deg >= 0 ? QString::number(info.deg) : QString();
    case ColComment: return Text(info.comment);
    case ColSpotter: return Text(info.spotter);
    case ColAge: {
      const std::int64_t age = AgeOf(info, nowMinute);
      return age >= 0 ? QString::number(age) : QString();
    }
    default: return {};
  }
}

SpotColumnsModel::SpotColumnsModel(BatchedListProxy* rows, const SpotListModel* list, NowMinuteFn now,
                                   QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), list_(list), now_(std::move(now)) {
  // The rows are exactly the proxy's: its batches become ours.
  connect(rows, &QAbstractItemModel::rowsAboutToBeInserted, this,
          [this](const QModelIndex&, int first, int last) { beginInsertRows({}, first, last); });
  connect(rows, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
  connect(rows, &QAbstractItemModel::rowsAboutToBeRemoved, this,
          [this](const QModelIndex&, int first, int last) { beginRemoveRows({}, first, last); });
  connect(rows, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); });
  connect(rows, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
  connect(rows, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
}

int SpotColumnsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_->rowCount(); }
int SpotColumnsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColCount; }

Qt::ItemFlags SpotColumnsModel::flags(const QModelIndex& index) const {
  const Spot* info = index.isValid() ? Info(index.row()) : nullptr;
  if (info && IsMarkerRow(*info)) return Qt::ItemIsEnabled;
  return QAbstractTableModel::flags(index);
}

const Spot* SpotColumnsModel::Info(int row) const { return list_->SpotAt(rows_->DataRow(row)); }
int SpotColumnsModel::ListRow(int row) const { return rows_->SourceRow(row); }

QVariant SpotColumnsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::TextAlignmentRole) {
    switch (index.column()) {
      case ColKhz: case ColKm: case ColDeg: case ColAge:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      default: return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
  }
  if (role != Qt::DisplayRole) return {};
  const Spot* info = Info(index.row());
  return info ? SpotCellText(*info, index.column(), NowMinute()) : QString();
}

QVariant SpotColumnsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ColCount) return {};
  if (role == Qt::DisplayRole) return QString(kSpotColumnNames[static_cast<std::size_t>(section)]);
  if (role == Qt::ToolTipRole) {
    switch (section) {
      case ColKm: return QString("Distance in km");
      case ColDeg: return QString("Short-path bearing in degrees");
      case ColAge: return QString("Minutes since the spot came in");
      case ColNeed: return QString("What your log still needs: NEW entity, BAND, MODE, CFM? (unconfirmed)");
      default: break;
    }
  }
  return {};
}

bool SpotSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const auto* model = static_cast<const SpotColumnsModel*>(sourceModel());
  const Spot* a = model->Info(left.row());
  const Spot* b = model->Info(right.row());
  const int column = left.column();
  const std::int64_t now = model->NowMinute();
  const bool numeric = column == ColKhz || column == ColKm || column == ColDeg || column == ColAge || column == ColNeed;
  bool aMissing = true, bMissing = true, less = false;
  if (numeric) {
    // -1: the row has nothing to sort by in this column.
    const auto number = [&](const Spot* i) -> double {
      if (!i || !i->valid) return -1;
      switch (column) {
        case ColKhz: return i->khz;
        case ColKm: return i->km;
        case ColDeg: return i->deg;
        case ColAge: return static_cast<double>(AgeOf(*i, now));
        default: return MarkRank(i->need);
      }
    };
    const double na = number(a), nb = number(b);
    aMissing = na < 0;
    bMissing = nb < 0;
    less = na < nb;
  } else {
    const auto text = [&](const Spot* i) -> const std::string* {
      if (!i || !i->valid) return nullptr;
      switch (column) {
        case ColUtc: return &i->utc;
        case ColDx: return &i->dx;
        case ColEntity: return i->entity.empty() ? nullptr : &i->entity;
        case ColCont: return i->continent.empty() ? nullptr : &i->continent;
        case ColComment: return &i->comment;
        case ColSpotter: return &i->spotter;
        default: return nullptr;
      }
    };
    const std::string *ta = text(a), *tb = text(b);
    aMissing = !ta;
    bMissing = !tb;
    less = ta && tb && *ta < *tb;
  }
  // Missing keys go last in either order (Qt sorts descending by asking lessThan(b, a)).
  if (aMissing != bMissing) return sortOrder() == Qt::AscendingOrder ? bMissing : aMissing;
  return !aMissing && less;
}

SpotColumnsView::SpotColumnsView(SpotListView* plain, NowMinuteFn now, QWidget* parent)
    : QTableView(parent), plain_(plain) {
  QuietScrollBar::Install(
      this,
      [this](Qt::Orientation o, int value) {
        o == Qt::Vertical ? verticalScrollbarValueChanged(value) : horizontalScrollbarValueChanged(value);
      },
      [this](Qt::Orientation o, int action) {
        o == Qt::Vertical ? verticalScrollbarAction(action) : horizontalScrollbarAction(action);
      });
  columns_ = new SpotColumnsModel(plain->shownModel(), plain->spotModel(), now, this);
  sorter_ = new SpotSortProxy(this);
  sorter_->setSourceModel(columns_);
  sorter_->setDynamicSortFilter(true);
  setModel(sorter_);
  // The header shows nothing of the selection (its sections are not highlighted), yet
  // repaints itself whenever the selected row moves: with every batch of spots.
  disconnect(selectionModel(), nullptr, horizontalHeader(), nullptr);
  // The table repaints all it shows after each batch. Repainting only the appended rows, as
  // the one-column list does, left rows of the pass before on an X display, drawn over
  // each other, while the table scrolled to the newest row.
  delegate_ = new SpotRowDelegate(
      [this](const QModelIndex& index) { return columns_->Info(sorter_->mapToSource(index).row()); }, now, this);
  delegate_->khzColumn = ColKhz;
  setItemDelegate(delegate_);
  hold_ = new SpotViewHold(this, plain->shownModel(),
                           [this](int row) { return columns_->Info(sorter_->mapToSource(sorter_->index(row, 0)).row()); });
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setShowGrid(false);
  setFont(plain->font());
  verticalHeader()->hide();
  QHeaderView* header = horizontalHeader();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  for (int c = 0; c < ColCount; ++c) header->resizeSection(c, kDefaultWidths[static_cast<std::size_t>(c)]);
  SetRowHeight(0);
  connect(header, &QHeaderView::sectionClicked, this, &SpotColumnsView::HeaderClicked);
  connect(header, &QHeaderView::customContextMenuRequested, this, &SpotColumnsView::ShowHeaderMenu);
  const auto edited = [this] {
    UpdateStripeColumn();
    if (!applying_) emit layoutEdited();
  };
  connect(header, &QHeaderView::sectionResized, this, edited);
  connect(header, &QHeaderView::sectionMoved, this, edited);
  connect(plain->shownModel(), &BatchedListProxy::synced, this, &SpotColumnsView::FollowSelection);
  connect(plain->spotModel(), &SpotListModel::cellsChanged, this, &SpotColumnsView::CellsChanged);
  FollowSelection();
}

int SpotColumnsView::ListRowAt(int viewRow) const {
  const QModelIndex source = sorter_->mapToSource(sorter_->index(viewRow, 0));
  return source.isValid() ? columns_->ListRow(source.row()) : -1;
}

int SpotColumnsView::ViewRowOf(int listRow) const {
  const QModelIndex source = columns_->index(plain_->shownModel()->ShownRow(listRow), 0);
  return sorter_->mapFromSource(source).row();
}

void SpotColumnsView::SortBy(int column, Qt::SortOrder order) {
  sorter_->sort(column, order);
  horizontalHeader()->setSortIndicatorShown(true);
  horizontalHeader()->setSortIndicator(column, order);
}

void SpotColumnsView::SortInTimeOrder() {
  sorter_->sort(-1);
  horizontalHeader()->setSortIndicatorShown(false);
  FollowSelection();
}

void SpotColumnsView::HeaderClicked(int column) {
  if (SortColumn() != column) return SortBy(column, Qt::AscendingOrder);
  if (sorter_->sortOrder() == Qt::AscendingOrder) return SortBy(column, Qt::DescendingOrder);
  SortInTimeOrder();
}

void SpotColumnsView::ShowHeaderMenu(const QPoint& at) {
  QMenu menu(this);
  QHeaderView* header = horizontalHeader();
  int shown = 0;
  for (int c = 0; c < ColCount; ++c) shown += header->isSectionHidden(c) ? 0 : 1;
  for (int c = 0; c < ColCount; ++c) {
    QAction* action = menu.addAction(kSpotColumnNames[static_cast<std::size_t>(c)]);
    action->setCheckable(true);
    action->setChecked(!header->isSectionHidden(c));
    action->setEnabled(header->isSectionHidden(c) || shown > 1);  // one column always stays
    connect(action, &QAction::toggled, this, [this, c](bool on) {
      horizontalHeader()->setSectionHidden(c, !on);
      UpdateStripeColumn();
      emit layoutEdited();
    });
  }
  menu.exec(header->mapToGlobal(at));
}

void SpotColumnsView::UpdateStripeColumn() {
  QHeaderView* header = horizontalHeader();
  for (int v = 0; v < header->count(); ++v) {
    const int logical = header->logicalIndex(v);
    if (!header->isSectionHidden(logical)) {
      delegate_->stripeColumn = logical;
      break;
    }
  }
  viewport()->update();
}

SpotColumnsView::Layout SpotColumnsView::CurrentLayout() const {
  QHeaderView* header = horizontalHeader();
  QStringList order, widths, hidden;
  for (int v = 0; v < header->count(); ++v) {
    const int logical = header->logicalIndex(v);
    order << kSpotColumnNames[static_cast<std::size_t>(logical)];
    // A hidden section reports width 0: keep the width it comes back with.
    widths << QString::number(header->isSectionHidden(logical) ? header->defaultSectionSize()
                                                                : header->sectionSize(logical));
    if (header->isSectionHidden(logical)) hidden << kSpotColumnNames[static_cast<std::size_t>(logical)];
  }
  return {order.join(','), widths.join(','), hidden.join(',')};
}

void SpotColumnsView::ApplyLayout(const Layout& layout) {
  applying_ = true;
  QHeaderView* header = horizontalHeader();
  const QStringList order = layout.order.split(',', Qt::SkipEmptyParts);
  const QStringList widths = layout.widths.split(',', Qt::SkipEmptyParts);
  int visual = 0;
  for (int i = 0; i < order.size(); ++i) {
    const int logical = ColumnOfName(order[i].trimmed());
    if (logical < 0 || header->visualIndex(logical) < visual) continue;  // unknown or named twice
    header->moveSection(header->visualIndex(logical), visual++);
    bool ok = false;
    const int width = i < widths.size() ? widths[i].toInt(&ok) : 0;
    if (ok && width >= 8 && width <= 2000) header->resizeSection(logical, width);
  }
  const QStringList hidden = layout.hidden.split(',', Qt::SkipEmptyParts);
  int shown = ColCount;
  for (int c = 0; c < ColCount; ++c) {
    const bool hide = hidden.contains(kSpotColumnNames[static_cast<std::size_t>(c)]) && shown > 1;
    header->setSectionHidden(c, hide);
    shown -= hide ? 1 : 0;
  }
  applying_ = false;
  UpdateStripeColumn();
}

void SpotColumnsView::SetRowHeight(int pixels) {
  delegate_->height = pixels;
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(pixels > 0 ? pixels : fontMetrics().height() + 4);
}

void SpotColumnsView::FollowSelection() {
  if (held_) {
    followPending_ = true;
    return;
  }
  // A sorted view stays where the operator looks; the newest row takes its place.
  if (SortColumn() >= 0) return;
  // A selected row the filter hides: the shown row nearest above it.
  const int shown = plain_->shownModel()->ShownRowAtOrBefore(plain_->spotModel()->SelectedRow());
  const int row = sorter_->mapFromSource(columns_->index(shown, 0)).row();
  const QModelIndex index = sorter_->index(row, 0);
  if (!index.isValid()) return;
  if (sorter_->flags(index) & Qt::ItemIsSelectable) {
    setCurrentIndex(index);
  } else {
    // The start marker after a restart: the newest rows in view, no spot selected.
    selectionModel()->clear();
  }
  if (isVisible())
    scrollTo(index);
  else
    scrollPending_ = true;
}

void SpotColumnsView::showEvent(QShowEvent* event) {
  QTableView::showEvent(event);
  if (!scrollPending_) return;
  scrollPending_ = false;
  scrollTo(currentIndex());
}

void SpotColumnsView::verticalScrollbarValueChanged(int value) {
  // Qt asks the display server where the pointer is at every scroll, for the row under
  // it; a flood scrolls the list ten times a second, mostly with the pointer elsewhere.
  if (viewport()->underMouse()) QTableView::verticalScrollbarValueChanged(value);
}

void SpotColumnsView::updateGeometries() {
  QuietScrollBar::Relayout(this, [this] { QTableView::updateGeometries(); });
}

bool SpotColumnsView::event(QEvent* event) {
  // Qt lays the bars out again in a queued call after their range changed.
  if (event->type() != QEvent::MetaCall) return QTableView::event(event);
  bool done = false;
  QuietScrollBar::Relayout(this, [&] { done = QTableView::event(event); });
  return done;
}

void SpotColumnsView::horizontalScrollbarValueChanged(int value) {
  if (viewport()->underMouse()) QTableView::horizontalScrollbarValueChanged(value);
}


void SpotColumnsView::HoldSelection(bool held) {
  held_ = held;
  hold_->SetHeld(held);
  if (!held && followPending_) {
    followPending_ = false;
    FollowSelection();
  }
}

void SpotColumnsView::CellsChanged() {
  // Entities and marks filled in later may change a sorted view's order.
  if (SortColumn() >= 0) sorter_->invalidate();
  viewport()->update();
}

void SpotColumnsView::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return;
  const int row = ListRowAt(index.row());
  if (row < 0 || !(sorter_->flags(index) & Qt::ItemIsSelectable)) return;
  emit rowPressed(row, event->button());
}

void SpotColumnsView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  const int row = index.isValid() && (sorter_->flags(index) & Qt::ItemIsSelectable) ? ListRowAt(index.row()) : -1;
  if (row >= 0) emit rowDoubleClicked(row);
}

void SpotColumnsView::keyPressEvent(QKeyEvent* event) {
  const QModelIndex before = currentIndex();
  const int listRow = before.isValid() ? ListRowAt(before.row()) : -1;
  if (event == QKeySequence::Copy) {
    if (listRow >= 0) QApplication::clipboard()->setText(ToQString(plain_->spotModel()->Row(listRow)));
    return event->accept();
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (listRow >= 0 && event->modifiers().testFlag(Qt::ControlModifier)) emit rowTuned(listRow);
    else if (listRow >= 0) emit rowEntered(listRow);
    return event->accept();
  }
  QTableView::keyPressEvent(event);
  const QModelIndex now = currentIndex();
  if (!now.isValid() || (before.isValid() && now.row() == before.row())) return;
  if (!(sorter_->flags(now) & Qt::ItemIsSelectable)) return;  // the start marker
  const int row = ListRowAt(now.row());
  if (row >= 0) emit rowKeyed(row);
}

}  // namespace varnak
