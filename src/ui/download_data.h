// "Download Impedance Data": the export of the last sweep's rows.
#pragma once

#include <string>

#include "model/session.h"

namespace quelnor::ui {

// Save dialog starting in executable_dir, then one CSV block appended to the chosen file.
void Download_data_Click(model::Session& s, const std::string& executable_dir);

}  // namespace quelnor::ui
