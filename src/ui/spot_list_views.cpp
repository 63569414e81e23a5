#include "ui/spot_list_views.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <algorithm>
#include <QStyledItemDelegate>

#include "app/pane_models.h"
#include "app/spot_lists.h"
#include "app/win1252.h"
#include "ui/batched_list_proxy.h"
#include "ui/pane_views.h"
#include "ui/spot_row_style.h"
#include "ui/spot_view_hold.h"

namespace varnak {

namespace {

void SetUpList(QListView* view) {
  view->setFont(FixedPitchFont());
  view->setUniformItemSizes(true);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view->setWordWrap(false);
}

}  // namespace

SpotListView::SpotListView(SpotListModel* model, QWidget* parent)
    : RowScrollArea(parent), model_(model), proxy_(new BatchedListProxy(model, this)) {
  delegate_ = new SpotRowDelegate(
      [this](const QModelIndex& index) { return coloured_ ? model_->SpotAt(proxy_->DataRow(index.row())) : nullptr; },
      [this] { return nowMinute_ ? nowMinute_() : kUnknownMinute; }, this);
  setFont(FixedPitchFont());
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(proxy_, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int first, int last) { RowsInserted(first, last); });
  connect(proxy_, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
    const int gone = last - first + 1;
    if (current_ > last) current_ -= gone;
    else if (current_ >= first) current_ = -1;
    RowsChanged();
  });
  connect(proxy_, &QAbstractItemModel::modelReset, this, [this] {
    current_ = -1;
    MeasureRows();
  });
  connect(proxy_, &QAbstractItemModel::layoutChanged, this, [this] { RowsChanged(); });
  connect(proxy_, &QAbstractItemModel::dataChanged, this, [this] { RowsChanged(); });
  hold_ = new SpotViewHold(this, HoldRows(), proxy_, [this](int row) { return model_->SpotAt(proxy_->DataRow(row)); });
  connect(proxy_, &BatchedListProxy::synced, this, [this] {
    FollowSelection();
    PaintNewRows();
  });
  // A page change selects the newest row again without adding one.
  connect(model, &SpotListModel::selectedRowChanged, proxy_, &BatchedListProxy::RequestSync);
  if (const int shown = proxy_->rowCount(); shown > 0) RowsInserted(0, shown - 1);
  FollowSelection();
}

QAbstractItemModel* SpotListView::model() const { return proxy_; }

void SpotListView::Sync() { proxy_->Sync(); }

void SpotListView::SetShownFilter(std::function<bool(const Spot&)> shows) {
  if (!shows) return proxy_->SetFilter({});
  proxy_->SetFilter([this, shows = std::move(shows)](int row) {
    const Spot* spot = model_->SpotAt(row);
    return !spot || IsMarkerRow(*spot) || shows(*spot);
  });
}

int SpotListView::HiddenCount() const { return proxy_->Hidden(); }

int SpotListView::RowCount() const { return proxy_->rowCount(); }

int SpotListView::Step() const {
  if (delegate_->height > 0) return delegate_->height;
  if (step_ == 0) {
    // As tall as the style makes a line of text in this font, as an item view would.
    QStyleOptionViewItem option;
    InitOption(&option);
    option.viewItemPosition = QStyleOptionViewItem::OnlyOne;
    option.text = QStringLiteral("0");
    option.features = QStyleOptionViewItem::HasDisplay;
    step_ = std::max(1, style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height());
  }
  return step_;
}

QModelIndex SpotListView::currentIndex() const { return current_ >= 0 ? proxy_->index(current_, 0) : QModelIndex(); }

void SpotListView::setCurrentIndex(const QModelIndex& index) {
  SetCurrentRow(index.isValid() && index.model() == proxy_ ? index.row() : -1);
}

QRect SpotListView::visualRect(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != proxy_ || index.row() >= proxy_->rowCount()) return {};
  return RowRect(index.row());
}

QModelIndex SpotListView::indexAt(const QPoint& point) const {
  const int row = RowAt(point.y());
  return row >= 0 ? proxy_->index(row, 0) : QModelIndex();
}

void SpotListView::scrollTo(const QModelIndex& index) {
  if (index.isValid() && index.model() == proxy_) ScrollToRow(index.row());
}

void SpotListView::SetCurrentRow(int row) {
  if (row >= proxy_->rowCount()) row = -1;
  if (row == current_) return;
  UpdateRow(current_);
  current_ = row;
  UpdateRow(current_);
}

void SpotListView::RowsInserted(int first, int last) {
  QStyleOptionViewItem option;
  InitOption(&option);
  option.viewItemPosition = QStyleOptionViewItem::OnlyOne;
  const int before = contentsWidth_;
  for (int row = first; row <= last; ++row) {
    // In the fixed-pitch font a row no longer than the longest so far is no wider, unless
    // it has letters from beyond ASCII, which may come from a wider font.
    const std::string& text = model_->Row(proxy_->DataRow(row));
    if (text.size() <= longest_ &&
        std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
      continue;
    longest_ = std::max(longest_, text.size());
    contentsWidth_ = std::max(contentsWidth_, delegate_->sizeHint(option, proxy_->index(row, 0)).width());
  }
  UpdateBars();
  // A wider row widens every row's background: all is painted again.
  if (contentsWidth_ != before && contentsWidth_ > viewport()->width()) return viewport()->update();
  NoteNewRows(first);
}

void SpotListView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateBars();
  if (current_ >= 0 && !held_) ScrollToRow(current_);
}

void SpotListView::paintEvent(QPaintEvent* event) {
  QStyleOptionViewItem option;
  InitOption(&option);
  option.viewItemPosition = QStyleOptionViewItem::OnlyOne;
  const QStyle::State state = option.state;
  const bool focus = (hasFocus() || viewport()->hasFocus()) && current_ >= 0;
  QPainter painter(viewport());
  const QRect area = event->rect();
  const int step = Step();
  const int top = TopRow();
  const int rows = proxy_->rowCount();
  const int width = std::max(contentsWidth_, viewport()->width());
  const int x = -horizontalScrollBar()->value();
  for (int row = top + std::max(0, area.top()) / step; row < rows; ++row) {
    const int y = (row - top) * step;
    if (y > area.bottom()) break;
    option.rect = QRect(x, y, width, step);
    option.state = state;
    if (row == current_) option.state |= QStyle::State_Selected;
    if (state & QStyle::State_Enabled) option.palette.setCurrentColorGroup(QPalette::Normal);
    if (focus && row == current_) option.state |= QStyle::State_HasFocus;
    delegate_->paint(&painter, option, proxy_->index(row, 0));
  }
}

void SpotListView::FollowSelection() {
  if (held_) {
    followPending_ = true;
    return;
  }
  // A selected row the filter hides: the shown row nearest above it.
  const int row = proxy_->ShownRowAtOrBefore(model_->SelectedRow());
  if (row < 0 || row >= proxy_->rowCount()) return;
  SetCurrentRow(row);
  // A list on a page out of sight is scrolled when its page is shown.
  if (isVisible())
    ScrollToRow(row);
  else
    scrollPending_ = true;
}

void SpotListView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  UpdateBars();
  if (!scrollPending_) return;
  scrollPending_ = false;
  if (current_ >= 0) ScrollToRow(current_);
}

void SpotListView::HoldSelection(bool held) {
  held_ = held;
  hold_->SetHeld(held);
  if (!held && followPending_) {
    followPending_ = false;
    FollowSelection();
  }
}

void SpotListView::SetRowHeight(int pixels) {
  delegate_->height = pixels;
  UpdateBars();
  viewport()->update();
}

int SpotListView::RowHeight() const { return delegate_->height; }

void SpotListView::ColourRows(std::function<std::int64_t()> nowMinute) {
  nowMinute_ = std::move(nowMinute);
  coloured_ = true;
  connect(model_, &SpotListModel::cellsChanged, viewport(), qOverload<>(&QWidget::update));
  viewport()->update();
}

void SpotListView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() != QEvent::FontChange && event->type() != QEvent::StyleChange) return;
  step_ = 0;
  MeasureRows();
}

void SpotListView::MeasureRows() {
  contentsWidth_ = 0;
  longest_ = 0;
  if (const int rows = proxy_->rowCount(); rows > 0) RowsInserted(0, rows - 1);
  RowsChanged();
}

void SpotListView::keyPressEvent(QKeyEvent* event) {
  const int current = current_ >= 0 ? proxy_->SourceRow(current_) : -1;
  if (event == QKeySequence::Copy) {
    if (current >= 0) QApplication::clipboard()->setText(ToQString(model_->Row(current)));
    return event->accept();
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (current >= 0 && event->modifiers().testFlag(Qt::ControlModifier)) emit rowTuned(current);
    else if (current >= 0) emit rowEntered(current);
    return event->accept();
  }
  const int rows = proxy_->rowCount();
  const int row = RowForKey(event->key());
  if (row < 0) return QAbstractScrollArea::keyPressEvent(event);
  event->accept();
  if (rows == 0 || row == current_) return;
  SetCurrentRow(row);
  ScrollToRow(row);
  if (const int source = proxy_->SourceRow(row); source >= 0) emit rowKeyed(source);
}

void SpotListView::mousePressEvent(QMouseEvent* event) {
  const int shown = RowAt(event->position().toPoint().y());
  if (shown < 0) return QAbstractScrollArea::mousePressEvent(event);
  SetCurrentRow(shown);
  const int row = proxy_->SourceRow(shown);
  if (row < 0) return;
  const std::string& text = model_->Row(row);
  emit rowPressed(row, QByteArray(text.data(), static_cast<qsizetype>(text.size())), event->button());
}

void SpotListView::mouseDoubleClickEvent(QMouseEvent* event) {
  const int shown = RowAt(event->position().toPoint().y());
  const int row = shown >= 0 ? proxy_->SourceRow(shown) : -1;
  if (row >= 0) emit rowDoubleClicked(row);
}

SearchResultsView::SearchResultsView(SearchResultsModel* model, QWidget* parent) : QListView(parent) {
  SetUpList(this);
  setModel(model);
}

UserListView::UserListView(UserListModel* model, QWidget* parent) : QTableView(parent) {
  // A listing of the node's users adds them one by one; the view takes them in batches.
  setModel(new BatchedListProxy(model, this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->hide();
  horizontalHeader()->setStretchLastSection(true);
  setShowGrid(false);
}

}  // namespace varnak
