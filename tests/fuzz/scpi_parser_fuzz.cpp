// Fuzz target for the SCPI program-message parser: any message parses without a crash into
// well-formed units, and those units written back out in canonical form parse to the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "remote/scpi_parser.h"

namespace {

using quelnor::fuzz::require;
using namespace quelnor::remote;

bool is_upper_mnemonic(const std::string& node, bool common) {
  std::size_t i = common ? 1 : 0;
  if (node.size() <= i || node.size() - i > max_mnemonic_length) return false;
  for (; i < node.size(); ++i) {
    const char c = node[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  }
  return true;
}

// The unit as a program message: nodes, '?', and parameters in the syntax the parser
// reads them from (strings quoted with quotes doubled, blocks with definite length).
std::string canonical(const ProgramUnit& unit) {
  std::string out = unit.absolute ? ":" : "";
  for (std::size_t i = 0; i < unit.nodes.size(); ++i) out += (i == 0 ? "" : ":") + unit.nodes[i];
  if (unit.query) out += '?';
  for (std::size_t i = 0; i < unit.parameters.size(); ++i) {
    const Parameter& p = unit.parameters[i];
    out += i == 0 ? " " : ",";
    switch (p.kind) {
      case ParameterKind::numeric:
        out += p.text;
        if (!p.suffix.empty()) out += " " + p.suffix;
        break;
      case ParameterKind::character:
        out += p.text;
        break;
      case ParameterKind::string:
        out += '"';
        for (const char c : p.text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
        out += '"';
        break;
      case ParameterKind::block: {
        const std::string length = std::to_string(p.text.size());
        out += "#" + std::to_string(length.size()) + length + p.text;
        break;
      }
    }
  }
  return out;
}

bool same_number(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

bool same_units(const ProgramUnit& a, const ProgramUnit& b) {
  if (a.common != b.common || a.absolute != b.absolute || a.nodes != b.nodes ||
      a.query != b.query || a.parameters.size() != b.parameters.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.parameters.size(); ++i) {
    const Parameter& p = a.parameters[i];
    const Parameter& q = b.parameters[i];
    if (p.kind != q.kind || p.text != q.text || p.suffix != q.suffix ||
        !same_number(p.number, q.number)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view message(reinterpret_cast<const char*>(data), size);
  const ParsedMessage parsed = parse_program_message(message);

  if (parsed.error) {
    require(parsed.error->code <= -100 && parsed.error->code > -200,
            "a parse failure is a command error (-1xx)");
  }
  std::string rewritten;
  for (const ProgramUnit& unit : parsed.units) {
    require(!unit.nodes.empty(), "a unit has a header");
    require(!(unit.common && unit.absolute), "a common command has no root colon");
    require(!unit.common || unit.nodes.size() == 1, "a common command is one node");
    if (unit.common) require(unit.nodes[0][0] == '*', "a common command's node keeps its '*'");
    for (const std::string& node : unit.nodes) {
      require(is_upper_mnemonic(node, unit.common), "a node is an upper-case mnemonic");
    }
    for (const Parameter& p : unit.parameters) {
      if (p.kind == ParameterKind::numeric) {
        require(!std::isinf(p.number) || p.text[0] == '#', "a decimal number is finite");
        require(p.suffix.size() <= max_mnemonic_length, "a suffix is at most 12 characters");
      }
    }
    rewritten += (rewritten.empty() ? "" : ";") + canonical(unit);
  }

  const ParsedMessage again = parse_program_message(rewritten);
  require(!again.error, "the units of a message, written back, parse without error");
  require(again.units.size() == parsed.units.size(), "written back, the units stay as many");
  for (std::size_t i = 0; i < parsed.units.size(); ++i) {
    require(same_units(parsed.units[i], again.units[i]), "written back, a unit parses the same");
  }
  return 0;
}
