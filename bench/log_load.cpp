// Loading the operator's log: 200,000 ADIF records as a logger writes them, half with
// DXCC, half leaving the entity to the call parser, calls from MASTER.SCP.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "callsign/call_parser.h"
#include "core/text.h"
#include "log/log_book.h"

namespace {

constexpr int kRecords = 200'000;

std::filesystem::path MakeLog() {
  std::vector<std::string> calls;
  std::ifstream in("/usr/share/hamradio-files/MASTER.SCP");
  for (std::string line; std::getline(in, line);) {
    line = varnak::Trim(line);
    if (!line.empty() && line[0] != '#') calls.push_back(line);
  }
  if (calls.empty()) calls.push_back("DL1ABC");
  const auto path = std::filesystem::temp_directory_path() / "varnak_bench_log.adi";
  std::ofstream out(path, std::ios::binary);
  out << "Generated log\n<ADIF_VER:5>3.1.4\n<PROGRAMID:6>Varnak\n<EOH>\n";
  static constexpr const char* kBands[] = {"160m", "80m", "40m", "30m", "20m", "17m", "15m", "12m", "10m", "6m"};
  static constexpr const char* kModes[] = {"CW", "SSB", "FT8", "RTTY"};
  for (int i = 0; i < kRecords; ++i) {
    const std::string& call = calls[static_cast<std::size_t>(i) * 7919 % calls.size()];
    const std::string band = kBands[i % 10];
    const std::string mode = kModes[i % 4];
    out << "<CALL:" << call.size() << ">" << call << " <QSO_DATE:8>20260101 <TIME_ON:6>120000 <BAND:"
        << band.size() << ">" << band << " <MODE:" << mode.size() << ">" << mode
        << " <RST_SENT:3>599 <RST_RCVD:3>599 <NAME:4>Hans <COMMENT:12>tnx fer qso ";
    if (i % 2 == 0) out << "<DXCC:3>" << 100 + i % 300 << " ";
    if (i % 3 == 0) out << "<LOTW_QSL_RCVD:1>Y ";
    out << "<EOR>\n";
  }
  return path;
}

void BM_LoadLog200k(benchmark::State& state) {
  static const auto path = MakeLog();
  varnak::TCallParser table;
  table.SetPrefixFile(std::string(VARNAK_DATA_DIR) + "/prefix.lst");
  if (!table.LastLoadError().empty()) {
    state.SkipWithError("prefix.lst missing");
    return;
  }
  std::size_t qsos = 0;
  for (auto _ : state) {
    varnak::TCallParser parser;  // as each background read makes its own
    parser.SharePrefixTable(table);
    const varnak::LogReadResult r = varnak::ReadLogFile(path, parser);
    qsos = r.Qsos;
  }
  if (qsos == 0) state.SkipWithError("no QSOs read");
  state.counters["qsos"] = static_cast<double>(qsos);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRecords);
}
BENCHMARK(BM_LoadLog200k)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
