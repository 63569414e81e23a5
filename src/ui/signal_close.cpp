#include "ui/signal_close.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace varnak {

namespace {
int g_pipe[2] = {-1, -1};

void OnSignal(int) {
  char b = 1;
  // Only async-signal-safe work here: wake the event loop.
  [[maybe_unused]] auto n = ::write(g_pipe[1], &b, 1);
}
}  // namespace

void CloseOnTerminationSignals(QWidget* window) {
  if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, window);
  QPointer<QWidget> target(window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [target] {
    char buf[16];
    [[maybe_unused]] auto n = ::read(g_pipe[0], buf, sizeof buf);
    if (target) target->close();
  });
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

}  // namespace varnak
