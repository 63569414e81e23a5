#include "ui/spot_list_views.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include "app/pane_models.h"
#include "app/spot_lists.h"
#include "app/win1252.h"
#include "ui/batched_list_proxy.h"
#include "ui/quiet_scroll_bar.h"
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
    : QListView(parent), model_(model), proxy_(new BatchedListProxy(model, this)) {
  SetUpList(this);
  QuietScrollBar::Install(
      this,
      [this](Qt::Orientation o, int value) {
        o == Qt::Vertical ? verticalScrollbarValueChanged(value) : horizontalScrollbarValueChanged(value);
      },
      [this](Qt::Orientation o, int action) {
        o == Qt::Vertical ? verticalScrollbarAction(action) : horizontalScrollbarAction(action);
      });
  setModel(proxy_);
  repaint_ = new AppendOnlyRepaint(this, proxy_, [this](int row) { return visualRect(proxy_->index(row, 0)).top(); });
  hold_ = new SpotViewHold(this, proxy_, [this](int row) { return model_->SpotAt(proxy_->DataRow(row)); });
  connect(proxy_, &BatchedListProxy::synced, this, &SpotListView::FollowSelection);
  // A page change selects the newest row again without adding one.
  connect(model, &SpotListModel::selectedRowChanged, proxy_, &BatchedListProxy::RequestSync);
  FollowSelection();
}

void SpotListView::Sync() { proxy_->Sync(); }

void SpotListView::verticalScrollbarValueChanged(int value) {
  // Qt asks the display server where the pointer is at every scroll, for the row under
  // it; a flood scrolls the list ten times a second, mostly with the pointer elsewhere.
  if (viewport()->underMouse()) QListView::verticalScrollbarValueChanged(value);
}

void SpotListView::updateGeometries() {
  QuietScrollBar::Relayout(this, [this] { QListView::updateGeometries(); });
}

bool SpotListView::event(QEvent* event) {
  // Qt lays the bars out again in a queued call after their range changed.
  if (event->type() != QEvent::MetaCall) return QListView::event(event);
  bool done = false;
  QuietScrollBar::Relayout(this, [&] { done = QListView::event(event); });
  return done;
}

void SpotListView::horizontalScrollbarValueChanged(int value) {
  if (viewport()->underMouse()) QListView::horizontalScrollbarValueChanged(value);
}

void SpotListView::doItemsLayout() {
  if (!repaint_) return QListView::doItemsLayout();  // while being built
  repaint_->Layout([this] { QListView::doItemsLayout(); });
}

void SpotListView::SetShownFilter(std::function<bool(const Spot&)> shows) {
  if (!shows) return proxy_->SetFilter({});
  proxy_->SetFilter([this, shows = std::move(shows)](int row) {
    const Spot* spot = model_->SpotAt(row);
    return !spot || IsMarkerRow(*spot) || shows(*spot);
  });
}

int SpotListView::HiddenCount() const { return proxy_->Hidden(); }

void SpotListView::FollowSelection() {
  if (held_) {
    followPending_ = true;
    return;
  }
  // A selected row the filter hides: the shown row nearest above it.
  const QModelIndex index = proxy_->index(proxy_->ShownRowAtOrBefore(model_->SelectedRow()), 0);
  if (!index.isValid()) return;
  setCurrentIndex(index);
  // A list on a page out of sight is laid out when its page is shown.
  if (isVisible())
    scrollTo(index);
  else
    scrollPending_ = true;
}

void SpotListView::showEvent(QShowEvent* event) {
  QListView::showEvent(event);
  if (!scrollPending_) return;
  scrollPending_ = false;
  scrollTo(currentIndex());
}

void SpotListView::HoldSelection(bool held) {
  held_ = held;
  hold_->SetHeld(held);
  if (!held && followPending_) {
    followPending_ = false;
    FollowSelection();
  }
}

SpotRowDelegate* SpotListView::Delegate() {
  auto* delegate = dynamic_cast<SpotRowDelegate*>(itemDelegate());
  if (!delegate) {
    delegate = new SpotRowDelegate(
        [this](const QModelIndex& index) { return coloured_ ? model_->SpotAt(proxy_->DataRow(index.row())) : nullptr; },
        [this] { return nowMinute_ ? nowMinute_() : kUnknownMinute; }, this);
    setItemDelegate(delegate);
  }
  return delegate;
}

void SpotListView::SetRowHeight(int pixels) {
  Delegate()->height = pixels;
  doItemsLayout();
  viewport()->update();
}

int SpotListView::RowHeight() const {
  auto* delegate = dynamic_cast<SpotRowDelegate*>(itemDelegate());
  return delegate ? delegate->height : 0;
}

void SpotListView::ColourRows(std::function<std::int64_t()> nowMinute) {
  nowMinute_ = std::move(nowMinute);
  coloured_ = true;
  Delegate();
  connect(model_, &SpotListModel::cellsChanged, viewport(), qOverload<>(&QWidget::update));
}

void SpotListView::keyPressEvent(QKeyEvent* event) {
  const QModelIndex before = currentIndex();
  const int current = before.isValid() ? proxy_->SourceRow(before.row()) : -1;
  if (event == QKeySequence::Copy) {
    if (current >= 0) QApplication::clipboard()->setText(ToQString(model_->Row(current)));
    return event->accept();
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (current >= 0 && event->modifiers().testFlag(Qt::ControlModifier)) emit rowTuned(current);
    else if (current >= 0) emit rowEntered(current);
    return event->accept();
  }
  QListView::keyPressEvent(event);
  const QModelIndex now = currentIndex();
  if (!now.isValid() || now == before) return;
  const int row = proxy_->SourceRow(now.row());
  if (row < 0) return;
  emit rowKeyed(row);
}

void SpotListView::mousePressEvent(QMouseEvent* event) {
  QListView::mousePressEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return;
  const int row = proxy_->SourceRow(index.row());
  if (row < 0) return;
  const std::string& text = model_->Row(row);
  emit rowPressed(row, QByteArray(text.data(), static_cast<qsizetype>(text.size())), event->button());
}

void SpotListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QListView::mouseDoubleClickEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  const int row = index.isValid() ? proxy_->SourceRow(index.row()) : -1;
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
