// The main window's handlers and the enabling that enforces program, calibrate, sweep,
// export.
#include "app/form1.h"

#include <utility>
#include <vector>

#include "app/busy_run.h"
#include "app/last_resort_guard.h"
#include "app/workflow.h"
#include "converter/operator_settings.h"
#include "converter/sweep_programming.h"
#include "converter/temperature.h"
#include "measure/calibration_circuit.h"
#include "measure/continuous_sweep.h"
#include "measure/frequency_sweep.h"
#include "measure/mid_point_calibration.h"
#include "measure/multi_point_calibration.h"
#include "measure/sweep_mode_controls.h"
#include "model/form1_control_table.h"
#include "ui/download_data.h"
#include "util/numbers.h"
#include "util/run_time_error.h"

namespace quelnor::app {
namespace {

using Handler = void (*)(model::Session&);
using model::Form1Controls;

struct OptionEntry {
  model::OptionButton Form1Controls::*option;
  Handler handler;  // nullptr: the option is only read when an operation needs it
};

constexpr OptionEntry option_table[] = {
    {&Form1Controls::Option1, converter::Option1_Click},
    {&Form1Controls::Option2, converter::Option2_Click},
    {&Form1Controls::Option3, converter::Option3_Click},
    {&Form1Controls::Option4, converter::Option4_Click},
    {&Form1Controls::Option5, converter::Option5_Click},
    {&Form1Controls::Option6, converter::Option6_Click},
    {&Form1Controls::ExternalClock, converter::ExternalClock_Click},
    {&Form1Controls::InternalClock, converter::InternalClock_Click},
    {&Form1Controls::Multiply_by_one, converter::Multiply_by_one_Click},
    {&Form1Controls::Multiply_by_two, converter::Multiply_by_two_Click},
    {&Form1Controls::Multiply_by_four, converter::Multiply_by_four_Click},
    {&Form1Controls::Opt_resistor, measure::Opt_resistor_Click},
    {&Form1Controls::Opt_capacitor, measure::Opt_capacitor_Click},
    {&Form1Controls::Optresistorandcapseries, measure::Optresistorandcapseries_Click},
    {&Form1Controls::Optresisandcapparallel, measure::Optresisandcapparallel_Click},
    {&Form1Controls::Complex, measure::Complex_Click},
    {&Form1Controls::Option7, nullptr},
    {&Form1Controls::Option8, nullptr},
};

using Click = void (Form1::*)();
struct ButtonEntry {
  model::CommandButton Form1Controls::*button;
  Click click;
};

constexpr ButtonEntry button_table[] = {
    {&Form1Controls::help, &Form1::help_Click},
    {&Form1Controls::Command2, &Form1::Command2_Click},
    {&Form1Controls::Command6, &Form1::Command6_Click},
    {&Form1Controls::Command1, &Form1::Command1_Click},
    {&Form1Controls::Command5, &Form1::Command5_Click},
    {&Form1Controls::Download_data, &Form1::Download_data_Click},
};

}  // namespace

Form1::Form1(model::Session& session, HelpPages& help, std::string executable_dir)
    : session_(session), help_(help), executable_dir_(std::move(executable_dir)) {}

void Form1::Form_Load() {
  model::Form1Controls& form = controls();
  // Selecting an option here runs its action as a click would; the gain handler is the
  // first to write the chip. A step that fails (a board that does not answer) shows its
  // box and the load goes on: the window always opens, showing the state it reached.
  load_option(&Form1Controls::Option1);
  load_option(&Form1Controls::Option3);
  form.SSTab1 = 0;
  load_option(&Form1Controls::ExternalClock);
  load_option(&Form1Controls::Opt_resistor);
  enter(WorkflowState::not_programmed);
  form.focused = "Text1";
  form.visible = true;
}

void Form1::enter(WorkflowState state) {
  workflow_ = state;
  enter_workflow_state(controls(), state);
}

void Form1::load_option(model::OptionButton model::Form1Controls::*option) {
  model::Form1Controls& form = controls();
  std::vector<std::pair<model::OptionButton*, bool>> before;
  for (model::OptionButton* member : form.group_members((form.*option).group)) {
    before.emplace_back(member, member->value);
  }
  const bool done = run_guarded(session_.dialogs, [&] { select_option(option); });
  // An option whose action did not reach the chip is not shown as selected.
  if (!done) {
    for (const auto& [member, value] : before) member->value = value;
  }
}

void Form1::Command2_Click() {
  session_.Strip1.clear();
  session_.Strip2.clear();
  enter(WorkflowState::programmed);
  const int mismatches_before = session_.transport.mismatches_shown();
  try {
    // All four fields are checked before the first write, so a refused entry leaves the
    // chip as it was.
    converter::program_sweep_registers(session_);
  } catch (const util::RunTimeError& e) {
    // Claiming success here would leave the operator believing the chip holds the fields.
    session_.message(std::string("The device registers could not be programmed. ") + e.what());
    return;
  }
  // A register that read back wrong has had its box already; calling the programming a
  // success after it would contradict that box.
  if (session_.transport.mismatches_shown() != mismatches_before) return;
  session_.message("Registers have been programmed successfully. Press ok");
}

void Form1::Command6_Click() {
  model::Form1Controls& form = controls();
  converter::enter_standby_quiet(session_);
  // Start Sweep stays available whether or not the calibration succeeds; a sweep's rows
  // stay on offer.
  enter(workflow_ == WorkflowState::swept ? WorkflowState::swept : WorkflowState::calibrated);
  bool frequencies_rewritten = false;
  {
    BusyRun run(form, busy_);
    if (form.Option7.value && !form.Option8.value) {
      form.Label20.caption = "Calculated Gain Factor";
      measure::mid_point_gain_factor(session_);
    }
    if (form.Option8.value && !form.Option7.value) {
      form.Label20.caption = "Average Gain Factor";
      measure::multi_point_gain_factors(session_);
      frequencies_rewritten = true;
    }
  }
  // The multi-point calibration writes its frequencies into the sweep table's frequency
  // column: the last sweep's rows no longer carry their own frequencies, so they are not
  // offered for export until the next sweep.
  if (frequencies_rewritten) enter(WorkflowState::calibrated);
}

void Form1::Command1_Click() {
  model::Form1Controls& form = controls();
  double gain_factor = 0.0;
  try {
    gain_factor = util::lenient_number(form.Text5.text);
  } catch (const util::RunTimeError&) {
    // A number beyond a double is no usable gain factor either.
    form.focused = "Text5";
    session_.message("Gain factor is too large");
    return;
  }
  if (gain_factor <= 0) {
    form.focused = "Text5";
    session_.message("Gain factor must be greater than zero");
    return;
  }
  {
    BusyRun run(form, busy_);
    // The box is read at the press: ticking it during a single sweep changes nothing.
    if (form.Continuous_sweep_text.value) {
      measure::continuous_sweep(session_);
    } else {
      session_.pump.service_pending_input();
      measure::enable_sweep_mode_controls(form, false);
      measure::frequency_sweep(session_);
    }
  }
  enter(WorkflowState::swept);
}

void Form1::Command5_Click() {
  converter::measure_temperature(session_);
}

void Form1::Download_data_Click() {
  ui::Download_data_Click(session_, executable_dir_);
}

void Form1::help_Click() {
  help_.open();
}

bool Form1::button_Click(std::string_view name) {
  const model::ControlEntry* entry = model::find_control_entry(name);
  if (entry == nullptr) return false;
  for (const ButtonEntry& b : button_table) {
    if (model::find_control_entry(b.button) == entry) {
      (this->*b.click)();
      return true;
    }
  }
  return false;
}

bool Form1::option_Click(std::string_view name) {
  const model::ControlEntry* entry = model::find_control_entry(name);
  if (entry == nullptr) return false;
  for (const OptionEntry& o : option_table) {
    if (model::find_control_entry(o.option) == entry) {
      select_option(o.option);
      return true;
    }
  }
  return false;
}

void Form1::select_option(model::OptionButton model::Form1Controls::*option) {
  controls().select(controls().*option);
  for (const OptionEntry& o : option_table) {
    if (o.option == option && o.handler != nullptr) o.handler(session_);
  }
}

void Form1::LostFocus(std::string_view name) {
  if (name == "Text1") converter::Text1_LostFocus(session_);
  if (name == "Text2") converter::Text2_LostFocus(session_);
  if (name == "Text7") converter::Text7_LostFocus(session_);
}

void Form1::before_servicing() {
  if (busy_) BusyRun::grey(controls());
}

}  // namespace quelnor::app
