// Moving the main window between its workflow states.
#include "app/workflow.h"

namespace quelnor::app {

void enter_workflow_state(model::Form1Controls& form, WorkflowState state) {
  for (const WorkflowEnabling& row : workflow_table) {
    if (row.state != state) continue;
    form.Command6.enabled = row.calculate;
    form.Option7.enabled = row.calibration_modes;
    form.Option8.enabled = row.calibration_modes;
    form.Multiply_by_one.enabled = row.settling_multipliers;
    form.Multiply_by_two.enabled = row.settling_multipliers;
    form.Multiply_by_four.enabled = row.settling_multipliers;
    form.Command1.enabled = row.sweep;
    form.Continuous_sweep_text.enabled = row.sweep;
    form.Check1.enabled = row.sweep;
    form.Download_data.enabled = row.export_data;
  }
}

}  // namespace quelnor::app
