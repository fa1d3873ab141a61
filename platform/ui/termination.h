#pragma once

#include <functional>

class QWidget;

namespace slp {

// Runs `handler` from the event loop when the process receives SIGTERM, SIGINT or SIGHUP
// (log-out, shutdown, Ctrl+C). Install it early: a signal that arrives before the loop runs
// is handled once the loop starts. Installed once; a later call replaces the handler. Needs a
// QCoreApplication.
void OnTerminationSignals(std::function<void()> handler);

// Closes as the user would: every open modal box first, so that the code waiting on it can
// end, then `window` (which may be null).
void CloseModalsThenWindow(QWidget* window);

}  // namespace slp
