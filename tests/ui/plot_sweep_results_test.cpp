// The result plots: the order of chart operations (with and without the theoretical
// overlay), the axes, the Y range over the plotted rows, and the profile's values.
#include "ui/plot_sweep_results.h"

#include <gtest/gtest.h>

#include "measure/calibration_circuit.h"
#include "measure/calibration_models.h"
#include "measure/fake_sweep_chip.h"
#include "measure/significant_digits.h"
#include "util/numbers.h"
#include "util/run_time_error.h"

namespace quelnor::ui {
namespace {

using test::matches_digits;
using util::number_text;

// Logs every chart operation, and every input servicing, into one shared sequence.
class LoggingChart final : public model::StripChart {
 public:
  LoggingChart(std::string name, std::vector<std::string>& log)
      : name_(std::move(name)), log_(log) {}
  void apply_appearance(const std::string& y, const std::string& x) override {
    add("appearance " + y + " | " + x);
  }
  void clear() override { add("clear"); }
  void set_x_axis(double lower, double upper, double span) override {
    add("x " + number_text(lower) + " " + number_text(upper) + " " + number_text(span));
  }
  void set_y_axis(double lower, double upper) override {
    add("y " + number_text(lower) + " " + number_text(upper));
  }
  void set_points_per_trace(int points) override { add("points " + std::to_string(points)); }
  void select_trace(int trace) override { add("select " + std::to_string(trace)); }
  void plot(int trace, const model::PointArray& points) override {
    add("plot " + std::to_string(trace) + " rows " + std::to_string(points.size()));
  }

 private:
  void add(const std::string& line) { log_.push_back(name_ + " " + line); }
  std::string name_;
  std::vector<std::string>& log_;
};

// A session whose charts log into `log`; three measured rows of a two-increment sweep.
struct LoggedPlot {
  util::VirtualClock clock;
  test::FakeSweepChip chip;
  test::ScriptedDialogs dialogs;
  test::QueuedPump pump;
  link::USB_STUFF usb{chip, dialogs, "/board"};
  link::RegisterTransport transport{usb, dialogs, model::application_title};
  std::vector<std::string> log;
  LoggingChart strip1{"S1", log}, strip2{"S2", log};
  model::Session s{clock, dialogs, pump, transport, strip1, strip2};

  LoggedPlot() {
    pump.on_service = [this] { log.push_back("pump"); };
    s.sweep = {1000, 100, 2};
    s.data.plot_point_count = 3;
    auto& t = s.data.sweep_table;
    t.frequency[0] = 1000, t.frequency[1] = 1100, t.frequency[2] = 1200;
    t.impedance[0] = 10, t.impedance[1] = 30, t.impedance[2] = 20;
  }
};

const std::vector<std::string> impedance_chart = {"S1 appearance Impedance(Ohms) | Frequency(Hz)",
                                                  "S1 clear",
                                                  "S1 x 1000 1200 200",
                                                  "S1 y 9 33",
                                                  "S1 points 3",
                                                  "S1 plot 0 rows 3",
                                                  "S1 x 1000 1200 200",
                                                  "S1 y 9 33",
                                                  "S1 points 3",
                                                  "pump"};
const std::vector<std::string> impedance_overlay = {
    "S1 select 1", "S1 plot 1 rows 3", "S1 x 1000 1200 200", "S1 y 9 33", "S1 points 3", "pump"};
const std::vector<std::string> phase_chart = {"S2 appearance Phase(Degrees) | Frequency(Hz)",
                                              "S2 clear",
                                              "S2 x 1000 1200 200",
                                              "S2 y -180 180",
                                              "S2 points 3",
                                              "S2 plot 0 rows 3",
                                              "S2 x 1000 1200 200",
                                              "S2 y -180 180",
                                              "S2 points 3",
                                              "pump"};
// The phase profile services input itself; the plot then sets the axes again.
const std::vector<std::string> phase_overlay = {"S2 select 1",   "S2 plot 1 rows 3",
                                                "pump",          "S2 x 1000 1200 200",
                                                "S2 y -180 180", "S2 points 3"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST(PlotSweepResults, CallOrderWithoutTheOverlay) {
  for (const bool continuous : {false, true}) {
    LoggedPlot p;
    plot_sweep_results(p.s, continuous);
    EXPECT_EQ(p.log, joined({impedance_chart, phase_chart})) << continuous;
    EXPECT_EQ(p.s.form.PBar.value, 2);
  }
}

TEST(PlotSweepResults, CallOrderWithTheOverlay) {
  LoggedPlot single;
  single.s.form.Check1.value = true;
  plot_sweep_results(single.s, false);
  EXPECT_EQ(single.log,
            joined({impedance_chart, impedance_overlay, phase_chart, phase_overlay, {"pump"}}));

  // The continuous pass leaves out the last servicing after the phase profile.
  LoggedPlot pass;
  pass.s.form.Check1.value = true;
  plot_sweep_results(pass.s, true);
  EXPECT_EQ(pass.log, joined({impedance_chart, impedance_overlay, phase_chart, phase_overlay}));
}

// Each chart's rows move the progress bar up to the last row again: what it shows at the
// servicing after each chart, having been set aside at the one before.
TEST(PlotSweepResults, ProgressBarRunsThroughTheRowsForEachChart) {
  LoggedPlot p;
  std::vector<int> at_servicing;
  p.pump.on_service = [&p, &at_servicing] {
    at_servicing.push_back(p.s.form.PBar.value);
    p.s.form.PBar.value = -1;
  };
  plot_sweep_results(p.s, false);
  EXPECT_EQ(at_servicing, (std::vector<int>{2, 2}));
}

// The recording chart keeps what a drawing would show.
struct RecordedPlot : test::SweepSession {
  RecordedPlot(int increments, double start_hz, double delta_hz) {
    s.sweep = {start_hz, delta_hz, increments};
    s.data.plot_point_count = static_cast<std::int16_t>(increments + 1);
    for (int i = 0; i <= increments; ++i) {
      s.data.sweep_table.frequency[i] = start_hz + i * delta_hz;
      s.data.sweep_table.impedance[i] = 1000 + i;
      s.data.sweep_table.phase[i] = -i;
    }
  }
};

TEST(PlotSweepResults, MeasuredTracesAndAxes) {
  RecordedPlot p(100, 30000, 2);
  plot_sweep_results(p.s, false);
  const model::PointArray& z = p.strip1.trace(0);
  ASSERT_EQ(z.size(), 101u);
  EXPECT_EQ(z[100], (std::pair{30200.0, 1100.0}));
  EXPECT_EQ(p.strip2.trace(0)[100], (std::pair{30200.0, -100.0}));
  EXPECT_TRUE(p.strip1.trace(1).empty());  // no overlay without Check1
  EXPECT_EQ(p.strip1.y_caption(), "Impedance(Ohms)");
  EXPECT_EQ(p.strip2.y_caption(), "Phase(Degrees)");
  EXPECT_EQ(p.strip2.x_caption(), "Frequency(Hz)");
  EXPECT_EQ(p.strip1.x_lower(), 30000.0);
  EXPECT_EQ(p.strip1.x_upper(), 30200.0);
  EXPECT_EQ(p.strip1.x_span(), 200.0);
  EXPECT_EQ(p.strip1.points_per_trace(), 101);
  // The last row takes part in the range.
  EXPECT_DOUBLE_EQ(p.strip1.y_upper(), 1.1 * 1100);
  EXPECT_DOUBLE_EQ(p.strip1.y_lower(), 0.9 * 1000);
  EXPECT_EQ(p.strip2.y_upper(), 180.0);
  EXPECT_EQ(p.strip2.y_lower(), -180.0);
}

// A sweep that ended early: only its rows are drawn and only they set the range, while
// the point count stays that of the programmed sweep.
TEST(PlotSweepResults, ShortSweepShowsOnlyItsRows) {
  RecordedPlot p(100, 30000, 2);
  p.s.data.plot_point_count = 10;
  p.s.data.sweep_table.impedance[50] = 1e9;  // an older sweep's row
  plot_sweep_results(p.s, false);
  EXPECT_EQ(p.strip1.trace(0).size(), 10u);
  EXPECT_EQ(p.strip1.x_upper(), 30018.0);
  EXPECT_EQ(p.strip1.points_per_trace(), 101);
  EXPECT_DOUBLE_EQ(p.strip1.y_upper(), 1.1 * 1009);
}

TEST(PlotSweepResults, ImpedanceRangeAlwaysEnclosesTheTrace) {
  struct Case {
    const char* name;
    double low, high;  // impedance of row 0 and of every other row
    double y_lower, y_upper;
  };
  for (const Case c :
       {Case{"all zero", 0, 0, -1, 1}, Case{"all equal", 500, 500, 450, 550},
        Case{"negative", -200, -100, -220, -90}, Case{"across zero", -100, 100, -110, 110}}) {
    RecordedPlot p(3, 1000, 1);
    p.s.data.sweep_table.impedance.fill(c.high);
    p.s.data.sweep_table.impedance[0] = c.low;
    plot_sweep_results(p.s, false);
    EXPECT_DOUBLE_EQ(p.strip1.y_lower(), c.y_lower) << c.name;
    EXPECT_DOUBLE_EQ(p.strip1.y_upper(), c.y_upper) << c.name;
  }
}

TEST(PlotSweepResults, FailuresRaiseRunTimeError) {
  RecordedPlot none(3, 1000, 1);
  none.s.data.plot_point_count = 0;
  EXPECT_THROW(plot_sweep_results(none.s, false), util::RunTimeError);
  EXPECT_TRUE(none.strip1.trace(0).empty());

  RecordedPlot span(3, 1000, 1e308);
  EXPECT_THROW(plot_sweep_results(span.s, false), util::RunTimeError);

  RecordedPlot range(3, 1000, 1);
  range.s.data.sweep_table.impedance[1] = 1.7e308;
  EXPECT_THROW(plot_sweep_results(range.s, false), util::RunTimeError);
}

TEST(TheoreticalProfile, WorkedRowsOfTheParallelCircuit) {
  RecordedPlot p(100, 30000, 2);
  p.s.form.Check1.value = true;
  measure::Optresisandcapparallel_Click(p.s);
  plot_sweep_results(p.s, false);
  const model::PointArray& magnitude = p.strip1.trace(1);
  const model::PointArray& phase = p.strip2.trace(1);
  ASSERT_EQ(magnitude.size(), 101u);
  ASSERT_EQ(phase.size(), 101u);
  EXPECT_EQ(magnitude[0].first, 30000.0);
  EXPECT_TRUE(matches_digits(magnitude[0].second, 174092.482, 10));
  EXPECT_TRUE(matches_digits(phase[0].second, -29.48758096, 10));
  EXPECT_EQ(magnitude[100].first, 30200.0);
  EXPECT_TRUE(matches_digits(magnitude[100].second, 173811.0169, 10));
  EXPECT_TRUE(matches_digits(phase[100].second, -29.65098081, 10));
  EXPECT_EQ(p.s.data.point_index, 100);
  EXPECT_EQ(p.strip2.current_trace(), 1);
}

TEST(TheoreticalProfile, FollowsTheCircuitAndItsBoxes) {
  struct Case {
    const char* name;
    void (*choose)(model::Session&);
    const char* r1;
    const char* r2;
    double magnitude_at_1000, magnitude_at_2000, phase;  // phase < -1000: not flat
  };
  const double xc_1000 = measure::capacitor_reactance(1000, 1.5e-11);
  for (const Case c :
       {Case{"resistor", measure::Opt_resistor_Click, "200E3", "", 200000, 200000, 0},
        Case{"new R1 without calibrating", measure::Opt_resistor_Click, "1E3", "", 1000, 1000, 0},
        Case{"capacitor", measure::Opt_capacitor_Click, "200E3", "", xc_1000, xc_1000 / 2, -90},
        // An R2 text without a leading number draws as R2 = 0: the parallel circuit alone.
        Case{"complex with unreadable R2", measure::Complex_Click, "200E3", "R2",
             measure::calibration_impedance_magnitude(3, 1000, 2e5, 1.5e-11, 0),
             measure::calibration_impedance_magnitude(3, 2000, 2e5, 1.5e-11, 0), -2000}}) {
    RecordedPlot p(1, 1000, 1000);
    p.s.form.Check1.value = true;
    c.choose(p.s);
    p.s.form.Text10.text = c.r1;
    p.s.form.Text6.text = c.r2;
    plot_sweep_results(p.s, false);
    const model::PointArray& magnitude = p.strip1.trace(1);
    const model::PointArray& phase = p.strip2.trace(1);
    ASSERT_EQ(magnitude.size(), 2u) << c.name;
    EXPECT_DOUBLE_EQ(magnitude[0].second, c.magnitude_at_1000) << c.name;
    EXPECT_DOUBLE_EQ(magnitude[1].second, c.magnitude_at_2000) << c.name;
    if (c.phase > -1000) {
      EXPECT_EQ(phase[0].second, c.phase) << c.name;
      EXPECT_EQ(phase[1].second, c.phase) << c.name;
    }
  }
}

// A sweep that ended early: the profile covers the rows it measured, not rows 0 to N,
// whose upper part holds frequencies this sweep never visited (here the 0 Hz of a fresh
// table, where a capacitor's reactance cannot be formed).
TEST(TheoreticalProfile, ShortSweepProfilesOnlyItsRows) {
  RecordedPlot p(100, 30000, 2);
  p.s.data.plot_point_count = 10;
  for (std::size_t i = 10; i < model::table_rows; ++i) p.s.data.sweep_table.frequency[i] = 0;
  p.s.form.Check1.value = true;
  measure::Opt_capacitor_Click(p.s);
  plot_sweep_results(p.s, false);
  const model::PointArray& magnitude = p.strip1.trace(1);
  ASSERT_EQ(magnitude.size(), 10u);
  EXPECT_EQ(p.strip2.trace(1).size(), 10u);
  EXPECT_EQ(magnitude[9].first, 30018.0);
  EXPECT_DOUBLE_EQ(magnitude[9].second, measure::capacitor_reactance(30018, 1.5e-11));
  EXPECT_EQ(p.s.data.point_index, 9);
}

TEST(TheoreticalProfile, AFormulaFailureEndsThePlot) {
  RecordedPlot p(2, 0, 1000);  // row 0 at 0 Hz: no reactance
  p.s.form.Check1.value = true;
  measure::Opt_capacitor_Click(p.s);
  EXPECT_THROW(plot_sweep_results(p.s, false), util::RunTimeError);
  EXPECT_EQ(p.strip1.trace(0).size(), 3u);  // drawn as far as it got
  EXPECT_TRUE(p.strip2.trace(0).empty());
}

}  // namespace
}  // namespace quelnor::ui
