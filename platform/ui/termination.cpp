#include "platform/ui/termination.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>

namespace slp {

namespace {
int g_pipe[2] = {-1, -1};
std::function<void()> g_handler;

extern "C" void OnSignal(int) {
  // Only async-signal-safe work here: the loop does the rest. The interrupted code may be
  // about to read errno.
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const auto written = write(g_pipe[1], &byte, 1);
  errno = saved;
}
}  // namespace

void OnTerminationSignals(std::function<void()> handler) {
  g_handler = std::move(handler);
  if (g_pipe[0] >= 0) return;  // installed already: only the handler changes
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) return;
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
    char buffer[16];
    while (read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    if (g_handler) g_handler();
  });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

void CloseModalsThenWindow(QWidget* window) {
  // A box that refuses to close ends the loop rather than spinning.
  for (QWidget* box = QApplication::activeModalWidget(); box != nullptr;) {
    box->close();
    QWidget* next = QApplication::activeModalWidget();
    if (next == box) break;
    box = next;
  }
  if (window) window->close();
}

}  // namespace slp
