// Where the build put the program and its firmware image, for tests that start a board.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quelnor::test {

// The test runner names the folder; run by hand, a test looks beside its own executable,
// where the build puts every program and the firmware image.
inline std::string bin_dir() {
  if (const char* dir = std::getenv("QUELNOR_BIN_DIR")) return dir;
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

}  // namespace quelnor::test
