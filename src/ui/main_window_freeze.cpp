// The freeze as the operator sees it. A click on a spot list holds the lists still: a
// Telnet node cannot be paused, so its spots are still filed, saved and relayed, but no
// list moves its selection or scrolls, and the lookup line and the spot menu keep the
// clicked spot until the freeze ends. Also the spot menu's captions, which always name
// the spot its commands act on, and the report of files that could not be saved at exit.
#include <QMessageBox>
#include <QTabBar>
#include <QTimer>

#include "app/win1252.h"
#include "ui/lookup_line.h"
#include "ui/main_window.h"
#include "ui/spot_view_hold.h"

namespace varnak {

namespace {
// Long enough to read the box; an exit nobody watches (a session logout) still ends.
constexpr int kShutdownBoxMs = 60000;
}  // namespace

void TForm1::WireFreezeView() {
  // Thirteen captions for every spot of a flood cost more than filing it; the menu
  // brings them up to date when it opens, a picked spot at once.
  auto* captions = new Throttle(LookupLine::kMinIntervalMs, [this] { UpdateSpotMenuCaptions(); }, this);
  connect(station_.get(), &Station::currentSpotChanged, captions, &Throttle::Request);
  connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm1::UpdateSpotMenuCaptions);
  for (int list = 0; list < kSpotListCount; ++list) {
    // The arrow keys present a row as a click does, without freezing the lists.
    connect(SpotGrids[static_cast<size_t>(list)], &SpotListView::rowKeyed, this,
            [this, list](int row) { SpotRowKeyed(list, row); });
  }
  // A click on the send notebook's tab already in front changes no page, yet it is a
  // click on the notebook all the same.
  connect(TabbedNotebook2, &QTabWidget::tabBarClicked, this, [this](int page) {
    if (page == TabbedNotebook2->currentIndex() && station_->freeze().Frozen()) station_->freeze().ShortenForSend();
  });
  connect(station_.get(), &Station::shutdownFailed, this, &TForm1::ReportShutdownFailure);
}

void TForm1::ShowFreezePanel(bool shown) {
  for (auto* grid : SpotGrids) grid->HoldSelection(shown);
  for (auto* grid : ColumnGrids)
    if (grid) grid->HoldSelection(shown);
  if (StationsGrid) StationsGrid->HoldSelection(shown);
  FreezePanel->setVisible(shown);
}

void TForm1::SpotRowDoubleClicked(int list, int row) {
  // The row under the pointer, even if rows moved since the first click.
  SpotRowKeyed(list, row);
  SetQRG1Click();
}

void TForm1::WireScrollHold(SpotViewHold* hold) {
  connect(hold, &SpotViewHold::scrolledAway, this, [this] { station_->freeze().StartFreeze(); });
  connect(hold, &SpotViewHold::scrolledBack, this, [this] {
    if (station_->freeze().Frozen()) station_->freeze().ShortenForMouse();
  });
}

void TForm1::SpotRowKeyed(int list, int row) {
  station_->PickSpot(list, row);
  PresentSpotNow(station_->CurrentSpot);
}

// New spots come too fast to show each; a spot the operator picked is shown at once.
void TForm1::PresentSpot(const dxrec& spot) { LookupSlot->Present(ToQString(spot.LookupText)); }
void TForm1::PresentSpotNow(const dxrec& spot) {
  LookupSlot->PresentNow(ToQString(spot.LookupText));
  UpdateSpotMenuCaptions();
}

void TForm1::UpdateSpotMenuCaptions() {
  const dxrec& spot = station_->CurrentSpot;
  SpotMenuCaptions captions = spot == dxrec{} ? DesignSpotMenuCaptions() : SpotMenuCaptionsFor(spot);
  for (size_t i = 0; i < captions.size(); ++i) SpotMenuItems[i]->setText(ToQString(captions[i]));
}

void TForm1::ReportShutdownFailure(const QString& reasons) {
  // Not modal and not owned by this window: the shutdown goes on, and the program
  // ends when the operator closes the box (or when it closes itself).
  auto* box = new QMessageBox(QMessageBox::Warning, "Varnak",
                              "These files could not be saved; the copies from before this run are kept:\n\n" +
                                  reasons,
                              QMessageBox::Ok);
  box->setObjectName("ShutdownFailureBox");
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  QTimer::singleShot(kShutdownBoxMs, box, &QWidget::close);
  box->show();
}

}  // namespace varnak
