// Collects what is written to std::cout (or another stream, e.g. std::cerr) while it lives,
// and gives the stream back even when the code under test throws.
#pragma once

#include <iostream>
#include <sstream>
#include <string>

namespace quelnor::cli::testing {

class CapturedCout {
 public:
  explicit CapturedCout(std::ostream& stream = std::cout)
      : stream_(stream), original_(stream.rdbuf(text_.rdbuf())) {}
  ~CapturedCout() { stream_.rdbuf(original_); }
  CapturedCout(const CapturedCout&) = delete;
  CapturedCout& operator=(const CapturedCout&) = delete;

  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::ostream& stream_;
  std::streambuf* original_;
};

}  // namespace quelnor::cli::testing
