// Waiting in Qt's event loop for tests of sockets and timers, bounded in real time.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

#include "support/core_application.h"

namespace quelnor::testing {

// Runs the event loop until done() or the bound; false on timeout.
inline bool pump_until(const std::function<bool()>& done, int bound_ms = 5000) {
  core_application();
  QTimer tick;  // wakes the loop so done() is checked while nothing else happens
  tick.start(2);
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > bound_ms) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// Runs the event loop for ms milliseconds.
inline void pump_for(int ms) {
  QElapsedTimer clock;
  clock.start();
  pump_until([&] { return clock.elapsed() >= ms; }, ms + 1000);
}

}  // namespace quelnor::testing
