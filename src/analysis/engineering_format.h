// Numbers in engineering units for readouts: "4.7 nF", "12.3 kOhm", "-152 Ohm".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelnor::analysis {

// `significant_digits` digits, an SI prefix from f to T chosen so the mantissa lies in
// [1, 1000) ('u' for micro, as the circuit grammar writes it). Trailing zeros are dropped
// for readouts ("1 kOhm"); results whose digits state their precision keep them
// ("1.000 kOhm"). NaN reads "-", infinity "inf" or "-inf", zero "0 UNIT".
enum class TrailingZeros { dropped, kept };
std::string engineering_text(double value, std::string_view unit, int significant_digits = 3,
                             TrailingZeros zeros = TrailingZeros::dropped);

// A fraction as a percentage to two significant digits: 0.0031 is "0.31 %", 0.22 "22 %".
std::string percent_text(double fraction);

// The phase as "-45.2 deg" (one decimal) for readouts.
std::string phase_text(double phase_deg);

}  // namespace quelnor::analysis

namespace quelnor::analysis {

// A typed value such as "12.3k", "4.7 nF", "100 kHz", "1e4", "2.2M": a number, an optional
// SI prefix (f p n u m k M G T; 'M' is mega, 'm' milli) and an optional unit that is
// ignored. Empty when the text is not such a value.
std::optional<double> engineering_value(std::string_view text);

}  // namespace quelnor::analysis
