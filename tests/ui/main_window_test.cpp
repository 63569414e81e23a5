#include "ui/main_window.h"

#include <QPlainTextEdit>
#include <fstream>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "support/temp_dir.h"

using namespace varnak;

namespace {
std::shared_ptr<FixedClock> NoonClock() {
  return std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45});
}

// The pane's lines as the operator will see them: the view catches up in batches, so
// read its model, never the view right after an action.
QString PaneText(TForm1& form) {
  QStringList lines;
  for (const std::string& text : form.station().pane().Texts()) lines << QString::fromStdString(text);
  return lines.join('\n');
}

struct Window {
  explicit Window(const std::filesystem::path& dir) : form(dir, NoonClock()) {
    form.EditButtonDlg = new TEditButtonDlg(&form);
    form.Callsign = new TCallsign(form.station().ProgramDir(), &form);
    form.station().ShutdownWaitMs = 0;
    form.desktopWidth = [] { return 1024; };  // the offscreen screen is 800 wide
  }
  TForm1 form;
};
}  // namespace

TEST(MainWindow, FirstStartNotSetUpShowsBannersAndOpensSetupASecondLater) {
  test::TempDir dir;
  Window w(dir.path());
  w.form.show();
  w.form.CreateSecondaryWindows();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form.Edit3->text().isEmpty(); }, 2000));
  QString pane = PaneText(w.form);
  EXPECT_TRUE(pane.contains("*** Varnak started 21:07:45 ")) << pane.toStdString();
  EXPECT_TRUE(pane.contains("*** Not yet connected, click \"Connect\"!"));
  EXPECT_EQ(w.form.Edit3->text(), "GB7MBC");
  EXPECT_FALSE(w.form.SetupDlg->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.form.SetupDlg->isVisible(); }, 3000));
  EXPECT_EQ(w.form.windowTitle(), "Varnak");  // not set up: no caption change

  // Coming back to the window does not run the start-up routine again.
  QEvent activate(QEvent::ActivationChange);
  QApplication::sendEvent(&w.form, &activate);
  EXPECT_EQ(PaneText(w.form).count("Varnak started"), 1);
}

TEST(MainWindow, CaptionForTelnetAndPlacementSurviveARestart) {
  test::TempDir dir;
  dir.Write("Varnak.ini",
            "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\n[TelnetLink]\r\nTelnetDbPos=117\r\n"
            "[Position]\r\nLeft=30\r\nTop=40\r\nWidth=900\r\nHeight=650\r\n");
  QString old = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(dir.path().string()));
  dir.Write("telnet.cfg", "No\tCall\tA\tB\tHost\tPort\r\n117\tQ9NODE\tx\ty\tnode.example\t7300\r\n");
  {
    Window w(dir.path());
    w.form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form.Edit3->text().isEmpty(); }, 2000));
    EXPECT_TRUE(w.form.windowTitle().startsWith("Varnak ")) << w.form.windowTitle().toStdString();
    EXPECT_TRUE(w.form.windowTitle().endsWith(" - Telnet - node.example"));
    EXPECT_EQ(w.form.geometry().width(), 900);
    w.form.setGeometry(50, 60, 910, 660);
    w.form.close();
  }
  IniFile ini;
  ini.Load(dir / "Varnak.ini");
  EXPECT_EQ(ini.ReadInteger("Position", "Width", 0), 910);
  EXPECT_EQ(ini.ReadInteger("Position", "Left", 0), 50);
  EXPECT_TRUE(std::filesystem::exists(dir / "GB7MBC.pw"));
  {
    Window w(dir.path());
    EXPECT_EQ(w.form.geometry().width(), 910);
    EXPECT_EQ(w.form.geometry().height(), 660);
  }
  QDir::setCurrent(old);
}

TEST(MainWindow, ScreenAdaptationOnlyForExactWidths) {
  test::TempDir dir;
  for (int width : {800, 801}) {
    Window w(dir.path());
    w.form.desktopWidth = [width] { return width; };
    w.form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form.Edit3->text().isEmpty(); }, 2000));
    EXPECT_EQ(w.form.isMaximized(), width == 800) << width;
  }
}

TEST(MainWindow, ShutdownWritesTheClosingBannerLast) {
  test::TempDir dir;
  Window w(dir.path());
  w.form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form.Edit3->text().isEmpty(); }, 2000));
  w.form.close();
  QString pane = PaneText(w.form).trimmed();
  EXPECT_TRUE(pane.section('\n', -1).startsWith("*** Varnak closed 21:07:45")) << pane.toStdString();
  // ... and the saved pane, which the next start shows, ends with it too.
  std::ifstream rtf(dir / "all.rtf", std::ios::binary);
  std::string saved((std::istreambuf_iterator<char>(rtf)), std::istreambuf_iterator<char>());
  EXPECT_GT(saved.rfind("*** Varnak closed 21:07:45"), saved.rfind("Varnak started"));
  EXPECT_TRUE(std::filesystem::exists(dir / "Varnak.ini"));
}

TEST(MainWindow, PressingASpotFreezesAndLooksItUpAndTheSearchFindsIt) {
  test::TempDir dir;
  std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst");
  dir.Write("Varnak.ini", "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nSound=0\r\n");
  Window w(dir.path());
  w.form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form.Edit3->text().isEmpty(); }, 2000));
  w.form.TabbedNotebook1->setCurrentIndex(5);  // 20m: a new spot elsewhere is not presented
  w.form.station().ClassifyLine("DX de Q2XYZ:     7025.0  JA1XYZ       cq                             2153Z\a\a");
  EXPECT_EQ(w.form.Label2->text(), "");
  w.form.TabbedNotebook1->setCurrentIndex(0);
  SpotListView* all = w.form.SpotGrids[0];
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return all->model()->rowCount() == static_cast<int>(all->spotModel()->Rows().size()); }, 2000));
  int row = all->model()->rowCount() - 1;
  QRect r = all->visualRect(all->model()->index(row, 0));
  QTest::mousePress(all->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_TRUE(w.form.station().freeze().Frozen());
  EXPECT_TRUE(w.form.FreezePanel->isVisibleTo(&w.form));
  EXPECT_TRUE(w.form.Label2->text().startsWith("JA1XYZ = JA: Japan")) << w.form.Label2->text().toStdString();
  EXPECT_EQ(w.form.SpotMenuItems[Showdx1]->text(), "SHOW/DX JA1XYZ");
  // While frozen a release from another part of the window ends the freeze quickly.
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(w.form.Memo1, &enter);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.form.station().freeze().Frozen(); }, 2000));

  w.form.TabbedNotebook1->setCurrentIndex(14);
  w.form.SearchEdit->setText("ja1x");
  QTest::keyClick(w.form.SearchEdit, Qt::Key_Return);
  ASSERT_EQ(w.form.SearchModel->rowCount(), 1);
  EXPECT_TRUE(w.form.SearchModel->index(0, 0).data().toString().contains("JA1XYZ"));
}
