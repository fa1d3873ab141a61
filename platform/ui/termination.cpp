#include "platform/ui/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace slp {

namespace {
int g_pipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
  const char byte = 1;
  // Only async-signal-safe work here: the loop does the rest.
  [[maybe_unused]] const auto written = write(g_pipe[1], &byte, 1);
}
}  // namespace

void OnTerminationSignals(std::function<void()> handler) {
  if (g_pipe[0] < 0) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) return;
  }
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [handler = std::move(handler)] {
    char buffer[16];
    while (read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    handler();
  });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

}  // namespace slp
