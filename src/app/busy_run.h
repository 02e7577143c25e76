// While a calibration or sweep runs, the controls whose action would touch the chip or
// change a setting under the run are greyed; afterwards each gets back exactly the enabled
// state it had: the six command buttons and every option button. Text boxes, the two check
// boxes and the help pages stay as they are.
#pragma once

#include <utility>
#include <vector>

#include "model/form1_controls.h"

namespace quelnor::app {

class BusyRun {
 public:
  // Saves the enabled states, greys the controls and raises busy_flag.
  BusyRun(model::Form1Controls& form, bool& busy_flag);
  // Restores the saved enabled states and lowers busy_flag.
  ~BusyRun();
  BusyRun(const BusyRun&) = delete;
  BusyRun& operator=(const BusyRun&) = delete;

  // Greys the controls again: a run re-enables some of them between passes, and the
  // operator must not be offered them at the next servicing point.
  static void grey(model::Form1Controls& form);

 private:
  model::Form1Controls& form_;
  bool& busy_flag_;
  std::vector<std::pair<bool*, bool>> saved_;
};

}  // namespace quelnor::app
