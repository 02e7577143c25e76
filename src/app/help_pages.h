// The six help windows Form2 .. Form7 as plain data (the one table of their captions,
// sizes, pictures, texts and buttons), and their navigation: one page or the main window
// visible at a time, pages only ever hidden and shown.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/form1_controls.h"

namespace quelnor::app {

// A place on a page's client area, in pixels.
struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The pictures of our own windows the pages show, each on exactly one page.
enum class HelpPicture {
  sweep_parameters,  // the "Sweep Parameters" group with its defaults
  settings_groups,   // clock, excitation, gain and calibration circuit
  workflow_column,   // "Program Device Registers" .. "Download Impedance Data"
  impedance_chart,   // a 200 kOhm resistor from 30 kHz to 35 kHz
  phase_chart,       // a 15 pF capacitor, flat near -90 degrees
  save_dialog,       // the save dialog with its suggested name and filter
};
inline constexpr int help_picture_count = 6;

struct HelpText {
  const char* html;  // rich text, see help_texts.h
  PixelRect place;
  double points;  // font size
};

struct HelpButton {
  std::string name;     // "Command1", "Continue", ...
  std::string caption;  // as shown on the button
  std::string target;   // window shown after this page is hidden: "Form1" .. "Form7"
  PixelRect place;
};

struct HelpPage {
  std::string name;  // "Form2" .. "Form7"
  std::string caption;
  int client_width_px = 0;
  int client_height_px = 0;
  HelpPicture picture = HelpPicture::sweep_parameters;
  PixelRect picture_place;
  std::optional<HelpText> text;
  std::vector<HelpButton> buttons;  // in the order they are laid out
  bool visible = false;
};

// The pages as designed, all hidden.
const std::vector<HelpPage>& help_page_table();
// The size a picture is shown at: its place on its page.
PixelRect help_picture_place(HelpPicture picture);

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
