// The main window's handlers and the enabling that enforces program, calibrate, sweep,
// export.
#include "app/form1.h"

#include <utility>

#include "app/busy_run.h"
#include "converter/operator_settings.h"
#include "converter/sweep_programming.h"
#include "converter/temperature.h"
#include "measure/measurement_api.h"
#include "measure/sweep_mode_controls.h"
#include "ui/ui_api.h"
#include "util/numbers.h"
#include "util/run_time_error.h"

namespace quelnor::app {
namespace {

using Handler = void (*)(model::Session&);

struct OptionEntry {
  std::string_view name;
  model::OptionButton model::Form1Controls::*option;
  Handler handler;  // nullptr: the option is only read when an operation needs it
};

constexpr OptionEntry option_table[] = {
    {"Option1", &model::Form1Controls::Option1, converter::Option1_Click},
    {"Option2", &model::Form1Controls::Option2, converter::Option2_Click},
    {"Option3", &model::Form1Controls::Option3, converter::Option3_Click},
    {"Option4", &model::Form1Controls::Option4, converter::Option4_Click},
    {"Option5", &model::Form1Controls::Option5, converter::Option5_Click},
    {"Option6", &model::Form1Controls::Option6, converter::Option6_Click},
    {"ExternalClock", &model::Form1Controls::ExternalClock, converter::ExternalClock_Click},
    {"InternalClock", &model::Form1Controls::InternalClock, converter::InternalClock_Click},
    {"Multiply_by_one", &model::Form1Controls::Multiply_by_one, converter::Multiply_by_one_Click},
    {"Multiply_by_two", &model::Form1Controls::Multiply_by_two, converter::Multiply_by_two_Click},
    {"Multiply_by_four", &model::Form1Controls::Multiply_by_four,
     converter::Multiply_by_four_Click},
    {"Opt_resistor", &model::Form1Controls::Opt_resistor, measure::Opt_resistor_Click},
    {"Opt_capacitor", &model::Form1Controls::Opt_capacitor, measure::Opt_capacitor_Click},
    {"Optresistorandcapseries", &model::Form1Controls::Optresistorandcapseries,
     measure::Optresistorandcapseries_Click},
    {"Optresisandcapparallel", &model::Form1Controls::Optresisandcapparallel,
     measure::Optresisandcapparallel_Click},
    {"Complex", &model::Form1Controls::Complex, measure::Complex_Click},
    {"Option7", &model::Form1Controls::Option7, nullptr},
    {"Option8", &model::Form1Controls::Option8, nullptr},
};

}  // namespace

Form1::Form1(model::Session& session, HelpPages& help, std::string executable_dir)
    : session_(session), help_(help), executable_dir_(std::move(executable_dir)) {}

void Form1::Form_Load() {
  model::Form1Controls& form = controls();
  // Selecting an option here runs its action as a click would; the gain handler is the
  // first to write the chip.
  option_Click("Option1");
  option_Click("Option3");
  form.SSTab1 = 0;
  option_Click("ExternalClock");
  option_Click("Opt_resistor");
  form.Option7.enabled = false;
  form.Option8.enabled = false;
  form.Continuous_sweep_text.enabled = false;
  form.Download_data.enabled = false;
  form.Check1.enabled = false;
  form.focused = "Text1";
  form.visible = true;
}

void Form1::Command2_Click() {
  model::Form1Controls& form = controls();
  session_.Strip1.clear();
  session_.Strip2.clear();
  form.Command6.enabled = true;
  form.Command1.enabled = false;
  form.Continuous_sweep_text.enabled = false;
  form.Check1.enabled = false;
  form.Download_data.enabled = false;
  measure::enable_sweep_mode_controls(form, true);
  try {
    // All four fields are checked before the first write, so a refused entry leaves the
    // chip as it was.
    converter::program_sweep_registers(session_);
  } catch (const util::RunTimeError& e) {
    // Claiming success here would leave the operator believing the chip holds the fields.
    session_.message(std::string("The device registers could not be programmed. ") + e.what());
    return;
  }
  session_.message("Registers have been programmed successfully. Press ok");
}

void Form1::Command6_Click() {
  model::Form1Controls& form = controls();
  converter::enter_standby_quiet(session_);
  // Start Sweep stays available whether or not the calibration succeeds.
  form.Continuous_sweep_text.enabled = true;
  form.Command1.enabled = true;
  form.Check1.enabled = true;
  BusyRun run(form, busy_);
  if (form.Option7.value && !form.Option8.value) {
    form.Label20.caption = "Calculated Gain Factor";
    measure::mid_point_gain_factor(session_);
  }
  if (form.Option8.value && !form.Option7.value) {
    form.Label20.caption = "Average Gain Factor";
    measure::multi_point_gain_factors(session_);
  }
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
  measure::enable_sweep_mode_controls(form, true);
  form.Download_data.enabled = true;
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
  using Click = void (Form1::*)();
  static constexpr std::pair<std::string_view, Click> buttons[] = {
      {"help", &Form1::help_Click},         {"Command2", &Form1::Command2_Click},
      {"Command6", &Form1::Command6_Click}, {"Command1", &Form1::Command1_Click},
      {"Command5", &Form1::Command5_Click}, {"Download_data", &Form1::Download_data_Click},
  };
  for (const auto& [button, click] : buttons) {
    if (button == name) {
      (this->*click)();
      return true;
    }
  }
  return false;
}

bool Form1::option_Click(std::string_view name) {
  for (const OptionEntry& entry : option_table) {
    if (entry.name == name) {
      controls().select(controls().*entry.option);
      if (entry.handler != nullptr) entry.handler(session_);
      return true;
    }
  }
  return false;
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
