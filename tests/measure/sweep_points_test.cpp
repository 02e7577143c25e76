// The one point loop behind the sweeps and the multi-point calibration: both put the same
// register traffic on the wire for the same programmed sweep, repeat command included.
#include "measure/sweep_points.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "measure/fake_sweep_chip.h"
#include "measure/frequency_sweep.h"
#include "measure/multi_point_calibration.h"

namespace quelnor::measure {
namespace {

struct Routine {
  const char* name;
  void (*run)(model::Session&);
};

class SweepPointsTraffic : public ::testing::TestWithParam<Routine> {};

TEST_P(SweepPointsTraffic, ProgramsStartsAndStepsEveryPointAlike) {
  test::SweepSession t;
  t.s.plot_sweep_results = [](bool) {};
  t.s.form.Text3.text = "1";
  t.program();
  t.chip.invalid_reads_per_point = 2;  // the second point needs a repeat
  GetParam().run(t.s);
  const std::vector<std::string> expected = {
      // standby, then start, increments, delta and settling from their fields
      "W 80 B0", "R 80 B0", "W 84 28", "R 84 28", "W 83 5C", "R 83 5C", "W 82 0F", "R 82 0F",
      "W 89 01", "R 89 01", "W 88 00", "R 88 00", "W 87 43", "R 87 43", "W 86 00", "R 86 00",
      "W 85 00", "R 85 00", "W 8B 0F", "R 8B 0F", "W 8A 00", "R 8A 00",
      // external clock, initialise, start
      "W 81 08", "R 81 08", "W 80 11", "R 80 11", "W 80 21", "R 80 21",
      // point 0: complete flag, status, data, complete flag, increment
      "R 8F 02", "R 8F 02", "R 94 17", "R 95 70", "R 96 1F", "R 97 40", "R 8F 02", "W 80 31",
      "R 80 31",
      // point 1: not valid, one repeat, then status reads alone until valid; the increment
      // follows the last point too
      "R 8F 04", "W 80 41", "R 80 41", "R 8F 04", "R 8F 06", "R 94 17", "R 95 70", "R 96 1F",
      "R 97 40", "R 8F 06", "W 80 31", "R 80 31"};
  EXPECT_EQ(t.traffic, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Routines, SweepPointsTraffic,
    testing::Values(Routine{"single_sweep", frequency_sweep},
                    Routine{"multi_point_calibration", multi_point_gain_factors}),
    [](const testing::TestParamInfo<Routine>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quelnor::measure
