// Shortest round-trip decimal text via std::to_chars.
#include "analysis/round_trip_number.h"

#include <charconv>
#include <cmath>

namespace quelnor::analysis {

std::string round_trip_text(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace quelnor::analysis
