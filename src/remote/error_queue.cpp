// The bounded SCPI error queue.
#include "remote/error_queue.h"

#include "remote/scpi_error.h"
#include "remote/scpi_values.h"

namespace quelnor::remote {

namespace {

// An entry as SCPI answers it; line feeds become blanks so the entry stays one line.
std::string quoted_entry(int code, const std::string& detail) {
  std::string text(scpi_error_text(code));
  if (!detail.empty()) text += "; " + detail;
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return std::to_string(code) + "," + string_response(text);
}

}  // namespace

void ErrorQueue::push(int code, const std::string& detail) {
  if (entries_.size() >= capacity) {
    entries_.back() = quoted_entry(scpi_code::queue_overflow, {});
    return;
  }
  entries_.push_back(quoted_entry(code, detail));
}

std::string ErrorQueue::pop() {
  if (entries_.empty()) return quoted_entry(scpi_code::no_error, {});
  std::string front = std::move(entries_.front());
  entries_.pop_front();
  return front;
}

}  // namespace quelnor::remote
