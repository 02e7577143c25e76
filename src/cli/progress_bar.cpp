// Drawing the progress bar in place with a carriage return.
#include "cli/progress_bar.h"

#include <unistd.h>

#include <string>

namespace quelnor::cli {

ProgressBar::ProgressBar(std::ostream& err, bool enabled, std::size_t total)
    : err_(err), enabled_(enabled), total_(total) {}

ProgressBar::~ProgressBar() {
  if (enabled_ && done_ > 0) err_ << '\n' << std::flush;
}

void ProgressBar::step() {
  ++done_;
  if (!enabled_) return;
  constexpr std::size_t width = 40;
  if (total_ == 0) {
    err_ << "\r" << done_ << " points" << std::flush;
    return;
  }
  const std::size_t filled = done_ >= total_ ? width : done_ * width / total_;
  err_ << "\r[" << std::string(filled, '#') << std::string(width - filled, ' ') << "] " << done_
       << "/" << total_ << std::flush;
}

bool stderr_is_terminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace quelnor::cli
