// Lookups over the main window's control table.
#include "model/form1_control_table.h"

#include <algorithm>

namespace quelnor::model {

const ControlEntry* find_control_entry(std::string_view name) {
  for (const ControlEntry& entry : form1_control_table) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

std::vector<std::string_view> tab_order() {
  std::vector<const ControlEntry*> stops;
  for (const ControlEntry& entry : form1_control_table) {
    if (entry.tab_index != no_tab_stop) stops.push_back(&entry);
  }
  std::sort(stops.begin(), stops.end(), [](const ControlEntry* a, const ControlEntry* b) {
    return a->tab_index < b->tab_index;
  });
  std::vector<std::string_view> names;
  for (const ControlEntry* entry : stops) names.push_back(entry->name);
  return names;
}

}  // namespace quelnor::model
