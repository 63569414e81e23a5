// The columns view of the spot lists: cells, sorting, its setting and layout, the click
// and key rules it shares with the one-column view, colours and the log's marks.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTest>
#include <gtest/gtest.h>

#include "app/operator_log.h"
#include "app/spot.h"
#include "core/ini_file.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/spot_row_style.h"

using namespace varnak;

namespace {

const char* const kSpot1 = "DX de Q2XYZ:     14025.0  DL1ABC       cq                             2153Z";
const char* const kSpot2 = "DX de Q3ABC-#:    7025.0  JA1XYZ       CW 22 dB 25 WPM CQ             2154Z";
const char* const kSpot3 = "DX de Q1ABC:     21025.0  VK2ABC       up 2                           2155Z";

struct Window {
  explicit Window(const std::filesystem::path& dir, std::shared_ptr<FixedClock> c = Clock())
      : clock(c), form(dir, c) {
    form.station().ShutdownWaitMs = 0;
    form.desktopWidth = [] { return 1024; };
    form.SendLineChecked = [this](const std::string& line) {
      sent.push_back(line);
      return true;
    };
    form.show();
  }
  static std::shared_ptr<FixedClock> Clock() {
    return std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 0}, DateTime{2026, 12, 7, 21, 7, 0});
  }
  void At(int hour, int minute) {
    clock->Set(DateTime{2026, 12, 7, hour, minute, 0}, DateTime{2026, 12, 7, hour, minute, 0});
  }
  SpotColumnsView* All() { return form.ColumnGrids[0]; }
  // The view's rows, once it has caught up with the list.
  QStringList Column(int column) {
    SpotColumnsView* v = All();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return v->model()->rowCount() == static_cast<int>(form.station().lists().All()->Rows().size()); },
        2000));
    form.station().lists().All()->FinishNow();
    QStringList cells;
    for (int r = 0; r < v->model()->rowCount(); ++r) cells << v->model()->index(r, column).data().toString();
    return cells;
  }
  std::shared_ptr<FixedClock> clock;
  TForm1 form;
  std::vector<std::string> sent;
};

void SetUpStation(const test::TempDir& dir, const std::string& extra = "") {
  std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst");
  dir.Write("Varnak.ini",
            "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nSound=0\r\n[View]\r\nColumns=1\r\n" + extra);
}

}  // namespace

TEST(SpotColumns, CellsOfRealRowsAndOfRowsThatAreNoSpots) {
  Spot r = ParseSpotRow(std::string(kSpot2) + " | 12-07");
  EXPECT_TRUE(r.valid);
  EXPECT_EQ(r.spotter, "Q3ABC-#");
  EXPECT_EQ(r.khzText, "7025.0");
  EXPECT_EQ(r.dx, "JA1XYZ");
  EXPECT_EQ(r.comment, "CW 22 dB 25 WPM CQ");
  EXPECT_EQ(r.utc, "2154Z");
  EXPECT_EQ(r.band, "40");
  // DX Spider with the spotter's locator after the time; a long spotter shifting the layout.
  r = ParseSpotRow("DX de Q2XYZ-2:   3525.0  OH2XX        599                            0215Z KP20 | 12-08");
  EXPECT_EQ(r.comment, "599");
  EXPECT_EQ(r.utc, "0215Z");
  r = ParseSpotRow("DX de Q22ABC/P:  50110.0  EA8/DL1ABC/P  tnx QSO 1200Z ok            1201Z | 12-08");
  EXPECT_EQ(r.dx, "EA8/DL1ABC/P");
  EXPECT_EQ(r.comment, "tnx QSO 1200Z ok");
  EXPECT_EQ(r.utc, "1201Z");
  // A converted listing row keeps the date after the time.
  r = ParseSpotRow("DX de Q2XYZ:     14195.0  K1BAD        live spot                      0146Z|8-Dec | 12-08");
  EXPECT_TRUE(r.valid);
  EXPECT_EQ(r.comment, "live spot");
  EXPECT_EQ(r.utc, "0146Z");

  for (const std::string bad : {"*** Varnak started at 21:07 | 12-07", "", "hello from the relay | 12-07",
                                "DX de Q2XYZ:     14025.0  ABCDEFGHIJKLMNOPQRST cq        2153Z | 12-07",
                                "DX de Q2XYZ:     14025.0  DL1ABC       no time at all | 12-07",
                                "DX de Q2XYZ:     fast  DL1ABC       cq         2153Z | 12-07"}) {
    r = ParseSpotRow(bad);
    EXPECT_FALSE(r.valid) << bad;
    EXPECT_EQ(SpotCellText(r, ColComment, 0).toStdString(), bad);
    EXPECT_EQ(SpotCellText(r, ColKhz, 0), "");
  }
}

TEST(SpotColumns, RowsShowEntityAndPathSortWithoutTouchingTheList) {
  test::TempDir dir;
  SetUpStation(dir);
  {
    Window w(dir.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.station().StartupDone(); }, 2000));
    ASSERT_TRUE(w.form.SpotColumnsAction->isChecked());
    ASSERT_TRUE(w.All()->isVisible());
    w.At(21, 10);
    w.form.station().ClassifyLine(kSpot1);
    w.At(21, 20);
    w.form.station().ClassifyLine(kSpot2);
    w.At(21, 25);
    w.form.station().ClassifyLine(kSpot3);
    w.At(21, 30);
    const std::vector<std::string> timeOrder = w.form.station().lists().All()->Rows();

    QStringList dx = w.Column(ColDx);
    // Row 0 is the empty first row, row 1 the start marker.
    ASSERT_EQ(dx.mid(dx.size() - 3), (QStringList{"DL1ABC", "JA1XYZ", "VK2ABC"}));
    const int last = dx.size() - 1;
    EXPECT_EQ(w.Column(ColEntity)[last - 2], "Fed. Rep. of Germany");
    EXPECT_EQ(w.Column(ColCont)[last - 1], "AS");
    EXPECT_FALSE(w.Column(ColKm)[last - 2].isEmpty());
    EXPECT_EQ(w.Column(ColAge).mid(last - 2), (QStringList{"20", "10", "5"}));
    EXPECT_TRUE(w.Column(ColComment)[1].startsWith("*** Varnak started at"));
    EXPECT_EQ(w.Column(ColUtc)[1], "");
    // A row twenty minutes old has faded, its kHz cell keeps the band's colour.
    const QRect cell = w.All()->visualRect(w.All()->model()->index(last - 2, ColKhz));
    const QImage shot = w.All()->viewport()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(cell.left() + 2, cell.center().y())), BandCellBackground("20", w.All()->palette()));
    // Spotted by the operator (Q1ABC): the row is bold in both views.
    EXPECT_TRUE(w.form.station().lists().All()->SpotAt(last)->ownCall);
    EXPECT_FALSE(w.form.station().lists().All()->SpotAt(last - 1)->ownCall);

    const auto order = [&] { return w.Column(ColDx).mid(0, 3); };
    w.All()->horizontalHeader()->sectionClicked(ColKhz);
    EXPECT_EQ(order(), (QStringList{"JA1XYZ", "DL1ABC", "VK2ABC"}));
    w.All()->horizontalHeader()->sectionClicked(ColKhz);
    EXPECT_EQ(order(), (QStringList{"VK2ABC", "DL1ABC", "JA1XYZ"}));
    EXPECT_EQ(w.Column(ColDx).mid(3), (QStringList{"", ""}));  // the marker and empty row stay last
    w.All()->SortBy(ColKm, Qt::AscendingOrder);
    EXPECT_EQ(order(), (QStringList{"DL1ABC", "JA1XYZ", "VK2ABC"}));
    w.All()->SortBy(ColAge, Qt::AscendingOrder);
    EXPECT_EQ(order(), (QStringList{"VK2ABC", "JA1XYZ", "DL1ABC"}));
    w.All()->horizontalHeader()->sectionClicked(ColAge);
    w.All()->horizontalHeader()->sectionClicked(ColAge);  // third click: time order
    EXPECT_EQ(w.All()->SortColumn(), -1);
    EXPECT_EQ(w.Column(ColDx).mid(dx.size() - 3), (QStringList{"DL1ABC", "JA1XYZ", "VK2ABC"}));
    EXPECT_EQ(w.form.station().lists().All()->Rows(), timeOrder);

    // Sorted while a new spot comes: the list files it at its end as ever.
    w.All()->SortBy(ColKhz, Qt::DescendingOrder);
    w.form.station().ClassifyLine("DX de Q2XYZ:     1830.0  W1AW         cq                             2156Z");
    EXPECT_EQ(w.Column(ColDx).mid(0, 4), (QStringList{"VK2ABC", "DL1ABC", "JA1XYZ", "W1AW"}));
    EXPECT_TRUE(w.form.station().lists().All()->Rows().back().find("W1AW") != std::string::npos);
    w.form.close();
  }
  const std::string file = dir.Read("dx.dxc");
  EXPECT_LT(file.find("DL1ABC"), file.find("JA1XYZ"));
  EXPECT_LT(file.find("VK2ABC"), file.find("W1AW"));
}

TEST(SpotColumns, SettingAndColumnLayoutSurviveARestart) {
  test::TempDir dir;
  {
    Window w(dir.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.station().StartupDone(); }, 2000));
    EXPECT_FALSE(w.form.SpotColumnsShown());  // off by default: the one-column lists
    EXPECT_TRUE(w.form.SpotGrids[0]->isVisible());
    w.form.SpotColumnsAction->trigger();
    ASSERT_TRUE(w.form.SpotColumnsShown());
    QHeaderView* header = w.All()->horizontalHeader();
    header->moveSection(header->visualIndex(ColComment), 1);
    header->resizeSection(ColComment, 321);
    header->setSectionHidden(ColSpotter, true);
    emit w.All()->layoutEdited();
    // The other lists follow at once.
    EXPECT_EQ(w.form.ColumnGrids[5]->horizontalHeader()->sectionSize(ColComment), 321);
    w.form.close();
  }
  IniFile ini;
  ini.Load(dir / "Varnak.ini");
  EXPECT_EQ(ini.ReadInteger("View", "Columns", 0), 1);
  Window w(dir.path());
  ASSERT_TRUE(w.form.SpotColumnsAction->isChecked());
  QHeaderView* header = w.form.ColumnGrids[3]->horizontalHeader();
  EXPECT_EQ(header->visualIndex(ColComment), 1);
  EXPECT_EQ(header->sectionSize(ColComment), 321);
  EXPECT_TRUE(header->isSectionHidden(ColSpotter));
  EXPECT_FALSE(header->isSectionHidden(ColDx));
  // Unticked: the one-column list is back and the columns views are gone.
  w.form.SpotColumnsAction->trigger();
  EXPECT_FALSE(w.form.SpotColumnsShown());
  EXPECT_TRUE(w.form.SpotGrids[0]->isVisible());
}

TEST(SpotColumns, PressFreezeSpotMenuAndKeysAsInTheOneColumnList) {
  test::TempDir dir;
  SetUpStation(dir);
  Window w(dir.path());
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.station().StartupDone(); }, 2000));
  for (const char* spot : {kSpot1, kSpot2}) w.form.station().ClassifyLine(spot);
  SpotColumnsView* v = w.All();
  const int n = w.Column(ColDx).size();
  ASSERT_TRUE(QTest::qWaitFor([&] { return v->currentIndex().row() == n - 1; }, 2000));

  const QRect dl = v->visualRect(v->model()->index(n - 2, ColEntity));
  QTest::mousePress(v->viewport(), Qt::LeftButton, {}, dl.center());
  EXPECT_TRUE(w.form.station().freeze().Frozen());
  EXPECT_TRUE(w.form.Label2->text().startsWith("DL1ABC = DL")) << w.form.Label2->text().toStdString();
  EXPECT_EQ(w.form.SpotMenuItems[Showdx1]->text(), "SHOW/DX DL1ABC");
  QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, dl.center());

  // Frozen: new spots are filed but the view holds the clicked row.
  w.form.station().ClassifyLine(kSpot3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return v->model()->rowCount() == n + 1; }, 2000));
  EXPECT_EQ(v->currentIndex().row(), n - 2);
  EXPECT_EQ(w.form.station().CurrentSpot.SpotCall, "DL1ABC");

  // The right button opens the spot menu with the row's captions.
  const QRect ja = v->visualRect(v->model()->index(n - 1, ColDx));
  QTest::mousePress(v->viewport(), Qt::RightButton, {}, ja.center());
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.form.PopupMenu1->isVisible(); }, 2000));
  EXPECT_EQ(w.form.SpotMenuItems[Showqrz1]->text(), "SHOW/QRZ JA1XYZ (QRZ callbook)");
  w.form.PopupMenu1->close();

  // Keys: Up presents the row above, Enter is the menu's first look-up, Ctrl+C copies.
  v->setFocus();
  QTest::keyClick(v, Qt::Key_Up);
  EXPECT_TRUE(w.form.Label2->text().startsWith("DL1ABC")) << w.form.Label2->text().toStdString();
  QTest::keyClick(v, Qt::Key_Return);
  ASSERT_FALSE(w.sent.empty());
  EXPECT_EQ(w.sent.back(), "show/qrz DL1ABC");
  QTest::keyClick(v, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), std::string(kSpot1) + " | 12-07");

  // A double click on a header's edge fits the column to the cells in view.
  QHeaderView* header = v->horizontalHeader();
  header->resizeSection(ColEntity, 8);
  emit header->sectionHandleDoubleClicked(ColEntity);
  const QString entity = v->model()->index(n - 2, ColEntity).data().toString();
  ASSERT_FALSE(entity.isEmpty());
  EXPECT_GE(header->sectionSize(ColEntity), v->fontMetrics().horizontalAdvance(entity));
}

TEST(SpotColumns, StartMarkerIsASeparatorNeverTheSelectedSpot) {
  test::TempDir dir;
  SetUpStation(dir);
  std::string saved;
  for (int i = 0; i < 60; ++i) saved += std::string(kSpot1) + " | 12-07\r\n";
  dir.Write("dx.dxc", saved);
  Window w(dir.path());
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.station().StartupDone(); }, 2000));
  SpotColumnsView* v = w.All();
  const QStringList comments = w.Column(ColComment);
  const int marker = static_cast<int>(comments.size()) - 1;
  ASSERT_TRUE(comments.last().startsWith("*** Varnak started")) << comments.last().toStdString();
  QCoreApplication::processEvents();
  EXPECT_FALSE(v->model()->flags(v->model()->index(marker, ColComment)) & Qt::ItemIsSelectable);
  EXPECT_NE(v->currentIndex().row(), marker);
  // The newest rows are in view, as in the one-column list.
  EXPECT_TRUE(v->viewport()->rect().contains(v->visualRect(v->model()->index(marker, ColDx)).center()));
  QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(v->model()->index(marker, ColDx)).center());
  EXPECT_EQ(w.form.station().currentSpot().comment.rfind("***", 0), std::string::npos);
  QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(v->model()->index(marker - 1, ColDx)).center());
  EXPECT_EQ(w.form.station().CurrentSpot.SpotCall, "DL1ABC");
  // Keys pass over it too.
  v->setFocus();
  for (const Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown}) {
    QTest::keyClick(v, key);
    EXPECT_EQ(v->currentIndex().row(), marker - 1);
  }
}

TEST(SpotColumns, BandAndMarkColoursStayReadableInLightAndDarkThemes) {
  QPalette dark;
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  QPalette light;
  light.setColor(QPalette::Base, Qt::white);
  light.setColor(QPalette::Text, Qt::black);
  for (const QPalette& p : {dark, light}) {
    for (const char* band : {"160", "80", "40", "30", "20", "17", "15", "12", "10", "6", "2", "70cm", "SHF", ""}) {
      const QColor cell = BandCellBackground(band, p);
      EXPECT_GT(ContrastRatio(cell, p.color(QPalette::Text)), kMinContrast) << band;
      EXPECT_NE(cell, p.color(QPalette::Base)) << band;  // still shows the band
    }
    for (NeedMark mark : {NeedMark::NewEntity, NeedMark::NewBand}) {
      const QColor bg = MarkBackground(mark, p);
      ASSERT_TRUE(bg.isValid());
      EXPECT_GT(ContrastRatio(bg, p.color(QPalette::Text)), kMinContrast);
    }
    EXPECT_FALSE(MarkBackground(NeedMark::None, p).isValid());
    // Old rows fade towards the background, never into it.
    const QColor old = AgedText(p, 45, false);
    EXPECT_LT(ContrastRatio(old, p.color(QPalette::Base)), ContrastRatio(p.color(QPalette::Text), p.color(QPalette::Base)));
    EXPECT_GT(ContrastRatio(old, p.color(QPalette::Base)), 2.0);
  }
}

// A row's text colour comes from the colour group it is painted in (an inactive window's
// may differ), also once rows of that age were painted in another group.
TEST(SpotColumns, RowTextFollowsTheColourGroupItIsPaintedIn) {
  struct Probe : SpotRowDelegate {
    using SpotRowDelegate::SpotRowDelegate;
    using SpotRowDelegate::initStyleOption;
  };
  Spot spot;
  spot.valid = true;
  spot.filedMinute = 1000;
  Probe delegate([&](const QModelIndex&) { return &spot; }, [] { return std::int64_t{1000}; }, nullptr);
  QStandardItemModel model(1, 1);
  QStyleOptionViewItem option;
  option.palette.setColor(QPalette::Active, QPalette::Text, Qt::black);
  option.palette.setColor(QPalette::Inactive, QPalette::Text, Qt::red);
  for (const auto& [group, text] : {std::pair{QPalette::Active, QColor(Qt::black)}, std::pair{QPalette::Inactive, QColor(Qt::red)}}) {
    QStyleOptionViewItem cell = option;
    cell.palette.setCurrentColorGroup(group);
    delegate.initStyleOption(&cell, model.index(0, 0));
    EXPECT_EQ(cell.palette.color(QPalette::Text), text) << group;
  }
}

TEST(SpotColumns, NeedColumnShowsTheMarksOfTheOperatorsLog) {
  test::TempDir dir;
  dir.Write("log.adi",
            "<EOH>\n<CALL:6>DL9XYZ <BAND:3>20m <MODE:2>CW <QSL_RCVD:1>Y <EOR>\n"
            "<CALL:6>VK3ABC <BAND:3>15m <MODE:3>SSB <EOR>\n");
  SetUpStation(dir, "[Log]\r\nAdif=" + (dir / "log.adi").string() + "\r\n");
  Window w(dir.path());
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.form.station().operatorLog().Loaded(); }, 5000));
  w.form.station().ClassifyLine(kSpot1);  // Germany, 20 m CW: worked and confirmed
  w.form.station().ClassifyLine("DX de Q2XYZ:     7005.0  DL2ABC       cq                             2153Z");
  w.form.station().ClassifyLine(kSpot2);  // Japan: never worked
  const QStringList need = w.Column(ColNeed);
  EXPECT_EQ(need.mid(need.size() - 3), (QStringList{"", "BAND", "NEW"}));

  // The log changes on disk: the rows are marked again.
  dir.Write("log.adi", "<EOH>\n<CALL:6>JA1AAA <BAND:3>40m <MODE:2>CW <QSL_RCVD:1>Y <EOR>\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Column(ColNeed).last() == ""; }, 5000));
  EXPECT_EQ(w.Column(ColNeed).mid(need.size() - 3), (QStringList{"NEW", "NEW", ""}));
}
