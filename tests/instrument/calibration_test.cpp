// Calibration entries: the gain/phase/series model solved from references, and applied
// between, at and beyond the calibrated frequencies.
#include "instrument/calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

#include "instrument/reference_impedance.h"

namespace quelnor::instrument {
namespace {

using cd = std::complex<double>;

// A chain whose scale and series impedance change with frequency, as the board's do.
cd true_scale(double hz) {
  return std::polar(2e9 / (1.0 + hz / 1e6), -2.6 - hz * 1e-6);
}
cd true_series(double hz) {
  return {600.0 + hz * 1e-3, -20.0};
}

cd dft_of(const std::string& circuit, double hz) {
  return std::conj(true_scale(hz) / (circuit_impedance(circuit, hz) + true_series(hz)));
}

CalibrationEntry entry_with(const std::vector<std::string>& refs, const std::vector<double>& hz) {
  CalibrationEntry e;
  e.range = 4;
  e.frequency_hz = hz;
  for (const std::string& r : refs) {
    ReferenceSweep s;
    s.reference = r;
    for (const double f : hz) s.dft.push_back(dft_of(r, f));
    e.references.push_back(s);
  }
  solve_entry(e);
  return e;
}

TEST(Calibration, TwoReferencesRecoverGainPhaseAndSeriesSoAnyImpedanceReadsTrue) {
  const CalibrationEntry e = entry_with({"R15k", "R100k||C10p"}, {1e3, 10e3, 100e3});
  for (const CalibrationPoint& p : e.points) {
    EXPECT_NEAR(p.gain_factor * std::abs(true_scale(p.frequency_hz)), 1.0, 1e-9);
    EXPECT_NEAR(p.system_phase_deg, -std::arg(true_scale(p.frequency_hz)) * 180 / std::numbers::pi,
                1e-7);
    EXPECT_NEAR(p.series_real_ohm, true_series(p.frequency_hz).real(), 1e-5);
    EXPECT_NEAR(p.series_imag_ohm, -20.0, 1e-5);
    for (const char* dut : {"R1k", "R47k", "R3.3M||C5p"}) {
      const cd z =
          corrected_impedance(dft_of(dut, p.frequency_hz), correction_at(e, p.frequency_hz));
      EXPECT_NEAR(std::abs(z / circuit_impedance(dut, p.frequency_hz) - 1.0), 0.0, 1e-9) << dut;
    }
  }
}

TEST(Calibration, OneReferenceIsExactOnlyAtItsOwnValue) {
  const CalibrationEntry e = entry_with({"R100k"}, {10e3});
  EXPECT_EQ(e.points[0].series_real_ohm, 0.0);
  const Correction c = correction_at(e, 10e3);
  EXPECT_NEAR(std::abs(corrected_impedance(dft_of("R100k", 10e3), c)), 100e3, 1e-5);
  // A 10 kOhm load reads high by the series resistance's share it no longer matches.
  EXPECT_GT(std::abs(corrected_impedance(dft_of("R10k", 10e3), c)), 10.4e3);
}

TEST(Calibration, ReferencesTooAlikeToSeparateGainFromSeriesAreRefused) {
  CalibrationEntry e;
  e.frequency_hz = {1e3};
  for (const char* r : {"R100k", "R100k"})
    e.references.push_back({r, "", NAN, 1, {dft_of(r, 1e3)}});
  EXPECT_THROW(solve_entry(e), std::invalid_argument);
  e.references[1].dft.clear();
  EXPECT_THROW(solve_entry(e), std::invalid_argument);
}

TEST(Calibration, InterpolatesInLogFrequencyAndClampsOutsideTheSpan) {
  CalibrationEntry e;
  e.points = {{1e3, 1e-9, 170.0, 100.0, 0.0}, {100e3, 3e-9, -170.0, 300.0, 10.0}};
  struct Case {
    double hz;
    double gain_factor, phase_deg, series_ohm;
    bool extrapolated;
  };
  const Case cases[] = {
      {1e3, 1e-9, 170.0, 100.0, false},
      {10e3, 2e-9, 180.0, 200.0, false},  // halfway in log f; the phase wraps across 180
      {100e3, 3e-9, -170.0, 300.0, false},
      {500.0, 1e-9, 170.0, 100.0, true},
      {200e3, 3e-9, -170.0, 300.0, true},
  };
  for (const Case& c : cases) {
    const Correction k = correction_at(e, c.hz);
    EXPECT_NEAR(1.0 / std::abs(k.scale), c.gain_factor, 1e-18) << c.hz;
    EXPECT_NEAR(std::remainder(-std::arg(k.scale) * 180 / std::numbers::pi - c.phase_deg, 360.0),
                0.0, 1e-9)
        << c.hz;
    EXPECT_NEAR(k.series_ohm.real(), c.series_ohm, 1e-9) << c.hz;
    EXPECT_EQ(k.extrapolated, c.extrapolated) << c.hz;
  }
}

}  // namespace
}  // namespace quelnor::instrument
