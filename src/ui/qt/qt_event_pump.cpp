// The event pump on Qt.
#include "ui/qt/qt_event_pump.h"

#include <QCoreApplication>

namespace quelnor::ui::qt {

void QtEventPump::service_pending_input() {
  if (render_) render_();
  QCoreApplication::processEvents();
}

}  // namespace quelnor::ui::qt
