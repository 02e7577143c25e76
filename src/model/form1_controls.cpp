// Option-group behaviour of the main window's controls.
#include "model/form1_controls.h"

namespace quelnor::model {

std::vector<OptionButton*> Form1Controls::group_members(int group) {
  std::vector<OptionButton*> all = {
      &ExternalClock, &InternalClock, &Option3,          &Option4,
      &Option5,       &Option6,       &Option1,          &Option2,
      &Opt_resistor,  &Opt_capacitor, &Optresistorandcapseries,
      &Optresisandcapparallel,        &Complex,          &Multiply_by_one,
      &Multiply_by_two, &Multiply_by_four, &Option7,     &Option8};
  std::vector<OptionButton*> members;
  for (OptionButton* option : all) {
    if (option->group == group) members.push_back(option);
  }
  return members;
}

void Form1Controls::select(OptionButton& option) {
  for (OptionButton* member : group_members(option.group)) member->value = (member == &option);
}

}  // namespace quelnor::model
