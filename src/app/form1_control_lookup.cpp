// Control names of the main window and their printed state.
#include "app/form1_control_lookup.h"

#include "app/quoted_text.h"
#include "model/form1_control_table.h"
#include "util/numbers.h"

namespace quelnor::app {
namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string flag(bool value) {
  return value ? "1" : "0";
}

std::string point_text(const std::pair<double, double>& p) {
  return "(" + util::number_text(p.first) + "," + util::number_text(p.second) + ")";
}

std::string describe_chart(const std::string& head, const model::StripChart* chart) {
  const model::RecordingStripChart* recorded = chart->recording();
  if (recorded == nullptr) return head;
  std::string out;
  for (int k = 0; k < 2; ++k) {
    const model::PointArray& trace = recorded->trace(k);
    out += head + " trace=" + std::to_string(k) + " points=" + std::to_string(trace.size());
    if (!trace.empty()) {
      out += " first=" + point_text(trace.front()) + " last=" + point_text(trace.back());
    }
    out += '\n';
  }
  out += head + " y_caption=" + quoted(recorded->y_caption()) +
         " x_caption=" + quoted(recorded->x_caption()) +
         " x_lower=" + util::number_text(recorded->x_lower()) +
         " x_upper=" + util::number_text(recorded->x_upper()) +
         " x_span=" + util::number_text(recorded->x_span()) +
         " y_lower=" + util::number_text(recorded->y_lower()) +
         " y_upper=" + util::number_text(recorded->y_upper()) +
         " points_per_trace=" + std::to_string(recorded->points_per_trace());
  return out;
}

}  // namespace

std::optional<ControlRef> find_control(model::Session& s, std::string_view name) {
  if (const model::ControlEntry* entry = model::find_control_entry(name)) {
    return std::visit([](auto* control) -> ControlRef { return control; }, entry->in(s.form));
  }
  if (name == "SSTab1") return TabControl{&s.form.SSTab1};
  if (name == "Strip1") return ChartControl{&s.Strip1};
  if (name == "Strip2") return ChartControl{&s.Strip2};
  return std::nullopt;
}

std::string describe_control(std::string_view name, const ControlRef& control) {
  const std::string head = "show " + std::string(name);
  return std::visit(
      Overloaded{
          [&](const model::TextBox* c) {
            return head + " text=" + quoted(c->text) + " enabled=" + flag(c->enabled);
          },
          [&](const model::OptionButton* c) {
            return head + " caption=" + quoted(c->caption) + " enabled=" + flag(c->enabled) +
                   " value=" + flag(c->value);
          },
          [&](const model::CheckBox* c) {
            return head + " caption=" + quoted(c->caption) + " enabled=" + flag(c->enabled) +
                   " value=" + flag(c->value);
          },
          [&](const model::CommandButton* c) {
            return head + " caption=" + quoted(c->caption) + " enabled=" + flag(c->enabled);
          },
          [&](const model::Label* c) { return head + " caption=" + quoted(c->caption); },
          [&](const model::Frame* c) { return head + " caption=" + quoted(c->caption); },
          [&](const model::ProgressBar* c) {
            return head + " min=" + std::to_string(c->min) + " max=" + std::to_string(c->max) +
                   " value=" + std::to_string(c->value);
          },
          [&](const TabControl& c) {
            const bool known = *c.page == 0 || *c.page == 1;
            return head +
                   " caption=" + quoted(known ? model::Form1Controls::tab_captions[*c.page] : "") +
                   " value=" + std::to_string(*c.page);
          },
          [&](const ChartControl& c) { return describe_chart(head, c.chart); },
      },
      control);
}

}  // namespace quelnor::app
