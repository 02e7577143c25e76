// The one run-time error of the system: arithmetic faults, bounds, refused numbers and a
// board that does not answer. Raised by explicit checks; caught by the routines that own a
// failure box and, as a last resort, around every event handler.
#pragma once

#include <stdexcept>
#include <string>

namespace quelnor::util {

enum class ErrorKind {
  division_by_zero,
  overflow,
  invalid_operation,
  out_of_bounds,
  number_too_large,
  not_a_number,
  board_not_answering,
};

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(ErrorKind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

}  // namespace quelnor::util
