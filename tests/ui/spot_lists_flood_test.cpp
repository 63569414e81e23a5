// The spot lists while spots keep coming and the operator works with them: scrolling
// back, a double click that tunes the radio, clicks while spots arrive, and where the
// freeze is shown.
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "support/rigctld_harness.h"
#include "support/scripted_node.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "ui/batched_list_proxy.h"
#include "ui/main_window.h"

using namespace varnak;

namespace {

std::string SpotLine(const QString& dx, double khz, const QString& time = "2153Z") {
  return test::ScriptedNode::Spot("Q2XYZ", QString::number(khz, 'f', 1), dx, "cq", time).trimmed().toStdString();
}

struct Flood {
  explicit Flood(int rigPort = 0) {
    std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst");
    dir.Write("Varnak.ini", "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nSound=0\r\n");
    form = std::make_unique<TForm1>(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45}));
    form->station().ShutdownWaitMs = 0;
    form->station().settings().RigPort = rigPort;
    form->desktopWidth = [] { return 1024; };
    form->show();
  }
  // The "All" list holds count spots on 40 m, one per kHz from 7000 on.
  void FillAll(int count) {
    std::vector<std::string> rows;
    for (int i = 0; i < count; ++i) rows.push_back(SpotLine("DL1ABC", 7000 + i) + " | 12-07");
    form->station().lists().All()->SetRows(std::move(rows));
    form->station().lists().All()->SelectLastRow();
    form->SpotGrids[0]->Sync();
  }
  const Spot* SpotAt(QAbstractScrollArea* view, QPoint at) {
    if (auto* columns = qobject_cast<SpotColumnsView*>(view))
      return form->station().lists().All()->SpotAt(columns->ListRowAt(columns->indexAt(at).row()));
    SpotListView* list = form->SpotGrids[0];
    return form->station().lists().All()->SpotAt(list->shownModel()->SourceRow(list->indexAt(at).row()));
  }
  test::TempDir dir;
  std::unique_ptr<TForm1> form;
};

}  // namespace

TEST(SpotListsInAFlood, ScrollingBackHoldsTheListUntilTheNewestRowIsInViewAgain) {
  Flood f;
  WAIT_TRUE(f.form->station().StartupDone(), 2000);
  f.FillAll(300);
  SpotListView* all = f.form->SpotGrids[0];
  QScrollBar* bar = all->verticalScrollBar();
  WAIT_TRUE(bar->maximum() > 50 && bar->value() == bar->maximum(), 2000);

  const QPoint centre = all->viewport()->rect().center();
  QWheelEvent wheel(centre, all->viewport()->mapToGlobal(centre), {}, {0, 360}, Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(all->viewport(), &wheel);
  const int held = bar->value();
  ASSERT_LT(held, bar->maximum());
  EXPECT_TRUE(f.form->station().freeze().Frozen());
  EXPECT_TRUE(f.form->FreezePanel->isVisibleTo(f.form.get()));
  for (int i = 0; i < 3; ++i) f.form->station().ClassifyLine(SpotLine(QString("JA%1XYZ").arg(i + 1), 14025 + i));
  all->Sync();
  EXPECT_EQ(bar->value(), held);

  // Back at the newest row the freeze ends, and the list follows new spots again.
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  WAIT_TRUE(!f.form->station().freeze().Frozen(), 2000);
  f.form->station().ClassifyLine(SpotLine("VK2ABC", 21025));
  all->Sync();
  WAIT_TRUE(all->currentIndex().row() == all->model()->rowCount() - 1 && bar->value() == bar->maximum(), 2000);
}

TEST(SpotListsInAFlood, DoubleClickTunesTheRowClickedThoughTheListMovesInBothViews) {
  test::Rigctld rigctld;
  ASSERT_EQ(rigctld.Start(), "");
  Flood f(rigctld.Port());
  WAIT_TRUE(f.form->station().StartupDone(), 2000);
  for (bool columns : {false, true}) {
    f.form->SetSpotColumns(columns);
    // A full list: the next spots trim its oldest rows. The columns view is sorted by
    // kHz, highest first, so new spots also land above the rows in view.
    f.FillAll(kAllListTrimIndex);
    QAbstractScrollArea* view = f.form->SpotGrids[0];
    int shown = f.form->SpotGrids[0]->model()->rowCount();
    if (columns) {
      view = f.form->ColumnGrids[0];
      f.form->ColumnGrids[0]->SortBy(ColKhz, Qt::DescendingOrder);
      shown = f.form->ColumnGrids[0]->model()->rowCount();
    }
    EXPECT_EQ(shown, kAllListTrimIndex);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    const QPoint at = view->viewport()->rect().center();
    const Spot* clicked = f.SpotAt(view, at);
    ASSERT_NE(clicked, nullptr);
    const std::string khz = clicked->khzText;

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(f.form->station().freeze().Frozen());
    for (int i = 0; i < 3; ++i) f.form->station().ClassifyLine(SpotLine(QString("JA%1XYZ").arg(i + 1), 28000 + i));
    f.form->SpotGrids[0]->Sync();
    EXPECT_EQ(f.SpotAt(view, at), clicked) << (columns ? "columns" : "one column");
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(f.form->station().CurrentSpot.SpotCall, "DL1ABC");
    EXPECT_EQ(f.form->station().currentSpot().khzText, khz);
    WAIT_EQ(rigctld.Ask({"f"}), std::to_string(static_cast<long long>(std::stod(khz) * 1000)), 5000);
    f.form->station().freeze().EndFreeze();
  }
}

TEST(SpotListsInAFlood, ALaterClickOutlivesHeldSpotsTheMapsStillFollowAndThePanelHidesNothing) {
  Flood f;
  WAIT_TRUE(f.form->station().StartupDone(), 2000);
  Station& station = f.form->station();
  station.ClassifyLine(SpotLine("DL1ABC", 14025));
  station.ClassifyLine(SpotLine("JA1XYZ", 7025));
  SpotListView* all = f.form->SpotGrids[0];
  all->Sync();
  const int last = all->model()->rowCount() - 1;
  const auto press = [&](int row) {
    QTest::mouseClick(all->viewport(), Qt::LeftButton, {}, all->visualRect(all->model()->index(row, 0)).center());
  };
  press(last - 1);  // DL1ABC
  ASSERT_TRUE(station.freeze().Frozen());
  std::vector<std::string> plotted;
  QObject::connect(&station, &Station::spotPresented, f.form.get(), [&](const Spot& s) { plotted.push_back(s.dx); });
  station.ClassifyLine(SpotLine("VK2ABC", 21025));  // held back from the lists, not from the maps
  EXPECT_EQ(plotted, std::vector<std::string>{"VK2ABC"});
  press(last);  // JA1XYZ, after VK2ABC came
  station.freeze().EndFreeze();
  EXPECT_EQ(station.CurrentSpot.SpotCall, "JA1XYZ");
  EXPECT_TRUE(f.form->Label2->text().startsWith("JA1XYZ")) << f.form->Label2->text().toStdString();

  // The panel covers no list, no pane, no line of the lookup.
  press(last);
  const QRect panel(f.form->FreezePanel->mapTo(f.form.get(), QPoint()), f.form->FreezePanel->size());
  for (QWidget* read : std::initializer_list<QWidget*>{f.form->TabbedNotebook1, f.form->RichEditAll, f.form->Memo1,
                                                      f.form->Label2, f.form->StatLabel})
    EXPECT_FALSE(panel.intersects(QRect(read->mapTo(f.form.get(), QPoint()), read->size()))) << read->objectName().toStdString();
}
