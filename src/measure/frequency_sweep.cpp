// The single sweep and the continuous-sweep pass: the two variants of the sweep engine.
#include "measure/measurement_api.h"
#include "measure/sweep_engine.h"

namespace quelnor::measure {

void frequency_sweep(model::Session& s) {
  run_sweep(s, single_sweep);
}

void continuous_sweep_pass(model::Session& s) {
  run_sweep(s, continuous_pass);
}

}  // namespace quelnor::measure
