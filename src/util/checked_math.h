// Checked arithmetic: floating-point division by zero, overflow and invalid operations,
// integer overflow and real-to-integer conversion raise RunTimeError instead of giving
// infinities, NaNs or wrapped values.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quelnor::util {

// Returns v, or raises overflow (infinite) or invalid_operation (NaN).
double checked(double v);

double checked_add(double a, double b);
double checked_sub(double a, double b);
double checked_mul(double a, double b);
// Raises division_by_zero when b is 0 (0 / 0 included: invalid_operation).
double checked_div(double a, double b);
// Square root; a negative argument is invalid_operation.
double checked_sqrt(double v);

std::int32_t checked_add_i32(std::int32_t a, std::int32_t b);
std::int32_t checked_sub_i32(std::int32_t a, std::int32_t b);
std::int32_t checked_mul_i32(std::int32_t a, std::int32_t b);
std::int16_t checked_add_i16(std::int16_t a, std::int16_t b);

// Nearest integer, ties to even (2.5 -> 2, 3.5 -> 4); outside the type's range, or NaN,
// raises overflow.
std::int32_t round_to_i32(double v);
std::int16_t round_to_i16(double v);
// Narrowing of an integer; outside -32768..32767 raises overflow.
std::int16_t to_i16(std::int32_t v);

// Index into a table of `size` entries; raises out_of_bounds outside 0..size-1.
std::size_t checked_index(std::int64_t index, std::size_t size);

}  // namespace quelnor::util
