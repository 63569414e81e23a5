#include "ui/row_scroll_area.h"

#include <QEvent>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

#include "ui/quiet_scroll_bar.h"

namespace varnak {

RowScrollArea::RowScrollArea(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setBackgroundRole(QPalette::Base);
  QuietScrollBar::Install(this, nullptr, nullptr);
}

int RowScrollArea::TopRow() const { return verticalScrollBar()->value(); }
int RowScrollArea::RowsInView() const { return std::max(1, viewport()->height() / Step()); }

int RowScrollArea::RowAt(int y) const {
  if (y < 0) return -1;
  const int row = TopRow() + y / Step();
  return row < RowCount() ? row : -1;
}

QRect RowScrollArea::RowRect(int row) const {
  const int step = Step();
  return {-horizontalScrollBar()->value(), (row - TopRow()) * step, std::max(ContentsWidth(), viewport()->width()),
          step};
}

void RowScrollArea::ScrollToRow(int row) {
  const int top = TopRow(), inView = RowsInView();
  if (row < top) verticalScrollBar()->setValue(row);
  else if (row >= top + inView) verticalScrollBar()->setValue(row - inView + 1);
}

void RowScrollArea::UpdateRow(int row) {
  if (row < 0) return;
  const int y = (row - TopRow()) * Step();
  if (y + Step() > 0 && y < viewport()->height()) viewport()->update(0, y, viewport()->width(), Step());
}

void RowScrollArea::UpdateBars() {
  const int inView = RowsInView();
  QScrollBar* vertical = verticalScrollBar();
  vertical->setSingleStep(1);
  vertical->setPageStep(inView);
  vertical->setRange(0, std::max(0, RowCount() - inView));
  QScrollBar* horizontal = horizontalScrollBar();
  horizontal->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
  horizontal->setPageStep(viewport()->width());
  horizontal->setRange(0, std::max(0, ContentsWidth() - viewport()->width()));
}

void RowScrollArea::NoteNewRows(int first) { newFrom_ = newFrom_ < 0 ? first : std::min(newFrom_, first); }

void RowScrollArea::PaintNewRows() {
  const int from = newFrom_;
  newFrom_ = -1;
  if (from < 0) return;
  // The new rows and any below them (none, as rows come at the end).
  const int y = (from - TopRow()) * Step();
  if (y < viewport()->height()) viewport()->update(0, std::max(0, y), viewport()->width(), viewport()->height());
}

void RowScrollArea::RowsChanged() {
  newFrom_ = -1;
  UpdateBars();
  viewport()->update();
}

int RowScrollArea::RowForKey(int key) const {
  const int current = CurrentRow(), rows = RowCount();
  int row = current;
  switch (key) {
    case Qt::Key_Up: row = current < 0 ? 0 : current - 1; break;
    case Qt::Key_Down: row = current < 0 ? 0 : current + 1; break;
    case Qt::Key_PageUp: row = std::max(0, current) - RowsInView(); break;
    case Qt::Key_PageDown: row = std::max(0, current) + RowsInView(); break;
    case Qt::Key_Home: row = 0; break;
    case Qt::Key_End: row = rows - 1; break;
    default: return -1;
  }
  return std::clamp(row, 0, std::max(0, rows - 1));
}

void RowScrollArea::InitOption(QStyleOptionViewItem* option) const {
  option->initFrom(this);
  option->state &= ~QStyle::State_MouseOver;
  option->font = font();
  if (!hasFocus()) option->state &= ~QStyle::State_Active;
  option->state &= ~QStyle::State_HasFocus;
  const int icon = style()->pixelMetric(QStyle::PM_ListViewIconSize, nullptr, this);
  option->decorationSize = QSize(icon, icon);
  option->decorationPosition = QStyleOptionViewItem::Left;
  option->decorationAlignment = Qt::AlignCenter;
  option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  option->textElideMode = Qt::ElideRight;
  option->showDecorationSelected = style()->styleHint(QStyle::SH_ItemView_ShowDecorationSelected, nullptr, this);
  option->locale = locale();
  option->locale.setNumberOptions(QLocale::OmitGroupSeparator);
  option->widget = this;
}

SpotViewHold::Rows RowScrollArea::HoldRows() const {
  return {[this] { return CurrentRow(); }, [this](int row) { return RowRect(row); },
          [this](const QPoint& at) { return RowAt(at.y()); }, [this] { return RowCount(); }};
}

void RowScrollArea::scrollContentsBy(int dx, int dy) {
  // The rows already painted move with the scroll; only the rows it uncovers are painted.
  const int pixels = dy * Step();
  if (std::abs(pixels) >= viewport()->height() || std::abs(dx) >= viewport()->width()) return viewport()->update();
  viewport()->scroll(dx, pixels);
}

void RowScrollArea::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  UpdateRow(CurrentRow());  // the selection's colour follows the focus
}

void RowScrollArea::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  UpdateRow(CurrentRow());
}

bool RowScrollArea::event(QEvent* event) {
  // The bars are shown or hidden in a queued call after their range changed.
  if (event->type() != QEvent::MetaCall) return QAbstractScrollArea::event(event);
  bool done = false;
  QuietScrollBar::Relayout(this, [&] { done = QAbstractScrollArea::event(event); });
  return done;
}

}  // namespace varnak
