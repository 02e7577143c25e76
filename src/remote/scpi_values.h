// Turning parameters into values (units with SCPI's multipliers, MIN/MAX/DEF, booleans,
// choices) and values into response text that reads back to the same double.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "remote/scpi_parser.h"

namespace quelnor::remote {

// A numeric parameter's value in the base unit ("HZ", "OHM", "S", or "" for a unitless
// count). The suffix is a unit with an optional multiplier (EX PE T G MA K M U N P F A;
// M is milli and MA mega, except that MHZ and MOHM mean mega as SCPI defines). Raises
// ScpiError: -131 for a suffix that is not this unit, -138 for a suffix on a count, -104
// when the parameter is not a number.
double scaled_number(const Parameter& p, std::string_view unit);

// A numeric parameter that also takes MINimum, MAXimum and DEFault: those resolve to the
// given values. Range is checked by the caller.
struct NumericLimits {
  double minimum;
  double maximum;
  double default_value;
};
double number_or_limit(const Parameter& p, std::string_view unit, const NumericLimits& limits);

// ON/OFF/1/0 (any non-zero number rounds to true as SCPI does).
bool boolean_value(const Parameter& p);

// Which of the choices (written "LINear") the character parameter names; -224 when none.
std::size_t choice_index(const Parameter& p, const std::vector<std::string_view>& choices);

// The text of a string parameter; also takes block data holding text.
std::string text_value(const Parameter& p);

// The shortest decimal text that reads back to exactly value; SCPI's 9.91E37 for NaN and
// +-9.9E37 for infinities.
std::string number_response(double value);

// Text as SCPI string response data: in double quotes, with quotes inside doubled.
std::string string_response(std::string_view text);

}  // namespace quelnor::remote
