// Numbers with SI prefixes as the operator types them (named si_number: glibc defines
// si_value as a macro): "1k", "2.5M", "22p", "1e3", and an
// optional unit after the prefix ("10kHz", "4.7MOhm").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelnor::cli {

// The value, or nothing when the text is not a finite number with at most one prefix
// (p n u m k M G; 'm' is milli and 'M' mega) and an optional "Hz" or "Ohm" (any case).
std::optional<double> parse_si_number(std::string_view text);

// As above; a refusal raises std::invalid_argument "OPTION: 'TEXT' is not a number ...".
double si_number(const std::string& text, const std::string& option);

}  // namespace quelnor::cli
