// The SCPI command tree as one table: each row's header, parameters, handler, help text
// and example. The session dispatches through it and the reference in docs/ is generated
// from it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "remote/scpi_parser.h"

namespace quelnor::remote {

class Session;

// How a command relates to a running calibration or sweep.
enum class Sequencing {
  immediate,  // runs at once, also during a run
  after_run,  // waits for a single run to end; refused while runs repeat
  fetch,      // waits for a single run to end; while runs repeat, serves the last one
};

// Returns the query's answer (empty for a setting); raises ScpiError on failure.
using CommandHandler = std::string (*)(Session& session, const ProgramUnit& unit);

struct CommandSpec {
  // The header as SCPI writes it: long form with its short form in capitals, optional
  // nodes in brackets, '?' for a query ("[SENSe:]FREQuency:STARt?").
  std::string_view header;
  std::string_view parameters;  // as the reference shows them; empty when none
  int min_parameters;
  int max_parameters;
  Sequencing sequencing;
  CommandHandler handler;
  std::string_view help;
  std::string_view example;  // a program message using the command
};

const std::vector<CommandSpec>& command_table();

// The command the typed header nodes name, or nullptr.
const CommandSpec* find_command(const std::vector<std::string>& nodes, bool query);

}  // namespace quelnor::remote
