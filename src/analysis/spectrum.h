// A measured or computed impedance spectrum: one row per frequency with the complex
// impedance and how it was taken (excitation range, PGA gain, flags), plus free-form
// metadata in the order it was recorded. The analyzer's engine produces it; views,
// files, fitting and validation consume it.
#pragma once

#include <complex>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace quelnor::analysis {

// Why a row may not be trusted; several may be set at once.
namespace point_flag {
constexpr std::uint32_t clipped = 1u << 0;       // the ADC was driven past full scale
constexpr std::uint32_t low_signal = 1u << 1;    // the signal is under the usable floor
constexpr std::uint32_t uncalibrated = 1u << 2;  // no calibration entry for its settings
constexpr std::uint32_t extrapolated = 1u << 3;  // outside the calibrated frequency span
}  // namespace point_flag

struct SpectrumPoint {
  double frequency_hz = 0.0;  // as programmed into the chip, not as requested
  std::complex<double> impedance_ohm;
  int range = 0;  // excitation range 1..4; 0 when unknown (a file without the column)
  int pga = 0;    // PGA gain 1 or 5; 0 when unknown
  std::uint32_t flags = 0;
  // Repeated runs only: the pass (1-based; 0 for a single run), seconds since the run
  // started, and the die temperature read for that pass.
  int pass = 0;
  double time_s = 0.0;
  double temperature_c = std::numeric_limits<double>::quiet_NaN();
};

struct Spectrum {
  std::vector<SpectrumPoint> points;
  std::vector<std::pair<std::string, std::string>> metadata;  // key, value
  std::vector<std::string> warnings;                          // plain words, for the operator
  bool partial = false;  // the run was cancelled or failed before its last point
};

}  // namespace quelnor::analysis
