// What the columns view of the spot lists costs: filing a spot into its band list and
// "All" with the rows' cells kept for the one-column view only (cut, no lookup) and
// for the columns view (cut and looked up), and repainting a scrolled columns view of
// 2000 rows at 1000 x 700.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <fmt/format.h>
#include <fstream>
#include <memory>

#include "app/spot_lists.h"
#include "app/spot_row_cache.h"
#include "callsign/call_parser.h"
#include "core/text.h"
#include "ui/spot_columns_view.h"
#include "ui/spot_list_views.h"

using namespace varnak;

namespace {

const FixedClock kClock(DateTime{2026, 12, 7, 21, 7, 0}, DateTime{2026, 12, 7, 21, 7, 0});

std::vector<std::string> SpotLines() {
  std::vector<std::string> calls;
  std::ifstream in("/usr/share/hamradio-files/MASTER.SCP");
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (!line.empty() && line[0] != '#') calls.push_back(line);
  }
  if (calls.empty()) calls = {"DL1ABC", "JA1XYZ", "VK2ABC", "W1AW", "PY2XX", "ZS6AA"};
  const char* freqs[] = {"1830.0", "3525.0", "7025.0", "10110.0", "14025.0", "18080.0", "21025.0", "24900.0", "28025.0"};
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < calls.size(); ++i)
    lines.push_back(fmt::format("DX de {:<7}{:>11}  {:<13}{:<31}{}", "Q2XYZ:", freqs[i % 9], calls[i],
                                "CW 22 dB 25 WPM CQ", "2215Z"));
  return lines;
}

struct Lists {
  explicit Lists(bool lookups, bool cells = true) : lists(kClock), resolver(parser, kClock) {
    parser.SetPrefixFile(std::string(VARNAK_DATA_DIR) + "/prefix.lst");
    resolver.SetOwnCall("Q1ABC");
    resolver.SetOwnPosition(57.7, 11.9);
    resolver.SetLookups(lookups);
    for (int i = 0; cells && i < kSpotListCount; ++i)
      caches.push_back(std::make_unique<SpotRowCache>(*lists.List(i), resolver));
  }
  SpotLists lists;
  TCallParser parser;
  SpotRowResolver resolver;
  std::vector<std::unique_ptr<SpotRowCache>> caches;
};

void FileSpots(benchmark::State& state, bool lookups, bool cells = true) {
  static const auto lines = SpotLines();
  Lists l(lookups, cells);
  if (!l.parser.LastLoadError().empty()) return state.SkipWithError("prefix.lst missing");
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& line = lines[i];
    l.lists.FileSpot(line, BandOfSpotLine(line));
    if (++i == lines.size()) i = 0;
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

// The lists alone, as they were before rows had cells.
void BM_FileSpotNoCells(benchmark::State& state) { FileSpots(state, false, false); }
BENCHMARK(BM_FileSpotNoCells);
// The one-column lists: each row is cut (band, time, calls) for its colours.
void BM_FileSpotColumnsOff(benchmark::State& state) { FileSpots(state, false); }
BENCHMARK(BM_FileSpotColumnsOff);
// The columns view: also the DX call's entity, distance and bearing.
void BM_FileSpotColumnsOn(benchmark::State& state) { FileSpots(state, true); }
BENCHMARK(BM_FileSpotColumnsOn);

void BM_RedrawScrolledColumns2000(benchmark::State& state) {
  static const auto lines = SpotLines();
  Lists l(true);
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < 2000; ++i) rows.push_back(lines[i % lines.size()] + " | 12-07");
  l.lists.All()->SetRows(rows);
  for (auto& cache : l.caches) cache->FinishNow();
  SpotListView plain(l.lists.All());
  SpotColumnsView view(&plain, l.caches[0].get(), [] { return MinuteOf(kClock.LocalNow()); });
  view.resize(1000, 700);
  view.show();
  QApplication::processEvents();
  QScrollBar* bar = view.verticalScrollBar();
  int step = 0;
  for (auto _ : state) {
    bar->setValue((step++ * 37) % (bar->maximum() + 1));
    view.viewport()->repaint();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_RedrawScrolledColumns2000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
