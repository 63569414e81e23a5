#include "ui/main_window.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <fstream>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "support/temp_dir.h"
#include "ui/spot_tab_counts.h"

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
  QRect outer;
  {
    Window w(dir.path());
    w.form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.form.Edit3->text().isEmpty(); }, 2000));
    EXPECT_TRUE(w.form.windowTitle().startsWith("Varnak ")) << w.form.windowTitle().toStdString();
    EXPECT_TRUE(w.form.windowTitle().endsWith(" - Telnet - node.example"));
    // The stored bounds are the outer ones, frame included.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.form.frameGeometry().width() == 900; }, 2000))
        << w.form.frameGeometry().width();
    w.form.setGeometry(50, 60, 910, 660);
    outer = w.form.frameGeometry();
    w.form.close();
  }
  IniFile ini;
  ini.Load(dir / "Varnak.ini");
  EXPECT_EQ(ini.ReadInteger("Position", "Width", 0), outer.width());
  EXPECT_EQ(ini.ReadInteger("Position", "Left", 0), outer.left());
  EXPECT_TRUE(std::filesystem::exists(dir / "GB7MBC.pw"));
  {
    Window w(dir.path());
    w.form.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.form.frameGeometry() == outer; }, 2000))
        << w.form.frameGeometry().width() << "x" << w.form.frameGeometry().height();
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
  QTabWidget* notebook = w.form.TabbedNotebook1;
  const int page20 = ListIndexOfBand("20"), page40 = ListIndexOfBand("40");
  notebook->setCurrentIndex(page20);  // a new spot elsewhere is not presented
  w.form.station().ClassifyLine("DX de Q2XYZ:     7025.0  JA1XYZ       cq                             2153Z\a\a");
  EXPECT_EQ(w.form.Label2->text(), "");
  // The band tab counts what came since it was looked at; "All" stays plain.
  EXPECT_TRUE(QTest::qWaitFor([&] { return notebook->tabText(page40) == "40m (1)"; }, 2000));
  EXPECT_EQ(notebook->tabText(0), "All");
  // Not shown on this page, but the spot menu names the spot its commands act on.
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.form.SpotMenuItems[Showdx1]->text() == "SHOW/DX JA1XYZ"; }, 2000));
  notebook->setCurrentIndex(page40);
  EXPECT_EQ(notebook->tabText(page40), "40m");
  notebook->setCurrentIndex(0);
  SpotListView* all = w.form.SpotGrids[0];
  // A page out of sight did not follow the spots; shown, it has them all at once.
  ASSERT_EQ(all->model()->rowCount(), static_cast<int>(all->spotModel()->Rows().size()));
  int row = all->model()->rowCount() - 1;
  QRect r = all->visualRect(all->model()->index(row, 0));
  const QRect sendBox = w.form.TabbedNotebook2->geometry();
  QTest::mousePress(all->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_TRUE(w.form.station().freeze().Frozen());
  EXPECT_TRUE(w.form.FreezePanel->isVisibleTo(&w.form));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  EXPECT_EQ(w.form.TabbedNotebook2->geometry(), sendBox);  // the panel moves nothing
  EXPECT_TRUE(w.form.Label2->text().startsWith("JA1XYZ = JA: Japan")) << w.form.Label2->text().toStdString();
  EXPECT_EQ(w.form.SpotMenuItems[Showdx1]->text(), "SHOW/DX JA1XYZ");
  // While frozen a release from another part of the window ends the freeze quickly.
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(w.form.Memo1, &enter);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.form.station().freeze().Frozen(); }, 2000));

  notebook->setCurrentIndex(kSpotListCount);  // the search page
  w.form.SearchEdit->setText("ja1x");
  QTest::keyClick(w.form.SearchEdit, Qt::Key_Return);
  ASSERT_EQ(w.form.SearchModel->rowCount(), 1);
  EXPECT_TRUE(w.form.SearchModel->index(0, 0).data().toString().contains("JA1XYZ"));

  notebook->setCurrentIndex(page20);  // the page in view counts nothing
  w.form.station().ClassifyLine("DX de Q2XYZ:    14025.0  JA1ABC       cq                             2155Z\a\a");
  EXPECT_EQ(w.form.TabCounts->Count(page20), 0);
}

TEST(MainWindow, DividersAndBoundsComeBackAsStoredOverThreeRestarts) {
  test::TempDir dir;
  for (int start = 0; start < 3; ++start) {
    Window w(dir.path());
    w.form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.form));
    // The first start shows the defaults, every later one what the last one stored.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.form.TabbedNotebook1->height() == 200; }, 2000))
        << "start " << start << ": notebook " << w.form.TabbedNotebook1->height();
    EXPECT_EQ(w.form.RichEditAll->height(), 140) << "start " << start;
    const QRect bounds = w.form.frameGeometry();
    w.form.close();
    IniFile ini;
    ini.Load(dir / "Varnak.ini");
    EXPECT_EQ(ini.ReadInteger("Position", "Window1", 0), 200);
    EXPECT_EQ(ini.ReadInteger("Position", "Window2", 0), 140);
    EXPECT_EQ(ini.ReadInteger("Position", "Height", 0), bounds.height());
    EXPECT_EQ(ini.ReadInteger("Position", "Top", -1), bounds.top());
  }
}

TEST(MainWindow, MaximizedComesBackOversizeDividersLeavePanesTheirMinimumAndSetupFits) {
  test::TempDir dir;
  // Stored while maximized on a taller screen; this one is 800x600.
  dir.Write("Varnak.ini", "[Position]\r\nMaximized=1\r\nWindow1=900\r\nWindow2=700\r\n");
  Window w(dir.path());
  w.form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.isMaximized(); }, 2000));
  QWidget* panes[] = {w.form.TabbedNotebook1, w.form.RichEditAll, w.form.Memo1};
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return std::all_of(std::begin(panes), std::end(panes), [](QWidget* p) { return p->height() >= p->minimumHeight() && p->height() > 0; }); },
      2000))
      << w.form.TabbedNotebook1->height() << " " << w.form.RichEditAll->height() << " " << w.form.Memo1->height();

  w.form.CreateSecondaryWindows();
  w.form.ShowSetupDialog();
  TSetupDlg* setup = w.form.SetupDlg;
  const QRect area = w.form.screen()->availableGeometry();
  EXPECT_TRUE(area.contains(setup->frameGeometry())) << setup->frameGeometry().height();
  for (QWidget* button : {static_cast<QWidget*>(setup->OKBtn), static_cast<QWidget*>(setup->CancelBtn)})
    EXPECT_TRUE(setup->rect().contains(QRect(button->mapTo(setup, QPoint()), button->size())));
  setup->close();
}

TEST(MainWindow, StartUpRunsOnceEvenWithoutNodeCallAndBannerDatesTurnMonthDay) {
  test::TempDir dir;
  {
    // Saved lists are loaded: the start banner already shows its date as MM-DD.
    Window w(dir.path());
    w.form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.station().StartupDone(); }, 2000));
    EXPECT_TRUE(PaneText(w.form).contains("*** Varnak started 21:07:45 12-07")) << PaneText(w.form).toStdString();
    w.form.close();
  }
  dir.Write("Varnak.ini", "[AGWlink]\r\nConnectCall=\r\n[Misc]\r\nClearDx=1\r\n");
  Window w(dir.path());
  w.form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.station().StartupDone(); }, 2000));
  QEvent activate(QEvent::ActivationChange);
  QApplication::sendEvent(&w.form, &activate);
  QApplication::sendEvent(&w.form, &activate);
  QString pane = PaneText(w.form);
  EXPECT_EQ(pane.count("Varnak started"), 2) << pane.toStdString();  // one from the last run
  // No list row written yet: the system's date. The first spot switches it for good.
  EXPECT_FALSE(pane.section('\n', -2).contains("12-07")) << pane.toStdString();
  w.form.station().ClassifyLine("DX de Q2XYZ:     7025.0  JA1XYZ       cq                             2153Z");
  w.form.close();
  EXPECT_TRUE(PaneText(w.form).contains("*** Varnak closed 21:07:45 12-07"));
}

TEST(MainWindow, FilesThatCannotBeSavedAtExitAreNamedInABoxAndOnStandardError) {
  test::TempDir dir;
  // Folders where "Varnak.ini" and "dx.dxc" should be: neither can be replaced.
  std::filesystem::create_directories(dir / "Varnak.ini" / "inside");
  std::filesystem::create_directories(dir / "dx.dxc" / "inside");
  Window w(dir.path());
  w.form.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.station().StartupDone(); }, 2000));
  testing::internal::CaptureStderr();
  w.form.close();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Varnak.ini"), std::string::npos) << err;
  EXPECT_NE(err.find("dx.dxc"), std::string::npos) << err;
  EXPECT_TRUE(std::filesystem::exists(dir / "all.rtf"));  // the others are saved all the same

  QMessageBox* box = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == "ShutdownFailureBox" && top->isVisible()) box = qobject_cast<QMessageBox*>(top);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->text().contains("Varnak.ini") && box->text().contains("dx.dxc")) << box->text().toStdString();
  EXPECT_FALSE(box->isModal());
  box->close();
}
