// Text helpers of the measurement and Touchstone writers.
#pragma once

#include <string>

namespace quelnor::analysis {

// The shortest decimal text of a double that reads back to the same double.
std::string round_trip_text(double value);

// The text with line breaks turned into blanks, so a metadata value stays one line.
std::string single_line(std::string text);

}  // namespace quelnor::analysis
