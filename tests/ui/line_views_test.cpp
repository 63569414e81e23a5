#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include "app/pane_models.h"
#include "app/spot_lists.h"
#include "ui/batched_list_proxy.h"
#include "ui/pane_views.h"
#include "ui/quiet_tab_widget.h"
#include "ui/spot_columns_view.h"
#include "ui/spot_list_views.h"
#include "ui/spot_row_style.h"

using namespace varnak;

namespace {

QStringList Blocks(const QPlainTextEdit& view) {
  QStringList out;
  for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next()) out << b.text();
  return out;
}

QColor BlockColour(const QPlainTextEdit& view, int n) {
  const QTextBlock block = view.document()->findBlockByNumber(n);
  return block.begin().fragment().charFormat().foreground().color();
}

}  // namespace

TEST(ClusterTextView, FollowsAppendsAndFrontRemovalsWithColours) {
  ClusterTextModel model;
  model.AddPaneLine(pane_colour::kRed, "*** started");
  ClusterTextView view(&model);
  view.resize(600, 200);
  view.show();
  EXPECT_EQ(Blocks(view), QStringList{"*** started"});
  model.AddPaneLine(pane_colour::kBlue, "12:00:00: WCY de X");
  model.AddPaneLine(pane_colour::kBlack, "sch\xf6n \x80");
  model.RemoveFirstLine();
  // The view catches up with the event loop.
  QTRY_COMPARE(Blocks(view), (QStringList{"12:00:00: WCY de X", QString::fromUtf8("sch\u00f6n \u20ac")}));
  EXPECT_EQ(BlockColour(view, 0), QColor(0, 0, 255));
  EXPECT_EQ(BlockColour(view, 1), QColor(0, 0, 0));
  // Lines that come and go between two updates never show.
  for (int i = 0; i < 5; ++i) model.AddPaneLine(pane_colour::kGreen, "line " + std::to_string(i));
  for (int i = 0; i < 4; ++i) model.RemoveFirstLine();
  view.Sync();
  EXPECT_EQ(Blocks(view), (QStringList{"line 2", "line 3", "line 4"}));
  EXPECT_EQ(BlockColour(view, 2), QColor(0, 128, 0));
  while (model.LineCount() > 0) model.RemoveFirstLine();
  view.Sync();
  EXPECT_EQ(Blocks(view), QStringList{""});
  model.AddPaneLine(pane_colour::kGrey, "again");
  model.SetLines({{"a", pane_colour::kRed}, {"b", pane_colour::kBlack}});
  view.Sync();
  EXPECT_EQ(Blocks(view), (QStringList{"a", "b"}));
  EXPECT_EQ(BlockColour(view, 0), QColor(255, 0, 0));
}

TEST(ClusterTextView, ADarkPaletteTintsTheLineColoursUntilReadable) {
  ClusterTextModel model;
  model.AddPaneLine(pane_colour::kBlue, "WCY de DK0WCY-1 <06> : K=2 expK=0 A=8 R=97 SFI=154 SA=qui GMF=qui Au=no");
  model.AddPaneLine(pane_colour::kBlack, "plain");
  ClusterTextView view(&model);
  QPalette dark = view.palette();
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  view.setPalette(dark);
  view.Sync();
  const QColor blue = BlockColour(view, 0);
  EXPECT_GE(ContrastRatio(blue, dark.color(QPalette::Base)), kMinContrast);
  EXPECT_GT(blue.blue(), blue.red());  // a tint of the colour, still blue
  EXPECT_EQ(BlockColour(view, 1), QColor(230, 230, 230));
}

TEST(SpotListView, ShowsNewRowsSelectedAndReportsPresses) {
  FixedClock clock(DateTime{2026, 12, 6, 21, 7, 45});
  SpotLists lists(clock);
  SpotListView view(lists.List(5));
  view.resize(600, 300);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  for (int i = 0; i < 150; ++i) lists.AddSpotRow(5, "DX de Q2ABC: 14025.0 Q" + std::to_string(i));
  QTRY_COMPARE(view.model()->rowCount(), 151);
  EXPECT_EQ(view.currentIndex().row(), 150);
  EXPECT_EQ(view.currentIndex().data().toString(), "DX de Q2ABC: 14025.0 Q149 | 12-06");
  lists.TrimAndSaveList(5);
  view.Sync();
  EXPECT_EQ(view.model()->rowCount(), 51);
  EXPECT_EQ(view.currentIndex().row(), 50);

  view.setCurrentIndex(view.model()->index(3, 0));  // the operator picks an old row
  lists.List(5)->SelectLastRow();                     // and the page is shown again
  QTRY_COMPARE(view.currentIndex().row(), 50);

  QSignalSpy pressed(&view, &SpotListView::rowPressed);
  QTRY_VERIFY(view.visualRect(view.currentIndex()).isValid());
  const QRect rect = view.visualRect(view.currentIndex());
  EXPECT_TRUE(view.viewport()->rect().contains(rect.center()));  // scrolled to the newest row
  QTest::mouseClick(view.viewport(), Qt::RightButton, {}, rect.center());
  ASSERT_EQ(pressed.count(), 1);
  EXPECT_EQ(pressed[0][0].toInt(), 50);
  EXPECT_EQ(pressed[0][1].toByteArray(), QByteArray("DX de Q2ABC: 14025.0 Q149 | 12-06"));
  EXPECT_EQ(pressed[0][2].value<Qt::MouseButton>(), Qt::RightButton);
  EXPECT_TRUE(QFontInfo(view.font()).fixedPitch());
}

TEST(UserListView, HeaderAndSortedUsers) {
  UserListModel users;
  UserListView view(&users);
  users.Add("q2b");
  users.Add("Q1A");
  QTRY_COMPARE(view.model()->rowCount(), 2);
  EXPECT_EQ(view.model()->headerData(0, Qt::Horizontal).toString(), "Local users");
  EXPECT_EQ(view.model()->index(0, 0).data().toString(), "Q1A");
  EXPECT_EQ(view.model()->index(1, 0).data().toString(), "q2b");
}

TEST(TalkView, KeepsTheNewestLineInView) {
  TalkModel talk;
  TalkView view(&talk);
  view.resize(400, 80);
  view.show();
  for (int i = 0; i < 100; ++i) talk.AppendLine("[12-06 21:07] Q1ABC de Q2DEF: line " + std::to_string(i));
  view.Sync();
  EXPECT_EQ(view.document()->blockCount(), 100);
  EXPECT_EQ(view.textCursor().position(), view.document()->characterCount() - 1);
  EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
}

namespace {
// The area each paint of a widget covered, in pixels.
class PaintedArea : public QObject {
 public:
  explicit PaintedArea(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) pixels += r.width() * r.height();
      ++paints;
    }
    return false;
  }
  long pixels = 0;
  int paints = 0;
};
}  // namespace

TEST(SpotListView, ABatchRepaintsNeitherBarNorHeaderAndTheListOnlyItsNewRows) {
  FixedClock clock(DateTime{2026, 12, 6, 21, 7, 45});
  SpotLists lists(clock);
  SpotListView view(lists.List(5));
  SpotColumnsView columns(&view, [] { return kUnknownMinute; });
  int batch = 0;
  const auto check = [&](auto* v) {
    SCOPED_TRACE(v->metaObject()->className());
    v->resize(600, 300);
    v->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(v));
    for (int i = 0; i < 600; ++i) lists.AddSpotRow(5, "DX de Q2ABC: 14025.0 Q" + std::to_string(i) + "   cq");
    view.Sync();
    QTest::qWait(50);
    PaintedArea painted(v->viewport());
    PaintedArea bar(v->verticalScrollBar());
    PaintedArea header(columns.horizontalHeader()->viewport());
    for (int i = 0; i < 3; ++i) lists.AddSpotRow(5, "DX de Q2ABC: 14025.0 R" + std::to_string(batch++) + "   cq");
    view.Sync();
    QTRY_VERIFY(painted.paints > 0);
    QTest::qWait(50);
    // The list: the three new rows and the selection's move, not the page of 20 rows.
    const int rowHeight = v->visualRect(v->currentIndex()).height();
    EXPECT_LE(painted.pixels, long{v->viewport()->width()} * rowHeight * 8);
    // The handle stays at the end of a long list, the headers as they were: neither need
    // be painted again.
    EXPECT_EQ(bar.paints, 0);
    EXPECT_EQ(header.paints, 0);
    // The operator's scrolling still moves the list and the bar.
    v->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(v->indexAt(QPoint(1, 1)).row(), 0);
    QTRY_VERIFY(bar.paints > 0);
    v->hide();
  };
  check(&view);
  check(&columns);
}

TEST(QuietTabWidget, ACaptionRepaintsTheTabBarOnlyUnlessTheBarMoves) {
  QuietTabWidget tabs;
  for (const char* band : {"All", "160m", "80m", "40m", "30m", "20m", "17m", "15m"}) {
    auto* page = new QWidget;
    page->setAutoFillBackground(true);
    tabs.addTab(page, band);
  }
  // Too narrow for the tabs: the bar takes the whole width and scrolls.
  tabs.resize(220, 150);
  tabs.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tabs));
  QTest::qWait(50);
  QTabBar* bar = tabs.tabBar();
  PaintedArea notebook(&tabs);
  PaintedArea barPaints(bar);
  // A count in a caption: the notebook paints under its bar and nowhere else.
  bar->setTabText(5, "20m (1)");
  QTRY_VERIFY(barPaints.paints > 0);
  QTest::qWait(50);
  EXPECT_LE(notebook.pixels, long{bar->width()} * bar->height());
  // With room, a longer caption widens the bar: the notebook is still laid out.
  tabs.resize(900, 150);
  QTRY_VERIFY(bar->tabRect(7).right() < bar->width());
  const int width = bar->width();
  bar->setTabText(5, "20m (1234)");
  QTRY_VERIFY(bar->width() > width);
  EXPECT_LE(bar->tabRect(7).right(), bar->width());
}

TEST(SpotListView, KeysMoveTheCurrentRowInViewAndTheBarReachesTheWidestRow) {
  FixedClock clock(DateTime{2026, 12, 6, 21, 7, 45});
  SpotLists lists(clock);
  SpotListView view(lists.List(5));
  // The widest row comes first; the rows after it are short.
  const std::string wide = "DX de Q2ABC: 14025.0 R1 " + std::string(120, 'x');
  lists.AddSpotRow(5, wide);
  for (int i = 0; i < 100; ++i) lists.AddSpotRow(5, "DX de Q2ABC: 14025.0 Q" + std::to_string(i) + "   cq");
  view.Sync();
  view.resize(300, 200);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  const int last = view.model()->rowCount() - 1;
  EXPECT_EQ(view.currentIndex().row(), last);
  QScrollBar* across = view.horizontalScrollBar();
  EXPECT_GE(across->maximum() + view.viewport()->width(), view.fontMetrics().horizontalAdvance(QString::fromStdString(wide)));
  QSignalSpy keyed(&view, &SpotListView::rowKeyed);
  const auto inView = [&] {
    const QRect row = view.visualRect(view.currentIndex());
    return row.top() >= 0 && row.bottom() < view.viewport()->height();
  };
  QTest::keyClick(&view, Qt::Key_Home);
  EXPECT_EQ(view.currentIndex().row(), 0);
  EXPECT_TRUE(inView());
  QTest::keyClick(&view, Qt::Key_PageDown);
  const int page = view.currentIndex().row();
  EXPECT_GT(page, 3);
  EXPECT_TRUE(inView());
  QTest::keyClick(&view, Qt::Key_Up);
  QTest::keyClick(&view, Qt::Key_End);
  EXPECT_EQ(view.currentIndex().row(), last);
  EXPECT_TRUE(inView());
  QTest::keyClick(&view, Qt::Key_Down);  // nothing below: no move, no report
  ASSERT_EQ(keyed.size(), 4);
  EXPECT_EQ(keyed[1][0].toInt(), view.shownModel()->SourceRow(page));
  EXPECT_EQ(keyed[3][0].toInt(), view.shownModel()->SourceRow(last));
}

TEST(SpotListView, AShownFilterHidesSpotsInBothViewsButNotMarkers) {
  FixedClock clock(DateTime{2026, 12, 6, 21, 7, 45});
  SpotLists lists(clock);
  SpotListView view(lists.List(0));
  SpotColumnsView columns(&view, [] { return kUnknownMinute; });
  const auto spot = [&](const std::string& call) {
    lists.AddSpotRow(0, "DX de Q2XYZ:     14025.0  " + call + "       cq                             2153Z");
  };
  lists.AddSpotRow(0, "*** Varnak started at 21:07");
  for (int i = 0; i < 1000; ++i) {
    spot("DL" + std::to_string(i) + "AB");
    spot("JA" + std::to_string(i) + "AB");
  }
  view.Sync();
  QElapsedTimer timer;
  timer.start();
  view.SetShownFilter([](const Spot& s) { return s.dx.rfind("DL", 0) == 0; });
  std::printf("refiltered %d rows in %lld ms\n", lists.List(0)->Size(), static_cast<long long>(timer.elapsed()));
  const auto shown = [&] {
    QStringList calls;
    for (int r = 0; r < columns.model()->rowCount(); ++r)
      calls << columns.model()->index(r, ColDx).data().toString() + columns.model()->index(r, ColComment).data().toString();
    return calls;
  };
  QStringList calls = shown();
  ASSERT_EQ(calls.size(), 1001);
  EXPECT_EQ(view.model()->rowCount(), 1001);
  EXPECT_TRUE(calls[0].startsWith("*** Varnak started"));
  EXPECT_EQ(calls.filter("JA").size(), 0);
  EXPECT_EQ(view.HiddenCount(), lists.List(0)->Size() - 1001);  // the JA spots and the empty first row

  spot("JA9XX");
  spot("DL9XX");
  EXPECT_EQ(view.HiddenCount(), 1001);  // only an update of the view counts new rows
  view.Sync();
  calls = shown();
  EXPECT_EQ(calls.back(), "DL9XXcq");
  EXPECT_EQ(calls.size(), 1002);
  EXPECT_EQ(view.HiddenCount(), 1002);
  EXPECT_EQ(view.currentIndex().row(), 1001);  // the newest shown row is selected
  EXPECT_EQ(view.shownModel()->SourceRow(1001), lists.List(0)->Size() - 1);

  view.SetShownFilter({});
  EXPECT_EQ(columns.model()->rowCount(), lists.List(0)->Size());
  EXPECT_EQ(view.HiddenCount(), 0);
}

TEST(SpotListView, TextLaidOutOnceLooksExactlyAsTheStyleDrawsIt) {
  FixedClock clock(DateTime{2026, 12, 6, 21, 7, 45});
  SpotLists lists(clock);
  SpotListView view(lists.List(0));
  view.ColourRows([] { return kUnknownMinute; });
  SpotColumnsView columns(&view, [] { return kUnknownMinute; });
  columns.horizontalHeader()->resizeSection(ColComment, 60);  // cut short with an ellipsis
  lists.AddSpotRow(0, "*** Varnak started at 21:07");
  for (int i = 0; i < 12; ++i)
    lists.AddSpotRow(0, "DX de Q2XYZ:     1402" + std::to_string(i) + ".0  DL" + std::to_string(i) +
                            "ABC       cq test über alles          2153Z");
  // Rows sized by their length must match the style whatever their ends and characters.
  for (const char* odd : {"DX de Q2XYZ:     14025.0  DL9AB   cq  \xa0 \xa0", "DX de Q2XYZ: 14025.0 ZL1A 5\x80 \xad--   ",
                          "DX de Q2XYZ: 14025.0 ZL1A cq \xd0\x9f\xd1\x80\xd0\xb8   2153Z", "\xa0  x\ty  ",
                          "DX de Q2XYZ: 14025.0 DL1AB cq\a\a 2153Z", "DX de Q2XYZ: 14025.0 DL1AB\a cq 2153Z "})
    lists.AddSpotRow(0, odd);
  view.Sync();
  const auto check = [&](auto* v) {
    v->resize(700, 250);
    auto* delegate = dynamic_cast<SpotRowDelegate*>(v->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const QImage cached = v->viewport()->grab().toImage();
    QStyleOptionViewItem option;
    option.initFrom(v->viewport());
    option.widget = v;
    const auto sizes = [&] {
      QList<QSize> out;
      for (int r = 0; r < v->model()->rowCount(); ++r)
        for (int c = 0; c < v->model()->columnCount(); ++c) out << delegate->sizeHint(option, v->model()->index(r, c));
      return out;
    };
    const QList<QSize> known = sizes();
    delegate->reuseTextLayout = false;
    const QImage styled = v->viewport()->grab().toImage();
    EXPECT_EQ(known, sizes()) << v->metaObject()->className();
    delegate->reuseTextLayout = true;
    EXPECT_EQ(cached, styled) << v->metaObject()->className();
  };
  check(&view);
  check(&columns);
  // The window's font: a family the system may substitute with a monospaced font that
  // does not say it is one.
  QFont courier("Courier New");
  courier.setStyleHint(QFont::TypeWriter);
  courier.setFixedPitch(true);
  view.setFont(courier);
  columns.setFont(courier);
  check(&view);
  check(&columns);
}
