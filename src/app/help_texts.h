// The instruction texts of the help pages, as rich text (a small subset of HTML).
#pragma once

namespace quelnor::app {

extern const char* const sweep_text;        // Form2: the sweep parameters
extern const char* const calibration_text;  // Form3: calibration and the settings groups
extern const char* const workflow_text;     // Form4: the measuring steps
extern const char* const charts_text;       // Form5: the two chart pages
extern const char* const download_text;     // Form7: the export

}  // namespace quelnor::app
