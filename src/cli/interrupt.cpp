// The SIGINT handler behind InterruptWatch. A signal handler can reach only static storage,
// so the flag is the one static object of this layer.
#include "cli/interrupt.h"

#include <csignal>

namespace quelnor::cli {
namespace {

std::atomic<bool> interrupted{false};
using Handler = void (*)(int);
Handler previous = SIG_DFL;

extern "C" void on_interrupt(int) {
  interrupted.store(true);
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

InterruptWatch::InterruptWatch() {
  interrupted.store(false);
  previous = std::signal(SIGINT, on_interrupt);
}

InterruptWatch::~InterruptWatch() {
  std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous);
}

const std::atomic<bool>& InterruptWatch::flag() const {
  return interrupted;
}

}  // namespace quelnor::cli
