// The one table of the main window's controls: name, field (and so kind) and place in the
// Tab order. The view, the operator actions, Form1 and the tests all read it; the macro
// takes the name from the field, so a misspelt name does not compile.
#pragma once

#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "model/form1_controls.h"

namespace quelnor::model {

using ControlField =
    std::variant<TextBox Form1Controls::*, OptionButton Form1Controls::*, CheckBox Form1Controls::*,
                 CommandButton Form1Controls::*, Label Form1Controls::*, Frame Form1Controls::*,
                 ProgressBar Form1Controls::*>;

// A control of one Form1Controls object, by kind.
using ControlPointer =
    std::variant<TextBox*, OptionButton*, CheckBox*, CommandButton*, Label*, Frame*, ProgressBar*>;

// Labels, frames and the progress bar take no focus.
constexpr int no_tab_stop = -1;

struct ControlEntry {
  std::string_view name;
  ControlField field;
  int tab_index;  // 0 first; no_tab_stop when the control takes no focus

  ControlPointer in(Form1Controls& form) const {
    return std::visit([&](auto member) -> ControlPointer { return &(form.*member); }, field);
  }
};

#define QUELNOR_FORM1_CONTROL(field, tab_index) \
  ControlEntry {                                \
#field, &Form1Controls::field, tab_index    \
  }

// Column by column, top to bottom, as the window lays them out. The Tab order runs through
// the entry fields and options of the first columns, the action buttons, then the rest.
inline constexpr ControlEntry form1_control_table[] = {
    QUELNOR_FORM1_CONTROL(help, 23),
    QUELNOR_FORM1_CONTROL(sweep_parameters, no_tab_stop),
    QUELNOR_FORM1_CONTROL(label_start, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Text1, 0),
    QUELNOR_FORM1_CONTROL(label_delta, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Text2, 1),
    QUELNOR_FORM1_CONTROL(label_increments, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Text3, 2),
    QUELNOR_FORM1_CONTROL(label_settling, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Text4, 3),
    QUELNOR_FORM1_CONTROL(label_mclk, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Text7, 4),
    QUELNOR_FORM1_CONTROL(system_clock, no_tab_stop),
    QUELNOR_FORM1_CONTROL(ExternalClock, 11),
    QUELNOR_FORM1_CONTROL(InternalClock, 12),
    QUELNOR_FORM1_CONTROL(output_excitation, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Option3, 7),
    QUELNOR_FORM1_CONTROL(Option4, 8),
    QUELNOR_FORM1_CONTROL(Option5, 9),
    QUELNOR_FORM1_CONTROL(Option6, 10),
    QUELNOR_FORM1_CONTROL(pga_control, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Option1, 5),
    QUELNOR_FORM1_CONTROL(Option2, 6),
    QUELNOR_FORM1_CONTROL(Frm_choose_impedence_type, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Opt_resistor, 13),
    QUELNOR_FORM1_CONTROL(Opt_capacitor, 14),
    QUELNOR_FORM1_CONTROL(Optresistorandcapseries, 15),
    QUELNOR_FORM1_CONTROL(Optresisandcapparallel, 16),
    QUELNOR_FORM1_CONTROL(Complex, 17),
    QUELNOR_FORM1_CONTROL(Label17, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Text10, 18),
    QUELNOR_FORM1_CONTROL(Label19, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Text11, 19),
    QUELNOR_FORM1_CONTROL(Label5, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Text6, 20),
    QUELNOR_FORM1_CONTROL(Command2, 24),
    QUELNOR_FORM1_CONTROL(dds_settling, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Multiply_by_one, 29),
    QUELNOR_FORM1_CONTROL(Multiply_by_two, 30),
    QUELNOR_FORM1_CONTROL(Multiply_by_four, 31),
    QUELNOR_FORM1_CONTROL(calibration_gain_factor, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Option7, 32),
    QUELNOR_FORM1_CONTROL(Option8, 33),
    QUELNOR_FORM1_CONTROL(Command6, 25),
    QUELNOR_FORM1_CONTROL(Label20, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Text5, 21),
    QUELNOR_FORM1_CONTROL(internal_temperature, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Command5, 34),
    QUELNOR_FORM1_CONTROL(Label10, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Label8, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Label9, no_tab_stop),
    QUELNOR_FORM1_CONTROL(start_sweep, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Continuous_sweep_text, 22),
    QUELNOR_FORM1_CONTROL(Check1, 28),
    QUELNOR_FORM1_CONTROL(Command1, 26),
    QUELNOR_FORM1_CONTROL(PBar, no_tab_stop),
    QUELNOR_FORM1_CONTROL(Download_data, 27),
};

#undef QUELNOR_FORM1_CONTROL

// The entry of that name, or nothing.
const ControlEntry* find_control_entry(std::string_view name);
// The entry of that field, or nothing (a field of Form1Controls that is not a control).
template <class Control>
const ControlEntry* find_control_entry(Control Form1Controls::*field) {
  for (const ControlEntry& entry : form1_control_table) {
    const auto* member = std::get_if<Control Form1Controls::*>(&entry.field);
    if (member != nullptr && *member == field) return &entry;
  }
  return nullptr;
}
// The names of the controls that take the focus, in Tab order.
std::vector<std::string_view> tab_order();

}  // namespace quelnor::model
