// The controls a sweep keeps disabled while it runs.
#include "measure/sweep_mode_controls.h"

namespace quelnor::measure {

void enable_sweep_mode_controls(model::Form1Controls& form, bool enabled) {
  form.Option7.enabled = enabled;
  form.Option8.enabled = enabled;
  form.Multiply_by_one.enabled = enabled;
  form.Multiply_by_two.enabled = enabled;
  form.Multiply_by_four.enabled = enabled;
}

}  // namespace quelnor::measure
