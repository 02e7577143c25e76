// Continuous sweeping: passes back to back until the operator unticks the box, with the
// mode and settling options disabled during each pass.
#include "measure/continuous_sweep.h"

#include "measure/sweep_engine.h"
#include "measure/sweep_mode_controls.h"

namespace quelnor::measure {

void continuous_sweep(model::Session& s) {
  model::Form1Controls& form = s.form;
  // The box is tested only here, between passes.
  while (form.Continuous_sweep_text.value) {
    s.pump.service_pending_input();
    enable_sweep_mode_controls(form, false);
    const bool pass_ok = run_sweep(s, continuous_pass);
    form.Continuous_sweep_text.caption = "Un-Tic to Stop Sweep";
    enable_sweep_mode_controls(form, true);
    // A failing pass ends the run: a fault that repeats would otherwise show its box
    // once per pass with hardly a moment to untick the box.
    if (!pass_ok) break;
  }
  form.Continuous_sweep_text.caption = "Enable Continuous Sweep";
}

}  // namespace quelnor::measure
