// Fonts and colours of the windows.
#include "gui/window_style.h"

#include <QStringList>

namespace quelnor::gui {
namespace {

QFont bold_sans(double points) {
  QFont font;
  // Faces with the metrics of the classic Windows sans-serif first, so the captions fit
  // the columns as designed; any sans-serif face after them.
  font.setFamilies({"Liberation Sans", "Arial", "Nimbus Sans", "Helvetica", "DejaVu Sans Condensed",
                    "DejaVu Sans"});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(true);
  return font;
}

}  // namespace

QFont main_window_font() {
  return bold_sans(8.25);
}

QFont help_button_font() {
  return bold_sans(12.0);
}

QString main_window_style_sheet() {
  return "QGroupBox { border: 1px solid #a0a0a0; border-radius: 2px; margin-top: 8px; "
         "padding-top: 4px; }"
         "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; "
         "color: #ff0000; }"
         "QLabel[blue=\"true\"] { color: #0000ff; }"
         // A disabled check box's caption is dimmed like every other disabled text, so it
         // does not look usable.
         "QLabel[blue=\"true\"]:disabled { color: #8c8cc8; }";
}

}  // namespace quelnor::gui
