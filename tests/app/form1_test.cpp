// Form1 on the virtual board: load traffic, the workflow's enabled controls in every
// state, the Start Sweep and Program Device Registers refusals, re-entry during a run and
// the last-resort guard.
#include "app/form1.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "app/workflow.h"
#include "app_fixture.h"
#include "model/form1_control_table.h"

namespace quelnor::test {
namespace {

using app::ActResult;

TEST(Form1Load, SelectsTheDefaultOptionsAndWritesOnlyTheGainSelection) {
  AppUnderTest t;
  // Gain X1 with range bits still 0: standby, then the gain bit into both control bytes,
  // each read back.
  EXPECT_EQ(t.trace(), (std::vector<std::string>{"W 80 B0", "R 80 B0", "W 80 01", "R 80 01",
                                                 "W 81 01", "R 81 01"}));
  EXPECT_TRUE(t.dialogs.boxes.empty());
  model::Form1Controls& f = t.form();
  EXPECT_TRUE(f.Option1.value && !f.Option2.value);
  EXPECT_TRUE(f.Option3.value && !f.Option4.value && !f.Option5.value && !f.Option6.value);
  EXPECT_TRUE(f.ExternalClock.value && !f.InternalClock.value);
  EXPECT_TRUE(f.Opt_resistor.value);
  EXPECT_EQ(f.Text7.text, "16000000");
  EXPECT_EQ(f.SSTab1, 0);
  EXPECT_EQ(f.focused, "Text1");
  EXPECT_TRUE(t.act().window_visible("Form1"));
}

// The controls whose enabling the workflow drives, in the order of the table below.
const char* const workflow_controls[] = {
    "Command6",        "Option7",          "Option8",  "Multiply_by_one",
    "Multiply_by_two", "Multiply_by_four", "Command1", "Continuous_sweep_text",
    "Check1",          "Download_data"};
// Enabled in every resting state.
const char* const always_enabled[] = {"Command2",
                                      "Command5",
                                      "help",
                                      "Text1",
                                      "Text2",
                                      "Text3",
                                      "Text4",
                                      "Text7",
                                      "Text5",
                                      "ExternalClock",
                                      "InternalClock",
                                      "Option1",
                                      "Option2",
                                      "Option3",
                                      "Option4",
                                      "Option5",
                                      "Option6",
                                      "Opt_resistor",
                                      "Opt_capacitor",
                                      "Optresistorandcapseries",
                                      "Optresisandcapparallel",
                                      "Complex"};

using Enabled = std::vector<int>;  // one flag per workflow control
const Enabled not_programmed{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Enabled programmed{1, 1, 1, 1, 1, 1, 0, 0, 0, 0};
const Enabled calibrated{1, 1, 1, 1, 1, 1, 1, 1, 1, 0};
const Enabled swept{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

bool enabled_of(AppUnderTest& t, const std::string& name) {
  return t.act().describe(name).find(" enabled=1") != std::string::npos;
}

Enabled workflow_state(AppUnderTest& t) {
  Enabled state;
  for (const char* name : workflow_controls) state.push_back(enabled_of(t, name) ? 1 : 0);
  return state;
}

// The state table in the code against the states above, control by control.
TEST(WorkflowTable, EachStateEnablesExactlyItsControls) {
  const std::pair<app::WorkflowState, Enabled> states[] = {
      {app::WorkflowState::not_programmed, not_programmed},
      {app::WorkflowState::programmed, programmed},
      {app::WorkflowState::calibrated, calibrated},
      {app::WorkflowState::swept, swept}};
  for (const auto& [state, expected] : states) {
    model::Form1Controls form;
    app::enter_workflow_state(form, state);
    Enabled got;
    for (const char* name : workflow_controls) {
      const model::ControlEntry* entry = model::find_control_entry(name);
      ASSERT_NE(entry, nullptr) << name;
      got.push_back(std::visit(
          [](auto* control) {
            if constexpr (requires { control->enabled; }) {
              return control->enabled ? 1 : 0;
            } else {
              return -1;  // a control without an enabled state
            }
          },
          entry->in(form)));
    }
    EXPECT_EQ(got, expected) << static_cast<int>(state);
  }
}

struct WorkflowCase {
  const char* what;
  std::vector<const char*> clicks;
  Enabled expected;
};

class Workflow : public testing::TestWithParam<WorkflowCase> {};

TEST_P(Workflow, EnablesExactlyTheControlsOfTheState) {
  AppUnderTest t;
  for (const char* click : GetParam().clicks) {
    ASSERT_EQ(t.act().click(click), ActResult::done) << click;
  }
  EXPECT_EQ(workflow_state(t), GetParam().expected);
  for (const char* name : always_enabled) EXPECT_TRUE(enabled_of(t, name)) << name;
}

INSTANTIATE_TEST_SUITE_P(
    States, Workflow,
    testing::Values(
        WorkflowCase{"load", {}, not_programmed}, WorkflowCase{"program", {"Command2"}, programmed},
        WorkflowCase{"calibrate", {"Command2", "Command6"}, calibrated},
        WorkflowCase{"sweep", {"Command2", "Command6", "Command1"}, swept},
        WorkflowCase{"calibrate after a sweep keeps the export",
                     {"Command2", "Command6", "Command1", "Command6"},
                     swept},
        WorkflowCase{
            "program after a sweep", {"Command2", "Command6", "Command1", "Command2"}, programmed},
        WorkflowCase{"multi-point calibration", {"Command2", "Option8", "Command6"}, calibrated},
        // Its frequencies replace the sweep's in the table: the old rows are not exported.
        WorkflowCase{"multi-point calibration after a sweep withdraws the export",
                     {"Command2", "Command6", "Command1", "Option8", "Command6"},
                     calibrated},
        WorkflowCase{"the next sweep offers the export again",
                     {"Command2", "Command6", "Command1", "Option8", "Command6", "Command1"},
                     swept},
        WorkflowCase{"options and Measure leave the state",
                     {"Command2", "Command6", "Option2", "Option5", "InternalClock",
                      "Multiply_by_four", "Complex", "Command5"},
                     calibrated}),
    [](const testing::TestParamInfo<WorkflowCase>& info) {
      std::string name;
      for (const char c : std::string(info.param.what)) name += std::isalnum(c) ? c : '_';
      return name;
    });

TEST(Form1Workflow, StartSweepStaysOffUntilCalibratedAndCalibrationFailureStillEnablesIt) {
  AppUnderTest t;
  EXPECT_EQ(t.act().click("Command1"), ActResult::disabled);
  EXPECT_EQ(t.act().click("Command2"), ActResult::done);
  EXPECT_EQ(t.act().click("Command1"), ActResult::disabled);
  // R2 is read strictly: a text that is no number ends the calibration in its own box.
  ASSERT_EQ(t.act().click("Complex"), ActResult::done);
  ASSERT_EQ(t.act().type_text("Text6", "abc"), ActResult::done);
  const std::size_t boxes_before = t.dialogs.boxes.size();
  ASSERT_EQ(t.act().click("Command6"), ActResult::done);
  EXPECT_EQ(t.dialogs.boxes.size(), boxes_before + 1);
  EXPECT_EQ(workflow_state(t), calibrated);
}

TEST(Form1Workflow, ASweepEndingInItsErrorBoxStillEnablesTheExport) {
  AppUnderTest t;
  for (const char* click : {"Command2", "Command6"}) t.act().click(click);
  t.board().fault("zero-data", {"3"});
  ASSERT_EQ(t.act().click("Command1"), ActResult::done);
  EXPECT_EQ(t.box_texts().back(), "Error completing sweep check values");
  EXPECT_EQ(workflow_state(t), swept);
}

class GainFactorRefused : public testing::TestWithParam<const char*> {};

TEST_P(GainFactorRefused, FocusesTheGainFactorAndChangesNothingElse) {
  AppUnderTest t;
  for (const char* click : {"Command2", "Command6"}) t.act().click(click);
  ASSERT_EQ(t.act().type_text("Text5", GetParam()), ActResult::done);
  // Ticked, so a continuous run would start: the refusal comes first and its caption stays.
  ASSERT_EQ(t.act().set_check("Continuous_sweep_text", true), ActResult::done);
  t.form().focused = "Text1";
  const std::string before = t.snapshot();
  const std::size_t traffic_before = t.trace().size();
  const std::size_t boxes_before = t.dialogs.boxes.size();

  ASSERT_EQ(t.act().click("Command1"), ActResult::done);
  EXPECT_EQ(t.dialogs.boxes.size(), boxes_before + 1);
  EXPECT_EQ(t.box_texts().back(), "Gain factor must be greater than zero");
  EXPECT_EQ(t.dialogs.boxes.back().title, "Quelnor Beta Version VUD1.0");
  EXPECT_EQ(t.form().focused, "Text5");
  EXPECT_EQ(t.snapshot(), before);
  EXPECT_EQ(t.trace().size(), traffic_before);
  EXPECT_EQ(t.pump.servicings(), 0);
}

INSTANTIATE_TEST_SUITE_P(NotAboveZero, GainFactorRefused,
                         testing::Values("0", "-1", "abc", "", "-0", " 0E5"));

TEST(Form1StartSweep, AcceptsTheLeadingNumberOfAGainFactorFollowedByText) {
  AppUnderTest t;
  for (const char* click : {"Command2", "Command6"}) t.act().click(click);
  ASSERT_EQ(t.act().type_text("Text5", t.form().Text5.text + "xyz"), ActResult::done);
  ASSERT_EQ(t.act().click("Command1"), ActResult::done);
  EXPECT_EQ(t.box_texts().back(), " sweep complete:   Press ok  ");
  EXPECT_EQ(t.strip1.trace(0).size(), 101u);
}

TEST(Form1StartSweep, AGainFactorBeyondADoubleIsRefusedWithoutSweeping) {
  AppUnderTest t;
  for (const char* click : {"Command2", "Command6"}) t.act().click(click);
  ASSERT_EQ(t.act().type_text("Text5", "1E999"), ActResult::done);
  const std::size_t traffic_before = t.trace().size();
  ASSERT_EQ(t.act().click("Command1"), ActResult::done);
  EXPECT_EQ(t.box_texts().back(), "Gain factor is too large");
  EXPECT_EQ(t.form().focused, "Text5");
  EXPECT_EQ(t.trace().size(), traffic_before);
  EXPECT_EQ(workflow_state(t), calibrated);
}

TEST(Form1ProgramRegisters, ShowsSuccessAfterProgrammingTheDefaultFields) {
  AppUnderTest t;
  const std::size_t traffic_before = t.trace().size();
  ASSERT_EQ(t.act().click("Command2"), ActResult::done);
  const std::vector<std::string> trace = t.trace();
  const std::vector<std::string> programmed(trace.begin() + traffic_before, trace.end());
  // 30000 Hz, 100 increments, 2 Hz, 15 cycles at 16 MHz; every write read back.
  EXPECT_EQ(programmed,
            (std::vector<std::string>{"W 84 28", "R 84 28", "W 83 5C", "R 83 5C", "W 82 0F",
                                      "R 82 0F", "W 89 64", "R 89 64", "W 88 00", "R 88 00",
                                      "W 87 43", "R 87 43", "W 86 00", "R 86 00", "W 85 00",
                                      "R 85 00", "W 8B 0F", "R 8B 0F", "W 8A 00", "R 8A 00"}));
  EXPECT_EQ(t.box_texts(),
            std::vector<std::string>{"Registers have been programmed successfully. Press ok"});
}

TEST(Form1ProgramRegisters, AReadBackErrorBoxReplacesTheSuccessBoxOfThatPressOnly) {
  AppUnderTest t;
  t.board().fault("readback", {"84"});
  const std::size_t traffic_before = t.trace().size();
  ASSERT_EQ(t.act().click("Command2"), ActResult::done);
  // Programming goes on after the box: all ten registers are written and read back.
  EXPECT_EQ(t.trace().size() - traffic_before, 20u);
  EXPECT_EQ(t.box_texts(),
            std::vector<std::string>{
                "Error:Invaid data write/readback sequence to part.check power connections: "});

  t.board().fault("off", {"all"});
  t.dialogs.boxes.clear();
  ASSERT_EQ(t.act().click("Command2"), ActResult::done);
  EXPECT_EQ(t.box_texts(),
            std::vector<std::string>{"Registers have been programmed successfully. Press ok"});
}

struct RefusedField {
  const char* field;
  const char* text;
  const char* names;  // what the box must name
};

class ProgramRefused : public testing::TestWithParam<RefusedField> {};

// A field that cannot be programmed is named in a box instead of the success box, and the
// chip is left as it was.
TEST_P(ProgramRefused, NamesTheFieldAndWritesNothing) {
  AppUnderTest t;
  ASSERT_EQ(t.act().type_text(GetParam().field, GetParam().text), ActResult::done);
  const std::size_t traffic_before = t.trace().size();
  ASSERT_EQ(t.act().click("Command2"), ActResult::done);
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  const std::string text = t.box_texts().front();
  EXPECT_NE(text.find("could not be programmed"), std::string::npos) << text;
  EXPECT_NE(text.find(GetParam().names), std::string::npos) << text;
  EXPECT_EQ(t.trace().size(), traffic_before);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ProgramRefused,
    testing::Values(RefusedField{"Text3", "9E9", "Number of Increments (9 Bit)"},
                    RefusedField{"Text4", "9E9", "Number of Settling Time Cycles"},
                    RefusedField{"Text1", "1E400", "Start Frequency (Hz)"}));

// Every control a run greys; none may act while the run services input.
const char* const refused_during_run[] = {
    "Command2", "Command6", "Command1",        "Command5",        "Download_data",
    "help",     "Option2",  "Option4",         "InternalClock",   "Opt_capacitor",
    "Option8",  "Option7",  "Multiply_by_two", "Multiply_by_four"};

TEST(Form1Reentry, ARunRefusesEveryActionAtItsServicingPointsAndRestoresTheWorkflowState) {
  AppUnderTest t;
  for (const char* click : {"Command2", "Command6", "Command1"}) t.act().click(click);
  ASSERT_EQ(workflow_state(t), swept);
  const std::string settings_before = t.snapshot();

  std::map<std::string, ActResult> results;
  std::size_t traffic_at_servicing = 0, traffic_after_clicks = 0;
  t.pump.schedule(1, [&] {
    traffic_at_servicing = t.trace().size();
    for (const char* name : refused_during_run) results[name] = t.act().click(name);
    traffic_after_clicks = t.trace().size();
    // Text boxes and the continuous box stay usable.
    EXPECT_EQ(t.act().type_text("Text1", "30100"), ActResult::done);
    EXPECT_EQ(t.act().set_check("Continuous_sweep_text", true), ActResult::done);
    EXPECT_EQ(t.act().set_check("Continuous_sweep_text", false), ActResult::done);
  });
  ASSERT_EQ(t.act().click("Command1"), ActResult::done);

  for (const char* name : refused_during_run) EXPECT_EQ(results[name], ActResult::disabled) << name;
  EXPECT_EQ(traffic_after_clicks, traffic_at_servicing);
  EXPECT_FALSE(t.app.form1().busy());
  EXPECT_EQ(workflow_state(t), swept);
  // Nothing but the typed start frequency, the charts and the progress bar changed: the
  // selections shown are those in force.
  EXPECT_EQ(t.form().Text1.text, "30100");
  t.form().Text1.text = "30000";
  std::string settings_after = t.snapshot();
  const auto without_charts = [](const std::string& s) {
    return s.substr(0, s.find("show Strip1"));
  };
  EXPECT_EQ(without_charts(settings_after), without_charts(settings_before));
  EXPECT_EQ(t.app.session().control_bits.pga_bits, 1);
  EXPECT_EQ(t.app.session().control_bits.range_bits, 0);
}

TEST(Form1Reentry, AMultiPointCalibrationRefusesActionsAtItsServicingPoint) {
  AppUnderTest t;
  for (const char* click : {"Command2", "Option8"}) t.act().click(click);
  std::map<std::string, ActResult> results;
  t.pump.schedule(1, [&] {
    for (const char* name : refused_during_run) results[name] = t.act().click(name);
  });
  ASSERT_EQ(t.act().click("Command6"), ActResult::done);

  ASSERT_EQ(t.pump.servicings(), 1);
  for (const char* name : refused_during_run) EXPECT_EQ(results[name], ActResult::disabled) << name;
  EXPECT_EQ(t.form().Label20.caption, "Average Gain Factor");
  EXPECT_EQ(workflow_state(t), calibrated);
  EXPECT_TRUE(t.form().Option8.value && !t.form().Option7.value);
  EXPECT_EQ(t.form().Text7.text, "16000000");
}

TEST(Form1Reentry, AContinuousRunKeepsItsControlsGreyedAtEveryServicingUntilUnticked) {
  AppUnderTest t;
  for (const char* click : {"Command2", "Command6"}) t.act().click(click);
  ASSERT_EQ(t.act().set_check("Continuous_sweep_text", true), ActResult::done);

  // Servicing points of a pass without the overlay: one before it, two while the charts
  // are drawn, one at its end. The untick lands inside the second pass.
  std::vector<std::string> greyed_seen;
  for (int n = 1; n <= 7; ++n) {
    t.pump.schedule(n, [&] {
      for (const char* name : refused_during_run) {
        if (enabled_of(t, name)) greyed_seen.push_back(name);
      }
    });
  }
  t.pump.schedule(6, [&] {
    EXPECT_EQ(t.form().Continuous_sweep_text.caption, "Un-Tic to Stop Sweep");
    EXPECT_EQ(t.act().set_check("Continuous_sweep_text", false), ActResult::done);
  });
  ASSERT_EQ(t.act().click("Command1"), ActResult::done);

  EXPECT_TRUE(greyed_seen.empty()) << greyed_seen.front();
  EXPECT_GE(t.pump.servicings(), 7);
  EXPECT_EQ(t.form().Continuous_sweep_text.caption, "Enable Continuous Sweep");
  EXPECT_EQ(workflow_state(t), swept);
  EXPECT_FALSE(t.app.form1().busy());
}

TEST(Form1Guard, AnErrorEscapingAHandlerIsShownAndTheWindowStaysUsable) {
  AppUnderTest t;
  t.board().fault("drop-request", {"all"});
  // The gain handler writes the chip; with the board gone its write raises.
  ASSERT_EQ(t.act().click("Option2"), ActResult::done);
  ASSERT_EQ(t.dialogs.boxes.size(), 1u);
  EXPECT_EQ(t.box_texts().front().rfind("Unexpected error: ", 0), 0u) << t.box_texts().front();
  EXPECT_EQ(t.dialogs.boxes.front().title, "Quelnor Beta Version VUD1.0");
  EXPECT_EQ(t.dialogs.boxes.front().buttons, util::Buttons::ok);

  t.board().fault("off", {"all"});
  ASSERT_EQ(t.act().click("Command2"), ActResult::done);
  EXPECT_EQ(t.box_texts().back(), "Registers have been programmed successfully. Press ok");
}

TEST(Form1Guard, AnErrorEscapingARunRestoresTheEnabledStatesAndClearsBusy) {
  AppUnderTest t;
  for (const char* click : {"Command2", "Command6"}) t.act().click(click);
  t.pump.schedule(1, [] { throw std::runtime_error("view lost"); });
  ASSERT_EQ(t.act().click("Command1"), ActResult::done);
  EXPECT_EQ(t.box_texts().back(), "Unexpected error: view lost");
  EXPECT_FALSE(t.app.form1().busy());
  EXPECT_EQ(workflow_state(t), calibrated);
  EXPECT_EQ(t.act().click("Command1"), ActResult::done);
  EXPECT_EQ(workflow_state(t), swept);
}

}  // namespace
}  // namespace quelnor::test
