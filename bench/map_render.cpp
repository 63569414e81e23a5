// The world map's three costs: a repaint with 500 spots (points and labels) at
// 1600 x 800, the greyline blend of the 2048 x 1024 day and night images, and the
// azimuthal re-projection (building the per-view pixel table, and the gather that
// follows each minute's blend while the view stays the same).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <random>

#include "ui/map_renderer.h"

using namespace varnak;

namespace {

constexpr std::int64_t kNow = 1796677200;  // 2026-12-07 21:00 UTC
const GeoPoint kOwn{57.6667, 11.9167};

MapRenderer& Renderer() {
  static MapRenderer renderer = [] {
    MapRenderer r;
    QString error;
    if (!r.LoadImages("/usr/share/xplanet/images", &error)) {
      std::fprintf(stderr, "%s (scripts/setup installs xplanet-images)\n", error.toLocal8Bit().constData());
      std::exit(1);
    }
    r.Reblend(kNow);
    return r;
  }();
  return renderer;
}

void FillSpots(DxMap& map) {
  std::mt19937 random(17);
  std::uniform_real_distribution<double> lat(-60, 70), lon(-180, 180);
  const char* bands[] = {"160", "80", "40", "30", "20", "17", "15", "12", "10", "6"};
  for (int i = 0; i < 500; ++i) {
    GeoPoint at{lat(random), lon(random)};
    const std::int64_t added = kNow - i * 7;
    map.AddPoint(1, MapPoint{at, BandColour(bands[i % 10]), 0xFFFFFF, 5, added});
    map.AddLabel(4, MapLabel{at, SpotLabelText("DL" + std::to_string(i) + "ABC", "14025.5"), 0, 0xFFFFFF, 0xFF0000,
                             "Small fonts", 7, added});
  }
  map.SetHome(kOwn);
  map.PositionOn({40, -74});
}

void BM_RedrawWith500Spots(benchmark::State& state) {
  const Projection projection = state.range(0) == 0 ? Projection::Equirectangular : Projection::Azimuthal;
  MapRenderer& r = Renderer();
  DxMap map;
  FillSpots(map);
  const MapFrame frame{projection, 1600, 800, {}, 1, kOwn};
  QImage target(1600, 800, QImage::Format_RGB32);
  r.ProjectedEarth(frame);  // the view's earth is cached between repaints
  for (auto _ : state) {
    QPainter p(&target);
    r.Paint(p, frame, map, kNow);
    p.end();
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_RedrawWith500Spots)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GreylineBlend(benchmark::State& state) {
  MapRenderer& r = Renderer();
  std::int64_t t = kNow;
  for (auto _ : state) {
    r.Reblend(t);
    t += 60;
    benchmark::DoNotOptimize(r.World().constBits());
  }
}
BENCHMARK(BM_GreylineBlend)->Unit(benchmark::kMillisecond);

void BM_AzimuthalTable(benchmark::State& state) {
  const MapFrame frame{Projection::Azimuthal, 1600, 800, {}, 1, kOwn};
  for (auto _ : state) {
    std::vector<std::int32_t> table = SourceIndexTable(frame, 2048, 1024);
    benchmark::DoNotOptimize(table.data());
  }
}
BENCHMARK(BM_AzimuthalTable)->Unit(benchmark::kMillisecond);

void BM_AzimuthalReprojectCached(benchmark::State& state) {
  MapRenderer& r = Renderer();
  const MapFrame frame{Projection::Azimuthal, 1600, 800, {}, 1, kOwn};
  r.ProjectedEarth(frame);
  std::int64_t t = kNow;
  for (auto _ : state) {
    state.PauseTiming();
    r.Reblend(t += 60);
    state.ResumeTiming();
    benchmark::DoNotOptimize(r.ProjectedEarth(frame).constBits());
  }
}
BENCHMARK(BM_AzimuthalReprojectCached)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
