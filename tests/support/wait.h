#pragma once
// Pumps the event loop until `done` holds or `limit_ms` passes; returns whether it held.
// The limit only keeps a broken run from hanging; nothing is measured.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

namespace slp::testing {

template <typename Predicate>
bool WaitFor(Predicate done, int limit_ms = 30000) {
  QDeadlineTimer deadline(limit_ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

}  // namespace slp::testing
