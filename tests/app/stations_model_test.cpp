// One row per station: twelve skimmers and a person make one row with its counts and
// figures, doubtful stations are marked, and rows hold still while the lists are frozen.
#include "app/stations_model.h"

#include <QTest>
#include <gtest/gtest.h>

#include <map>

namespace varnak {
namespace {

struct Stations {
  std::int64_t now = 1000;
  StationsModel model{[this] { return now; }};
  std::map<std::string, std::string, std::less<>> continents;
  Stations() {
    model.SetContinentOf([this](std::string_view call) {
      const auto it = continents.find(call);
      return it == continents.end() ? std::string() : it->second;
    });
  }
  // A spot as filed; the comment says the rest.
  void Add(std::string dx, std::string band, std::string spotter, std::string comment,
           ModeGroup mode = ModeGroup::Cw, std::string continent = "EU") {
    Spot s;
    s.valid = true;
    s.dx = std::move(dx);
    s.band = std::move(band);
    s.khzText = s.band == "20" ? "14025.0" : "7025.0";
    s.mode = mode;
    s.skimmer = spotter.ends_with("-#");
    s.spotter = std::move(spotter);
    s.comment = std::move(comment);
    s.utc = std::to_string(2200 + now % 60) + "Z";
    s.filedMinute = now;
    continents[s.spotter] = continent;
    model.Add(s);
  }
  QString Cell(int row, int column) { return model.CellText(*model.RowAt(row), column); }
  QStringList Column(int column) {
    model.Publish();
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r) out << Cell(r, column);
    return out;
  }
};

TEST(StationsModel, TwelveSkimmersAndAPersonAreOneRowWithCountsAndBestSnr) {
  Stations s;
  for (int i = 0; i < 12; ++i) {
    s.Add("VP8PJ", "20", "SK" + std::to_string(i) + "-#",
          "CW " + std::to_string(10 + (i * 7) % 19) + " dB " + std::to_string(24 + i % 2) + " WPM CQ",
          ModeGroup::Cw, i < 8 ? "EU" : "NA");
    ++s.now;
  }
  s.Add("VP8PJ", "20", "DL1ABC", " loud in JO62 ");
  s.Add("VP8PJ", "20", "SK0-#", "CW 11 dB 26 WPM CQ");  // a skimmer again: no new spotter
  s.Add("VP8PJ", "40", "SK0-#", "CW 5 dB 26 WPM CQ");   // another band: another row
  s.Add("VP8PJ", "20", "G4ABC", "", ModeGroup::Phone);  // another mode class: another row
  s.model.Publish();
  ASSERT_EQ(s.model.rowCount(), 3);
  EXPECT_EQ(s.Cell(0, StDx), "VP8PJ");
  EXPECT_EQ(s.Cell(0, StSpots), "14");
  EXPECT_EQ(s.Cell(0, StSpotters), "1");
  EXPECT_EQ(s.Cell(0, StSkimmers), "12");
  EXPECT_EQ(s.Cell(0, StConts), "EU NA");
  EXPECT_EQ(s.Cell(0, StSnr), "28");
  EXPECT_EQ(s.Cell(0, StWpm), "26");
  EXPECT_EQ(s.Cell(0, StComment), "loud in JO62");
  EXPECT_EQ(s.Cell(0, StFirst), "2240Z");
  EXPECT_EQ(s.Cell(0, StLast), "2252Z");
  EXPECT_EQ(s.Cell(0, StCheck), "");
  EXPECT_EQ(s.Column(StMode), (QStringList{"CW", "CW", "PHONE"}));
}

TEST(StationsModel, OneSkimmerOrANodesDoubtIsUnverified) {
  Stations s;
  s.Add("Q1AAA", "20", "SK1-#", "CW 8 dB 20 WPM CQ");
  s.Add("Q1BBB", "20", "SK1-#", "CW 8 dB 20 WPM CQ");
  s.Add("Q1BBB", "20", "SK2-#", "CW 9 dB 20 WPM CQ");
  s.Add("Q1CCC", "20", "SK1-#", "CW 8 dB 20 WPM CQ ?");
  s.Add("Q1CCC", "20", "SK2-#", "CW 8 dB 20 WPM CQ Q:1");
  s.Add("Q1DDD", "20", "SK1-#", "CW 8 dB 20 WPM CQ Q:1");
  s.Add("Q1DDD", "20", "DL1ABC", "up 1");  // a person heard it
  EXPECT_EQ(s.Column(StCheck), (QStringList{"unverified", "", "unverified", ""}));
}

TEST(StationsModel, RowsFollowLastHeardButHoldStillWhileFrozenAndAgeOut) {
  Stations s;
  s.Add("Q1AAA", "20", "DL1ABC", "");
  s.Add("Q1BBB", "20", "DL1ABC", "");
  s.Add("Q1CCC", "20", "DL1ABC", "");
  const QPersistentModelIndex clicked = s.model.index(0, StDx);  // Q1AAA
  s.model.SetHeld(true);
  s.now += 30;
  s.Add("Q1AAA", "20", "G4ABC", "");  // heard again while held: counted in place
  s.Add("Q1DDD", "20", "DL1ABC", "");  // a new station goes below the others
  s.model.Reorder();
  EXPECT_EQ(s.Column(StDx), (QStringList{"Q1AAA", "Q1BBB", "Q1CCC", "Q1DDD"}));
  EXPECT_EQ(s.Cell(0, StSpots), "2");
  s.model.SetHeld(false);
  EXPECT_EQ(s.Column(StDx), (QStringList{"Q1BBB", "Q1CCC", "Q1AAA", "Q1DDD"}));
  EXPECT_EQ(clicked.row(), 2) << "a selection follows its row";

  s.now += 31;  // Q1BBB and Q1CCC last heard 61 minutes ago
  s.model.Reorder();
  EXPECT_EQ(s.Column(StDx), (QStringList{"Q1AAA", "Q1DDD"}));
  s.Add("Q1BBB", "20", "DL1ABC", "");  // heard anew: a fresh row
  EXPECT_EQ(s.Cell(2, StSpots), "1");
}

TEST(StationsModel, ViewsHearOfABurstOnceAndOfAQuietSpotAtOnce) {
  Stations s;
  std::vector<std::pair<int, int>> inserted;
  int changed = 0;
  QObject::connect(&s.model, &QAbstractItemModel::rowsInserted,
                   [&](const QModelIndex&, int first, int last) { inserted.emplace_back(first, last); });
  QObject::connect(&s.model, &QAbstractItemModel::dataChanged, [&] { ++changed; });
  s.model.SetHeld(true);  // no reordering in between
  s.Add("Q1AAA", "20", "DL1ABC", "");  // after a quiet spell: shown at once
  EXPECT_EQ(s.model.rowCount(), 1);
  for (int i = 0; i < 50; ++i) s.Add("Q2A" + std::to_string(i), "20", "DL1ABC", "");
  s.Add("Q1AAA", "20", "G4ABC", "again");
  EXPECT_EQ(s.model.rowCount(), 1) << "a burst waits for the next refresh";
  EXPECT_EQ(s.Cell(1, StDx), "Q2A0") << "the rows themselves are there";
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.model.rowCount() == 51; }, 2000));
  EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{0, 0}, {1, 50}}));
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(s.model.index(0, StSpots).data().toString(), "2");
}

TEST(StationsModel, RowSharesTheFiledSpotAndShowsItsLaterLookup) {
  Stations s;
  auto spot = std::make_shared<Spot>();
  spot->valid = true;
  spot->dx = "VP8PJ";
  spot->band = "20";
  spot->mode = ModeGroup::Cw;
  s.model.Add(spot);
  EXPECT_EQ(s.model.RowAt(0)->last.get(), spot.get()) << "a row keeps no copy of its spot";
  spot->need = NeedMark::NewEntity;  // the list looked it up again after the log changed
  EXPECT_EQ(s.Cell(0, StNeed), QString::fromLatin1(NeedMarkTag(NeedMark::NewEntity)));
}

}  // namespace
}  // namespace varnak
