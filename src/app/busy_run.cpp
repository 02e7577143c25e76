// Greying and restoring the controls refused during a calibration or sweep.
#include "app/busy_run.h"

namespace quelnor::app {
namespace {

std::vector<bool*> greyed_controls(model::Form1Controls& form) {
  std::vector<bool*> flags = {&form.help.enabled,     &form.Command2.enabled,
                              &form.Command6.enabled, &form.Command1.enabled,
                              &form.Command5.enabled, &form.Download_data.enabled};
  for (int group = model::group_clock; group <= model::group_calibration; ++group) {
    for (model::OptionButton* option : form.group_members(group)) flags.push_back(&option->enabled);
  }
  return flags;
}

}  // namespace

BusyRun::BusyRun(model::Form1Controls& form, bool& busy_flag) : form_(form), busy_flag_(busy_flag) {
  for (bool* flag : greyed_controls(form_)) saved_.emplace_back(flag, *flag);
  grey(form_);
  busy_flag_ = true;
}

BusyRun::~BusyRun() {
  for (const auto& [flag, enabled] : saved_) *flag = enabled;
  busy_flag_ = false;
}

void BusyRun::grey(model::Form1Controls& form) {
  for (bool* flag : greyed_controls(form)) *flag = false;
}

}  // namespace quelnor::app
