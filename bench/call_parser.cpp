// ParseCall over every call of MASTER.SCP on the shipped prefix file.
#include <benchmark/benchmark.h>

#include <fstream>

#include "callsign/call_parser.h"
#include "core/text.h"

namespace {

std::vector<std::string> Calls() {
  std::vector<std::string> calls;
  std::ifstream in("/usr/share/hamradio-files/MASTER.SCP");
  for (std::string line; std::getline(in, line);) {
    line = varnak::Trim(line);
    if (!line.empty() && line[0] != '#') calls.push_back(line);
  }
  return calls;
}

void BM_ParseCall(benchmark::State& state) {
  static const auto calls = Calls();
  varnak::TCallParser parser;
  parser.SetPrefixFile(std::string(VARNAK_DATA_DIR) + "/prefix.lst");
  if (!parser.LastLoadError().empty() || calls.empty()) {
    state.SkipWithError("prefix.lst or MASTER.SCP missing");
    return;
  }
  std::size_t i = 0, rows = 0;
  for (auto _ : state) {
    parser.ParseCall(calls[i]);
    rows += parser.HitList().size();
    if (++i == calls.size()) i = 0;
  }
  benchmark::DoNotOptimize(rows);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_ParseCall);

}  // namespace

BENCHMARK_MAIN();
