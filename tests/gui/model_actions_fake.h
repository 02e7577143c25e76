// A stand-in for the application's actions over a real session model, for testing the
// view alone: it records every action, acts on the model the simple way (an option
// click selects it, a tick sets the box, typing sets the text), can refuse chosen
// controls, and runs an extra step per control so a test can play a handler.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/operator_actions.h"
#include "link/register_transport.h"
#include "link/usb_stuff.h"
#include "model/session.h"
#include "model/strip_chart.h"
#include "support/fake_driver.h"
#include "support/nothing_pending.h"
#include "support/scripted_dialogs.h"
#include "util/clock.h"

namespace quelnor::test {

class ModelActionsFake final : public app::OperatorActions {
 public:
  ModelActionsFake()
      : usb(driver, dialogs, "."),
        transport(usb, dialogs, model::application_title),
        session(clock, dialogs, pump, transport, strip1, strip2) {
    session.form.visible = true;
    session.form.select(session.form.ExternalClock);
    session.form.select(session.form.Option3);
    session.form.select(session.form.Option1);
  }

  app::ActResult click(std::string_view name) override {
    calls.push_back("click " + std::string(name));
    if (refused.count(std::string(name))) return app::ActResult::disabled;
    for (model::OptionButton* option : all_options()) {
      if (option_name(option) == name) session.form.select(*option);
    }
    run_step(name);
    return app::ActResult::done;
  }
  app::ActResult set_check(std::string_view name, bool ticked) override {
    calls.push_back("check " + std::string(name) + (ticked ? " 1" : " 0"));
    if (name == "Check1") session.form.Check1.value = ticked;
    if (name == "Continuous_sweep_text") session.form.Continuous_sweep_text.value = ticked;
    run_step(name);
    return app::ActResult::done;
  }
  app::ActResult type_text(std::string_view name, std::string_view text) override {
    calls.push_back("type " + std::string(name) + " " + std::string(text));
    if (name == "Text1") session.form.Text1.type(std::string(text));
    if (name == "Text5") session.form.Text5.type(std::string(text));
    return app::ActResult::done;
  }
  app::ActResult leave(std::string_view name) override {
    calls.push_back("leave " + std::string(name));
    return app::ActResult::done;
  }
  app::ActResult close_window(std::string_view form_name) override {
    calls.push_back("close " + std::string(form_name));
    visible[std::string(form_name)] = false;
    if (form_name != "Form1") session.form.visible = true;
    return app::ActResult::done;
  }
  bool window_visible(std::string_view form_name) const override {
    if (form_name == "Form1") return session.form.visible;
    const auto found = visible.find(std::string(form_name));
    return found != visible.end() && found->second;
  }
  std::string describe(std::string_view) const override { return {}; }

  // Extra behaviour run after the simple one, per control name.
  std::map<std::string, std::function<void()>, std::less<>> steps;
  std::set<std::string> refused;
  std::vector<std::string> calls;
  std::map<std::string, bool> visible;  // help pages

  FakeDriver driver;
  ScriptedDialogs dialogs;
  util::VirtualClock clock;
  NothingPending pump;
  model::RecordingStripChart strip1, strip2;
  link::USB_STUFF usb;
  link::RegisterTransport transport;
  model::Session session;

 private:
  void run_step(std::string_view name) {
    const auto found = steps.find(name);
    if (found != steps.end()) found->second();
  }
  std::vector<model::OptionButton*> all_options() {
    std::vector<model::OptionButton*> options;
    for (int group = model::group_clock; group <= model::group_calibration; ++group) {
      for (model::OptionButton* option : session.form.group_members(group))
        options.push_back(option);
    }
    return options;
  }
  std::string option_name(const model::OptionButton* option) {
    model::Form1Controls& f = session.form;
    const std::pair<const model::OptionButton*, const char*> names[] = {
        {&f.ExternalClock, "ExternalClock"},
        {&f.InternalClock, "InternalClock"},
        {&f.Option1, "Option1"},
        {&f.Option2, "Option2"},
        {&f.Option3, "Option3"},
        {&f.Option4, "Option4"},
        {&f.Option5, "Option5"},
        {&f.Option6, "Option6"},
        {&f.Option7, "Option7"},
        {&f.Option8, "Option8"},
        {&f.Opt_resistor, "Opt_resistor"},
        {&f.Opt_capacitor, "Opt_capacitor"},
        {&f.Complex, "Complex"},
        {&f.Multiply_by_one, "Multiply_by_one"},
        {&f.Multiply_by_two, "Multiply_by_two"},
        {&f.Multiply_by_four, "Multiply_by_four"},
        {&f.Optresistorandcapseries, "Optresistorandcapseries"},
        {&f.Optresisandcapparallel, "Optresisandcapparallel"}};
    for (const auto& [pointer, text] : names) {
      if (pointer == option) return text;
    }
    return {};
  }
};

}  // namespace quelnor::test
