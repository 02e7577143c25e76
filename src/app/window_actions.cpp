// Operator actions resolved to the main window's handlers and the help pages.
#include "app/window_actions.h"

#include "app/form1_control_lookup.h"
#include "app/last_resort_guard.h"

namespace quelnor::app {
namespace {

struct QualifiedName {
  std::string_view form;  // "Form1" for an unqualified name
  std::string_view control;
};

QualifiedName split(std::string_view name) {
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return {"Form1", name};
  return {name.substr(0, dot), name.substr(dot + 1)};
}

// The Form1 control of that name and kind, or nullptr.
template <class Control>
Control* form1_control(model::Session& s, std::string_view control) {
  if (control.empty()) return nullptr;
  const std::optional<ControlRef> found = find_control(s, control);
  auto* const* typed = found ? std::get_if<Control*>(&*found) : nullptr;
  return typed ? *typed : nullptr;
}

}  // namespace

WindowActions::WindowActions(Form1& form1, HelpPages& help) : form1_(form1), help_(help) {}

std::string_view WindowActions::form1_name(std::string_view name) {
  const QualifiedName q = split(name);
  return q.form == "Form1" ? q.control : std::string_view{};
}

bool WindowActions::refused(bool button_or_option) const {
  if (!form1_.controls().visible) return true;
  return button_or_option && form1_.busy();
}

void WindowActions::guarded(const std::function<void()>& handler) {
  run_guarded(form1_.session().dialogs, handler);
}

ActResult WindowActions::click_help_page(std::string_view form, std::string_view button) {
  const HelpPage* page = help_.page(form);
  if (page == nullptr) return ActResult::unknown;
  for (const HelpButton& b : page->buttons) {
    if (b.name != button) continue;
    if (!page->visible) return ActResult::disabled;
    help_.click(form, button);
    return ActResult::done;
  }
  return ActResult::unknown;
}

ActResult WindowActions::click(std::string_view name) {
  const std::string_view control = form1_name(name);
  if (control.empty()) {
    const QualifiedName q = split(name);
    return click_help_page(q.form, q.control);
  }
  model::Session& s = form1_.session();
  if (auto* button = form1_control<model::CommandButton>(s, control)) {
    if (!button->enabled || refused(true)) return ActResult::disabled;
    guarded([&] { form1_.button_Click(control); });
    return ActResult::done;
  }
  if (auto* option = form1_control<model::OptionButton>(s, control)) {
    if (!option->enabled || refused(true)) return ActResult::disabled;
    // An option's handler runs when it becomes selected; pressing the one already
    // selected changes nothing, so it writes nothing to the chip either.
    if (option->value) return ActResult::done;
    guarded([&] { form1_.option_Click(control); });
    return ActResult::done;
  }
  if (auto* check = form1_control<model::CheckBox>(s, control)) {
    return set_check(name, !check->value);
  }
  return ActResult::unknown;
}

ActResult WindowActions::set_check(std::string_view name, bool ticked) {
  const std::string_view control = form1_name(name);
  auto* check = form1_control<model::CheckBox>(form1_.session(), control);
  if (check == nullptr) return ActResult::unknown;
  if (!check->enabled || refused(false)) return ActResult::disabled;
  // The check boxes have no handlers: their state is read when an operation needs it.
  check->value = ticked;
  return ActResult::done;
}

ActResult WindowActions::type_text(std::string_view name, std::string_view text) {
  const std::string_view control = form1_name(name);
  auto* box = form1_control<model::TextBox>(form1_.session(), control);
  if (box == nullptr) return ActResult::unknown;
  if (!box->enabled || refused(false)) return ActResult::disabled;
  box->type(std::string(text));
  return ActResult::done;
}

ActResult WindowActions::leave(std::string_view name) {
  const std::string_view control = form1_name(name);
  auto* box = form1_control<model::TextBox>(form1_.session(), control);
  if (box == nullptr) return ActResult::unknown;
  if (!box->enabled || refused(false)) return ActResult::disabled;
  guarded([&] { form1_.LostFocus(control); });
  return ActResult::done;
}

ActResult WindowActions::close_window(std::string_view form_name) {
  if (form_name == "Form1") {
    // Closing the main window ends the program; nothing is written to the chip.
    form1_.controls().visible = false;
    return ActResult::done;
  }
  return help_.close_window(form_name) ? ActResult::done : ActResult::unknown;
}

bool WindowActions::window_visible(std::string_view form_name) const {
  if (form_name == "Form1") return form1_.controls().visible;
  const HelpPage* page = help_.page(form_name);
  return page != nullptr && page->visible;
}

std::string WindowActions::describe(std::string_view name) const {
  const std::string shown(name);
  if (name == "Form1" || help_.page(name) != nullptr) {
    return "show " + shown + " visible=" + (window_visible(name) ? "1" : "0");
  }
  const QualifiedName q = split(name);
  if (q.form != "Form1") {
    const HelpPage* page = help_.page(q.form);
    if (page == nullptr) return {};
    for (const HelpButton& b : page->buttons) {
      if (b.name == q.control) {
        // Help-page buttons are always enabled; a page is only hidden or shown.
        model::CommandButton button{b.caption, true};
        return describe_control(name, &button);
      }
    }
    return {};
  }
  const std::optional<ControlRef> found = find_control(form1_.session(), q.control);
  return found ? describe_control(name, *found) : std::string{};
}

}  // namespace quelnor::app
