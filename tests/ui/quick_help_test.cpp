#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

#include "core/table_file.h"

#include "core/ini_file.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"

using namespace varnak;

namespace {
struct HelpRig {
  HelpRig() : form(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45})) {
    dir.Write("help.txt", "Command\tWhat\tNote\r\nSH/WWV\tbulletins\t\r\nSH/DX\tspots\tlatest\r\nBYE\tlog off\r\n");
    form.SendLineChecked = [this](const std::string& line) {
      sent.push_back(line);
      return true;
    };
  }
  std::unique_ptr<TForm3> Make() {
    return std::make_unique<TForm3>(dir / "help.txt", form.station().ProgramPath("Help.ini"), &form);
  }
  test::TempDir dir;
  TForm1 form;
  std::vector<std::string> sent;
};
}  // namespace

TEST(QuickHelp, GridFromHelpFileAndARowGoesLowerCasedToSendText) {
  HelpRig r;
  auto help = r.Make();
  EXPECT_EQ(help->windowTitle(), "Quickhelp DX-spider commands");
  QTableWidget* grid = help->HelpGrid;
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "What");
  EXPECT_EQ(grid->columnWidth(2), 300);
  EXPECT_EQ(grid->item(2, 0)->text(), "BYE");
  EXPECT_TRUE(help->LoadError().empty());

  grid->selectRow(1);
  EXPECT_EQ(r.form.SendTextEdit->text(), "sh/dx");
  EXPECT_TRUE(r.sent.empty());  // nothing goes out until Enter
  QTest::keyClick(r.form.SendTextEdit, Qt::Key_Return);
  EXPECT_EQ(r.sent, (std::vector<std::string>{"sh/dx"}));
}

TEST(QuickHelp, OnlyTheOperatorsPickCopiesACommandAndEscapeCloses) {
  HelpRig r;
  auto help = r.Make();
  help->show();
  r.form.SendTextEdit->setText("sh/dx/20 ");
  // The grid getting the focus makes a row current, which is not the operator's pick.
  QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(help->HelpGrid, &focusIn);
  EXPECT_EQ(r.form.SendTextEdit->text(), "sh/dx/20 ");

  QTableWidget* grid = help->HelpGrid;
  const QPoint row1 = grid->visualRect(grid->model()->index(1, 0)).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row1);
  EXPECT_EQ(r.form.SendTextEdit->text(), "sh/dx");
  r.form.SendTextEdit->setText("changed");
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row1);  // the selected row again
  EXPECT_EQ(r.form.SendTextEdit->text(), "sh/dx");

  QTest::keyClick(grid, Qt::Key_Escape);
  EXPECT_FALSE(help->isVisible());
}

TEST(QuickHelp, BoundsDefaultThenSavedAndRestoredAfterARestart) {
  HelpRig r;
  {
    auto help = r.Make();
    help->show();
    EXPECT_EQ(help->pos(), QPoint(250, 100));
    EXPECT_EQ(help->size(), QSize(540, 510));
    help->hide();
    IniFile ini;
    ASSERT_TRUE(ini.Load(r.dir / "Help.ini"));
    EXPECT_EQ(ini.ReadInteger("Position", "Left", 0), 250);
    EXPECT_EQ(ini.ReadInteger("Position", "Height", 0), 510);

    help->show();
    help->move(100, 120);  // inside the 800x600 screen: it is kept inside the work area
    help->resize(600, 400);
    help->close();
  }
  auto again = r.Make();
  again->show();
  EXPECT_EQ(again->pos(), QPoint(100, 120));
  EXPECT_EQ(again->size(), QSize(600, 400));  // the stored width survives
}

TEST(QuickHelp, MissingHelpFileLeavesAnEmptyGridAndMaximizedSettingApplies) {
  HelpRig r;
  TForm3 help(r.dir / "nothere.txt", r.form.station().ProgramPath("Help.ini"), &r.form);
  EXPECT_EQ(help.LoadError(), "Cannot open file " + (r.dir / "nothere.txt").string());
  EXPECT_EQ(help.HelpGrid->rowCount(), 0);

  r.form.station().settings().Maximized = true;
  r.form.showNormal();
  help.show();
  EXPECT_TRUE(r.form.windowState() & Qt::WindowMaximized);
}

TEST(QuickHelp, ShippedHelpFileHasThreeColumnsAndTheCommonCommands) {
  auto table = ReadTableFile(std::filesystem::path(VARNAK_SOURCE_DIR) / "data" / "help.txt");
  ASSERT_TRUE(table.has_value());
  ASSERT_GT(table->size(), 20u);
  std::set<std::string> commands;
  for (const auto& row : *table) {
    EXPECT_EQ(row.size(), 3u) << row[0];
    commands.insert(row[0]);
  }
  for (const char* c : {"SH/DX", "SH/WWV", "SH/WCY", "SH/USERS", "BYE", "SH/PREFIX <prefix>", "SH/QRZ <call>"}) {
    EXPECT_TRUE(commands.count(c)) << c;
  }
}
