// Filter and line cutting on 10 MB of cluster traffic, read in 32 KiB chunks as the
// socket delivers it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "telnet/line_cutter.h"
#include "telnet/option_filter.h"

namespace {

std::string Traffic(std::size_t size) {
  const std::string lines[] = {
      "DX de Q1ABC:     14025.0  Q3DEF        test spot                      2153Z\a\a\r\n",
      "DX de Q2XYZ-#:    7012.5  Q4GHI        CW 22 dB 18 WPM CQ             2154Z\a\a\r\n",
      "To ALL de Q1ABC: hello\a\a\r\n",
      "WWV de Q5KLM <18>:   SFI=150, A=8, K=2, No Storms -> No Storms\r\n",
      "Q1ABC de Q9NODE  7-Dec-2026 2150Z dxspider >\r\n",
      std::string("\xff\xfb\x01\xff\xfd\x18\xff\xfa\x18\x01\xff\xf0", 12) + "Q2XYZ de Q1ABC: hi \xff\xff\r\n",
  };
  std::string out;
  out.reserve(size + 128);
  for (std::size_t i = 0; out.size() < size; ++i) out += lines[i % 5 == 4 && i % 100 == 99 ? 5 : i % 5];
  return out;
}

void BM_FilterAndCut(benchmark::State& state) {
  const std::string traffic = Traffic(10 * 1000 * 1000);
  std::string data, answers;
  std::vector<std::string> lines;
  for (auto _ : state) {
    varnak::TelnetOptionFilter filter;
    varnak::LineCutter cutter;
    std::size_t count = 0;
    for (std::size_t at = 0; at < traffic.size(); at += 32768) {
      data.clear();
      answers.clear();
      lines.clear();
      filter.Feed(std::string_view(traffic).substr(at, 32768), data, answers);
      cutter.Feed(data, lines);
      count += lines.size();
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(traffic.size()));
}
BENCHMARK(BM_FilterAndCut)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
