// A progress bar on standard error, drawn only when standard error is a terminal.
#pragma once

#include <cstddef>
#include <ostream>

namespace quelnor::cli {

class ProgressBar {
 public:
  // total 0: unknown (a run until stopped), only the count is shown.
  ProgressBar(std::ostream& err, bool enabled, std::size_t total);
  ~ProgressBar();
  void step();

 private:
  std::ostream& err_;
  bool enabled_;
  std::size_t total_;
  std::size_t done_ = 0;
};

// Whether standard error is a terminal.
bool stderr_is_terminal();

}  // namespace quelnor::cli
