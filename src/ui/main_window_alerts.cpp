// The alert rules and the "Stations" page on the main window: the "Setup" menu's
// "Alerts", the page after the spot lists, the rules' row colours, and the window
// coming up with the spot of a clicked desktop notification. The rules themselves are
// the station's AlertController; the rows its StationsModel.
#include <QPointer>

#include "app/alert_controller.h"
#include "app/stations_model.h"
#include "ui/alerts_dialog.h"
#include "ui/main_window.h"
#include "ui/spot_row_style.h"
#include "ui/stations_view.h"

namespace varnak {

void TForm1::WireAlerts() {
  AlertController& rules = station_->alertRules();
  SetRuleRowColour([rules = QPointer<AlertController>(&rules)](const Spot& spot) {
    return rules ? rules->RowColour(spot) : QColor();
  });
  AlertsDlg = new TAlertsDlg(rules, QString::fromStdString(station_->ProgramDir()), this);
  connect(AlertsDlg, &QDialog::accepted, this, &TForm1::RefreshSpotAges);  // repaints with the new colours
  auto* setup = qobject_cast<QMenu*>(SpotColumnsAction->parent());
  AlertsAction = new QAction("Alerts", setup);
  AlertsAction->setObjectName("AlertsAction");
  setup->insertAction(SpotColumnsAction, AlertsAction);
  connect(AlertsAction, &QAction::triggered, AlertsDlg, &TAlertsDlg::Present);

  StationsGrid = new StationsView(&station_->stations(), [this] { return station_->NowMinute(); }, TabbedNotebook1);
  StationsGrid->setObjectName("StationsGrid");
  StationsGrid->setFont(SpotGrids[0]->font());
  TabbedNotebook1->addTab(StationsGrid, "Stations");
  connect(station_.get(), &Station::configurationRead, StationsGrid, [this] {
    StationsGrid->setFont(SpotGrids[0]->font());
    StationsGrid->SetRowHeight(SpotGrids[0]->RowHeight());
  });
  connect(&ageTimer_, &QTimer::timeout, StationsGrid->viewport(), qOverload<>(&QWidget::update));

  const auto pick = [this](int row) {
    const StationRow* station = station_->stations().RowAt(row);
    if (!station) return false;
    station_->PickSpot(*station->last);
    PresentSpotNow(station_->CurrentSpot);
    return true;
  };
  connect(StationsGrid, &StationsView::rowPressed, this, [this, pick](int row, Qt::MouseButton button) {
    // As on the spot lists: the press freezes them, so the rows hold still.
    station_->freeze().StartFreeze();
    if (!pick(row) || button != Qt::RightButton) return;
    station_->freeze().LengthenForSpotMenu();
    PopupMenu1->popup(QCursor::pos());
  });
  connect(StationsGrid, &StationsView::rowKeyed, this, pick);
  connect(StationsGrid, &StationsView::rowEntered, this, [this, pick](int row) {
    if (pick(row)) SpotMenuItems[Showqrz1]->trigger();
  });
  connect(StationsGrid, &StationsView::rowTuned, this, [this, pick](int row) {
    if (pick(row)) SetQRG1Click();
  });

  connect(&rules, &AlertController::spotActivated, this, [this] {
    // As a click on its row would: the lists hold still, so the next spot does not
    // take its place at once.
    station_->freeze().StartFreeze();
    PresentSpotNow(station_->CurrentSpot);
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
  });
}

}  // namespace varnak
