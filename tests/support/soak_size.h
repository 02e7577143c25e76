// What the long-run tests share: their size from an environment variable (a short run by
// default) and the process's resident memory, printed after warm-up and at the end.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

namespace quelnor::test {

// The whole number in the variable `name`, at least 1; `short_run` when it is not set.
inline int soak_size(const char* name, int short_run) {
  const char* text = std::getenv(name);
  return text != nullptr ? std::max(1, std::atoi(text)) : short_run;
}

// Resident memory of this process in KiB, -1 where /proc cannot tell.
inline long resident_kib() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

}  // namespace quelnor::test
