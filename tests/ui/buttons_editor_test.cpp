#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "ui/main_window.h"

using namespace varnak;

namespace {
QStringList Column(QTableWidget* grid, int column) {
  QStringList out;
  for (int r = 0; r < grid->rowCount(); ++r) out << (grid->item(r, column) ? grid->item(r, column)->text() : "?");
  return out;
}
}  // namespace

TEST(ButtonsEditor, EditMoveSaveRebuildsTheBarAndWritesTheFile) {
  test::TempDir dir;
  dir.Write("buttons.cfg", "A\tcmd a\r\nB\tcmd b\textra\r\nC\tcmd c\r\n");
  TForm1 form(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45}));
  std::vector<std::string> sent;
  form.SendLineChecked = [&](const std::string& line) {
    sent.push_back(line);
    return true;
  };
  auto* dlg = new TEditButtonDlg(&form);
  ASSERT_EQ(form.EditButtonDlg, dlg);
  QTableWidget* grid = dlg->SortGrid1;
  EXPECT_EQ(grid->columnCount(), 3);  // the extra field stays in the table
  dlg->show();

  grid->setCurrentCell(0, 0);
  dlg->UpClick();  // first row: nothing
  dlg->DownClick();
  EXPECT_EQ(Column(grid, 0), (QStringList{"B", "A", "C"}));
  EXPECT_EQ(grid->currentRow(), 1);
  grid->setCurrentCell(2, 0);
  dlg->DownClick();  // last row: nothing
  dlg->UpClick();
  EXPECT_EQ(Column(grid, 0), (QStringList{"B", "C", "A"}));
  dlg->DeleteClick();  // the current row, C, without asking
  EXPECT_EQ(Column(grid, 0), (QStringList{"B", "A"}));
  dlg->AddClick();
  EXPECT_EQ(grid->currentRow(), 2);
  grid->item(2, 0)->setText("LONGER");
  grid->item(2, 1)->setText("sh/dx 20");

  EXPECT_EQ(form.UserButtons.size(), 3u);  // old bar until "Save"
  QTest::mouseClick(dlg->SaveButton, Qt::LeftButton);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(dir.Read("buttons.cfg"), "B\tcmd b\textra\r\nA\tcmd a\t\r\nLONGER\tsh/dx 20\t\r\n");
  ASSERT_EQ(form.UserButtons.size(), 3u);
  // 6 pixels a letter and 20 more, or wider where the font needs it to show the caption.
  const QRect longer = form.UserButtons[2]->geometry();
  EXPECT_EQ(longer.topLeft(), QPoint(1 + 26 + 26, 1));
  EXPECT_GE(longer.width(), std::max(56, form.UserButtons[2]->fontMetrics().horizontalAdvance("LONGER") + 8));
  QTest::mouseClick(form.UserButtons[2], Qt::LeftButton);
  EXPECT_EQ(sent, (std::vector<std::string>{"sh/dx 20"}));

  // "Cancel" keeps unsaved edits in the table and writes nothing.
  dlg->show();
  grid->item(0, 1)->setText("changed");
  QTest::mouseClick(dlg->CancelButton, Qt::LeftButton);
  EXPECT_EQ(dlg->CommandAt(0), "changed");
  EXPECT_EQ(dir.Read("buttons.cfg").substr(0, 12), "B\tcmd b\textr");
}

TEST(ButtonsEditor, OpensWithoutACellInEditMode) {
  test::TempDir dir;
  TForm1 form(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45}));
  auto* dlg = new TEditButtonDlg(&form);
  dlg->show();
  dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg));
  dlg->SortGrid1->setFocus();
  EXPECT_FALSE(dlg->SortGrid1->indexWidget(dlg->SortGrid1->currentIndex()));  // no editor open
  QTest::keyClicks(QApplication::focusWidget(), "x");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(dlg->SortGrid1->item(0, 0)->text(), "WCY");
}
