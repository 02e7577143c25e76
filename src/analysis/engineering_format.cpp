// Engineering-unit formatting of readouts.
#include "analysis/engineering_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quelnor::analysis {
namespace {

std::string with_unit(std::string number, std::string_view prefix, std::string_view unit) {
  if (!prefix.empty() || !unit.empty()) number += ' ';
  number += prefix;
  number += unit;
  return number;
}

// Fixed notation with `decimals` decimals, trailing zeros and a bare point removed.
std::string trimmed_fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

}  // namespace

std::string engineering_text(double value, std::string_view unit, int significant_digits) {
  if (std::isnan(value)) return "-";
  if (std::isinf(value)) return with_unit(value > 0 ? "inf" : "-inf", "", unit);
  if (value == 0.0) return with_unit("0", "", unit);
  significant_digits = std::clamp(significant_digits, 1, 15);
  // Round to the significant digits first, so 999.96 becomes 1 k and not 1000.
  const double magnitude = std::abs(value);
  const int decade = static_cast<int>(std::floor(std::log10(magnitude)));
  const double scale = std::pow(10.0, significant_digits - 1 - decade);
  double rounded = std::round(magnitude * scale) / scale;
  static constexpr const char* prefixes[] = {"f", "p", "n", "u", "m", "", "k", "M", "G", "T"};
  int group = static_cast<int>(std::floor(std::log10(rounded) / 3.0));
  group = std::clamp(group, -5, 4);
  const double mantissa = rounded / std::pow(10.0, 3 * group);
  const int mantissa_decade = static_cast<int>(std::floor(std::log10(mantissa) + 1e-12));
  const int decimals = std::max(0, significant_digits - 1 - mantissa_decade);
  const std::string number = trimmed_fixed(value < 0 ? -mantissa : mantissa, decimals);
  return with_unit(number, prefixes[group + 5], unit);
}

std::string phase_text(double phase_deg) {
  if (std::isnan(phase_deg)) return "-";
  return trimmed_fixed(phase_deg, 1) + " deg";
}

}  // namespace quelnor::analysis
