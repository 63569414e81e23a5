// The spot filter on the main window: "Setup" > "Filter" and the switch at the spot
// notebook's tabs. The rules are the station's SpotFilterController.
#include "app/spot_filter_controller.h"
#include "app/station.h"
#include "ui/band_map_window.h"
#include "ui/batched_list_proxy.h"
#include "ui/filter_dialog.h"
#include "ui/filter_switch.h"
#include "ui/main_window.h"
#include "ui/spot_list_views.h"

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

  connect(&filter, &SpotFilterController::changed, this, &TForm1::ApplyFilterToViews);
  for (SpotListView* grid : SpotGrids)
    connect(grid->shownModel(), &BatchedListProxy::synced, this, [this, grid] {
      if (grid == FilteredGridInView()) FilterBar->SetHiddenCount(grid->HiddenCount());
    });
  connect(TabbedNotebook1, &QTabWidget::currentChanged, this,
          [this] { FilterBar->SetHiddenCount(FilteredGridInView()->HiddenCount()); });
}

// The list whose hidden spots the switch counts: the page in view, or "All" while the
// search or the stations page is in front.
SpotListView* TForm1::FilteredGridInView() const {
  const int page = VisibleSpotPage();
  return SpotGrids[static_cast<size_t>(page >= 0 && page < kSpotListCount ? page : kAllList)];
}

void TForm1::ApplyFilterToViews() {
  SpotFilterController& filter = station_->filter();
  // Continents, distances and need marks of rows loaded from the files come from the
  // lookup the columns view asks for too.
  UpdateRowLookups();
  const auto shows = filter.ShownFilter();
  for (SpotListView* grid : SpotGrids) grid->SetShownFilter(shows);
  if (BandMapWindow* map = BandMapOf(*this)) map->SetShownFilter(shows);
  FilterBar->SetHiddenCount(FilteredGridInView()->HiddenCount());
}

void TForm1::UpdateRowLookups() {
  station_->SetRowLookupsWanted(SpotColumnsShown() || station_->filter().Enabled());
}

}  // namespace varnak
