// Throughput of the packet-engine receive path (extraction plus dispatch of a
// mixed 10 MB stream) and the caller's cost of one log entry.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <filesystem>
#include <random>

#include "agw/agw_interface.h"

using namespace varnak;

namespace {

std::string Frame(char kind, const std::string& from, const std::string& to, const std::string& data) {
  TAGWFrameHeader h;
  h.DataKind = kind;
  WriteCallField(h.FromCall, from);
  WriteCallField(h.ToCall, to);
  h.DataSize = static_cast<std::uint32_t>(data.size());
  auto header = EncodeHeader(h);
  return std::string(header.data(), header.size()) + data;
}

// Connected data of every length up to a full piece, monitor lines, counts and
// the odd heard entry, as a busy node link produces them.
const std::string& MixedStream() {
  static const std::string stream = [] {
    std::mt19937 rng(7);
    std::string s;
    s.reserve(10'500'000);
    const std::string count("\x01\0\0\0", 4);
    while (s.size() < 10'000'000) {
      switch (rng() % 6) {
        case 0:
        case 1: s += Frame('D', "N0NODE", "N0CLI", std::string(1 + rng() % 255, 'd')); break;
        case 2: s += Frame('U', "N0AAA", "BEACON", " 1:Fm N0AAA To BEACON <UI pid=F0 Len=40 >[12:00:00]\r" + std::string(40, 'u')); break;
        case 3: s += Frame('I', "N0AAA", "N0BBB", std::string(80 + rng() % 100, 'i')); break;
        case 4: s += Frame('Y', "N0CLI", "N0NODE", count); break;
        default: s += Frame('H', "N0HRD", "", "heard 12:00:00"); break;
      }
    }
    return s;
  }();
  return stream;
}

void WireLightHandlers(TAGWInterface& c, std::size_t& sink) {
  c.OnConnectedData = [&](TAGWInterface*, int, int, const std::string&, const std::string&, const std::string& d,
                          int) { sink += d.size(); };
  auto text = [&](TAGWInterface*, int, const std::string&, const std::string&, const std::string& d, int) {
    sink += d.size();
  };
  c.OnMonitoredUnprotoInformation = text;
  c.OnMonitoredConnectedInformation = text;
  c.OnConnectionOutstandingFrames = [&](TAGWInterface*, int, const std::string&, const std::string&, int n) {
    sink += n;
  };
  c.OnStationsHeard = [&](TAGWInterface*, int, const std::string& s, const std::string&) { sink += s.size(); };
}

std::string BenchFolder() { return (std::filesystem::temp_directory_path() / "varnak-bench-logs").string(); }

// Reads of 4 KiB as the socket delivers them, each followed by the event-loop turns
// that dispatch its frames one by one.
void BM_ReceiveAndDispatchThroughEventLoop(benchmark::State& state) {
  const std::string& stream = MixedStream();
  TAGWInterface client(BenchFolder());
  std::size_t sink = 0;
  WireLightHandlers(client, sink);
  for (auto _ : state) {
    for (std::size_t pos = 0; pos < stream.size(); pos += 4096) {
      client.ReceiveBytes(std::string_view(stream).substr(pos, 4096));
      while (client.PendingFrames() > 0) QCoreApplication::processEvents();
    }
  }
  benchmark::DoNotOptimize(sink);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_ReceiveAndDispatchThroughEventLoop)->Unit(benchmark::kMillisecond);

// The same without the event loop: extraction and handlers alone.
void BM_ReceiveAndDispatchDirect(benchmark::State& state) {
  const std::string& stream = MixedStream();
  TAGWInterface client(BenchFolder());
  std::size_t sink = 0;
  WireLightHandlers(client, sink);
  for (auto _ : state) {
    for (std::size_t pos = 0; pos < stream.size(); pos += 4096) {
      client.ReceiveBytes(std::string_view(stream).substr(pos, 4096));
      while (client.DispatchOne()) {
      }
    }
  }
  benchmark::DoNotOptimize(sink);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_ReceiveAndDispatchDirect)->Unit(benchmark::kMillisecond);

// What the user-interface thread pays per entry; the writer thread meanwhile
// appends to a real file.
void BM_LogFromUiThread(benchmark::State& state) {
  TMessageLogger logger(BenchFolder(), "varnak-bench.log");
  for (auto _ : state) logger.Log("Connected Data - Port: 1 PID: $F0");
  logger.WaitIdle(60000);
}
BENCHMARK(BM_LogFromUiThread);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(BenchFolder(), ec);
  return 0;
}
