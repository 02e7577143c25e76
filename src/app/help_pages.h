// The six help windows Form2 .. Form7 as plain data, and their navigation: one page or the
// main window visible at a time, pages only ever hidden and shown.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/form1_controls.h"

namespace quelnor::app {

struct HelpButton {
  std::string name;     // "Command1", "Continue", ...
  std::string caption;  // as shown on the button
  std::string target;   // window shown after this page is hidden: "Form1" .. "Form7"
};

struct HelpPage {
  std::string name;  // "Form2" .. "Form7"
  std::string caption = "Quelnor Evaluation software ";
  int client_width_px = 0;
  int client_height_px = 0;
  std::vector<HelpButton> buttons;  // in the order they are laid out
  bool visible = false;
};

class HelpPages {
 public:
  // The main window is shown and hidden through its model's visible flag.
  explicit HelpPages(model::Form1Controls& main_window);

  // help_Click: hides the main window and shows the first page.
  void open();
  // A page's button: hides the page and shows the button's target. False when the page or
  // the button does not exist.
  bool click(std::string_view form, std::string_view button);
  // A page closed through its window frame: hidden, and the main window shown again so
  // there is always a visible window. False when there is no such page.
  bool close_window(std::string_view form);

  const std::vector<HelpPage>& pages() const { return pages_; }
  const HelpPage* page(std::string_view form) const;

 private:
  HelpPage* find(std::string_view form);
  void show(std::string_view window);

  model::Form1Controls& main_window_;
  std::vector<HelpPage> pages_;
};

}  // namespace quelnor::app
