// Appending one block of text to a file all or nothing: either the whole block follows
// the file's previous content, or the file is left as it was.
#pragma once

#include <optional>
#include <string>

namespace quelnor::ui {

// Creates the file if missing. Returns the reason on failure (the file then holds exactly
// its previous content, or is removed again if this call created it), nothing on success.
std::optional<std::string> append_block(const std::string& path, const std::string& block);

}  // namespace quelnor::ui
