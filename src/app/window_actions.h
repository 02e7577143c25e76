// The operator actions over the main window's handlers and the help pages: names resolved
// to controls, disabled and hidden controls refused, every handler run under the
// last-resort guard.
#pragma once

#include <string>
#include <string_view>

#include "app/form1.h"
#include "app/help_pages.h"
#include "app/operator_actions.h"

namespace quelnor::app {

class WindowActions final : public OperatorActions {
 public:
  WindowActions(Form1& form1, HelpPages& help);

  ActResult click(std::string_view name) override;
  ActResult set_check(std::string_view name, bool ticked) override;
  ActResult type_text(std::string_view name, std::string_view text) override;
  ActResult leave(std::string_view name) override;
  ActResult close_window(std::string_view form_name) override;
  bool window_visible(std::string_view form_name) const override;
  std::string describe(std::string_view name) const override;

 private:
  ActResult click_help_page(std::string_view form, std::string_view button);
  // The Form1 control for an unqualified or "Form1." name; empty for another window.
  static std::string_view form1_name(std::string_view name);
  // A button or option of the main window refuses while the window is hidden or a
  // calibration or sweep runs; a text or check box only while the window is hidden.
  bool refused(bool button_or_option) const;
  void guarded(const std::function<void()>& handler);

  Form1& form1_;
  HelpPages& help_;
};

}  // namespace quelnor::app
