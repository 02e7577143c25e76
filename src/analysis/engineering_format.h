// Numbers with SI prefixes for people: "4.7 nF", "12.3 kOhm", "1.0023 kOhm".
#pragma once

#include <string>

namespace quelnor::analysis {

// value to significant_digits (1..15) with the prefix (f p n u m k M G T) that puts the
// mantissa in [1, 1000), then a blank and the unit. Without a unit, the bare number to
// those digits ("0.8500"). Zero is "0 unit"; infinities and NaN read "inf", "-inf" and
// "nan" with the unit.
std::string engineering_text(double value, const std::string& unit, int significant_digits = 4);

}  // namespace quelnor::analysis
