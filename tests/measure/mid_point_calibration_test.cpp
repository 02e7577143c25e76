// Mid-point calibration on the scripted chip: its register sequence, its result in the
// gain-factor box and the system phase, and each way it fails with its one box.
#include "measure/mid_point_calibration.h"

#include <gtest/gtest.h>

#include "converter/sweep_programming.h"
#include "measure/calibration_circuit.h"
#include "measure/fake_sweep_chip.h"
#include "measure/point_arithmetic.h"

namespace quelnor::measure {
namespace {

constexpr const char* failure_box =
    "Error In-Valid Gain Factor:Check feedback resistor/calibration impedance "
    "connection.Ensure clock signal at MCLK";
constexpr const char* completion_box = "The mid-point gain factor has been calculated.";

TEST(MidPointCalibration, WorkedExampleWritesTheMidPointCodeAndTheGainFactor) {
  test::SweepSession t;
  t.program();
  t.s.data.gain_factor_table[0] = 7.0;
  t.s.data.system_phase_table[0] = 8.0;
  mid_point_gain_factor(t.s);

  // 30100 Hz: code 1009988 (0F6944); two increments of code 33; initialise and start with
  // the gain bit.
  EXPECT_EQ(t.lines("W "), (std::vector<std::string>{"W 81 08", "W 84 44", "W 83 69", "W 82 0F",
                                                     "W 80 11", "W 89 02", "W 88 00", "W 87 21",
                                                     "W 86 00", "W 85 00", "W 80 21"}));
  // (6000, 8000): M = 10000, so the gain factor is 1 / (200000 * 10000).
  EXPECT_EQ(t.s.form.Text5.text, "5E-10");
  EXPECT_DOUBLE_EQ(t.s.data.gain_factor, 5e-10);
  EXPECT_DOUBLE_EQ(t.s.data.system_phase, phase_sweep(8000, 6000));
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_EQ(t.dialogs.boxes[0].text, completion_box);
  EXPECT_EQ(t.dialogs.boxes[0].title, "Quelnor Beta Version VUD1.0");
  EXPECT_EQ(t.dialogs.boxes[0].buttons, util::Buttons::ok);
  EXPECT_EQ(t.pump.servicings, 0);  // it never yields, not even after its box
  // The multi-point tables are not the mid-point's.
  EXPECT_EQ(t.s.data.gain_factor_table[0], 7.0);
  EXPECT_EQ(t.s.data.system_phase_table[0], 8.0);
}

TEST(MidPointCalibration, FrequencyComesFromTheProgrammedSweepAndTheCurrentClock) {
  test::SweepSession t;
  t.program();
  t.s.form.Text1.text = "40000";  // edited after programming: not used
  mid_point_gain_factor(t.s);
  EXPECT_EQ(t.chip.start_code(), 0x0F6944);

  t.s.form.Text7.text = "8000000";  // the clock is read now
  mid_point_gain_factor(t.s);
  EXPECT_EQ(t.chip.start_code(), converter::frequency_code(30100, 8e6));

  // 3 increments of 1 Hz from 1000 Hz: 1001.5 Hz, not rounded.
  t.s.form.Text7.text = "16000000";
  t.s.sweep = {1000, 1, 3};
  mid_point_gain_factor(t.s);
  EXPECT_EQ(t.chip.start_code(), converter::frequency_code(1001.5, 16e6));
  EXPECT_NE(t.chip.start_code(), converter::frequency_code(1001, 16e6));

  // A negative start entry is programmed as 0 Hz: the middle is that of the sweep from 0.
  t.s.form.Text1.text = "-100";
  t.program();
  EXPECT_EQ(t.s.sweep.start_frequency, -100.0);
  mid_point_gain_factor(t.s);
  EXPECT_EQ(t.chip.start_code(), converter::frequency_code(100, 16e6));
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{completion_box});
}

TEST(MidPointCalibration, RestartsTheChipWhenDataIsNotValidThenGivesItTimeToMeasure) {
  test::SweepSession t;
  t.program();
  t.chip.invalid_reads_pending = 2;
  mid_point_gain_factor(t.s);
  // After the start command: a status read without valid data sends initialise and start
  // again (never repeat); the chip then has its measurement time before another restart;
  // then the four data registers, and nothing after them.
  const std::vector<std::string> wait_and_read = {
      "W 80 21", "R 80 21", "R 8F 00", "W 80 11", "R 80 11", "W 80 21", "R 80 21",
      "R 8F 00", "R 8F 02", "R 94 17", "R 95 70", "R 96 1F", "R 97 40"};
  ASSERT_GE(t.traffic.size(), wait_and_read.size());
  EXPECT_EQ(std::vector<std::string>(t.traffic.end() - static_cast<long>(wait_and_read.size()),
                                     t.traffic.end()),
            wait_and_read);
  EXPECT_EQ(t.lines("W 80 11").size(), 2u);
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{completion_box});
}

TEST(MidPointCalibration, CapacitorOfZeroGivesAZeroGainFactor) {
  test::SweepSession t;
  t.program();
  Opt_capacitor_Click(t.s);
  t.s.form.Text11.text = "0";
  mid_point_gain_factor(t.s);
  EXPECT_EQ(t.s.form.Text5.text, "0");
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{completion_box});
}

struct FailureCase {
  const char* name;
  void (*arrange)(test::SweepSession&);
};

class MidPointFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(MidPointFailure, ShowsItsBoxAndKeepsTheGainFactorText) {
  test::SweepSession t;
  t.program();
  t.s.form.Text5.text = "1.23E-09";
  GetParam().arrange(t);
  mid_point_gain_factor(t.s);
  EXPECT_EQ(t.box_texts(), std::vector<std::string>{failure_box});
  EXPECT_EQ(t.dialogs.boxes[0].title, "Quelnor Beta Version VUD1.0");
  EXPECT_EQ(t.s.form.Text5.text, "1.23E-09");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MidPointFailure,
    ::testing::Values(
        FailureCase{"ClockOfZero", [](test::SweepSession& t) { t.s.form.Text7.text = "0"; }},
        FailureCase{"MagnitudeOfZero",
                    [](test::SweepSession& t) {
                      t.chip.data = [](int) { return std::pair{0, 0}; };
                    }},
        FailureCase{"ResistorOfZero", [](test::SweepSession& t) { t.s.form.Text10.text = "0"; }},
        FailureCase{"ComplexWithEmptyR2",
                    [](test::SweepSession& t) {
                      Complex_Click(t.s);
                      t.s.form.Text6.text = "";
                    }},
        FailureCase{"ParallelWithResistorOfZero",
                    [](test::SweepSession& t) {
                      Optresisandcapparallel_Click(t.s);
                      t.s.form.Text10.text = "0";
                    }},
        FailureCase{"CodeBeyond32Bits",
                    [](test::SweepSession& t) { t.s.sweep.start_frequency = 1e9; }},
        // A chip that never reports valid data (no clock at MCLK) ends the wait.
        FailureCase{"DataNeverValid", [](test::SweepSession& t) { t.chip.never_valid = true; }}),
    [](const auto& info) { return std::string(info.param.name); });

// The component boxes are read after the measurement, so a refused box or a failing
// formula still leaves the new system phase behind.
TEST(MidPointCalibration, SystemPhaseKeepsTheNewMeasurementWhenTheGainFactorFails) {
  for (const FailureCase c :
       {FailureCase{"ResistorOfZero", [](test::SweepSession& t) { t.s.form.Text10.text = "0"; }},
        FailureCase{"ComplexWithEmptyR2", [](test::SweepSession& t) {
                      Complex_Click(t.s);
                      t.s.form.Text6.text = "";
                    }}}) {
    test::SweepSession t;
    t.program();
    c.arrange(t);
    t.chip.data = [](int) { return std::pair{-1, 1}; };
    mid_point_gain_factor(t.s);
    EXPECT_DOUBLE_EQ(t.s.data.system_phase, phase_sweep(1, -1)) << c.name;
    EXPECT_EQ(t.s.data.gain_factor, 0.0) << c.name;
    EXPECT_EQ(t.box_texts(), std::vector<std::string>{failure_box}) << c.name;
  }
}

}  // namespace
}  // namespace quelnor::measure
