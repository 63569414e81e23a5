// The spot filter on the main window: "Setup" > "Filter" and the switch at the spot
// notebook's tabs. The rules are the station's SpotFilterController.
#include "app/spot_filter_controller.h"
#include "ui/filter_dialog.h"
#include "ui/filter_switch.h"
#include "ui/main_window.h"

namespace varnak {

void TForm1::WireFilter() {
  SpotFilterController& filter = station_->filter();
  FilterDlg = new TFilterDlg(filter, this);
  auto* setup = qobject_cast<QMenu*>(SpotColumnsAction->parent());
  FilterAction = new QAction("Filter", setup);
  FilterAction->setObjectName("FilterAction");
  setup->insertAction(SpotColumnsAction, FilterAction);
  connect(FilterAction, &QAction::triggered, FilterDlg, &TFilterDlg::Present);

  FilterBar = new FilterSwitch(filter, TabbedNotebook1);
  TabbedNotebook1->setCornerWidget(FilterBar, Qt::TopRightCorner);
  FilterBar->show();
}

}  // namespace varnak
