// SI-prefixed numbers.
#include "cli/si_value.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace quelnor::cli {
namespace {

bool ends_with_unit(std::string_view text, std::string_view unit) {
  if (text.size() < unit.size()) return false;
  const std::string_view tail = text.substr(text.size() - unit.size());
  for (std::size_t i = 0; i < unit.size(); ++i) {
    const char a = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] + 32) : tail[i];
    if (a != unit[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<double> parse_si_number(std::string_view text) {
  for (const std::string_view unit : {"hz", "ohm"}) {
    if (ends_with_unit(text, unit)) {
      text.remove_suffix(unit.size());
      break;
    }
  }
  if (text.empty()) return std::nullopt;
  double scale = 1.0;
  switch (text.back()) {
    case 'p':
      scale = 1e-12;
      break;
    case 'n':
      scale = 1e-9;
      break;
    case 'u':
      scale = 1e-6;
      break;
    case 'm':
      scale = 1e-3;
      break;
    case 'k':
      scale = 1e3;
      break;
    case 'M':
      scale = 1e6;
      break;
    case 'G':
      scale = 1e9;
      break;
    default:
      break;
  }
  if (scale != 1.0) text.remove_suffix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  value *= scale;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

double si_number(const std::string& text, const std::string& option) {
  const std::optional<double> value = parse_si_number(text);
  if (!value) {
    throw std::invalid_argument(option + ": '" + text +
                                "' is not a number (SI prefixes p n u m k M G allowed, e.g. 2.5k)");
  }
  return *value;
}

}  // namespace quelnor::cli
