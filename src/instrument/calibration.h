// A calibration set: for each excitation range and PGA gain it was taken with, the raw
// results of known references and, per frequency, the model that turns a DFT result into
// an impedance. Applying it interpolates between calibrated frequencies.
//
// The model: the chip's DFT result D of an impedance Z is D = conj(M / (Z + Zs)), where M
// carries the chain's gain and system phase and Zs is the range's output resistance in
// series with Z (200 Ohm to 2.4 kOhm). So Z = M / conj(D) - Zs. Two references per
// combination determine both M and Zs at every frequency, which keeps the calibration exact
// across the band; a single gain factor (Zs = 0) is exact only near its reference's value.
// With more than two references the fit is least squares on relative errors; with one, Zs is
// taken as 0 and the entry says so.
#pragma once

#include <complex>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "instrument/sweep_plan.h"

namespace quelnor::instrument {

// The model at one frequency. gain_factor = 1 / |M| (ohm per count, as the classic
// window's gain factor); system_phase_deg = -arg(M); series offset Zs in ohms.
struct CalibrationPoint {
  double frequency_hz = 0.0;
  double gain_factor = 0.0;
  double system_phase_deg = 0.0;
  double series_real_ohm = 0.0;
  double series_imag_ohm = 0.0;
};

// One reference measured over the calibration's frequencies with one combination.
struct ReferenceSweep {
  std::string reference;  // circuit expression, e.g. "R100k" or "R100k||C22p"
  std::string taken_at;   // ISO 8601 UTC
  double temperature_c = std::numeric_limits<double>::quiet_NaN();
  int average = 1;
  std::vector<std::complex<double>> dft;  // one per calibration frequency, averaged
};

struct CalibrationEntry {
  int range = 1;
  int pga = 1;
  std::vector<double> frequency_hz;  // ascending, as programmed
  std::vector<ReferenceSweep> references;
  std::vector<CalibrationPoint> points;  // solved from the references, one per frequency
};

struct CalibrationSet {
  double feedback_resistance_ohm = 100e3;
  ClockSource clock = ClockSource::external;
  double mclk_hz = external_clock_default_hz;
  int settling_cycles = 15;
  int settling_multiplier = 1;
  std::string board;     // "virtual" or the USB port path
  std::string taken_at;  // of the latest reference, ISO 8601 UTC
  double temperature_c = std::numeric_limits<double>::quiet_NaN();
  std::vector<CalibrationEntry> entries;

  const CalibrationEntry* find(int range, int pga) const;
  CalibrationEntry* find(int range, int pga);
};

// Solves an entry's points from its references (each reference's impedance evaluated at
// every frequency). Raises std::invalid_argument when a reference does not parse or the
// references cannot determine the model (two of the same value).
void solve_entry(CalibrationEntry& entry);

// The model at a frequency: the scale M and the series offset Zs.
struct Correction {
  std::complex<double> scale;
  std::complex<double> series_ohm;
  bool extrapolated = false;  // outside the calibrated frequencies: the nearest end is used
};
Correction correction_at(const CalibrationEntry& entry, double frequency_hz);
Correction correction_of(const CalibrationPoint& point);

// Z = M / conj(D) - Zs; an all-zero D (no signal) gives an infinite impedance.
std::complex<double> corrected_impedance(std::complex<double> dft, const Correction& correction);

// A correction from the nominal chain alone (no calibration): the feedback resistor, the
// range's excitation and the PGA, no phase or series correction. Rows using it are flagged
// uncalibrated.
Correction nominal_correction(int range, int pga, double feedback_resistance_ohm);

}  // namespace quelnor::instrument
