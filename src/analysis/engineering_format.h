// Numbers in engineering units for readouts: "4.7 nF", "12.3 kOhm", "-152 Ohm".
#pragma once

#include <string>
#include <string_view>

namespace quelnor::analysis {

// `significant_digits` digits, trailing zeros dropped, an SI prefix from f to T chosen so
// the mantissa lies in [1, 1000) ('u' for micro, as the circuit grammar writes it).
// NaN reads "-", infinity "inf" or "-inf", zero "0 UNIT".
std::string engineering_text(double value, std::string_view unit, int significant_digits = 3);

// The phase as "-45.2 deg" (one decimal) for readouts.
std::string phase_text(double phase_deg);

}  // namespace quelnor::analysis
