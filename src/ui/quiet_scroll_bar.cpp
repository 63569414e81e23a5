#include "ui/quiet_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>
#include <array>

namespace varnak {

QuietScrollBar::QuietScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

void QuietScrollBar::Install(QAbstractScrollArea* view, std::function<void(Qt::Orientation, int)> valueChanged,
                             std::function<void(Qt::Orientation, int)> action) {
  for (const Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
    auto* bar = new QuietScrollBar(orientation, view);
    if (orientation == Qt::Vertical) view->setVerticalScrollBar(bar);
    else view->setHorizontalScrollBar(bar);
    if (valueChanged)
      connect(bar, &QAbstractSlider::valueChanged, view, [orientation, valueChanged](int value) { valueChanged(orientation, value); });
    if (action)
      connect(bar, &QAbstractSlider::actionTriggered, view, [orientation, action](int what) { action(orientation, what); });
  }
}

void QuietScrollBar::Relayout(QAbstractScrollArea* view, const std::function<void()>& layout) {
  struct Box {
    QWidget* widget;
    QRect geometry;
    bool visible, disabled;
  };
  std::array<Box, 2> boxes;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    QWidget* box = (i == 0 ? view->verticalScrollBar() : view->horizontalScrollBar())->parentWidget();
    boxes[i] = {box, box->geometry(), box->isVisible(), box->testAttribute(Qt::WA_UpdatesDisabled)};
    // Not setUpdatesEnabled(): turning it back on repaints the whole box.
    box->setAttribute(Qt::WA_UpdatesDisabled, true);
  }
  layout();
  for (const Box& box : boxes) {
    box.widget->setAttribute(Qt::WA_UpdatesDisabled, box.disabled);
    if (box.widget->geometry() != box.geometry || box.widget->isVisible() != box.visible) box.widget->update();
  }
}

QuietScrollBar::Drawn QuietScrollBar::Now() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
          value() == minimum(), value() == maximum(), isEnabled()};
}

void QuietScrollBar::sliderChange(SliderChange change) {
  // A bar that fades in and out, or one the operator drags, goes Qt's own way.
  if (change == SliderOrientationChange || isSliderDown() ||
      style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this))
    return QScrollBar::sliderChange(change);
  // A batch sets the range before the view scrolls to the newest row again: the handle
  // is judged once both are done.
  if (checkPending_) return;
  checkPending_ = true;
  QMetaObject::invokeMethod(this, [this] {
    checkPending_ = false;
    if (Now() != drawn_) update();
  }, Qt::QueuedConnection);
}

void QuietScrollBar::paintEvent(QPaintEvent* event) {
  drawn_ = Now();
  QScrollBar::paintEvent(event);
}

}  // namespace varnak
