// Measurement accuracy end to end on the virtual board, noise on: calibrate against a
// known resistor, then sweep known circuits and compare |Z| and phase with their true
// values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "converter/sweep_programming.h"
#include "measure/frequency_sweep.h"
#include "measure/mid_point_calibration.h"
#include "measure/multi_point_calibration.h"
#include "support/board_session.h"
#include "ui/plot_sweep_results.h"

namespace quelnor::measure {
namespace {

constexpr double true_pi = 3.14159265358979323846;

// Impedance of a resistor in parallel with a capacitor (omit r for a capacitor alone).
std::complex<double> parallel_rc(double f_hz, double r_ohm, double c_f) {
  const std::complex<double> capacitor(0.0, -1.0 / (2 * true_pi * f_hz * c_f));
  if (r_ohm == 0) return capacitor;
  return r_ohm * capacitor / (r_ohm + capacitor);
}

struct Deviation {
  double worst_magnitude_fraction = 0;
  double worst_phase_deg = 0;
  double magnitude_at_ends = 0;  // the worse of the first and the last point
  double phase_at_ends = 0;
};

// Runs the sweep and compares every row with the true impedance at its frequency.
Deviation sweep_against(test::BoardSession& b, double r_ohm, double c_f) {
  frequency_sweep(b.s);
  EXPECT_EQ(b.dialogs.boxes.back().text, " sweep complete:   Press ok  ");
  const model::SweepTable& table = b.s.data.sweep_table;
  const int rows = b.s.data.plot_point_count;
  EXPECT_EQ(rows, b.s.sweep.increment_count + 1);
  Deviation d;
  for (int i = 0; i < rows; ++i) {
    const std::complex<double> z =
        c_f == 0 ? std::complex<double>(r_ohm, 0) : parallel_rc(table.frequency[i], r_ohm, c_f);
    const double magnitude = std::fabs(table.impedance[i] / std::abs(z) - 1);
    const double phase = std::fabs(table.phase[i] - std::arg(z) * 180 / true_pi);
    d.worst_magnitude_fraction = std::max(d.worst_magnitude_fraction, magnitude);
    d.worst_phase_deg = std::max(d.worst_phase_deg, phase);
    if (i == 0 || i == rows - 1) {
      d.magnitude_at_ends = std::max(d.magnitude_at_ends, magnitude);
      d.phase_at_ends = std::max(d.phase_at_ends, phase);
    }
  }
  return d;
}

struct AccuracyTest : ::testing::Test {
  test::BoardSession b;
  void SetUp() override {
    ASSERT_TRUE(b.ready);
    b.s.plot_sweep_results = [this](bool continuous) { ui::plot_sweep_results(b.s, continuous); };
  }
  void program(const char* start, const char* delta, const char* increments) {
    b.s.form.Text1.text = start;
    b.s.form.Text2.text = delta;
    b.s.form.Text3.text = increments;
    converter::program_sweep_registers(b.s);
  }
  void calibrate(bool multi_point) {
    b.s.form.select(multi_point ? b.s.form.Option8 : b.s.form.Option7);
    if (multi_point) {
      multi_point_gain_factors(b.s);
      ASSERT_EQ(b.dialogs.boxes.back().text, " Multipoint gain factors complete ");
    } else {
      mid_point_gain_factor(b.s);
      ASSERT_EQ(b.dialogs.boxes.back().text, "The mid-point gain factor has been calculated.");
    }
  }
};

TEST_F(AccuracyTest, MidPointCalibrationThenTheSameResistor) {
  program("30000", "2", "100");
  calibrate(false);
  b.s.form.Check1.value = true;
  const Deviation d = sweep_against(b, 200e3, 0);
  EXPECT_LT(d.worst_magnitude_fraction, 0.002);
  EXPECT_LT(d.worst_phase_deg, 0.2);
  // The plots got the whole sweep, next to the resistor's flat theoretical profile.
  EXPECT_EQ(b.strip1.trace(0).size(), 101u);
  ASSERT_EQ(b.strip1.trace(1).size(), 101u);
  EXPECT_EQ(b.strip1.trace(1)[100], (std::pair{30200.0, 200000.0}));
  EXPECT_EQ(b.strip2.trace(1)[100], (std::pair{30200.0, 0.0}));
}

TEST_F(AccuracyTest, MidPointCalibrationThenParallelRc) {
  program("30000", "2", "100");
  calibrate(false);
  b.board.set_dut("R100k||C22p");
  const Deviation d = sweep_against(b, 100e3, 22e-12);
  EXPECT_LT(d.worst_magnitude_fraction, 0.01);
  EXPECT_LT(d.worst_phase_deg, 1.0);
}

// A point at a low frequency, or with many settling cycles, takes longer than the
// calibration's first status poll: the calibration must let it finish, not restart it
// for ever.
TEST_F(AccuracyTest, MidPointCalibrationOfSlowPoints) {
  struct Case {
    const char* start;
    const char* settling;
  };
  for (const Case c : {Case{"1000", "15"}, Case{"30000", "300"}}) {
    b.s.form.Text4.text = c.settling;
    program(c.start, "2", "100");
    calibrate(false);
    const Deviation d = sweep_against(b, 200e3, 0);
    EXPECT_LT(d.worst_magnitude_fraction, 0.002) << c.start << " Hz, " << c.settling;
    EXPECT_LT(d.worst_phase_deg, 0.2) << c.start << " Hz, " << c.settling;
  }
}

// Over 5 to 100 kHz the signal chain's gain and phase drift: one gain factor per point
// follows them, one gain factor from the middle does not.
TEST_F(AccuracyTest, WideSweepNeedsMultiPointCalibration) {
  program("5000", "500", "190");
  calibrate(true);
  b.board.set_dut("C10p");
  const Deviation multi = sweep_against(b, 0, 10e-12);
  EXPECT_LT(multi.worst_magnitude_fraction, 0.01);
  EXPECT_LT(multi.worst_phase_deg, 1.0);

  b.board.set_dut("R200k");
  calibrate(false);
  b.board.set_dut("C10p");
  const Deviation mid = sweep_against(b, 0, 10e-12);
  EXPECT_TRUE(mid.magnitude_at_ends > 0.01 || mid.phase_at_ends > 1.0)
      << mid.magnitude_at_ends << " " << mid.phase_at_ends;
  EXPECT_GT(mid.phase_at_ends, 3 * multi.phase_at_ends);
}

}  // namespace
}  // namespace quelnor::measure
