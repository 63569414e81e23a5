// The band map's repaint: 1000 spots on 20 m (some calls spotted twice, a third from
// skimmers, some needed), the scale, the leaders and the labels at 320 x 900, for the
// whole band and for a 20 kHz stretch of the crowded CW end.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <fstream>
#include <memory>
#include <random>

#include "app/spot_lists.h"
#include "core/text.h"
#include "ui/band_map_view.h"

using namespace varnak;

namespace {

std::vector<std::string> Calls() {
  std::vector<std::string> calls;
  std::ifstream in("/usr/share/hamradio-files/MASTER.SCP");
  for (std::string line; std::getline(in, line) && calls.size() < 800;) {
    line = Trim(line);
    if (!line.empty() && line[0] != '#') calls.push_back(line);
  }
  while (calls.size() < 800) calls.push_back(QStringLiteral("Q%1ABC").arg(calls.size()).toStdString());
  return calls;
}

void FillBand(SpotListModel& list) {
  const auto calls = Calls();
  std::mt19937 random(7);
  // Most spots crowd the CW end, as on a contest weekend.
  std::uniform_real_distribution<double> cw(14000, 14070), phone(14150, 14350), jitter(-0.6, 0.6);
  for (int i = 0; i < 1000; ++i) {
    auto s = std::make_shared<Spot>();
    s->valid = true;
    s->band = "20";
    const bool again = i >= 800;  // the last 200 spot calls again, near where they were
    s->dx = calls[static_cast<size_t>(again ? i - 800 : i)];
    s->khz = std::round(((i % 4 == 3) ? phone(random) : cw(random)) * 10) / 10;
    if (again) s->khz = std::round((list.SpotAt(i - 800 + 1)->khz + jitter(random)) * 10) / 10;
    s->skimmer = i % 3 == 0;
    s->need = i % 17 == 0 ? NeedMark::NewEntity : NeedMark::None;
    s->filedMinute = 1000 + i / 40;
    list.AppendSpot(std::move(s));
  }
}

void Redraw(benchmark::State& state, double centre, double span) {
  SpotListModel list;
  FillBand(list);
  BandMapView view;
  view.nowMinute = [] { return std::int64_t{1030}; };
  view.SetList(&list, "20", *BandEdges("20"));
  view.SetView(centre, span);
  view.SetRadioKhz(14025.0);
  QImage target(320, 900, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&target);
    view.Render(p, target.size());
  }
  state.counters["labels"] = view.Placed();
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_RedrawWholeBand1000(benchmark::State& state) { Redraw(state, 14175, 350); }
BENCHMARK(BM_RedrawWholeBand1000)->Unit(benchmark::kMillisecond);

void BM_RedrawCrowded20Khz1000(benchmark::State& state) { Redraw(state, 14030, 20); }
BENCHMARK(BM_RedrawCrowded20Khz1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
