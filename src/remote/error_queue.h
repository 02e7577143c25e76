// The SCPI error/event queue: oldest first, bounded; when full, the newest entry is
// replaced by "Queue overflow" so the oldest errors, which explain the rest, are kept.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace quelnor::remote {

class ErrorQueue {
 public:
  static constexpr std::size_t capacity = 32;

  // Appends code with its standard text, plus "; detail" when detail is not empty.
  void push(int code, const std::string& detail = {});
  // The oldest entry as SCPI answers it (`-113,"Undefined header"`), removed from the
  // queue; `0,"No error"` when empty.
  std::string pop();
  std::size_t count() const { return entries_.size(); }
  void clear() { entries_.clear(); }

 private:
  std::deque<std::string> entries_;
};

}  // namespace quelnor::remote
