// The control table: one entry per name, a Tab order without gaps or repeats, and option
// groups that hold what the window lays out together.
#include "model/form1_control_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace quelnor::model {
namespace {

TEST(Form1ControlTable, NamesAreUniqueAndTabStopsRunFromZeroWithoutGaps) {
  std::set<std::string_view> names;
  std::set<int> stops;
  int stop_count = 0;
  for (const ControlEntry& entry : form1_control_table) {
    EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
    if (entry.tab_index == no_tab_stop) continue;
    ++stop_count;
    EXPECT_TRUE(stops.insert(entry.tab_index).second) << entry.name;
  }
  ASSERT_FALSE(stops.empty());
  EXPECT_EQ(*stops.begin(), 0);
  EXPECT_EQ(*stops.rbegin(), stop_count - 1);
  EXPECT_EQ(tab_order().size(), static_cast<std::size_t>(stop_count));
}

TEST(Form1ControlTable, OnlyControlsAnOperatorCanReachTakeTheFocus) {
  Form1Controls form;
  for (const ControlEntry& entry : form1_control_table) {
    const ControlPointer control = entry.in(form);
    const bool passive = std::holds_alternative<Label*>(control) ||
                         std::holds_alternative<Frame*>(control) ||
                         std::holds_alternative<ProgressBar*>(control);
    EXPECT_EQ(entry.tab_index == no_tab_stop, passive) << entry.name;
  }
}

TEST(Form1ControlTable, LookupsFindTheFieldBehindEachName) {
  Form1Controls form;
  const ControlEntry* text5 = find_control_entry("Text5");
  ASSERT_NE(text5, nullptr);
  EXPECT_EQ(std::get<TextBox*>(text5->in(form)), &form.Text5);
  EXPECT_EQ(find_control_entry(&Form1Controls::Text5), text5);
  EXPECT_EQ(find_control_entry("Strip1"), nullptr);  // a chart, not a control of the form
  EXPECT_EQ(find_control_entry("text5"), nullptr);   // names are case-sensitive
}

TEST(Form1ControlTable, SelectingAnOptionClearsOnlyItsOwnGroup) {
  Form1Controls form;
  form.select(form.Option2);
  form.select(form.Option4);
  EXPECT_TRUE(form.Option2.value);
  EXPECT_FALSE(form.Option1.value);
  EXPECT_TRUE(form.Option4.value);
  EXPECT_TRUE(form.Opt_resistor.value);  // the circuit group keeps its design choice
  const std::vector<OptionButton*> gain = form.group_members(group_pga);
  EXPECT_EQ(gain, (std::vector<OptionButton*>{&form.Option1, &form.Option2}));
  EXPECT_EQ(form.group_members(group_excitation).size(), 4u);
}

}  // namespace
}  // namespace quelnor::model
