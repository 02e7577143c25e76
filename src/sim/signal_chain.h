// The analogue path of one measurement: excitation range, output resistance, impedance
// under test, transimpedance amplifier, PGA, the 12-bit ADC (which clips when overdriven)
// and the single-bin DFT over 1024 samples, with the gentle roll-off of the amplifiers.
#pragma once

#include <complex>

namespace quelnor::sim {

// Range field of the control register (bits 2..1 as a number 0..3).
struct ExcitationRange {
  double amplitude_vpp;
  double output_resistance_ohm;
};
ExcitationRange excitation_range(int range_field);

// The board's transimpedance (feedback) resistor unless the board is told otherwise.
constexpr double default_feedback_resistance_ohm = 100e3;
constexpr double adc_full_scale_v = 1.5;          // peak input of the ADC, either polarity
constexpr double adc_full_scale_counts = 2048.0;  // 12-bit two's complement
constexpr int dft_samples = 1024;
constexpr double amplifier_pole_hz = 500e3;  // one pole of the receive amplifiers
constexpr double system_phase_offset_deg = 150.0;
// Chip's scaling of the DFT accumulator to the 16-bit data registers: a 200 kOhm resistor
// on range 1, gain x1, at 30 kHz reads a magnitude of about 9738.
constexpr double dft_output_scale = 0.027942;
// Data-register counts per component (real or imaginary), rms, that one LSB rms of
// white noise per ADC sample leaves after the DFT: sqrt(N / 2) x the output scale.
double dft_noise_counts_per_lsb();

struct MeasurementConditions {
  double frequency_hz = 0.0;
  std::complex<double> dut_ohm;  // may be infinite (open circuit)
  int range_field = 0;
  bool pga_x1 = true;
  double feedback_resistance_ohm = default_feedback_resistance_ohm;
};

// Noise-free DFT result (real, imaginary) in data-register counts, before rounding to the
// 16-bit registers. Its angle is the system phase plus the phase of the impedance in
// series with the output resistance; its size follows the admittance.
std::complex<double> ideal_dft_result(const MeasurementConditions& conditions);

// The part of the angle that comes from the chain itself at that frequency, in degrees.
double system_phase_deg(double frequency_hz);

}  // namespace quelnor::sim
