// Loading the shipped prefix file, tree and index included; reports the table's size.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "callsign/prefix_list.h"

namespace {

const std::string kFile = std::string(VARNAK_DATA_DIR) + "/prefix.lst";

void BM_PrefixLoad(benchmark::State& state) {
  varnak::TPrefixList list;
  for (auto _ : state) {
    list.Load(kFile);
    benchmark::DoNotOptimize(list.Count());
  }
  state.counters["records"] = list.Count();
  state.counters["table_MiB"] = static_cast<double>(list.MemoryBytes()) / (1024.0 * 1024.0);
  // Heap growth measured around a fresh load, as a check on the estimate above.
  const auto before = mallinfo2().uordblks;
  {
    auto* fresh = new varnak::TPrefixList;
    fresh->Load(kFile);
    state.counters["heap_MiB"] = static_cast<double>(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
    delete fresh;
  }
}
BENCHMARK(BM_PrefixLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
