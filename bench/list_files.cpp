// Loading and saving a full set of saved lists and panes: 2000 rows in "All", 1000 in
// each band list, a 1000-line cluster text pane and a 300-line talk pane.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/list_files.h"

using namespace varnak;

namespace {

struct Folder {
  std::filesystem::path path;
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnak-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path = pattern;
  }
  ~Folder() { std::filesystem::remove_all(path); }
};

SavedState FullSet() {
  SavedState s;
  for (size_t i = 0; i < kListCount; ++i) {
    size_t n = i == 0 ? kAllListLimit : kBandListLimit;
    s.lists[i].reserve(n);
    for (size_t r = 0; r < n; ++r)
      s.lists[i].push_back("DX de Q2ABC-" + std::to_string(r % 10) +
                           ":     14025.0  Q3DEF        up 2 loud in JO57          2215Z | 12-06");
  }
  const RtfLine colours[] = {{0, 0, 0, ""}, {255, 0, 0, ""}, {0, 0, 255, ""}, {0, 128, 0, ""}, {128, 128, 128, ""}};
  for (size_t r = 0; r < kPaneLoadLimit; ++r) {
    RtfLine l = colours[r % 5];
    l.text = "To ALL de Q2ABC: propagation report number " + std::to_string(r) + " SFI=150 A=5 K=1 \xe9{}";
    s.paneLines.push_back(l);
  }
  for (int r = 0; r < 300; ++r) s.talkLines.push_back("[12-06 21:07] Q2ABC de Q1ABC: talk line " + std::to_string(r));
  return s;
}

void BM_LoadAll(benchmark::State& state) {
  Folder dir;
  if (!SaveAll(dir.path, FullSet(), false)) std::abort();
  FixedClock clock(DateTime{2026, 12, 6, 21, 7, 0, 0});
  for (auto _ : state) {
    SavedState s = LoadAll(dir.path, false, clock);
    if (s.paneLines.size() != kPaneLoadLimit || s.lists[0].size() != kAllListLimit + 1) std::abort();
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_LoadAll)->Unit(benchmark::kMillisecond);

void BM_SaveAll(benchmark::State& state) {
  Folder dir;
  SavedState s = FullSet();
  for (auto _ : state) {
    if (!SaveAll(dir.path, s, false)) std::abort();
  }
}
BENCHMARK(BM_SaveAll)->Unit(benchmark::kMillisecond);

void BM_ReadRtf1000Lines(benchmark::State& state) {
  std::string rtf = WriteRtf(FullSet().paneLines);
  for (auto _ : state) benchmark::DoNotOptimize(ReadRtf(rtf));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_ReadRtf1000Lines)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
