// Texts in double quotes as the script output writes them: " and \ escaped with a
// backslash, everything else exact.
#pragma once

#include <string>
#include <string_view>

namespace quelnor::app {

std::string quoted(std::string_view text);

}  // namespace quelnor::app
