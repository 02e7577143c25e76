// Engineering-unit formatting of readouts.
#include "analysis/engineering_format.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <utility>

namespace quelnor::analysis {
namespace {

std::string with_unit(std::string number, std::string_view prefix, std::string_view unit) {
  if (!prefix.empty() || !unit.empty()) number += ' ';
  number += prefix;
  number += unit;
  return number;
}

// Fixed notation with `decimals` decimals; unless kept, trailing zeros and a bare point
// removed.
std::string trimmed_fixed(double value, int decimals, TrailingZeros zeros = TrailingZeros::dropped) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (zeros == TrailingZeros::dropped && text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

}  // namespace

std::string engineering_text(double value, std::string_view unit, int significant_digits,
                             TrailingZeros zeros) {
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
  const std::string number = trimmed_fixed(value < 0 ? -mantissa : mantissa, decimals, zeros);
  return with_unit(number, prefixes[group + 5], unit);
}

std::string percent_text(double fraction) {
  char text[32];
  const double percent = fraction * 100.0;
  // Two significant digits, but never an exponent for a large deviation.
  std::snprintf(text, sizeof text, std::fabs(percent) >= 100.0 ? "%.0f %%" : "%.2g %%", percent);
  return text;
}

std::string phase_text(double phase_deg) {
  if (std::isnan(phase_deg)) return "-";
  return trimmed_fixed(phase_deg, 1) + " deg";
}

}  // namespace quelnor::analysis

namespace quelnor::analysis {

std::optional<double> engineering_value(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  std::string_view rest(result.ptr, text.data() + text.size() - result.ptr);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  if (rest.empty()) return value;
  static constexpr std::pair<char, double> prefixes[] = {{'f', 1e-15}, {'p', 1e-12}, {'n', 1e-9}, {'u', 1e-6},
                                                         {'m', 1e-3},  {'k', 1e3},    {'K', 1e3},  {'M', 1e6},
                                                         {'G', 1e9},   {'T', 1e12}};
  double scale = 1.0;
  for (const auto& [letter, factor] : prefixes) {
    // A prefix letter counts when it ends the text or a unit follows it ("5 m", "5 mOhm").
    if (rest.front() == letter && (rest.size() == 1 || std::isalpha(static_cast<unsigned char>(rest[1])))) {
      scale = factor;
      rest.remove_prefix(1);
      break;
    }
  }
  for (char c : rest) {
    if (!std::isalpha(static_cast<unsigned char>(c))) return std::nullopt;
  }
  return value * scale;
}

}  // namespace quelnor::analysis
