// The practice node as a load source: spots a second it delivers to a client that reads
// everything, at the rate asked for and as fast as it can.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <benchmark/benchmark.h>

#include "demo/practice_node.h"

namespace {

const varnak::demo::CallData& Calls() {
  static varnak::demo::CallData data = [] {
    varnak::demo::CallData d;
    std::string error;
    varnak::demo::LoadCallData("/usr/share/hamradio-files", &d, &error);
    return d;
  }();
  return data;
}

// One iteration: a second (or what it takes) of spots at the rate, counted at the client.
void NodeDelivers(benchmark::State& state) {
  int argc = 1;
  char name[] = "bench";
  char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                              : new QCoreApplication(argc, argv);
  (void)app;
  const double rate = static_cast<double>(state.range(0));
  double received = 0, seconds = 0;
  for (auto _ : state) {
    varnak::demo::NodeOptions options;
    options.rate = rate;
    options.burst = 0;
    options.extras = false;
    options.count = static_cast<long long>(rate);
    varnak::demo::PracticeNode node(Calls(), options);
    std::string error;
    if (!node.Listen(&error)) state.SkipWithError(error.c_str());
    QTcpSocket client;
    client.connectToHost("127.0.0.1", node.Port());
    client.write("Q1ABC\r\n");
    long long spots = 0;
    QElapsedTimer t;
    bool started = false;
    QByteArray tail;
    while (spots < options.count) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      const QByteArray bytes = tail + client.readAll();
      const qsizetype cut = bytes.lastIndexOf('\n') + 1;
      spots += bytes.left(cut).count("\a\a\r\n");
      tail = bytes.mid(cut);
      if (!started && spots > 0) {
        started = true;
        t.start();
      }
      if (started && t.elapsed() > 20000) break;
    }
    received += static_cast<double>(spots);
    seconds += t.elapsed() / 1000.0;
    state.SetIterationTime(t.elapsed() / 1000.0);
  }
  state.counters["spots_per_s"] = received / seconds;
  state.counters["asked_per_s"] = rate;
}

}  // namespace

BENCHMARK(NodeDelivers)->Arg(2000)->Arg(20000)->Arg(100000)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
