// The continuous sweep: passes until the box is found unticked between passes, the
// caption it shows, the controls it disables per pass, and the end after a failing pass.
#include <gtest/gtest.h>

#include "measure/fake_sweep_chip.h"
#include "measure/calibration_circuit.h"
#include "measure/continuous_sweep.h"
#include "measure/sweep_engine.h"

namespace quelnor::measure {
namespace {

// What one pass saw when it reached its plotting step.
struct PassView {
  bool continuous;
  std::string caption;
  bool options_enabled;
  double first_frequency;
};

struct ContinuousFixture : test::SweepSession {
  std::vector<PassView> passes;
  std::function<void(int pass)> on_plot;  // pass counts from 1
  ContinuousFixture() {
    s.form.Continuous_sweep_text.value = true;
    s.plot_sweep_results = [this](bool continuous) {
      const model::Form1Controls& f = s.form;
      const bool any_enabled = f.Option7.enabled || f.Option8.enabled ||
                               f.Multiply_by_one.enabled || f.Multiply_by_two.enabled ||
                               f.Multiply_by_four.enabled;
      passes.push_back({continuous, f.Continuous_sweep_text.caption, any_enabled,
                        s.data.sweep_table.frequency[0]});
      if (on_plot) on_plot(static_cast<int>(passes.size()));
    };
  }
  void enable_pass_controls() {
    for (model::OptionButton* o : {&s.form.Option7, &s.form.Option8, &s.form.Multiply_by_one,
                                   &s.form.Multiply_by_two, &s.form.Multiply_by_four}) {
      o->enabled = true;
    }
  }
};

TEST(ContinuousSweep, RunsUntilTheBoxIsUntickedDuringAPass) {
  ContinuousFixture t;
  t.s.form.Text3.text = "3";
  t.program();
  t.enable_pass_controls();
  t.on_plot = [&t](int pass) {
    if (pass == 3) t.s.form.Continuous_sweep_text.value = false;
  };
  continuous_sweep(t.s);

  ASSERT_EQ(t.passes.size(), 3u);
  EXPECT_TRUE(t.passes[0].continuous);
  EXPECT_EQ(t.passes[0].caption, "Enable Continuous sweep");
  EXPECT_EQ(t.passes[1].caption, "Un-Tic to Stop Sweep");
  EXPECT_EQ(t.passes[2].caption, "Un-Tic to Stop Sweep");
  for (const PassView& pass : t.passes) EXPECT_FALSE(pass.options_enabled);
  EXPECT_EQ(t.s.form.Continuous_sweep_text.caption, "Enable Continuous Sweep");
  EXPECT_TRUE(t.s.form.Option7.enabled);
  EXPECT_TRUE(t.s.form.Multiply_by_four.enabled);
  // Each pass ends with a temperature reading and no completion box; the pass that was
  // stopped finishes, its temperature included.
  EXPECT_EQ(t.lines("W 80 90").size(), 3u);
  EXPECT_TRUE(t.dialogs.boxes.empty());
  // Per pass: one servicing before it and one at its end.
  EXPECT_EQ(t.pump.servicings, 6);
}

TEST(ContinuousSweep, AnUntickTakenInBeforeAPassLetsThatPassRun) {
  ContinuousFixture t;
  t.s.form.Text3.text = "2";
  t.program();
  t.pump.actions.push_back([&t] { t.s.form.Continuous_sweep_text.value = false; });
  continuous_sweep(t.s);
  EXPECT_EQ(t.passes.size(), 1u);
  EXPECT_EQ(t.s.form.Continuous_sweep_text.caption, "Enable Continuous Sweep");
}

TEST(ContinuousSweep, AnEditedStartFrequencyIsUsedFromTheNextPass) {
  ContinuousFixture t;
  t.s.form.Text3.text = "2";
  t.program();
  t.on_plot = [&t](int pass) {
    if (pass == 1) t.s.form.Text1.text = "40000";
    if (pass == 2) t.s.form.Continuous_sweep_text.value = false;
  };
  continuous_sweep(t.s);
  ASSERT_EQ(t.passes.size(), 2u);
  EXPECT_EQ(t.passes[0].first_frequency, 30000.0);
  EXPECT_EQ(t.passes[1].first_frequency, 40000.0);
}

// A fault that repeats would show its box once per pass: the first failing pass ends the
// run as an untick would, with the box still ticked. A chip that stops delivering data
// ends its pass through the bounded wait the same way.
TEST(ContinuousSweep, AFailingPassEndsTheRun) {
  struct Case {
    const char* name;
    void (*fault)(test::FakeSweepChip&);
  };
  for (const Case c : {Case{"zero point",
                            [](test::FakeSweepChip& chip) {
                              chip.data = [](int) { return std::pair{0, 0}; };
                            }},
                       Case{"data never valid",
                            [](test::FakeSweepChip& chip) { chip.never_valid = true; }}}) {
    ContinuousFixture t;
    t.s.form.Text3.text = "2";
    t.program();
    t.on_plot = [&t, &c](int pass) {
      if (pass == 2) c.fault(t.chip);
    };
    // Should the run go on, this stops it after a few more passes so the test can fail.
    t.pump.on_service = [&t] {
      if (t.pump.servicings > 8) t.s.form.Continuous_sweep_text.value = false;
    };
    continuous_sweep(t.s);
    // The fault arrives during the second pass's plot: the third pass fails before it
    // plots, and no fourth pass starts.
    EXPECT_EQ(t.passes.size(), 2u) << c.name;
    EXPECT_EQ(t.box_texts(), std::vector<std::string>{"Error completing Sweep:Check Values"})
        << c.name;
    EXPECT_EQ(t.s.form.Continuous_sweep_text.caption, "Enable Continuous Sweep") << c.name;
    EXPECT_TRUE(t.s.form.Continuous_sweep_text.value) << c.name;
    EXPECT_TRUE(t.s.form.Option8.enabled) << c.name;
    EXPECT_LE(t.pump.servicings, 8) << c.name;
  }
}

TEST(ContinuousSweepPass, EndsWithTheTemperatureInsteadOfTheCompletionBox) {
  ContinuousFixture t;
  t.s.form.Text3.text = "2";
  t.program();
  t.s.form.Label8.caption = "x";
  std::size_t temperature_commands_when_serviced = 0;
  t.pump.on_service = [&t, &temperature_commands_when_serviced] {
    temperature_commands_when_serviced = t.lines("W 80 90").size();
  };
  run_sweep(t.s, continuous_pass);
  EXPECT_EQ(t.passes.size(), 1u);
  EXPECT_TRUE(t.dialogs.boxes.empty());
  EXPECT_EQ(t.s.form.Label8.caption, "0");  // the fake chip's temperature word is 0
  EXPECT_EQ(t.pump.servicings, 1);
  EXPECT_EQ(temperature_commands_when_serviced, 1u);  // the pass yields after the reading
}

}  // namespace
}  // namespace quelnor::measure
