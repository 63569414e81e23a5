// What the spot lists cost: a spot line parsed, looked up once and filed into its band
// list and "All" (the lists keep the spot itself, so the columns view adds nothing to
// this), bringing 2000 loaded rows up to date, and repainting a scrolled columns view
// of 2000 rows at 1000 x 700.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <fmt/format.h>
#include <fstream>
#include <memory>

#include "app/spot_lists.h"
#include "app/spot_resolver.h"
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
  explicit Lists(bool lookups) : resolver(parser), lists(kClock, nullptr, &resolver) {
    parser.SetPrefixFile(std::string(VARNAK_DATA_DIR) + "/prefix.lst");
    resolver.SetOwnCall("Q1ABC");
    resolver.SetOwnPosition(57.7, 11.9);
    resolver.SetLookups(lookups);
  }
  TCallParser parser;
  SpotResolver resolver;
  SpotLists lists;
};

// A spot as the classifier files it: parsed, looked up, its row rendered, filed.
void BM_FileSpot(benchmark::State& state) {
  static const auto lines = SpotLines();
  Lists l(false);
  if (!l.parser.LastLoadError().empty()) return state.SkipWithError("prefix.lst missing");
  std::size_t i = 0;
  for (auto _ : state) {
    l.lists.FileSpot(l.resolver.NewSpot(lines[i]));
    if (++i == lines.size()) i = 0;
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_FileSpot);

// 2000 rows from a file looked up (the columns view opened, a log read).
void BM_LookUpLoadedRows2000(benchmark::State& state) {
  static const auto lines = SpotLines();
  Lists l(true);
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < 2000; ++i) rows.push_back(lines[i % lines.size()] + " | 12-07");
  for (auto _ : state) {
    l.lists.All()->SetRows(rows);
    l.lists.All()->FinishNow();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 2000);
}
BENCHMARK(BM_LookUpLoadedRows2000)->Unit(benchmark::kMillisecond);

void BM_RedrawScrolledColumns2000(benchmark::State& state) {
  static const auto lines = SpotLines();
  Lists l(true);
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < 2000; ++i) rows.push_back(lines[i % lines.size()] + " | 12-07");
  l.lists.All()->SetRows(rows);
  l.lists.All()->FinishNow();
  SpotListView plain(l.lists.All());
  SpotColumnsView view(&plain, [] { return MinuteOf(kClock.LocalNow()); });
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
