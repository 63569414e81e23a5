// The spot lists as columns ("Setup" > "Spot columns"), the colours of both views and
// the keys they share. The columns views exist only while ticked, so an operator who
// keeps the one-column lists pays nothing for them; the cells are the lists' spots, whose
// rows from the files are looked up only while the columns view or the log's marks need them.
#include <QHeaderView>

#include "app/win1252.h"
#include "ui/main_window.h"

namespace varnak {

namespace {
constexpr int kAgeRefreshMs = 60000;
}  // namespace

void TForm1::WireSpotColumns() {
  const auto now = [this] { return station_->NowMinute(); };
  for (auto* grid : SpotGrids) grid->ColourRows(now);
  connect(SpotColumnsAction, &QAction::toggled, this, [this](bool on) {
    station_->settings().SpotColumns = on;
    SetSpotColumns(on);
  });
  connect(station_.get(), &Station::configurationRead, this,
          [this] { SpotColumnsAction->setChecked(station_->settings().SpotColumns); });
  connect(&ageTimer_, &QTimer::timeout, this, &TForm1::RefreshSpotAges);
  ageTimer_.start(kAgeRefreshMs);
}

void TForm1::SetSpotColumns(bool on) {
  if (on == SpotColumnsShown()) return;
  if (!on) {
    for (std::size_t i = 0; i < ColumnGrids.size(); ++i) {
      SpotPages[i]->setCurrentWidget(SpotGrids[i]);
      SpotPages[i]->removeWidget(ColumnGrids[i]);
      ColumnGrids[i]->deleteLater();
      ColumnGrids[i] = nullptr;
    }
    UpdateRowLookups();
    return;
  }
  const Settings& s = station_->settings();
  const SpotColumnsView::Layout layout{ToQString(s.ColumnOrder), ToQString(s.ColumnWidths), ToQString(s.ColumnsHidden)};
  for (std::size_t i = 0; i < ColumnGrids.size(); ++i) {
    const int list = static_cast<int>(i);
    auto* grid = new SpotColumnsView(SpotGrids[i], [this] { return station_->NowMinute(); }, SpotPages[i]);
    ColumnGrids[i] = grid;
    grid->setObjectName(SpotGrids[i]->objectName() + "Columns");
    grid->SetRowHeight(SpotGrids[i]->RowHeight());
    grid->ApplyLayout(layout);
    grid->viewport()->installEventFilter(this);
    connect(grid, &SpotColumnsView::rowPressed, this,
            [this, list](int row, Qt::MouseButton button) { SpotRowPressed(list, row, button); });
    connect(grid, &SpotColumnsView::rowKeyed, this, [this, list](int row) { SpotRowKeyed(list, row); });
    connect(grid, &SpotColumnsView::rowEntered, this, [this, list](int row) { SpotRowEntered(list, row); });
    connect(grid, &SpotColumnsView::rowDoubleClicked, this, [this, list](int row) { SpotRowDoubleClicked(list, row); });
    connect(grid, &SpotColumnsView::rowTuned, this, [this, list](int row) { SpotRowDoubleClicked(list, row); });
    WireScrollHold(grid->hold());
    connect(grid, &SpotColumnsView::layoutEdited, this, [this, grid] { ColumnLayoutEdited(grid); });
    grid->HoldSelection(station_->freeze().Frozen());
    SpotPages[i]->addWidget(grid);
    SpotPages[i]->setCurrentWidget(grid);
  }
  UpdateRowLookups();
}

void TForm1::ColumnLayoutEdited(SpotColumnsView* from) {
  const SpotColumnsView::Layout layout = from->CurrentLayout();
  Settings& s = station_->settings();
  s.ColumnOrder = FromQString(layout.order);
  s.ColumnWidths = FromQString(layout.widths);
  s.ColumnsHidden = FromQString(layout.hidden);
  // All fourteen lists show the same columns.
  for (auto* grid : ColumnGrids)
    if (grid && grid != from) grid->ApplyLayout(layout);
}

void TForm1::RefreshSpotAges() {
  for (auto* grid : SpotGrids) grid->viewport()->update();
  for (auto* grid : ColumnGrids)
    if (grid) grid->viewport()->update();
}

bool TForm1::IsSpotViewport(QObject* watched) const {
  for (auto* grid : SpotGrids)
    if (watched == grid->viewport()) return true;
  for (auto* grid : ColumnGrids)
    if (grid && watched == grid->viewport()) return true;
  return false;
}

void TForm1::SpotRowEntered(int list, int row) {
  // The first look-up of the spot menu, for the row the operator is on.
  SpotRowKeyed(list, row);
  SpotMenuItems[Showqrz1]->trigger();
}

}  // namespace varnak
