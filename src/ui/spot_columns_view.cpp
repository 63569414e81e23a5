#include "ui/spot_columns_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <algorithm>

#include "app/spot_lists.h"
#include "app/win1252.h"
#include "ui/batched_list_proxy.h"
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
    : RowScrollArea(parent), plain_(plain) {
  columns_ = new SpotColumnsModel(plain->shownModel(), plain->spotModel(), now, this);
  sorter_ = new SpotSortProxy(this);
  sorter_->setSourceModel(columns_);
  sorter_->setDynamicSortFilter(true);
  delegate_ = new SpotRowDelegate(
      [this](const QModelIndex& index) { return columns_->Info(sorter_->mapToSource(index).row()); }, now, this);
  delegate_->khzColumn = ColKhz;
  header_ = new QHeaderView(Qt::Horizontal, this);
  header_->setModel(sorter_);
  setFont(plain->font());
  // The rows take the list's fixed-pitch font; the header keeps the desktop's.
  header_->setFont(QApplication::font(header_));
  header_->setSectionsMovable(true);
  header_->setSectionsClickable(true);
  header_->setHighlightSections(false);
  header_->setContextMenuPolicy(Qt::CustomContextMenu);
  for (int c = 0; c < ColCount; ++c) header_->resizeSection(c, kDefaultWidths[static_cast<std::size_t>(c)]);
  connect(header_, &QHeaderView::sectionClicked, this, &SpotColumnsView::HeaderClicked);
  connect(header_, &QHeaderView::customContextMenuRequested, this, &SpotColumnsView::ShowHeaderMenu);
  connect(header_, &QHeaderView::geometriesChanged, this, &SpotColumnsView::LayOut);
  const auto edited = [this] {
    UpdateStripeColumn();
    UpdateBars();
    if (!applying_) emit layoutEdited();
  };
  connect(header_, &QHeaderView::sectionResized, this, edited);
  connect(header_, &QHeaderView::sectionHandleDoubleClicked, this, &SpotColumnsView::FitColumn);
  connect(header_, &QHeaderView::sectionMoved, this, edited);
  SetRowHeight(0);

  connect(sorter_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int) {
    UpdateBars();
    // Sorted, the new rows may land anywhere and push the rest down.
    if (SortColumn() >= 0) return viewport()->update();
    NoteNewRows(first);
  });
  const auto changed = [this] { RowsChanged(); };
  connect(sorter_, &QAbstractItemModel::rowsRemoved, this, changed);
  connect(sorter_, &QAbstractItemModel::modelReset, this, changed);
  connect(sorter_, &QAbstractItemModel::layoutChanged, this, changed);
  connect(sorter_, &QAbstractItemModel::dataChanged, this, changed);
  hold_ = new SpotViewHold(this, HoldRows(), plain->shownModel(),
                           [this](int row) { return columns_->Info(sorter_->mapToSource(sorter_->index(row, 0)).row()); });
  connect(plain->shownModel(), &BatchedListProxy::synced, this, [this] {
    FollowSelection();
    PaintNewRows();
  });
  connect(plain->spotModel(), &SpotListModel::cellsChanged, this, &SpotColumnsView::CellsChanged);
  UpdateStripeColumn();
  FollowSelection();
}

QAbstractItemModel* SpotColumnsView::model() const { return sorter_; }

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
  header_->setSortIndicatorShown(true);
  header_->setSortIndicator(column, order);
}

void SpotColumnsView::SortInTimeOrder() {
  sorter_->sort(-1);
  header_->setSortIndicatorShown(false);
  FollowSelection();
}

void SpotColumnsView::HeaderClicked(int column) {
  if (SortColumn() != column) return SortBy(column, Qt::AscendingOrder);
  if (sorter_->sortOrder() == Qt::AscendingOrder) return SortBy(column, Qt::DescendingOrder);
  SortInTimeOrder();
}

void SpotColumnsView::ShowHeaderMenu(const QPoint& at) {
  QMenu menu(this);
  int shown = 0;
  for (int c = 0; c < ColCount; ++c) shown += header_->isSectionHidden(c) ? 0 : 1;
  for (int c = 0; c < ColCount; ++c) {
    QAction* action = menu.addAction(kSpotColumnNames[static_cast<std::size_t>(c)]);
    action->setCheckable(true);
    action->setChecked(!header_->isSectionHidden(c));
    action->setEnabled(header_->isSectionHidden(c) || shown > 1);  // one column always stays
    connect(action, &QAction::toggled, this, [this, c](bool on) {
      header_->setSectionHidden(c, !on);
      UpdateStripeColumn();
      emit layoutEdited();
    });
  }
  menu.exec(header_->mapToGlobal(at));
}

void SpotColumnsView::UpdateStripeColumn() {
  for (int v = 0; v < header_->count(); ++v) {
    const int logical = header_->logicalIndex(v);
    if (!header_->isSectionHidden(logical)) {
      delegate_->stripeColumn = logical;
      break;
    }
  }
  viewport()->update();
}

SpotColumnsView::Layout SpotColumnsView::CurrentLayout() const {
  QStringList order, widths, hidden;
  for (int v = 0; v < header_->count(); ++v) {
    const int logical = header_->logicalIndex(v);
    order << kSpotColumnNames[static_cast<std::size_t>(logical)];
    // A hidden section reports width 0: keep the width it comes back with.
    widths << QString::number(header_->isSectionHidden(logical) ? header_->defaultSectionSize()
                                                                : header_->sectionSize(logical));
    if (header_->isSectionHidden(logical)) hidden << kSpotColumnNames[static_cast<std::size_t>(logical)];
  }
  return {order.join(','), widths.join(','), hidden.join(',')};
}

void SpotColumnsView::ApplyLayout(const Layout& layout) {
  applying_ = true;
  const QStringList order = layout.order.split(',', Qt::SkipEmptyParts);
  const QStringList widths = layout.widths.split(',', Qt::SkipEmptyParts);
  int visual = 0;
  for (int i = 0; i < order.size(); ++i) {
    const int logical = ColumnOfName(order[i].trimmed());
    if (logical < 0 || header_->visualIndex(logical) < visual) continue;  // unknown or named twice
    header_->moveSection(header_->visualIndex(logical), visual++);
    bool ok = false;
    const int width = i < widths.size() ? widths[i].toInt(&ok) : 0;
    if (ok && width >= 8 && width <= 2000) header_->resizeSection(logical, width);
  }
  const QStringList hidden = layout.hidden.split(',', Qt::SkipEmptyParts);
  int shown = ColCount;
  for (int c = 0; c < ColCount; ++c) {
    const bool hide = hidden.contains(kSpotColumnNames[static_cast<std::size_t>(c)]) && shown > 1;
    header_->setSectionHidden(c, hide);
    shown -= hide ? 1 : 0;
  }
  applying_ = false;
  UpdateStripeColumn();
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
  if (row < 0 || row >= sorter_->rowCount()) return;
  // The start marker after a restart: the newest rows in view, no spot selected.
  SetCurrentRow(Selectable(row) ? row : -1);
  if (isVisible())
    ScrollToRow(row);
  else
    scrollPending_ = true;
}

void SpotColumnsView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  LayOut();
  if (!scrollPending_) return;
  scrollPending_ = false;
  if (CurrentRow() >= 0) ScrollToRow(CurrentRow());
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

int SpotColumnsView::RowCount() const { return sorter_->rowCount(); }
int SpotColumnsView::Step() const {
  if (delegate_->height > 0) return delegate_->height;
  if (step_ == 0) step_ = std::max(1, fontMetrics().height() + 4);
  return step_;
}
int SpotColumnsView::ContentsWidth() const { return header_->length(); }

int SpotColumnsView::CurrentRow() const { return current_.isValid() ? current_.row() : -1; }

QModelIndex SpotColumnsView::currentIndex() const { return current_.isValid() ? sorter_->index(current_.row(), 0) : QModelIndex(); }

void SpotColumnsView::setCurrentIndex(const QModelIndex& index) {
  SetCurrentRow(index.isValid() && index.model() == sorter_ && Selectable(index.row()) ? index.row() : -1);
}

bool SpotColumnsView::Selectable(int row) const {
  return (sorter_->flags(sorter_->index(row, 0)) & Qt::ItemIsSelectable) != 0;
}

QRect SpotColumnsView::visualRect(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != sorter_ || header_->isSectionHidden(index.column())) return {};
  const QRect row = RowRect(index.row());
  return {header_->sectionViewportPosition(index.column()), row.top(), header_->sectionSize(index.column()), row.height()};
}

QModelIndex SpotColumnsView::indexAt(const QPoint& point) const {
  const int row = RowAt(point.y());
  const int column = header_->logicalIndexAt(point.x());
  return row >= 0 && column >= 0 ? sorter_->index(row, column) : QModelIndex();
}

void SpotColumnsView::scrollTo(const QModelIndex& index) {
  if (index.isValid() && index.model() == sorter_) ScrollToRow(index.row());
}

void SpotColumnsView::SetCurrentRow(int row) {
  if (row >= sorter_->rowCount()) row = -1;
  if (row == CurrentRow()) return;
  UpdateRow(CurrentRow());
  current_ = row >= 0 ? QPersistentModelIndex(sorter_->index(row, 0)) : QPersistentModelIndex();
  UpdateRow(row);
}

void SpotColumnsView::LayOut() {
  const int height = std::clamp(header_->sizeHint().height(), header_->minimumHeight(), header_->maximumHeight());
  setViewportMargins(0, height, 0, 0);
  const QRect area = viewport()->geometry();
  header_->setGeometry(area.left(), area.top() - height, area.width(), height);
  UpdateBars();
}

void SpotColumnsView::scrollContentsBy(int dx, int dy) {
  header_->setOffset(horizontalScrollBar()->value());
  RowScrollArea::scrollContentsBy(dx, dy);
}

void SpotColumnsView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  LayOut();
  if (CurrentRow() >= 0 && !held_) ScrollToRow(CurrentRow());
}

void SpotColumnsView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() != QEvent::FontChange && event->type() != QEvent::StyleChange) return;
  step_ = 0;
  LayOut();
  viewport()->update();
}

void SpotColumnsView::SetRowHeight(int pixels) {
  delegate_->height = pixels;
  UpdateBars();
  viewport()->update();
}

void SpotColumnsView::paintEvent(QPaintEvent* event) {
  // What a table view hands its delegate: the selection covers the whole cell.
  QStyleOptionViewItem option;
  InitOption(&option);
  option.showDecorationSelected = true;
  const QStyle::State state = option.state;
  QPainter painter(viewport());
  const QRect area = event->rect();
  const int step = Step();
  const int top = TopRow();
  const int rows = sorter_->rowCount();
  const int current = CurrentRow();
  int first = header_->visualIndexAt(area.left()), last = header_->visualIndexAt(area.right());
  if (first < 0) first = 0;
  if (last < 0) last = header_->count() - 1;
  for (int row = top + std::max(0, area.top()) / step; row < rows; ++row) {
    const int y = (row - top) * step;
    if (y > area.bottom()) break;
    // A row's flags are its spot's: one look for all its cells.
    QStyle::State rowState = state;
    if (state & QStyle::State_Enabled) {
      const bool enabled = sorter_->flags(sorter_->index(row, 0)) & Qt::ItemIsEnabled;
      if (!enabled) rowState &= ~QStyle::State_Enabled;
      option.palette.setCurrentColorGroup(enabled ? QPalette::Normal : QPalette::Disabled);
    }
    if (row == current) rowState |= QStyle::State_Selected;
    for (int v = first; v <= last; ++v) {
      const int column = header_->logicalIndex(v);
      if (header_->isSectionHidden(column)) continue;
      option.rect = QRect(header_->sectionViewportPosition(column), y, header_->sectionSize(column), step);
      option.state = rowState;
      if (row == current) style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
      delegate_->paint(&painter, option, sorter_->index(row, column));
    }
  }
}

void SpotColumnsView::FitColumn(int column) {
  // As wide as the column's header and its cells in view need, as in any table.
  QStyleOptionViewItem option;
  InitOption(&option);
  int width = header_->sectionSizeHint(column);
  const int top = TopRow(), end = std::min(sorter_->rowCount(), top + RowsInView() + 1);
  for (int row = top; row < end; ++row)
    width = std::max(width, delegate_->sizeHint(option, sorter_->index(row, column)).width());
  header_->resizeSection(column, width);
}

void SpotColumnsView::mousePressEvent(QMouseEvent* event) {
  const int shown = RowAt(event->position().toPoint().y());
  if (shown < 0 || !Selectable(shown)) return QAbstractScrollArea::mousePressEvent(event);
  SetCurrentRow(shown);
  const int row = ListRowAt(shown);
  if (row >= 0) emit rowPressed(row, event->button());
}

void SpotColumnsView::mouseDoubleClickEvent(QMouseEvent* event) {
  const int shown = RowAt(event->position().toPoint().y());
  const int row = shown >= 0 && Selectable(shown) ? ListRowAt(shown) : -1;
  if (row >= 0) emit rowDoubleClicked(row);
}

void SpotColumnsView::keyPressEvent(QKeyEvent* event) {
  const int current = CurrentRow();
  const int listRow = current >= 0 ? ListRowAt(current) : -1;
  if (event == QKeySequence::Copy) {
    if (listRow >= 0) QApplication::clipboard()->setText(ToQString(plain_->spotModel()->Row(listRow)));
    return event->accept();
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (listRow >= 0 && event->modifiers().testFlag(Qt::ControlModifier)) emit rowTuned(listRow);
    else if (listRow >= 0) emit rowEntered(listRow);
    return event->accept();
  }
  const int rows = sorter_->rowCount();
  int row = RowForKey(event->key());
  if (row < 0) return QAbstractScrollArea::keyPressEvent(event);
  event->accept();
  // The start marker is passed over, in the way the key moves.
  const int key = event->key();
  const int towards = key == Qt::Key_Up || key == Qt::Key_PageUp || key == Qt::Key_End ? -1 : 1;
  while (row >= 0 && row < rows && !Selectable(row)) row += towards;
  if (row < 0 || row >= rows || row == current) return;
  SetCurrentRow(row);
  ScrollToRow(row);
  if (const int source = ListRowAt(row); source >= 0) emit rowKeyed(source);
}

}  // namespace varnak
