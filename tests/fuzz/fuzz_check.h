// A property a fuzz target checks: when it does not hold, the run stops with the message
// (libFuzzer then saves and prints the input that broke it).
#pragma once

#include <cstdio>
#include <cstdlib>

namespace quelnor::fuzz {

inline void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", property);
  std::abort();
}

}  // namespace quelnor::fuzz
