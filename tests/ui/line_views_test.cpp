#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include "app/pane_models.h"
#include "app/spot_lists.h"
#include "ui/batched_list_proxy.h"
#include "ui/pane_views.h"
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
