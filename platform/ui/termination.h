#pragma once

#include <functional>

namespace slp {

// Runs `handler` from the event loop when the process receives SIGTERM, SIGINT or SIGHUP
// (log-out, shutdown, Ctrl+C). Install it early: a signal that arrives before the loop runs
// is handled once the loop starts. Needs a QCoreApplication.
void OnTerminationSignals(std::function<void()> handler);

}  // namespace slp
