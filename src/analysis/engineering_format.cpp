// Engineering notation with SI prefixes.
#include "analysis/engineering_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quelnor::analysis {
namespace {

std::string with_unit(std::string number, const std::string& prefix, const std::string& unit) {
  if (prefix.empty() && unit.empty()) return number;
  return number + " " + prefix + unit;
}

}  // namespace

std::string engineering_text(double value, const std::string& unit, int significant_digits) {
  const int digits = std::clamp(significant_digits, 1, 15);
  if (std::isnan(value)) return with_unit("nan", "", unit);
  if (std::isinf(value)) return with_unit(value > 0 ? "inf" : "-inf", "", unit);
  if (value == 0.0) return with_unit("0", "", unit);
  if (unit.empty()) {
    // A bare number keeps its digits without a prefix: "0.8500", not "850.0 m".
    char text[64];
    std::snprintf(text, sizeof text, "%#.*g", digits, value);
    return text;
  }
  static const char* const prefixes[] = {"f", "p", "n", "u", "m", "", "k", "M", "G", "T"};
  constexpr int none = 5;  // index of the empty prefix
  // Round to the digits first, so 999.96 to four digits becomes 1.000 k and not 1000.
  const int decade = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  const double scale = std::pow(10.0, digits - 1 - decade);
  const double rounded = std::round(value * scale) / scale;
  const int rounded_decade = static_cast<int>(std::floor(std::log10(std::fabs(rounded))));
  const int group = std::clamp(static_cast<int>(std::floor(rounded_decade / 3.0)), -none, 4);
  const double mantissa = rounded / std::pow(10.0, 3 * group);
  const int whole_digits = rounded_decade - 3 * group + 1;  // before the point, 1..3 in range
  const int decimals = std::max(0, digits - whole_digits);
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, mantissa);
  return with_unit(text, prefixes[group + none], unit);
}

}  // namespace quelnor::analysis
