// The analyzer's short offline guide, shown from the Help menu.
#pragma once

#include <QString>

namespace quelnor::gui::analyzer {

// HTML for a QTextBrowser.
QString analyzer_guide_html();

}  // namespace quelnor::gui::analyzer
