// Parameter conversion and response number formatting.
#include "remote/scpi_values.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

#include "remote/scpi_error.h"

namespace quelnor::remote {

namespace {

struct Multiplier {
  std::string_view prefix;
  double factor;
};

constexpr std::array<Multiplier, 12> multipliers = {{{"EX", 1e18},
                                                     {"PE", 1e15},
                                                     {"T", 1e12},
                                                     {"G", 1e9},
                                                     {"MA", 1e6},
                                                     {"K", 1e3},
                                                     {"M", 1e-3},
                                                     {"U", 1e-6},
                                                     {"N", 1e-9},
                                                     {"P", 1e-12},
                                                     {"F", 1e-15},
                                                     {"A", 1e-18}}};

const char* kind_name(ParameterKind kind) {
  switch (kind) {
    case ParameterKind::numeric:
      return "a number";
    case ParameterKind::character:
      return "a word";
    case ParameterKind::string:
      return "a string";
    case ParameterKind::block:
      return "a block";
  }
  return "a parameter";
}

[[noreturn]] void wrong_kind(const Parameter& p, std::string_view wanted) {
  const int code = p.kind == ParameterKind::numeric     ? scpi_code::numeric_data_not_allowed
                   : p.kind == ParameterKind::character ? scpi_code::character_data_not_allowed
                   : p.kind == ParameterKind::string    ? scpi_code::string_data_not_allowed
                                                        : scpi_code::block_data_not_allowed;
  throw ScpiError(code,
                  std::string("expected ") + std::string(wanted) + ", got " + kind_name(p.kind));
}

}  // namespace

double scaled_number(const Parameter& p, std::string_view unit) {
  if (p.kind != ParameterKind::numeric) wrong_kind(p, "a number");
  if (p.suffix.empty()) return p.number;
  if (unit.empty()) throw ScpiError(scpi_code::suffix_not_allowed, "'" + p.suffix + "' on a count");
  if (p.suffix == unit) return p.number;
  if ((unit == "HZ" && p.suffix == "MHZ") || (unit == "OHM" && p.suffix == "MOHM")) {
    return p.number * 1e6;
  }
  const std::string_view suffix = p.suffix;
  if (suffix.size() > unit.size() && suffix.substr(suffix.size() - unit.size()) == unit) {
    const std::string_view prefix = suffix.substr(0, suffix.size() - unit.size());
    for (const Multiplier& m : multipliers) {
      if (m.prefix == prefix) return p.number * m.factor;
    }
  }
  throw ScpiError(scpi_code::invalid_suffix,
                  "'" + p.suffix + "' is not a multiple of " + std::string(unit));
}

double number_or_limit(const Parameter& p, std::string_view unit, const NumericLimits& limits) {
  if (p.kind == ParameterKind::character) {
    if (mnemonic_matches(p.text, "MINimum")) return limits.minimum;
    if (mnemonic_matches(p.text, "MAXimum")) return limits.maximum;
    if (mnemonic_matches(p.text, "DEFault")) return limits.default_value;
    throw ScpiError(scpi_code::illegal_parameter_value,
                    "'" + p.text + "': expected a number, MIN, MAX or DEF");
  }
  return scaled_number(p, unit);
}

bool boolean_value(const Parameter& p) {
  if (p.kind == ParameterKind::character) {
    if (p.text == "ON") return true;
    if (p.text == "OFF") return false;
    throw ScpiError(scpi_code::illegal_parameter_value, "'" + p.text + "': expected ON or OFF");
  }
  if (p.kind != ParameterKind::numeric) wrong_kind(p, "ON, OFF, 1 or 0");
  if (!p.suffix.empty()) throw ScpiError(scpi_code::suffix_not_allowed, p.suffix);
  return std::lround(p.number) != 0;
}

std::size_t choice_index(const Parameter& p, const std::vector<std::string_view>& choices) {
  if (p.kind == ParameterKind::character) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
      if (mnemonic_matches(p.text, choices[i])) return i;
    }
  } else if (p.kind != ParameterKind::numeric) {
    wrong_kind(p, "a word");
  }
  std::string list;
  for (std::string_view c : choices) list += (list.empty() ? "" : ", ") + std::string(c);
  throw ScpiError(scpi_code::illegal_parameter_value,
                  "'" + (p.kind == ParameterKind::numeric ? p.text + p.suffix : p.text) +
                      "': expected one of " + list);
}

std::string text_value(const Parameter& p) {
  if (p.kind != ParameterKind::string && p.kind != ParameterKind::block) {
    wrong_kind(p, "a quoted string");
  }
  return p.text;
}

std::string number_response(double value) {
  if (std::isnan(value)) return "9.91E+37";
  if (std::isinf(value)) return value > 0 ? "9.9E+37" : "-9.9E+37";
  // Shortest digits that read back exactly; plain decimals in the everyday range so that
  // 200 kOhm reads "200000", exponents outside it.
  std::array<char, 400> buffer{};
  const double magnitude = std::abs(value);
  const bool plain = value == 0.0 || (magnitude >= 1e-5 && magnitude < 1e15);
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                    plain ? std::chars_format::fixed : std::chars_format::scientific);
  return std::string(buffer.data(), end);
}

std::string string_response(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"')
      out += "\"\"";
    else
      out += c;
  }
  return out + '"';
}

}  // namespace quelnor::remote
