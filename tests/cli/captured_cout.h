// Collects what is written to std::cout while it lives, and gives std::cout back even when
// the code under test throws.
#pragma once

#include <iostream>
#include <sstream>
#include <string>

namespace quelnor::cli::testing {

class CapturedCout {
 public:
  CapturedCout() : original_(std::cout.rdbuf(text_.rdbuf())) {}
  ~CapturedCout() { std::cout.rdbuf(original_); }
  CapturedCout(const CapturedCout&) = delete;
  CapturedCout& operator=(const CapturedCout&) = delete;

  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* original_;
};

}  // namespace quelnor::cli::testing
