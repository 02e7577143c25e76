// Catches what a handler let escape and tells the operator.
#include "app/last_resort_guard.h"

#include <exception>
#include <string>

#include "model/application_title.h"

namespace quelnor::app {

bool run_guarded(util::OperatorDialogs& dialogs, const std::function<void()>& handler) {
  std::string what;
  try {
    handler();
    return true;
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
    what = "an error of unknown kind";
  }
  dialogs.show_message(
      {"Unexpected error: " + what, model::application_title, util::Buttons::ok, false});
  return false;
}

}  // namespace quelnor::app
