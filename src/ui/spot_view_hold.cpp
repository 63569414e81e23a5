#include "ui/spot_view_hold.h"

#include <QScrollBar>

#include "ui/batched_list_proxy.h"

namespace varnak {

SpotViewHold::SpotViewHold(QAbstractItemView* view, BatchedListProxy* rows, SpotOfRow spotOf)
    : QObject(view), view_(view), spotOf_(std::move(spotOf)) {
  connect(rows, &BatchedListProxy::aboutToSync, this, &SpotViewHold::Remember);
  connect(rows, &BatchedListProxy::synced, this, &SpotViewHold::Restore);
  // Only the operator's own scrolling: the wheel, the arrows, a drag of the handle.
  connect(view->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, &SpotViewHold::ScrollAction);
}

void SpotViewHold::SetHeld(bool held) {
  held_ = held;
  if (!held) {
    away_ = false;
    anchor_ = nullptr;
  }
}

bool SpotViewHold::AtNewest() const {
  const QScrollBar* bar = view_->verticalScrollBar();
  return bar->sliderPosition() >= bar->maximum();
}

void SpotViewHold::ScrollAction() {
  // The slider has its new position already; the value follows after this signal.
  if (!AtNewest()) {
    away_ = true;
    emit scrolledAway();
  } else if (away_) {
    away_ = false;
    emit scrolledBack();
  }
}

void SpotViewHold::Remember() {
  anchor_ = nullptr;
  if (!held_) return;
  const QRect area = view_->viewport()->rect();
  QModelIndex index = view_->currentIndex();
  if (!index.isValid() || !area.intersects(view_->visualRect(index))) index = view_->indexAt(QPoint(1, 1));
  if (!index.isValid()) return;
  anchor_ = spotOf_(index.row());
  anchorY_ = view_->visualRect(index).top();
}

void SpotViewHold::Restore() {
  const Spot* anchor = anchor_;
  anchor_ = nullptr;
  if (!held_ || !anchor) return;
  QAbstractItemModel* model = view_->model();
  int row = model->rowCount() - 1;
  while (row >= 0 && spotOf_(row) != anchor) --row;
  if (row < 0) return;  // trimmed away
  view_->doItemsLayout();
  const QRect now = view_->visualRect(model->index(row, 0));
  const int dy = now.top() - anchorY_;
  if (dy == 0 || now.height() <= 0) return;
  QScrollBar* bar = view_->verticalScrollBar();
  bar->setValue(bar->value() + (view_->verticalScrollMode() == QAbstractItemView::ScrollPerItem ? dy / now.height() : dy));
}

}  // namespace varnak
