// The shortest decimal text of a double that reads back to the same double, for files.
#pragma once

#include <string>

namespace quelnor::analysis {

std::string round_trip_text(double value);

}  // namespace quelnor::analysis
