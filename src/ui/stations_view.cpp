#include "ui/stations_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include "app/stations_model.h"
#include "ui/spot_row_style.h"

namespace varnak {

StationsView::StationsView(StationsModel* model, std::function<std::int64_t()> nowMinute, QWidget* parent)
    : QTableView(parent), model_(model) {
  setModel(model);
  delegate_ = new SpotRowDelegate(
      [model](const QModelIndex& index) {
        const StationRow* row = model->RowAt(index.row());
        return row ? row->last.get() : nullptr;
      },
      std::move(nowMinute), this);
  delegate_->khzColumn = StKhz;
  delegate_->stripeColumn = StLast;
  setItemDelegate(delegate_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setShowGrid(false);
  verticalHeader()->hide();
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  FitToFont();
  // A view scrolled to its end follows new stations there, as a spot list does; one
  // scrolled up (or held) stays where the operator put it.
  const auto remember = [this] { atBottom_ = verticalScrollBar()->value() >= verticalScrollBar()->maximum(); };
  connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, remember);
  connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, remember);
  connect(model, &QAbstractItemModel::rowsInserted, this, &StationsView::FollowNewest);
  connect(model, &QAbstractItemModel::layoutChanged, this, &StationsView::FollowNewest);
}

void StationsView::FitToFont() {
  const QFontMetrics fm(font());
  for (int c = 0; c < StColumnCount; ++c) {
    const int chars = c == StComment ? 24 : c == StEntity ? 20 : c == StDx || c == StCheck ? 11 : c == StKhz ? 9 : 6;
    setColumnWidth(c, fm.horizontalAdvance(QString(chars, '0')) + 10);
  }
  verticalHeader()->setDefaultSectionSize(delegate_->height > 0 ? delegate_->height : fm.height() + 4);
}

void StationsView::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange) FitToFont();
}

void StationsView::FollowNewest() {
  if (!atBottom_ || model_->Held() || followPending_) return;
  // Scrolling lays the whole table out there and then: a page out of sight follows when
  // it is shown, one in sight once per turn of the event loop, not once per new station.
  followPending_ = true;
  if (isVisible()) QTimer::singleShot(0, this, &StationsView::CatchUp);
}

void StationsView::CatchUp() {
  if (!followPending_ || !isVisible()) return;
  followPending_ = false;
  if (!model_->Held()) scrollToBottom();
}

void StationsView::showEvent(QShowEvent* event) {
  QTableView::showEvent(event);
  CatchUp();
}

void StationsView::HoldSelection(bool held) { model_->SetHeld(held); }

void StationsView::SetRowHeight(int pixels) {
  delegate_->height = pixels;
  FitToFont();
}

void StationsView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  // The press holds the rows before the selection moves to the pressed one.
  if (index.isValid()) emit rowPressed(index.row(), event->button());
  QTableView::mousePressEvent(event);
}

void StationsView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  if (index.isValid()) emit rowTuned(index.row());
}

void StationsView::keyPressEvent(QKeyEvent* event) {
  const QModelIndex before = currentIndex();
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (before.isValid()) {
      if (event->modifiers() & Qt::ControlModifier)
        emit rowTuned(before.row());
      else
        emit rowEntered(before.row());
    }
    return event->accept();
  }
  QTableView::keyPressEvent(event);
  const QModelIndex now = currentIndex();
  if (now.isValid() && now.row() != before.row()) emit rowKeyed(now.row());
}

}  // namespace varnak
