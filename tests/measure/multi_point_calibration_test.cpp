// Multi-point calibration on the scripted chip: one gain factor and system phase per
// point, their average in the gain-factor box, and its failures.
#include <gtest/gtest.h>

#include "measure/fake_sweep_chip.h"
#include "measure/calibration_circuit.h"
#include "measure/multi_point_calibration.h"
#include "measure/point_arithmetic.h"
#include "util/numbers.h"

namespace quelnor::measure {
namespace {

constexpr const char* failure_box = "Error completing multipoint gainfactors";
constexpr const char* completion_box = " Multipoint gain factors complete ";

// Real value grows with the point so every entry differs.
std::pair<int, int> rising(int point) {
  return {6000 + 10 * point, -8000};
}

TEST(MultiPointCalibration, OneEntryPerPointAndTheirMeanInTheGainFactorBox) {
  test::SweepSession t;
  t.program();
  t.chip.data = rising;
  t.s.data.gain_factor_table[101] = 7.0;
  t.s.data.system_phase = 3.0;
  std::size_t boxes_when_serviced = 0;
  t.pump.on_service = [&t, &boxes_when_serviced] {
    boxes_when_serviced = t.dialogs.boxes.size();
  };
  multi_point_gain_factors(t.s);

  double sum = 0;
  for (int i = 0; i <= 100; ++i) {
    const auto [r, im] = rising(i);
    const double gain = 1.0 / (200000 * magnitude_of(r, im));
    EXPECT_DOUBLE_EQ(t.s.data.gain_factor_table[i], gain) << i;
    EXPECT_DOUBLE_EQ(t.s.data.system_phase_table[i], phase_sweep(im, r)) << i;
    sum += t.s.data.gain_factor_table[i];
  }
  EXPECT_DOUBLE_EQ(t.s.data.sweep_table.frequency[0], 30000);
  EXPECT_DOUBLE_EQ(t.s.data.sweep_table.frequency[100], 30200);
  EXPECT_EQ(t.s.data.gain_factor_table[101], 7.0);
  EXPECT_EQ(t.s.data.system_phase, 3.0);
  EXPECT_EQ(t.s.form.Text5.text, util::number_text(sum / 101));
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{completion_box});
  EXPECT_EQ(t.pump.servicings, 1);
  EXPECT_EQ(boxes_when_serviced, 1u);  // the one yield comes after the box is closed
  // A step command after every point, the last one included.
  EXPECT_EQ(t.lines("W 80 31").size(), 101u);
}

// The run ends where the chip reports sweep complete, or after N + 1 points when it never
// does; the average is over the points measured.
TEST(MultiPointCalibration, StopsAtSweepCompleteOrAfterNPlusOnePoints) {
  struct Case {
    int complete_after_increments;
    int points;
  };
  for (const Case c : {Case{10, 11}, Case{1000000, 101}}) {
    test::SweepSession t;
    t.program();
    t.chip.data = rising;
    t.chip.complete_after_increments = c.complete_after_increments;
    t.s.data.gain_factor_table.fill(-1.0);
    multi_point_gain_factors(t.s);
    double sum = 0;
    for (int i = 0; i < c.points; ++i) sum += t.s.data.gain_factor_table[i];
    EXPECT_GT(t.s.data.gain_factor_table[c.points - 1], 0.0) << c.points;
    EXPECT_EQ(t.s.data.gain_factor_table[c.points], -1.0) << c.points;
    EXPECT_EQ(t.s.form.Text5.text, util::number_text(sum / c.points)) << c.points;
  }
}

TEST(MultiPointCalibration, ASecondShorterRunKeepsTheHigherEntries) {
  test::SweepSession t;
  t.program();
  multi_point_gain_factors(t.s);
  const double entry_50 = t.s.data.gain_factor_table[50];
  t.s.form.Text3.text = "20";
  t.chip.data = [](int) { return std::pair{3000, 4000}; };
  t.program();
  multi_point_gain_factors(t.s);
  EXPECT_DOUBLE_EQ(t.s.data.gain_factor_table[20], 1.0 / (200000 * 5000.0));
  EXPECT_EQ(t.s.data.gain_factor_table[50], entry_50);
}

TEST(MultiPointCalibration, CapacitorEntriesUseEachPointsFrequencyAndMagnitude) {
  test::SweepSession t;
  t.program();
  t.chip.data = rising;
  Opt_capacitor_Click(t.s);
  multi_point_gain_factors(t.s);
  EXPECT_DOUBLE_EQ(t.s.data.gain_factor_table[0],
                   30000 * 6.283185308 * 1.5e-11 / magnitude_of(6000, -8000));
  EXPECT_DOUBLE_EQ(t.s.data.gain_factor_table[1],
                   30002 * 6.283185308 * 1.5e-11 / magnitude_of(6010, -8000));
}

// The start frequency and count edited after the last programming are the ones the chip
// is programmed with now, so the entries are labelled with them.
TEST(MultiPointCalibration, UsesTheSweepItHasJustProgrammed) {
  test::SweepSession t;
  t.program();
  t.s.form.Text1.text = "40000";
  t.s.form.Text3.text = "10";
  multi_point_gain_factors(t.s);
  EXPECT_DOUBLE_EQ(t.s.data.sweep_table.frequency[0], 40000);
  EXPECT_DOUBLE_EQ(t.s.data.sweep_table.frequency[10], 40020);
  EXPECT_EQ(t.lines("W 80 31").size(), 11u);

  // A negative start is programmed as a zero code: the chip starts at 0 Hz.
  t.s.form.Text1.text = "-100";
  multi_point_gain_factors(t.s);
  EXPECT_EQ(t.s.data.sweep_table.frequency[0], 0.0);
}

struct FailureCase {
  const char* name;
  void (*arrange)(test::SweepSession&);
};

class MultiPointFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(MultiPointFailure, ShowsItsBoxAndKeepsTheGainFactorText) {
  test::SweepSession t;
  t.program();
  t.s.form.Text5.text = "1.23E-09";
  GetParam().arrange(t);
  multi_point_gain_factors(t.s);
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{failure_box});
  EXPECT_EQ(t.s.form.Text5.text, "1.23E-09");
  EXPECT_EQ(t.pump.servicings, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MultiPointFailure,
    ::testing::Values(
        FailureCase{"MagnitudeOfZero",
                    [](test::SweepSession& t) {
                      t.chip.data = [](int) { return std::pair{0, 0}; };
                    }},
        FailureCase{"ResistorOfZero", [](test::SweepSession& t) { t.s.form.Text10.text = "0"; }},
        FailureCase{"ComplexWithUnreadableR2",
                    [](test::SweepSession& t) {
                      Complex_Click(t.s);
                      t.s.form.Text6.text = "200k";
                    }},
        FailureCase{"StartAtZeroWithSeriesCircuit",
                    [](test::SweepSession& t) {
                      Optresistorandcapseries_Click(t.s);
                      t.s.form.Text1.text = "0";
                    }},
        FailureCase{"NoPointMeasured",
                    [](test::SweepSession& t) { t.chip.complete_after_increments = 0; }},
        FailureCase{"CountBeyond32Bits",
                    [](test::SweepSession& t) { t.s.form.Text3.text = "9E9"; }},
        FailureCase{"DataNeverValid", [](test::SweepSession& t) { t.chip.never_valid = true; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MultiPointCalibration, EntriesBeforeAFailingPointStay) {
  test::SweepSession t;
  t.program();
  t.chip.data = [](int point) { return point == 3 ? std::pair{0, 0} : std::pair{6000, 8000}; };
  multi_point_gain_factors(t.s);
  EXPECT_DOUBLE_EQ(t.s.data.gain_factor_table[2], 5e-10);
  EXPECT_EQ(t.s.data.gain_factor_table[3], 0.0);
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{failure_box});
}

}  // namespace
}  // namespace quelnor::measure
