// Checks that a firmware image is well-formed Intel HEX before the virtual board accepts
// it: record syntax, checksums, known record types and exactly one end record at the end.
#pragma once

#include <string>
#include <string_view>

namespace quelnor::sim {

// Empty when the text is a well-formed image; otherwise a message naming the 1-based line
// and the problem. Accepted record types: 00 data, 01 end of file, 02 extended segment
// address, 04 extended linear address. Blank lines and CR LF line ends are allowed.
std::string intel_hex_problem(std::string_view text);

}  // namespace quelnor::sim
