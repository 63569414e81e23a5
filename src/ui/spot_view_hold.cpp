#include "ui/spot_view_hold.h"

#include <QScrollBar>

#include "ui/batched_list_proxy.h"

namespace varnak {

SpotViewHold::SpotViewHold(QAbstractScrollArea* view, Rows rows, BatchedListProxy* batches, SpotOfRow spotOf)
    : QObject(view), view_(view), rows_(std::move(rows)), spotOf_(std::move(spotOf)) {
  connect(batches, &BatchedListProxy::aboutToSync, this, &SpotViewHold::Remember);
  connect(batches, &BatchedListProxy::synced, this, &SpotViewHold::Restore);
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
  int row = rows_.current();
  if (row < 0 || !area.intersects(rows_.rect(row))) row = rows_.at(QPoint(1, 1));
  if (row < 0) return;
  anchor_ = spotOf_(row);
  anchorY_ = rows_.rect(row).top();
}

void SpotViewHold::Restore() {
  const Spot* anchor = anchor_;
  anchor_ = nullptr;
  if (!held_ || !anchor) return;
  int row = rows_.count() - 1;
  while (row >= 0 && spotOf_(row) != anchor) --row;
  if (row < 0) return;  // trimmed away
  const QRect now = rows_.rect(row);
  const int dy = now.top() - anchorY_;
  if (dy == 0 || now.height() <= 0) return;
  QScrollBar* bar = view_->verticalScrollBar();
  bar->setValue(bar->value() + dy / now.height());  // the bar counts rows
}

}  // namespace varnak
