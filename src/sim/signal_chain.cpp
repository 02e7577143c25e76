// Signal-chain model of the converter's transmit and receive path.
#include "sim/signal_chain.h"

#include <cmath>
#include <numbers>

#include "circuit/circuit_expression.h"

namespace quelnor::sim {
namespace {

constexpr double degrees_per_radian = 180.0 / std::numbers::pi;

// Amplitude of the fundamental of a sine of `amplitude` clipped symmetrically at `limit`.
// Equal to the amplitude when nothing clips; tends to 4/pi x limit (a square wave).
double clipped_fundamental(double amplitude, double limit) {
  if (amplitude <= limit) return amplitude;
  const double r = limit / amplitude;
  return 2.0 * amplitude / std::numbers::pi * (std::asin(r) + r * std::sqrt(1.0 - r * r));
}

}  // namespace

ExcitationRange excitation_range(int range_field) {
  switch (range_field & 0x3) {
    case 0:
      return {2.0, 200.0};  // range 1
    case 3:
      return {1.0, 2400.0};  // range 2
    case 2:
      return {0.4, 1000.0};  // range 3
    default:
      return {0.2, 600.0};  // range 4
  }
}

double dft_noise_counts_per_lsb() {
  return std::sqrt(dft_samples / 2.0) * dft_output_scale;
}

double system_phase_deg(double frequency_hz) {
  // The receive pole lags the signal; the DFT's sign convention turns that into a lead.
  return system_phase_offset_deg +
         std::atan(std::fabs(frequency_hz) / amplifier_pole_hz) * degrees_per_radian;
}

std::complex<double> ideal_dft_result(const MeasurementConditions& conditions) {
  const ExcitationRange range = excitation_range(conditions.range_field);
  const std::complex<double> loop_ohm = conditions.dut_ohm + range.output_resistance_ohm;
  if (circuit::is_open(loop_ohm)) return {0.0, 0.0};

  const double pga_gain = conditions.pga_x1 ? 1.0 : 5.0;
  const std::complex<double> pole{1.0, std::fabs(conditions.frequency_hz) / amplifier_pole_hz};
  // Phasor at the ADC input, volts peak.
  const std::complex<double> adc_input_v =
      range.amplitude_vpp / 2.0 * conditions.feedback_resistance_ohm / loop_ohm * pga_gain / pole;
  const double amplitude_counts = std::abs(adc_input_v) / adc_full_scale_v * adc_full_scale_counts;
  const double fundamental_counts = clipped_fundamental(amplitude_counts, adc_full_scale_counts);
  // A single DFT bin over N samples of a sine of amplitude A gives A x N / 2.
  const double size = fundamental_counts * dft_samples / 2.0 * dft_output_scale;
  const double angle_rad = system_phase_offset_deg / degrees_per_radian - std::arg(adc_input_v);
  return std::polar(size, angle_rad);
}

}  // namespace quelnor::sim
