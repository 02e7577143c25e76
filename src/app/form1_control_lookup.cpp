// Control names of the main window and their printed state.
#include "app/form1_control_lookup.h"

#include "app/quoted_text.h"
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
  const auto* recorded = dynamic_cast<const model::RecordingStripChart*>(chart);
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
  model::Form1Controls& f = s.form;
  const std::pair<std::string_view, ControlRef> controls[] = {
      {"help", &f.help},
      {"Text1", &f.Text1},
      {"Text2", &f.Text2},
      {"Text3", &f.Text3},
      {"Text4", &f.Text4},
      {"Text7", &f.Text7},
      {"ExternalClock", &f.ExternalClock},
      {"InternalClock", &f.InternalClock},
      {"Option3", &f.Option3},
      {"Option4", &f.Option4},
      {"Option5", &f.Option5},
      {"Option6", &f.Option6},
      {"Option1", &f.Option1},
      {"Option2", &f.Option2},
      {"Frm_choose_impedence_type", &f.Frm_choose_impedence_type},
      {"Opt_resistor", &f.Opt_resistor},
      {"Opt_capacitor", &f.Opt_capacitor},
      {"Optresistorandcapseries", &f.Optresistorandcapseries},
      {"Optresisandcapparallel", &f.Optresisandcapparallel},
      {"Complex", &f.Complex},
      {"Label17", &f.Label17},
      {"Text10", &f.Text10},
      {"Label19", &f.Label19},
      {"Text11", &f.Text11},
      {"Label5", &f.Label5},
      {"Text6", &f.Text6},
      {"Command2", &f.Command2},
      {"Multiply_by_one", &f.Multiply_by_one},
      {"Multiply_by_two", &f.Multiply_by_two},
      {"Multiply_by_four", &f.Multiply_by_four},
      {"Option7", &f.Option7},
      {"Option8", &f.Option8},
      {"Command6", &f.Command6},
      {"Label20", &f.Label20},
      {"Text5", &f.Text5},
      {"Command5", &f.Command5},
      {"Label10", &f.Label10},
      {"Label8", &f.Label8},
      {"Label9", &f.Label9},
      {"Continuous_sweep_text", &f.Continuous_sweep_text},
      {"Check1", &f.Check1},
      {"Command1", &f.Command1},
      {"PBar", &f.PBar},
      {"Download_data", &f.Download_data},
      {"SSTab1", TabControl{&f.SSTab1}},
      {"Strip1", ChartControl{&s.Strip1}},
      {"Strip2", ChartControl{&s.Strip2}},
  };
  for (const auto& [control_name, control] : controls) {
    if (control_name == name) return control;
  }
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
