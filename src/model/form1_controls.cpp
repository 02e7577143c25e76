// Option-group behaviour of the main window's controls.
#include "model/form1_controls.h"

#include "model/form1_control_table.h"

namespace quelnor::model {

std::vector<OptionButton*> Form1Controls::group_members(int group) {
  std::vector<OptionButton*> members;
  for (const ControlEntry& entry : form1_control_table) {
    const auto* field = std::get_if<OptionButton Form1Controls::*>(&entry.field);
    if (field != nullptr && (this->**field).group == group) members.push_back(&(this->**field));
  }
  return members;
}

void Form1Controls::select(OptionButton& option) {
  for (OptionButton* member : group_members(option.group)) member->value = (member == &option);
}

}  // namespace quelnor::model
