// How long the window's event loop waits for its turn while rigctld is slow: a
// stand-in server answers every request a second late, the link keeps polling and
// writing, and each iteration measures one round through the event loop.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <benchmark/benchmark.h>

#include "links/rigctld_client.h"

namespace {

class LateRigctld : public QObject {
 public:
  explicit LateRigctld(int delayMs) {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this, delayMs] {
      while (QTcpSocket* client = server_.nextPendingConnection()) {
        connect(client, &QTcpSocket::readyRead, client, [client, delayMs] {
          while (client->canReadLine()) {
            const QByteArray request = client->readLine().trimmed();
            QByteArray answer = request == "+f"   ? "get_freq:\nFrequency: 14025500\nRPRT 0\n"
                                : request == "+m" ? "get_mode:\nMode: CW\nPassband: 500\nRPRT 0\n"
                                                  : "dump_caps:\nModel name:\tDummy\nRPRT 0\n";
            QTimer::singleShot(delayMs, client, [client, answer] { client->write(answer); });
          }
        });
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
      }
    });
  }
  int Port() const { return server_.serverPort(); }

 private:
  QTcpServer server_;
};

void BM_EventLoopWhileRigctldAnswersLate(benchmark::State& state) {
  LateRigctld server(static_cast<int>(state.range(0)));
  varnak::RigctldClient rig;
  auto connectRig = [&] { rig.Connect("127.0.0.1", server.Port(), [](const QString&) {}); };
  connectRig();
  QObject::connect(&rig, &varnak::RigControl::Failed, &rig, [&] { QTimer::singleShot(0, &rig, connectRig); });
  QTimer writer;  // the operator keeps tuning
  QObject::connect(&writer, &QTimer::timeout, &rig, [&] { rig.SetFrequency(14025500, {}); });
  writer.start(50);

  double worstMs = 0;
  QElapsedTimer clock;
  for (auto _ : state) {
    QEventLoop loop;
    clock.start();
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    worstMs = std::max(worstMs, ms);
    state.SetIterationTime(ms / 1000);
    // Let the link's own work (polls, time limits, reconnects) happen between rounds.
    QEventLoop pause;
    QTimer::singleShot(5, &pause, &QEventLoop::quit);
    pause.exec();
  }
  state.counters["worst_ms"] = worstMs;
}
// Arg: how late the answers come, in ms (0: at once, for comparison). 600 rounds of at
// least 5 ms: three seconds with several late answers, time limits and reconnects.
BENCHMARK(BM_EventLoopWhileRigctldAnswersLate)->Arg(0)->Arg(1000)->Iterations(600)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
