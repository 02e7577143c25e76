// The main window's event handlers over the session's controls: the load steps, the
// workflow of the three action buttons, "Measure", the export, the help entry and the
// handlers of the option buttons and frequency fields, looked up by control name.
#pragma once

#include <string>
#include <string_view>

#include "app/help_pages.h"
#include "app/workflow.h"
#include "model/session.h"

namespace quelnor::app {

class Form1 {
 public:
  Form1(model::Session& session, HelpPages& help, std::string executable_dir);

  void Form_Load();
  void Command2_Click();  // Program Device Registers
  void Command6_Click();  // Calculate Gain Factor
  void Command1_Click();  // Start Sweep
  void Command5_Click();  // Measure (temperature)
  void Download_data_Click();
  void help_Click();

  // The six command buttons by name. False when there is no such button.
  bool button_Click(std::string_view name);
  // Selects the option button in its group and runs its handler, if it has one. False
  // when there is no such option button.
  bool option_Click(std::string_view name);
  // The text box lost the focus: runs its limit check, if it has one.
  void LostFocus(std::string_view name);

  // True while a calibration or sweep runs: its greyed controls refuse every action.
  bool busy() const { return busy_; }
  // Called at every servicing point: keeps a run's greyed controls greyed.
  void before_servicing();

  model::Session& session() { return session_; }
  model::Form1Controls& controls() { return session_.form; }

 private:
  // Selects the option in its group and runs its handler, as a click would.
  void select_option(model::OptionButton model::Form1Controls::*option);
  // Moves to the workflow state and enables its controls.
  void enter(WorkflowState state);
  // One option step of the load, under its own guard.
  void load_option(model::OptionButton model::Form1Controls::*option);

  model::Session& session_;
  HelpPages& help_;
  std::string executable_dir_;
  bool busy_ = false;
  WorkflowState workflow_ = WorkflowState::not_programmed;
};

}  // namespace quelnor::app
