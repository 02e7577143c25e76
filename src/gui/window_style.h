// The look shared by the windows: fonts and colours.
#pragma once

#include <QFont>
#include <QString>

namespace quelnor::gui {

// Bold 8.25-point sans-serif, the main window's face.
QFont main_window_font();
// Bold 12-point sans-serif, the help pages' button face.
QFont help_button_font();
// Red group titles; blue for the widgets marked with the property blue=true.
QString main_window_style_sheet();

}  // namespace quelnor::gui
