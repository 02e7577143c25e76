// The event pump on Qt.
#include "gui/qt_event_pump.h"

#include <QCoreApplication>

namespace quelnor::gui {

void QtEventPump::service_pending_input() {
  if (render_) render_();
  QCoreApplication::processEvents();
}

}  // namespace quelnor::gui
