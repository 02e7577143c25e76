// Picks lines of a recorded register trace ("W 80 B0", "R 8F 02") by their start.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quelnor::test {

inline std::vector<std::string> lines_starting_with(const std::vector<std::string>& lines,
                                                    std::string_view prefix) {
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

}  // namespace quelnor::test
