// Checked arithmetic: every result is tested after the operation, so a fault becomes a
// RunTimeError at the place it happens instead of an infinity, a NaN or a wrapped integer.
#include "util/checked_math.h"

#include <cmath>
#include <limits>
#include <string>

#include "util/run_time_error.h"

namespace quelnor::util {
namespace {

[[noreturn]] void raise_overflow() {
  throw RunTimeError(ErrorKind::overflow, "Overflow");
}

[[noreturn]] void raise_invalid() {
  throw RunTimeError(ErrorKind::invalid_operation, "Invalid floating-point operation");
}

template <typename Int>
Int checked_narrow(long long v) {
  if (v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max()) {
    raise_overflow();
  }
  return static_cast<Int>(v);
}

// Nearest integer with ties to even, computed without relying on the current rounding mode.
template <typename Int>
Int round_ties_even(double v) {
  if (std::isnan(v)) raise_overflow();
  const double floor_v = std::floor(v);
  const double fraction = v - floor_v;  // exact for every finite double
  double nearest = floor_v;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor_v, 2.0) != 0.0)) {
    nearest = floor_v + 1.0;
  }
  // The bounds are exactly representable as doubles for 16 and 32 bits.
  if (!(nearest >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        nearest <= static_cast<double>(std::numeric_limits<Int>::max()))) {
    raise_overflow();
  }
  return static_cast<Int>(nearest);
}

}  // namespace

double checked(double v) {
  if (std::isnan(v)) raise_invalid();
  if (std::isinf(v)) raise_overflow();
  return v;
}

double checked_add(double a, double b) {
  return checked(a + b);
}
double checked_sub(double a, double b) {
  return checked(a - b);
}
double checked_mul(double a, double b) {
  return checked(a * b);
}

double checked_div(double a, double b) {
  if (b == 0.0) {
    if (a == 0.0 || std::isnan(a)) raise_invalid();
    throw RunTimeError(ErrorKind::division_by_zero, "Division by zero");
  }
  return checked(a / b);
}

double checked_sqrt(double v) {
  if (v < 0.0) raise_invalid();
  return checked(std::sqrt(v));
}

std::int32_t checked_add_i32(std::int32_t a, std::int32_t b) {
  std::int32_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) raise_overflow();
  return sum;
}

std::int32_t checked_sub_i32(std::int32_t a, std::int32_t b) {
  std::int32_t difference = 0;
  if (__builtin_sub_overflow(a, b, &difference)) raise_overflow();
  return difference;
}

std::int32_t checked_mul_i32(std::int32_t a, std::int32_t b) {
  std::int32_t product = 0;
  if (__builtin_mul_overflow(a, b, &product)) raise_overflow();
  return product;
}

std::int16_t checked_add_i16(std::int16_t a, std::int16_t b) {
  return checked_narrow<std::int16_t>(static_cast<long long>(a) + b);
}

std::int32_t round_to_i32(double v) {
  return round_ties_even<std::int32_t>(v);
}
std::int16_t round_to_i16(double v) {
  return round_ties_even<std::int16_t>(v);
}

std::int16_t to_i16(std::int32_t v) {
  return checked_narrow<std::int16_t>(v);
}

std::size_t checked_index(std::int64_t index, std::size_t size) {
  if (index < 0 || static_cast<std::uint64_t>(index) >= size) {
    throw RunTimeError(ErrorKind::out_of_bounds, "Index " + std::to_string(index) +
                                                     " outside the table of " +
                                                     std::to_string(size) + " entries");
  }
  return static_cast<std::size_t>(index);
}

}  // namespace quelnor::util
