// The single sweep: the sweep engine's single variant.
#include "measure/frequency_sweep.h"

#include "measure/sweep_engine.h"

namespace quelnor::measure {

void frequency_sweep(model::Session& s) {
  run_sweep(s, single_sweep);
}

}  // namespace quelnor::measure
