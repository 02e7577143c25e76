// Fuzz target for reading numbers from field texts and writing them back: the readers
// return a finite number or raise the run-time error of their rule, and every text that
// number_text writes reads back to the same number within its 15 significant digits.
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "util/numbers.h"
#include "util/run_time_error.h"

namespace {

using quelnor::fuzz::require;
using quelnor::util::ErrorKind;
using quelnor::util::RunTimeError;

// The largest double written with 15 significant digits, 1.79769313486232E+308, lies above
// the double range: only values that round up past it may fail to read back.
constexpr double largest_readable = 1.79769313486231e308;

void check_written(double value) {
  const std::string text = quelnor::util::number_text(value);
  if (std::isnan(value)) {
    require(text == "NaN", "NaN is written NaN");
    return;
  }
  if (std::isinf(value)) {
    require(text == (value < 0 ? "-Infinity" : "Infinity"), "infinities are written by name");
    return;
  }
  double read = 0.0;
  try {
    read = quelnor::util::strict_number(text);
  } catch (const RunTimeError& e) {
    require(e.kind() == ErrorKind::number_too_large && std::fabs(value) > largest_readable,
            "number_text writes a text strict_number reads");
    return;
  }
  // Half a unit of the 15th digit, plus the rounding of the text to the nearest double.
  const double magnitude = std::fabs(value);
  const double allowed = magnitude >= DBL_MIN ? (5e-15 + DBL_EPSILON) * magnitude : DBL_MIN;
  require(std::fabs(read - value) <= allowed, "number_text keeps 15 significant digits");
  require(quelnor::util::number_text(read) == text, "a number read back is written the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  double lenient = 0.0;
  bool lenient_read = false;
  try {
    lenient = quelnor::util::lenient_number(text);
    lenient_read = true;
    require(std::isfinite(lenient), "lenient_number returns a finite number");
    check_written(lenient);
  } catch (const RunTimeError& e) {
    require(e.kind() == ErrorKind::number_too_large, "lenient_number refuses only too large");
  }

  try {
    const double strict = quelnor::util::strict_number(text);
    require(std::isfinite(strict), "strict_number returns a finite number");
    // A text strict_number takes has no blanks inside, so the lenient reading is the same.
    require(lenient_read && std::memcmp(&strict, &lenient, sizeof strict) == 0,
            "strict_number and lenient_number agree on a whole number");
  } catch (const RunTimeError& e) {
    require(e.kind() == ErrorKind::not_a_number || e.kind() == ErrorKind::number_too_large,
            "strict_number refuses only not-a-number and too large");
  }

  // The raw bytes as a double reach values no short text spells.
  if (size >= sizeof(double)) {
    double raw = 0.0;
    std::memcpy(&raw, data, sizeof raw);
    check_written(raw);
  }
  return 0;
}
