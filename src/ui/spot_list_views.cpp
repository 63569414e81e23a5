#include "ui/spot_list_views.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include "app/pane_models.h"
#include "app/spot_lists.h"
#include "ui/batched_list_proxy.h"
#include "ui/pane_views.h"

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

class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (height > 0) size.setHeight(height);
    return size;
  }
  int height = 0;
};

}  // namespace

SpotListView::SpotListView(SpotListModel* model, QWidget* parent)
    : QListView(parent), model_(model), proxy_(new BatchedListProxy(model, this)) {
  SetUpList(this);
  setModel(proxy_);
  connect(proxy_, &BatchedListProxy::synced, this, &SpotListView::FollowSelection);
  // A page change selects the newest row again without adding one.
  connect(model, &SpotListModel::selectedRowChanged, proxy_, &BatchedListProxy::RequestSync);
  FollowSelection();
}

void SpotListView::Sync() { proxy_->Sync(); }

void SpotListView::FollowSelection() {
  if (held_) {
    followPending_ = true;
    return;
  }
  const QModelIndex index = proxy_->index(proxy_->ShownRow(model_->SelectedRow()), 0);
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
  if (!held && followPending_) {
    followPending_ = false;
    FollowSelection();
  }
}

void SpotListView::SetRowHeight(int pixels) {
  auto* delegate = dynamic_cast<FixedHeightDelegate*>(itemDelegate());
  if (!delegate) {
    delegate = new FixedHeightDelegate(this);
    setItemDelegate(delegate);
  }
  delegate->height = pixels;
  doItemsLayout();
}

void SpotListView::keyPressEvent(QKeyEvent* event) {
  const QModelIndex before = currentIndex();
  QListView::keyPressEvent(event);
  const QModelIndex now = currentIndex();
  if (!now.isValid() || now == before) return;
  const int row = proxy_->SourceRow(now.row());
  if (row < 0) return;
  const std::string& text = model_->Row(row);
  emit rowKeyed(row, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
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
