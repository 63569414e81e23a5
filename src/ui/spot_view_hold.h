#pragma once
// Responsibilities: keeps the rows of a spot view where the operator sees them while
// the lists are frozen, and tells when the operator scrolls away from the newest row
// and back to it.
//
// While held, every batch of new rows (and the trim of a full list, and rows a sorted
// view puts above others) would move the rows under the pointer: between the two
// clicks of a double click the second would land on another spot. So the spot under
// the pointer (or the top row, with the pointer elsewhere) is remembered before each
// batch and scrolled back to the same height after it.
//
// Collaborations: the view's BatchedListProxy (aboutToSync, synced) and vertical scroll
// bar; the window turns scrolledAway/scrolledBack into the freeze.
#include <QAbstractScrollArea>
#include <QObject>
#include <QPointer>
#include <functional>

#include "app/spot.h"

namespace varnak {

class BatchedListProxy;

class SpotViewHold : public QObject {
  Q_OBJECT
 public:
  // The spot a row of the view shows; null for none.
  using SpotOfRow = std::function<const Spot*(int viewRow)>;
  // Where a view shows its rows, in viewport coordinates.
  struct Rows {
    std::function<int()> current;                // the current row; -1 for none
    std::function<QRect(int row)> rect;
    std::function<int(const QPoint&)> at;        // -1 for none
    std::function<int()> count;
  };
  SpotViewHold(QAbstractScrollArea* view, Rows rows, BatchedListProxy* batches, SpotOfRow spotOf);

  void SetHeld(bool held);
  bool Held() const { return held_; }
  // The newest row is in view (nothing to scroll towards it).
  bool AtNewest() const;

 signals:
  // The operator scrolled (wheel, scroll bar) so that the newest row is out of view.
  void scrolledAway();
  // ... and scrolled back to it.
  void scrolledBack();

 private:
  void ScrollAction();
  void Remember();
  void Restore();

  QAbstractScrollArea* view_;
  Rows rows_;
  SpotOfRow spotOf_;
  bool held_ = false;
  bool away_ = false;  // held because the operator scrolled away
  const Spot* anchor_ = nullptr;
  int anchorY_ = 0;
};

}  // namespace varnak
