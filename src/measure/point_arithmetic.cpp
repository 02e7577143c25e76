// Per-point arithmetic on the chip's real and imaginary data.
#include "measure/point_arithmetic.h"

#include <cmath>

#include "converter/register_map.h"
#include "measure/calibration_models.h"
#include "util/checked_math.h"

namespace quelnor::measure {

using util::checked_add;
using util::checked_div;
using util::checked_mul;

double signed_data_value(std::int32_t high, std::int32_t low) {
  std::int32_t v = util::checked_add_i32(util::checked_mul_i32(high, 256), low);
  if (v > 32767) v -= 65536;
  return static_cast<double>(v);
}

RealImaginary read_real_imaginary(model::Session& s) {
  auto read = [&s](std::int32_t reg) {
    return s.transport.read_register(link::chip_bus_address, reg);
  };
  RealImaginary point;
  const std::int32_t real_high = read(converter::reg::real_high);
  const std::int32_t real_low = read(converter::reg::real_low);
  point.real = signed_data_value(real_high, real_low);
  const std::int32_t imaginary_high = read(converter::reg::imaginary_high);
  const std::int32_t imaginary_low = read(converter::reg::imaginary_low);
  point.imaginary = signed_data_value(imaginary_high, imaginary_low);
  return point;
}

double magnitude_of(double real, double imaginary) {
  return util::checked(
      std::pow(checked_add(checked_mul(real, real), checked_mul(imaginary, imaginary)), 0.5));
}

double impedance_of(double gain_factor, double magnitude) {
  return checked_div(1.0, checked_mul(gain_factor, magnitude));
}

double phase_sweep(double imaginary, double real) {
  if (real == 0.0 || imaginary == 0.0) return 0.0;
  const double angle = std::atan(checked_div(imaginary, real));  // radians, -pi/2..pi/2
  auto degrees = [](double radians) { return checked_div(checked_mul(radians, 180.0), pi); };
  if (real > 0.0 && imaginary > 0.0) return degrees(angle);
  if (real < 0.0) return degrees(checked_add(angle, pi));  // second and third quadrants
  return checked_add(degrees(angle), 360.0);               // fourth quadrant
}

double corrected_phase(double theta_deg, double system_phase_deg) {
  return util::checked_sub(theta_deg, system_phase_deg);
}

}  // namespace quelnor::measure
