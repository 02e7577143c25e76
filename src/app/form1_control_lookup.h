// The main window's controls by name (the control table, plus the chart page and the two
// charts), and the one-line state of each as the script runner's "show" prints it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "model/session.h"

namespace quelnor::app {

struct TabControl {
  int* page;  // 0: impedance chart, 1: phase chart
};
struct ChartControl {
  model::StripChart* chart;
};

using ControlRef =
    std::variant<model::TextBox*, model::OptionButton*, model::CheckBox*, model::CommandButton*,
                 model::Label*, model::Frame*, model::ProgressBar*, TabControl, ChartControl>;

// Nothing when Form1 has no control of that name.
std::optional<ControlRef> find_control(model::Session& s, std::string_view name);

// "show NAME ..." with the fields that apply to the kind of control. A chart gives one
// line per trace (point count, first and last point) and one line of axes, joined by
// newlines; charts that keep no record of their data give the name alone.
std::string describe_control(std::string_view name, const ControlRef& control);

}  // namespace quelnor::app
