// The single sweep on the scripted chip: rows, calibration modes, register traffic per
// point, the decided use of the freshly programmed sweep, and the failure box.
#include <gtest/gtest.h>

#include <stdexcept>

#include "measure/fake_sweep_chip.h"
#include "measure/calibration_circuit.h"
#include "measure/frequency_sweep.h"
#include "measure/point_arithmetic.h"
#include "util/run_time_error.h"

namespace quelnor::measure {
namespace {

constexpr const char* failure_box = "Error completing sweep check values";
constexpr const char* completion_box = " sweep complete:   Press ok  ";

// A sweep session whose plot step records its calls instead of drawing.
struct SweepFixture : test::SweepSession {
  std::vector<bool> plot_calls;
  std::function<void()> on_plot;
  SweepFixture() {
    s.plot_sweep_results = [this](bool continuous) {
      plot_calls.push_back(continuous);
      EXPECT_EQ(s.form.PBar.max, s.sweep.increment_count);
      if (on_plot) on_plot();
    };
  }
};

TEST(FrequencySweep, OneIncrementGivesTwoRowsAndTheCompletionBox) {
  SweepFixture t;
  t.s.form.Text3.text = "1";
  t.program();
  t.s.form.PBar.value = 5;
  std::size_t boxes_when_serviced = 0;
  t.pump.on_service = [&t, &boxes_when_serviced] {
    boxes_when_serviced = t.dialogs.boxes.size();
  };
  frequency_sweep(t.s);

  const model::SweepTable& table = t.s.data.sweep_table;
  EXPECT_EQ(t.s.data.plot_point_count, 2);
  EXPECT_EQ(t.s.data.point_index, 2);
  EXPECT_EQ(table.frequency[0], 30000.0);
  EXPECT_EQ(table.frequency[1], 30002.0);
  EXPECT_EQ(table.real_part[1], 6000.0);
  EXPECT_EQ(table.imaginary_part[1], 8000.0);
  EXPECT_EQ(table.magnitude[1], 10000.0);
  EXPECT_EQ(t.plot_calls, std::vector<bool>{false});
  EXPECT_EQ(t.s.form.PBar.min, 0);
  EXPECT_EQ(t.s.form.PBar.max, 1);
  EXPECT_EQ(t.s.form.PBar.value, 0);
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{completion_box});
  EXPECT_EQ(t.pump.servicings, 1);
  EXPECT_EQ(boxes_when_serviced, 1u);  // the final yield follows the completion box
  // The sweep enables or disables no control of its own.
  EXPECT_FALSE(t.s.form.Download_data.enabled);
}

TEST(FrequencySweep, CalibrationModes) {
  struct Case {
    const char* name;
    bool option7, option8;
    double impedance, phase;
  };
  const double theta = phase_sweep(8000, 6000);
  for (const Case c : {Case{"mid-point", true, false, 1 / (4e-10 * 10000), theta - 10},
                       Case{"multi-point", false, true, 1 / (2.5e-10 * 10000), theta - 20},
                       Case{"none", false, false, 0, 0}, Case{"both", true, true, 0, 0}}) {
    SweepFixture t;
    t.program();
    t.s.form.Option7.value = c.option7;
    t.s.form.Option8.value = c.option8;
    t.s.form.Text5.text = "4E-10 and text";
    t.s.data.system_phase = 10;
    t.s.data.gain_factor_table.fill(2.5e-10);
    t.s.data.system_phase_table.fill(20);
    frequency_sweep(t.s);
    const model::SweepTable& table = t.s.data.sweep_table;
    EXPECT_EQ(t.s.data.plot_point_count, 101) << c.name;
    EXPECT_DOUBLE_EQ(table.impedance[100], c.impedance) << c.name;
    EXPECT_DOUBLE_EQ(table.phase[100], c.phase) << c.name;
    EXPECT_EQ(table.magnitude[100], 10000.0) << c.name;
    EXPECT_EQ(table.frequency[100], 30200.0) << c.name;
    EXPECT_EQ(t.box_texts(), std::vector<std::string>{completion_box}) << c.name;
  }
}

TEST(FrequencySweep, MultiPointEntriesFollowThePointIndex) {
  SweepFixture t;
  t.program();
  t.s.form.select(t.s.form.Option8);
  for (int i = 0; i <= 100; ++i) {
    t.s.data.gain_factor_table[i] = 1e-10 * (i + 1);
    t.s.data.system_phase_table[i] = i;
  }
  frequency_sweep(t.s);
  EXPECT_DOUBLE_EQ(t.s.data.sweep_table.impedance[7], 1 / (8e-10 * 10000));
  EXPECT_DOUBLE_EQ(t.s.data.sweep_table.phase[7], phase_sweep(8000, 6000) - 7);
  EXPECT_DOUBLE_EQ(t.s.data.gain_factor, 1e-10 * 101);  // the last point's
}

// Fields edited after the last programming are programmed by the sweep, and its rows,
// point count and progress maximum follow what it programmed.
TEST(FrequencySweep, UsesTheSweepItHasJustProgrammed) {
  SweepFixture t;
  t.program();
  t.s.form.Text1.text = "31000";
  t.s.form.Text3.text = "5";
  frequency_sweep(t.s);
  EXPECT_EQ(t.s.data.plot_point_count, 6);
  EXPECT_EQ(t.s.data.sweep_table.frequency[0], 31000.0);
  EXPECT_EQ(t.s.data.sweep_table.frequency[5], 31010.0);
  EXPECT_EQ(t.lines("W 80 31").size(), 6u);
}

TEST(FrequencySweep, LargestSweepFillsRows0To511) {
  SweepFixture t;
  t.s.form.Text3.text = "511";
  t.program();
  t.s.data.sweep_table.frequency[512] = -1;
  frequency_sweep(t.s);
  EXPECT_EQ(t.s.data.plot_point_count, 512);
  EXPECT_EQ(t.s.data.sweep_table.frequency[511], 30000.0 + 511 * 2);
  EXPECT_EQ(t.s.data.sweep_table.frequency[512], -1.0);
}

TEST(FrequencySweep, EarlySweepCompleteLeavesOlderRowsAbove) {
  SweepFixture t;
  t.program();
  t.s.data.sweep_table.impedance.fill(-5);
  t.chip.complete_after_increments = 3;
  frequency_sweep(t.s);
  EXPECT_EQ(t.s.data.plot_point_count, 4);
  EXPECT_EQ(t.s.data.sweep_table.impedance[4], -5.0);
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{completion_box});
}

// The loop ends at the chip's sweep-complete bit, or after N + 1 points when the chip never
// sets it; the increment command follows every point measured.
TEST(FrequencySweep, EndsAtSweepCompleteOrAfterNPlusOnePoints) {
  struct Case {
    int complete_after_increments;
    std::int16_t rows;
  };
  for (const Case c : {Case{3, 4}, Case{100, 101}, Case{1000000, 101}}) {
    SweepFixture t;
    t.program();
    t.chip.complete_after_increments = c.complete_after_increments;
    frequency_sweep(t.s);
    EXPECT_EQ(t.s.data.plot_point_count, c.rows) << c.complete_after_increments;
    EXPECT_EQ(t.lines("W 80 31").size(), static_cast<std::size_t>(c.rows))
        << c.complete_after_increments;
    EXPECT_EQ(t.box_texts(), std::vector<std::string>{completion_box});
  }
}

struct FailureCase {
  const char* name;
  void (*arrange)(SweepFixture&);
  std::int16_t rows_measured;
};

class SweepFailure : public ::testing::TestWithParam<FailureCase> {};

// The box, no completion box, the rows measured before the fault kept next to older
// ones, and the point count limited to this sweep's rows.
TEST_P(SweepFailure, ShowsItsBoxAndKeepsTheRowsMeasured) {
  SweepFixture t;
  t.program();
  t.s.data.sweep_table.real_part.fill(-7);
  t.s.data.plot_point_count = 101;
  GetParam().arrange(t);
  frequency_sweep(t.s);
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{failure_box});
  EXPECT_EQ(t.dialogs.boxes[0].title, "Quelnor Beta Version VUD1.0");
  const std::int16_t rows = GetParam().rows_measured;
  EXPECT_EQ(t.s.data.plot_point_count, rows);
  if (rows > 0) {
    EXPECT_EQ(t.s.data.sweep_table.real_part[rows - 1], 6000.0);
  }
  EXPECT_EQ(t.s.data.sweep_table.real_part[rows], -7.0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SweepFailure,
    ::testing::Values(
        FailureCase{"ZeroPointAtRow3",
                    [](SweepFixture& t) {
                      t.chip.data = [](int p) {
                        return p == 3 ? std::pair{0, 0} : std::pair{6000, 8000};
                      };
                    },
                    3},
        FailureCase{"MultiPointBeforeCalibration",
                    [](SweepFixture& t) { t.s.form.select(t.s.form.Option8); }, 0},
        FailureCase{"GainFactorTextOfZero", [](SweepFixture& t) { t.s.form.Text5.text = "0"; }, 0},
        FailureCase{"DataNeverValid", [](SweepFixture& t) { t.chip.never_valid = true; }, 0},
        FailureCase{"NoPointMeasured",
                    [](SweepFixture& t) { t.chip.complete_after_increments = 0; }, 0},
        FailureCase{"RefusedIncrementsField", [](SweepFixture& t) { t.s.form.Text3.text = "9E9"; },
                    0},
        FailureCase{"PlottingFails",
                    [](SweepFixture& t) {
                      t.on_plot = [] {
                        throw util::RunTimeError(util::ErrorKind::overflow, "chart");
                      };
                    },
                    101}),
    [](const auto& info) { return std::string(info.param.name); });

// A programming error (no plot routine installed) is no operator's fault: it is not turned
// into the sweep's failure box but reaches the caller, and so the last-resort guard.
TEST(FrequencySweep, AProgrammingErrorIsNotTheSweepsFailureBox) {
  SweepFixture t;
  t.program();
  t.s.plot_sweep_results = nullptr;
  EXPECT_THROW(frequency_sweep(t.s), std::logic_error);
  EXPECT_TRUE(t.dialogs.boxes.empty());
}

// The wait for valid data allows for the chip's longest settling at the point's frequency
// and a second on top: at 100 Hz a slow first point is waited for, at 30 kHz the same
// delay is a chip that does not deliver.
TEST(FrequencySweep, DataValidBoundFollowsTheSettlingTime) {
  struct Case {
    const char* start;
    const char* box;
  };
  for (const Case c : {Case{"100", completion_box}, Case{"30000", failure_box}}) {
    SweepFixture t;
    t.s.form.Text1.text = c.start;
    t.s.form.Text3.text = "1";
    t.program();
    // 1.5 s of polling at the fixture's 10 us per clock reading.
    t.chip.invalid_reads_pending = 150000;
    frequency_sweep(t.s);
    EXPECT_EQ(t.box_texts(), std::vector<std::string>{c.box}) << c.start;
  }
}

TEST(FrequencySweep, NoPointMeasuredDoesNotPlot) {
  SweepFixture t;
  t.program();
  t.chip.complete_after_increments = 0;
  frequency_sweep(t.s);
  EXPECT_TRUE(t.plot_calls.empty());
}

}  // namespace
}  // namespace quelnor::measure
