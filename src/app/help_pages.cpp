// Navigation between the main window and the help pages.
#include "app/help_pages.h"

namespace quelnor::app {

HelpPages::HelpPages(model::Form1Controls& main_window) : main_window_(main_window) {
  pages_ = {
      {"Form2",
       "Quelnor Evaluation software ",
       808,
       311,
       {{"Command2", "Return", "Form1"}, {"Command1", "Next Step", "Form3"}}},
      {"Form3",
       "Quelnor Evaluation software ",
       933,
       441,
       {{"exit", "Return", "Form1"}, {"Continue", "Next Step", "Form4"}}},
      {"Form4",
       "Quelnor Evaluation software ",
       721,
       643,
       {{"Command2", "Return", "Form1"}, {"Command1", "Next Step", "Form5"}}},
      {"Form5",
       "Quelnor Evaluation software ",
       911,
       480,
       {{"Command3", " Phase profile  ", "Form6"},
        {"Command1", "Return", "Form1"},
        {"Command2", "Next Step", "Form7"}}},
      {"Form6", "Quelnor Evaluation software ", 897, 374, {{"Command1", "Back", "Form5"}}},
      {"Form7", "Quelnor Evaluation software ", 603, 615, {{"Command1", "Return", "Form1"}}},
  };
}

const HelpPage* HelpPages::page(std::string_view form) const {
  for (const HelpPage& p : pages_) {
    if (p.name == form) return &p;
  }
  return nullptr;
}

HelpPage* HelpPages::find(std::string_view form) {
  return const_cast<HelpPage*>(static_cast<const HelpPages*>(this)->page(form));
}

void HelpPages::show(std::string_view window) {
  if (window == "Form1") {
    main_window_.visible = true;
  } else if (HelpPage* target = find(window)) {
    target->visible = true;
  }
}

void HelpPages::open() {
  main_window_.visible = false;
  // Every page is hidden whenever the main window shows, so this starts at page 1.
  for (HelpPage& p : pages_) p.visible = false;
  show("Form2");
}

bool HelpPages::click(std::string_view form, std::string_view button) {
  HelpPage* p = find(form);
  if (p == nullptr) return false;
  for (const HelpButton& b : p->buttons) {
    if (b.name == button) {
      p->visible = false;
      show(b.target);
      return true;
    }
  }
  return false;
}

bool HelpPages::close_window(std::string_view form) {
  HelpPage* p = find(form);
  if (p == nullptr) return false;
  // A page that is not shown has no frame to close.
  if (!p->visible) return true;
  p->visible = false;
  show("Form1");
  return true;
}

}  // namespace quelnor::app
