// Names of calibration files inside the data folder: a plain name is allowed, a path is not,
// so a client can never read or write outside that folder.
#pragma once

#include <filesystem>
#include <string>

namespace quelnor::remote {

// data_dir / name, with ".json" added when name has no extension. Raises ScpiError -257
// for an empty name, one with '/', '\\', a control character or a leading '.', or one
// over 100 characters.
std::filesystem::path data_file(const std::filesystem::path& data_dir, const std::string& name);

// The default data folder: $XDG_DATA_HOME/quelnor-eval, else ~/.local/share/quelnor-eval.
std::filesystem::path default_data_dir();

}  // namespace quelnor::remote
