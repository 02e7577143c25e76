// Navigation between the main window and the help pages.
#include "app/help_pages.h"

#include "app/help_texts.h"

namespace quelnor::app {

namespace {
constexpr const char* page_caption = "Quelnor Evaluation software ";
}  // namespace

const std::vector<HelpPage>& help_page_table() {
  using P = HelpPicture;
  static const std::vector<HelpPage> table = {
      {"Form2",
       page_caption,
       808,
       311,
       P::sweep_parameters,
       {8, 8, 195, 296},
       HelpText{sweep_text, {215, 8, 583, 214}, 9.5},
       {{"Command2", "Return", "Form1", {215, 246, 180, 44}},
        {"Command1", "Next Step", "Form3", {405, 246, 180, 44}}}},
      {"Form3",
       page_caption,
       933,
       441,
       P::settings_groups,
       {8, 8, 312, 332},
       HelpText{calibration_text, {334, 8, 588, 380}, 10.0},
       {{"exit", "Return", "Form1", {334, 394, 180, 40}},
        {"Continue", "Next Step", "Form4", {524, 394, 180, 40}}}},
      {"Form4",
       page_caption,
       721,
       643,
       P::workflow_column,
       {174, 6, 372, 330},
       HelpText{workflow_text, {8, 342, 586, 296}, 10.0},
       {{"Command2", "Return", "Form1", {602, 420, 112, 44}},
        {"Command1", "Next Step", "Form5", {602, 474, 112, 44}}}},
      {"Form5",
       page_caption,
       911,
       480,
       P::impedance_chart,
       {19, 6, 872, 331},
       HelpText{charts_text, {8, 348, 588, 118}, 9.5},
       {{"Command3", " Phase profile  ", "Form6", {640, 344, 200, 40}},
        {"Command1", "Return", "Form1", {640, 388, 200, 40}},
        {"Command2", "Next Step", "Form7", {640, 432, 200, 40}}}},
      {"Form6",
       page_caption,
       897,
       374,
       P::phase_chart,
       {11, 6, 874, 330},
       std::nullopt,
       {{"Command1", "Back", "Form5", {767, 339, 120, 32}}}},
      {"Form7",
       page_caption,
       603,
       615,
       P::save_dialog,
       {19, 8, 564, 416},
       HelpText{download_text, {5, 430, 592, 118}, 10.0},
       {{"Command1", "Return", "Form1", {226, 560, 150, 44}}}},
  };
  return table;
}

PixelRect help_picture_place(HelpPicture picture) {
  for (const HelpPage& page : help_page_table()) {
    if (page.picture == picture) return page.picture_place;
  }
  return {};
}

HelpPages::HelpPages(model::Form1Controls& main_window)
    : main_window_(main_window), pages_(help_page_table()) {}

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
