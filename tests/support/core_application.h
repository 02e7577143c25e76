// The one QCoreApplication of a test program that needs Qt's event loop without a display
// (sockets, timers), made on first use.
#pragma once

#include <QCoreApplication>

namespace quelnor::testing {

inline QCoreApplication& core_application() {
  static int argc = 1;
  static char name[] = "quelnor-test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

}  // namespace quelnor::testing
