#include "ui/quiet_tab_widget.h"

#include <QEvent>
#include <QStackedWidget>
#include <QTabBar>

namespace varnak {

bool QuietTabWidget::event(QEvent* event) {
  if (event->type() != QEvent::LayoutRequest || !isVisible()) return QTabWidget::event(event);
  // QTabWidget answers a layout request by placing its tab bar and pages again and then
  // repainting all of itself. Updates are held while it does that (the attribute alone,
  // unlike setUpdatesEnabled, repaints nothing when it is cleared) and given back whole
  // only when something moved.
  const auto* pages = findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
  const QRect bar = tabBar()->geometry();
  const QRect pane = pages ? pages->geometry() : QRect();
  const bool held = testAttribute(Qt::WA_UpdatesDisabled);
  setAttribute(Qt::WA_UpdatesDisabled, true);
  const bool done = QTabWidget::event(event);
  setAttribute(Qt::WA_UpdatesDisabled, held);
  if (tabBar()->geometry() != bar || (pages && pages->geometry() != pane)) update();
  return done;
}

}  // namespace varnak
