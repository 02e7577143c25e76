// The analyzer's short offline guide, shown from the Help menu.
#pragma once

#include <QString>

namespace quelnor::gui::analyzer {

// HTML for a QTextBrowser; `with_pictures` adds the window's screenshots
// (analyzer_bode.png, analyzer_nyquist.png, analyzer_difference.png) from its search path.
QString analyzer_guide_html(bool with_pictures);

}  // namespace quelnor::gui::analyzer
