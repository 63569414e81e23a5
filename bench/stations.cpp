// What the "Stations" page adds to each filed spot at 5000 spots an hour: the spot folded
// into its station's row (the spotters' continents are asked only for rows shown),
// and the rows put in order of last heard, with rows aging out of the hour. /0 puts them
// in order after every spot (the worst case), /1 after every hundredth (the model waits
// a moment before it does, so a burst costs one).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <fmt/format.h>
#include <fstream>

#include "app/spot_resolver.h"
#include "app/stations_model.h"
#include "callsign/call_parser.h"
#include "core/text.h"

using namespace varnak;

namespace {

constexpr int kSpotsPerHour = 5000;

// A busy hour's spots: 1500 stations on nine bands, from 200 skimmers and 100 people.
std::vector<Spot> HourOfSpots(TCallParser& parser) {
  std::vector<std::string> calls;
  std::ifstream in("/usr/share/hamradio-files/MASTER.SCP");
  for (std::string line; std::getline(in, line) && calls.size() < 1800;) {
    line = Trim(line);
    if (!line.empty() && line[0] != '#') calls.push_back(line);
  }
  if (calls.empty()) calls = {"DL1ABC", "JA1XYZ", "VK2ABC", "W1AW", "PY2XX", "ZS6AA"};
  SpotResolver resolver(parser);
  resolver.SetOwnPosition(57.7, 11.9);
  const char* freqs[] = {"1830.0", "3525.0", "7025.0", "10110.0", "14025.0", "18080.0", "21025.0", "24900.0", "28025.0"};
  std::vector<Spot> spots;
  for (int i = 0; i < kSpotsPerHour; ++i) {
    const std::size_t dx = static_cast<std::size_t>(i * 7919 % 1500) % calls.size();
    const bool person = i % 5 == 0;
    const std::string spotter = person ? calls[(100 + static_cast<std::size_t>(i) % 100) % calls.size()]
                                       : calls[(1500 + static_cast<std::size_t>(i * 31) % 200) % calls.size()] + "-#";
    const std::string comment = person ? "up 2 loud" : fmt::format("CW {} dB {} WPM CQ", 5 + i % 30, 18 + i % 15);
    spots.push_back(*resolver.NewSpot(fmt::format("DX de {:<9}{:>9}  {:<13}{:<31}{}", spotter + ":", freqs[dx % 9],
                                                  calls[dx], comment, "2215Z")));
  }
  return spots;
}

void BM_StationsAddAtFiveThousandAnHour(benchmark::State& state) {
  TCallParser parser;
  parser.SetPrefixFile(std::string(VARNAK_DATA_DIR) + "/prefix.lst");
  if (!parser.LastLoadError().empty()) return state.SkipWithError("prefix.lst missing");
  static const std::vector<Spot> spots = HourOfSpots(parser);
  std::int64_t now = 0;
  StationsModel model([&now] { return now; });
  std::int64_t n = 0;
  Spot spot;
  for (auto _ : state) {
    spot = spots[static_cast<std::size_t>(n % kSpotsPerHour)];
    now = n * 60 / kSpotsPerHour;  // minutes go on: the oldest rows age out
    spot.filedMinute = now;
    model.Add(spot);
    if (state.range(0) == 0 || n % 100 == 0) model.Reorder();
    ++n;
  }
  state.counters["rows"] = model.rowCount();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StationsAddAtFiveThousandAnHour)->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
