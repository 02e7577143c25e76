// Rewriting a circuit expression's start values.
#include "gui/analyzer/circuit_start_values.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace quelnor::gui::analyzer {
namespace {

bool is_name_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string fixed_text(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.9f", value);
  std::string text = buffer;
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

// Where the value of parameter `name` starts (just after '=' and blanks) in text.
std::size_t value_position(const std::string& text, const std::string& name) {
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    if (at > 0 && is_name_char(text[at - 1])) continue;
    std::size_t pos = at + name.size();
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= text.size() || text[pos] != '=') continue;
    ++pos;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    return pos;
  }
  throw std::invalid_argument("parameter " + name + " not found in the circuit text");
}

std::size_t value_end(const std::string& text, std::size_t pos) {
  if (pos < text.size() && text[pos] == '(') {
    const std::size_t close = text.find(')', pos);
    if (close == std::string::npos) throw std::invalid_argument("unbalanced parentheses");
    return close + 1;
  }
  while (pos < text.size() && text[pos] != '+' && text[pos] != '|' && text[pos] != ')' && text[pos] != '(' &&
         text[pos] != ' ' && text[pos] != '\t') {
    ++pos;
  }
  return pos;
}

}  // namespace

std::string circuit_value_text(double value, bool with_suffix) {
  if (!with_suffix || value == 0.0) return fixed_text(value);
  static const struct {
    double scale;
    const char* suffix;
  } prefixes[] = {{1e9, "G"}, {1e6, "M"}, {1e3, "k"}, {1.0, ""}, {1e-3, "m"}, {1e-6, "u"}, {1e-9, "n"}};
  for (const auto& p : prefixes) {
    if (std::fabs(value) >= p.scale) return fixed_text(value / p.scale) + p.suffix;
  }
  return fixed_text(value / 1e-12) + "p";
}

std::string with_start_values(const circuit::CircuitExpression& circuit, std::span<const double> values) {
  const auto& parameters = circuit.parameters();
  if (values.size() != parameters.size()) throw std::invalid_argument("one value per parameter expected");
  std::string text = circuit.text();
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (parameters[i].is_exponent) continue;  // written with its CPE's Q below
    const std::size_t begin = value_position(text, parameters[i].name);
    const std::size_t end = value_end(text, begin);
    std::string value = circuit_value_text(values[i]);
    if (i + 1 < parameters.size() && parameters[i + 1].is_exponent) {
      value = "(" + value + "," + circuit_value_text(values[i + 1], false) + ")";
    }
    text.replace(begin, end - begin, value);
  }
  circuit::CircuitExpression::parse(text);  // raises when a value cannot be written
  return text;
}

}  // namespace quelnor::gui::analyzer
