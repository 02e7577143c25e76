// The workflow program -> calibrate -> sweep -> export as explicit states: which of the
// controls it governs each state enables. The handlers move between the states; nothing
// else enables or disables these controls outside a running calibration or sweep.
#pragma once

#include "model/form1_controls.h"

namespace quelnor::app {

enum class WorkflowState {
  not_programmed,  // after the load
  programmed,      // "Program Device Registers" pressed
  calibrated,      // "Calculate Gain Factor" pressed: a sweep may run
  swept,           // a sweep ran: its rows may be exported
};

struct WorkflowEnabling {
  WorkflowState state;
  bool calculate;             // Command6
  bool calibration_modes;     // Option7, Option8
  bool settling_multipliers;  // Multiply_by_one, _two, _four
  bool sweep;                 // Command1, Continuous_sweep_text, Check1
  bool export_data;           // Download_data
};

inline constexpr WorkflowEnabling workflow_table[] = {
    {WorkflowState::not_programmed, false, false, false, false, false},
    {WorkflowState::programmed, true, true, true, false, false},
    {WorkflowState::calibrated, true, true, true, true, false},
    {WorkflowState::swept, true, true, true, true, true},
};

// Enables and disables the governed controls as the state's row says.
void enter_workflow_state(model::Form1Controls& form, WorkflowState state);

}  // namespace quelnor::app
