// Everything a person can do to the windows, by control name: the one entry the Qt view
// and the operator-script runner both use. Unqualified names are Form1's; help-page
// controls are qualified ("Form5.Command3"). Each action runs its handler under the
// last-resort guard and the re-entry rule (src/app/README.md: an action runs inside another
// only at a servicing point, and only if the busy guard lets it through).
#pragma once

#include <string>
#include <string_view>

namespace quelnor::app {

enum class ActResult { done, disabled, unknown };

class OperatorActions {
 public:
  virtual ~OperatorActions() = default;
  // Press a button, or select an option button (its handler runs).
  virtual ActResult click(std::string_view name) = 0;
  // Tick or untick a check box.
  virtual ActResult set_check(std::string_view name, bool ticked) = 0;
  // The text box gets the text, cut to its maximum length as typing would cut it.
  virtual ActResult type_text(std::string_view name, std::string_view text) = 0;
  // The text box loses the focus; its lost-focus handler runs, if it has one.
  virtual ActResult leave(std::string_view name) = 0;
  // The window was closed through its frame (help pages: FormN; Form1 ends the program).
  virtual ActResult close_window(std::string_view form_name) = 0;
  // True for Form1 .. Form7 while shown.
  virtual bool window_visible(std::string_view form_name) const = 0;
  // The "show" line: `show NAME text="..." caption="..." enabled=1 value=0`, or empty when
  // the name is unknown.
  virtual std::string describe(std::string_view name) const = 0;
};

}  // namespace quelnor::app
