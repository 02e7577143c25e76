// Impedance formulas of the calibration circuits: the published figures, and the inputs
// that must fail instead of giving infinities or NaNs.
#include "measure/calibration_models.h"

#include <gtest/gtest.h>

#include "measure/significant_digits.h"
#include "util/run_time_error.h"

namespace quelnor::measure {
namespace {

using test::matches_digits;

constexpr double r1 = 200000, c1 = 1.5E-11, r2 = 200000;

TEST(CalibrationModels, ReactanceAndParallelPartsAt30100Hz) {
  EXPECT_TRUE(matches_digits(capacitor_reactance(30100, c1), 352502.6425, 10));
  const ParallelParts p = parallel_parts(30100, r1, c1);
  EXPECT_TRUE(matches_digits(p.re, 151296.1652, 10));
  EXPECT_TRUE(matches_digits(p.im, 85841.15235, 10));
}

struct CircuitCase {
  std::int32_t code;
  double f_hz;
  double magnitude_ohm;
  double phase_deg;
};

class CircuitFigures : public ::testing::TestWithParam<CircuitCase> {};

TEST_P(CircuitFigures, MagnitudeAndPhaseMatchPublishedFigures) {
  const CircuitCase& c = GetParam();
  EXPECT_TRUE(matches_digits(calibration_impedance_magnitude(c.code, c.f_hz, r1, c1, r2),
                             c.magnitude_ohm, 10));
  const double phase = calibration_impedance_phase(c.code, c.f_hz, r1, c1, r2);
  if (c.phase_deg == 0.0 || c.phase_deg == -90.0) {
    EXPECT_EQ(phase, c.phase_deg);  // whole numbers, no arithmetic
  } else {
    EXPECT_TRUE(matches_digits(phase, c.phase_deg, 10));
  }
}

INSTANTIATE_TEST_SUITE_P(
    At30100Hz, CircuitFigures,
    ::testing::Values(CircuitCase{resistor_only, 30100, 200000, 0},
                      CircuitCase{capacitor_only, 30100, 352502.6425, -90},
                      CircuitCase{series_rc, 30100, 405287.6916, -60.43065301},
                      CircuitCase{parallel_rc, 30100, 173951.8124, -29.56934698},
                      CircuitCase{parallel_rc_plus_r2, 30100, 373951.8124, -13.73145975},
                      // The theoretical profile's worked rows.
                      CircuitCase{parallel_rc, 30000, 174092.482, -29.48758096},
                      CircuitCase{parallel_rc, 30200, 173811.0169, -29.65098081}));

TEST(CalibrationModels, ResistorAndCapacitorPhasesIgnoreTheirInputs) {
  for (const double f : {0.0, -5.0, 1e9}) {
    EXPECT_EQ(calibration_impedance_phase(resistor_only, f, 0, 0, 0), 0.0);
    EXPECT_EQ(calibration_impedance_phase(capacitor_only, f, 0, 0, 0), -90.0);
    EXPECT_EQ(calibration_impedance_magnitude(resistor_only, f, 0, 0, 0), 0.0);
  }
}

struct FailingCase {
  const char* name;
  bool magnitude;  // else the phase
  std::int32_t code;
  double f_hz, r1_ohm, c1_f;
};

class FailingInputs : public ::testing::TestWithParam<FailingCase> {};

TEST_P(FailingInputs, RaiseRunTimeError) {
  const FailingCase& c = GetParam();
  if (c.magnitude) {
    EXPECT_THROW(calibration_impedance_magnitude(c.code, c.f_hz, c.r1_ohm, c.c1_f, r2),
                 util::RunTimeError);
  } else {
    EXPECT_THROW(calibration_impedance_phase(c.code, c.f_hz, c.r1_ohm, c.c1_f, r2),
                 util::RunTimeError);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingInputs,
    ::testing::Values(FailingCase{"CapacitorZeroC1", true, capacitor_only, 30000, r1, 0},
                      FailingCase{"SeriesZeroFrequency", true, series_rc, 0, r1, c1},
                      FailingCase{"ParallelZeroC1", true, parallel_rc, 30000, r1, 0},
                      FailingCase{"ComplexZeroC1", true, parallel_rc_plus_r2, 30000, r1, 0},
                      FailingCase{"SeriesPhaseZeroR1", false, series_rc, 30000, 0, c1},
                      FailingCase{"ParallelPhaseZeroR1", false, parallel_rc, 30000, 0, c1},
                      FailingCase{"UnknownCodeMagnitude", true, 5, 30000, r1, c1},
                      FailingCase{"UnknownCodePhase", false, -1, 30000, r1, c1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quelnor::measure
