// varnak-demo-node: the practice cluster node as a program of its own. `varnak --demo`
// starts it; it also serves as a load source (--rate, --burst, --count).
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "demo/practice_node.h"

namespace {

const char* kUsage =
    "Usage: varnak-demo-node [options]\n"
    "A practice DX cluster node on 127.0.0.1 that behaves like a DX Spider node and makes\n"
    "up the spots, announcements, bulletins and talk of a busy evening.\n"
    "\n"
    "Options:\n"
    "  --port N          listen on port N (default: any free port, printed at start)\n"
    "  --rate N          N spots a second on average (default 2)\n"
    "  --burst N         bursts of N spots every 10 to 25 seconds (default 8, 0: none)\n"
    "  --count N         stop after N spots and exit once they are sent\n"
    "  --seed N          seed of the made-up traffic (default 1), for repeatable runs\n"
    "  --quiet           spots only: no announcements, bulletins, talk or users\n"
    "  --password CALL=PW  CALL must give the password PW at the login\n"
    "  --call CALL       the node's callsign (default Q9DEMO)\n"
    "  --data DIR        folder with cty.csv and MASTER.SCP (default /usr/share/hamradio-files)\n"
    "  --help            print this help and exit\n";

bool ParseNumber(const char* text, double* out) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (!end || *end || v < 0) return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  varnak::demo::NodeOptions options;
  std::string dataDir = "/usr/share/hamradio-files";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](double* out) {
      if (i + 1 >= argc || !ParseNumber(argv[i + 1], out)) {
        std::cerr << "varnak-demo-node: " << a << " needs a number\n\n" << kUsage;
        std::exit(2);
      }
      ++i;
    };
    double v = 0;
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (a == "--port") {
      value(&v);
      if (v > 65535) {
        std::cerr << "varnak-demo-node: --port must be 0 to 65535\n";
        return 2;
      }
      options.port = static_cast<quint16>(v);
    } else if (a == "--rate") {
      value(&options.rate);
    } else if (a == "--burst") {
      value(&v);
      options.burst = static_cast<int>(v);
    } else if (a == "--count") {
      value(&v);
      options.count = static_cast<long long>(v);
    } else if (a == "--seed") {
      value(&v);
      options.seed = static_cast<std::uint64_t>(v);
    } else if (a == "--quiet") {
      options.extras = false;
    } else if (a == "--password" && i + 1 < argc) {
      const std::string pair = argv[++i];
      const std::size_t eq = pair.find('=');
      if (eq == std::string::npos || eq == 0) {
        std::cerr << "varnak-demo-node: --password needs CALL=PASSWORD\n";
        return 2;
      }
      options.passwords[pair.substr(0, eq)] = pair.substr(eq + 1);
    } else if (a == "--call" && i + 1 < argc) {
      options.nodeCall = argv[++i];
    } else if (a == "--data" && i + 1 < argc) {
      dataDir = argv[++i];
    } else {
      std::cerr << "varnak-demo-node: unexpected argument \"" << a << "\"\n\n" << kUsage;
      return 2;
    }
  }

  QCoreApplication app(argc, argv);
  varnak::demo::CallData data;
  std::string error;
  if (!varnak::demo::LoadCallData(dataDir, &data, &error)) {
    std::cerr << "varnak-demo-node: " << error << "\n";
    return 3;
  }
  varnak::demo::PracticeNode node(data, options);
  if (!node.Listen(&error)) {
    std::cerr << "varnak-demo-node: " << error << "\n";
    return 4;
  }
  QObject::connect(&node, &varnak::demo::PracticeNode::ClientDropped, [](const QString& reason) {
    std::cerr << "varnak-demo-node: " << reason.toStdString() << "\n";
  });
  QObject::connect(&node, &varnak::demo::PracticeNode::CountReached, [&node, &app] {
    // Leave once every client has what was sent, or after ten seconds.
    auto waited = std::make_shared<int>(0);
    auto* poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, [&node, &app, waited] {
      if (node.Flushed() || ++*waited > 200) app.quit();
    });
    poll->start(50);
  });
  // The parent reads this line to learn the port.
  std::printf("varnak-demo-node %s listening on 127.0.0.1 port %u\n", options.nodeCall.c_str(),
              static_cast<unsigned>(node.Port()));
  std::fflush(stdout);
  return app.exec();
}
