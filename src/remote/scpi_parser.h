// Parses one SCPI program message (one line without its terminator) into program message
// units: headers with their nodes, the query mark, and typed parameters. It needs no socket
// and no command table, so it is the parser's test and fuzz entry point.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelnor::remote {

enum class ParameterKind { numeric, character, string, block };

struct Parameter {
  ParameterKind kind = ParameterKind::numeric;
  // numeric: the number as typed; character: the mnemonic in upper case; string: the
  // content without quotes (doubled quotes undone); block: the payload bytes.
  std::string text;
  double number = 0.0;  // numeric only, before any suffix multiplier
  std::string suffix;   // numeric only: the unit suffix in upper case ("KHZ"), or empty
};

struct ProgramUnit {
  bool common = false;             // an IEEE 488.2 common command such as *IDN?
  bool absolute = false;           // the header began with ':' (back to the root)
  std::vector<std::string> nodes;  // header mnemonics in upper case ("SENS", "FREQ")
  bool query = false;
  std::vector<Parameter> parameters;
};

struct ParseFailure {
  int code = 0;  // a SCPI command error code (-1xx)
  std::string detail;
};

struct ParsedMessage {
  std::vector<ProgramUnit> units;  // every unit before the first error, in order
  std::optional<ParseFailure> error;
};

// Mnemonics are at most this long (IEEE 488.2).
constexpr std::size_t max_mnemonic_length = 12;

ParsedMessage parse_program_message(std::string_view message);

// True when typed (upper case) is the short or the long form of a mnemonic written with
// its short form in capitals ("FREQuency" takes "FREQ" and "FREQUENCY", not "FREQU").
bool mnemonic_matches(std::string_view typed, std::string_view mnemonic);

}  // namespace quelnor::remote
