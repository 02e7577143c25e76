// Per-point arithmetic: the chip's data-register pairs to signed values, magnitude,
// impedance and phase. All pure except read_real_imaginary, which reads the chip.
#pragma once

#include <cstdint>

#include "model/session.h"

namespace quelnor::measure {

struct RealImaginary {
  double real = 0.0;       // raw count, -32768..32767
  double imaginary = 0.0;  // raw count, -32768..32767
};

// The 16-bit two's-complement value of a register pair (bytes 0..255).
double signed_data_value(std::int32_t high, std::int32_t low);
// Reads 0x94, 0x95 (real) then 0x96, 0x97 (imaginary), one access each, in that order.
RealImaginary read_real_imaginary(model::Session& s);
// sqrt(R^2 + I^2), raw count.
double magnitude_of(double real, double imaginary);
// 1 / (gain_factor * M), ohms; a zero product raises RunTimeError.
double impedance_of(double gain_factor, double magnitude);
// Angle of R + jI in degrees, 0 up to 360; 0 on either axis. Imaginary value first.
double phase_sweep(double imaginary, double real);
// theta - system_phase, degrees, not wrapped.
double corrected_phase(double theta_deg, double system_phase_deg);

}  // namespace quelnor::measure
